#pragma once

#include <optional>
#include <string>

#include "cli/password_table.h"
#include "discovery/router_info.h"
#include "frontend/common_options.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "lang/message_port.h"
#include "session/transcript.h"
#include "settings/settings_difference.h"
#include "settings/call_log_table.h"

namespace dezadav::cli {

// What one router's exchange is for.
enum class RouterJobKind {
    Fetch,   // all settings into outputFile, written in place (as Save All writes it)
    Backup,  // all settings into backupDir/<MAC or IP>.csv through a temporary file renamed into place
    Apply,   // all settings fetched, inputFile loaded over them, the result applied
    DryRun,  // as Apply, but the commands are only printed
    Log,     // the call log only, into the result; no discovery, nothing recorded
};

// One router's exchange. The router's model comes from `knownRouter` (a discovery answer already
// in hand), else from `model`, else from a discovery request sent to the router's own address.
struct RouterJobRequest {
    RouterJobKind kind = RouterJobKind::Fetch;
    std::string routerIp;
    std::optional<RouterInfo> knownRouter;
    std::optional<std::string> model;
    std::string password;                      // the common password
    const PasswordTable* passwords = nullptr;  // per-router passwords over it (only read)
    bool noCommonPassword = false;             // a router without its own password fails, named
    CommonOptions common;
    int waitMs = 2000;  // for the discovery request to the router's own address
    std::string outputFile;
    std::string backupDir;
    std::string inputFile;
    // inputFile's bytes, read once before any router was contacted (standard input can be read once
    // only), and how messages name them.
    std::optional<std::string> inputText;
    std::string inputSource;
    // An apply's file is this folder's backup of the router, named by BackupFileName, instead of inputFile.
    std::string fromBackupDir;
    bool force = false;  // apply a file of the other router form all the same
    bool showSecrets = false;  // an apply prints the SIP passwords it sends instead of hiding them (a JSON
                               // fetch writes them)
    bool jsonSettings = false;  // fetch and backup write the settings as a JSON document
    bool replace = false;       // an apply's JSON document replaces all settings
    TranscriptSink* transcript = nullptr;  // where each exchange's record goes (shared, thread-safe)
    // Where the router's settings are recorded (shared, thread-safe); none: nowhere. A backup's fetch
    // is recorded as a backup.
    SettingsHistory* history = nullptr;
    // Apply and DryRun: instead of inputFile, the record of the history named so (kBeforeLastApply
    // or a record's id, or the start of one).
    std::string restoreTo;
};

struct RouterJobResult {
    bool ok = false;
    bool unsupportedModel = false;  // a backup met a model it does not handle: nothing was sent
    RouterInfo router;              // the router's fields as far as they became known
    std::string backupFile;         // a backup's file name in its folder, once it is known
    // Records of this router's settings that could not be written to the history (each has shown
    // its message); a run with any ends with exit status 1 although its files stay.
    std::size_t recordsNotWritten = 0;
    std::vector<CallLogRecord> calls;  // Log: the router's call records, newest first
    // DryRun: the fields that would change (in the words of diff) and the commands, as printed;
    // Apply: the fields it set out to change and the commands sent, as printed.
    std::vector<FieldDifference> changes;
    std::vector<std::string> commands;
};

// A backup's file name: the router named as its records are (HistoryRouter::Name), then
// ".csv" (".json" for a JSON document).
std::string BackupFileName(const RouterInfo& router, bool json = false);

// Where a job's output goes: the messages of the exchange, and the lines it prints (the commands an
// apply sends, as they go out, or would send).
class RouterJobOutput : public MessagePort {
public:
    virtual void PrintLine(const std::string& line) = 0;
    // A fetch's settings file when it goes to standard output, its bytes as they are. Only the
    // one-router fetch does that; the outputs of other runs print the bytes as a line.
    virtual void WriteData(const std::string& bytes) { PrintLine(bytes); }
};

// Runs one router's exchange on the calling thread, whose event loop runs while it waits. Every
// object of the exchange (socket, session, models) lives in this call; `language` is only read, so
// jobs on several threads may each pass their own table. A failure has shown its message through
// `output`, except that a backup's unsupported model shows none.
RouterJobResult RunRouterJob(const RouterJobRequest& request, const LanguageTable& language,
                             RouterJobOutput& output);

}  // namespace dezadav::cli
