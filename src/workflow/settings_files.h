#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "settings/file_writer.h"
#include "workflow/connected_router.h"
#include "workflow/settings_pages.h"
#include "workflow/user_port.h"

namespace dezadav {

// How a Save All, Load or file-drop flow ended.
enum class FileOutcome {
    Done,           // written, or read with every section accepted
    Cancelled,      // the file choice was cancelled, or a dropped file is no settings file
    OpenFailed,     // the file could not be opened (saving: Message_SaveFail was shown;
                    // loading: nothing is shown)
    SectionFailed,  // read, but at least one section reader failed (Message_FileFail shown each)
    Refused,        // read, but a field holds a value the program never writes there: Message_FileRefused
                    // shown with the file, line, field and value (LastFileProblem); nothing loaded
    NotSettings,    // read, but it holds no settings section: Message_FileFail shown, nothing loaded
};

// The file flows of the window and the command line: Save All, Load, a dropped file, and a settings
// text read elsewhere (standard input, a history record) going into the pages. Pages tied to a
// router keep its form; pages tied to none take the form a file shows.
class SettingsFiles {
public:
    // All references must outlive this; `files` writes every file a flow saves.
    SettingsFiles(const LanguageTable& language, UserPort& port, FileWriter& files, SettingsPages& pages,
                  const ConnectedRouter& connected);

    // Save All: asks for a file and writes the whole settings file to it. A file that cannot be
    // written shows Message_SaveFail.
    FileOutcome SaveAllFlow();
    // Load: asks for a file and loads it (LoadSettingsFile).
    FileOutcome LoadFlow();
    // Reads a settings file into the models section by section (LoadSettingsText); each failing section
    // shows Message_FileFail. A file that cannot be opened ends the load without a message; one that
    // holds no section shows Message_FileFail and changes nothing.
    FileOutcome LoadSettingsFile(const std::string& path);
    // The same for a settings text already read (standard input, a file checked before any login, a
    // history record); `source` names it in a refusal.
    FileOutcome LoadSettingsText(std::string bytes, const std::string& source);
    // A file dropped on the main window: loaded when its path contains ".csv" anywhere
    // (case-sensitive), or ".json" with a document reader, else ignored (Cancelled).
    FileOutcome DropFile(const std::string& path);

    // Why the last file flow failed, in the system's words (or "no settings section"), for front
    // ends that show more than the message box; empty after a flow that did not fail.
    const std::string& LastFileProblem() const { return m_lastFileProblem; }
    void SetLastFileProblem(std::string problem) { m_lastFileProblem = std::move(problem); }

    // The bytes Save All writes for the models as they are now.
    std::string SettingsFileText();
    // The field whose value a settings file cannot hold (a line break in it) and why, when there is
    // one: nothing may then be written (SaveAllFlow refuses with Message_SaveFail).
    std::optional<std::string> UnwritableValue() const;

    // Reads a JSON settings document (a text whose first byte past white space is "{") over `base`, a
    // settings text in the form `twoPort`: the settings text it stands for, or nothing with `problem`
    // set. Given by the front end (the syntax is read with QtCore); without one, a document is no
    // settings file.
    using SettingsDocumentReader = std::function<std::optional<std::string>(
        std::string_view document, std::string_view base, bool twoPort, std::string& problem)>;
    void SetDocumentReader(SettingsDocumentReader reader) { m_documentReader = std::move(reader); }

    // Once a router is known after Skip: the SIP (`sip`) and codec (`codec`) values of a loaded file
    // that showed no form, not edited since, are read again from it in the router's form.
    void ReadFormlessFileAgain(bool sip, bool codec);

private:
    // Message_FileRefused with `problem` (kept as LastFileProblem).
    FileOutcome Refuse(std::string problem);

    const LanguageTable& m_language;
    UserPort& m_port;
    FileWriter& m_files;
    SettingsPages& m_pages;
    const ConnectedRouter& m_connected;
    std::string m_lastFileProblem;
    SettingsDocumentReader m_documentReader;
};

}  // namespace dezadav
