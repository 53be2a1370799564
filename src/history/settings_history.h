#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// Why a router's settings were recorded. Undo is what the router holds after an undo of an apply
// went through (an apply as well, told apart so that it is not taken for the user's own).
// FailedApply: what the router holds after an apply that stopped part-way (what was read before it
// plus the commands that went through).
enum class HistoryCause { Fetch, BeforeApply, AfterApply, Backup, Undo, FailedApply };

// "fetch", "before apply", "after apply", "backup", "undo", "after failed apply": the word a record's
// message and listings use.
std::string_view HistoryCauseWord(HistoryCause cause);
std::optional<HistoryCause> HistoryCauseFromWord(std::string_view word);

// The router a record belongs to. Records are kept per MAC address; a router whose MAC is not
// known is kept by its IP address.
struct HistoryRouter {
    std::string macAddress;  // "XX-XX-XX-XX-XX-XX" or empty
    std::string ipAddress;
    std::string modelName;

    // The MAC address, or the IP address without one: how records and backups name the router.
    std::string Name() const { return macAddress.empty() ? ipAddress : macAddress; }
    // "<Name>.csv", the name a backup gives the same router's file.
    std::string FileName() const { return Name() + ".csv"; }
};

// One record of one router, as a listing shows it.
struct HistoryEntry {
    std::string id;         // the record's commit, 40 hexadecimal digits
    std::int64_t time = 0;  // seconds since the epoch
    HistoryCause cause = HistoryCause::Fetch;
    std::string model;
};

// What recording did: `problem` says why nothing could be recorded (in English, for a message's
// detail; a record counts as made only once it has been read back); `recorded` is false also when the
// settings equal the router's last record and the caller asked to record changes only.
struct HistoryOutcome {
    bool recorded = false;
    std::string id;
    std::optional<std::string> problem;
    // Something the store put right on the way that the user should hear of (a lock left by a run that
    // ended, removed).
    std::optional<std::string> notice;
};

// The message of a record: a summary line, then one "Name: value" line each for the router, its
// address, model, the cause and the program that recorded it.
std::string HistoryMessage(const HistoryRouter& router, HistoryCause cause, std::string_view program);

// The value of the "Name: " line of a record's message; nothing when the line is missing.
std::optional<std::string> HistoryMessageField(std::string_view message, std::string_view name);

// The record taken right before the newest completed apply among `newestFirst` (a router's records,
// newest first): the "before apply" record right below the newest "after apply" or "undo" one, the one rule of
// the window's Undo and `restore --to before-last-apply`. Nothing when no apply has completed since
// the records began, or when that apply's "before apply" record is missing (`beforeMissing` then set):
// an older one would undo more than the last apply.
std::optional<std::string> BeforeLastApplyId(const std::vector<HistoryEntry>& newestFirst,
                                             bool* beforeMissing = nullptr);

// Every version of every router's settings (in the settings file's form, without the call log).
// Safe to use from several threads at once.
class SettingsHistory {
public:
    virtual ~SettingsHistory() = default;

    // Records `settingsText` as the router's settings now. With `onlyWhenChanged`, settings equal to
    // the router's last record are not recorded again.
    virtual HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                                  bool onlyWhenChanged) = 0;

    // The router's records, newest first; `problem` is set when they cannot be read.
    virtual std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>* problem) = 0;

    // The settings a record of the router holds; nothing (with `problem` set) for an unknown record.
    virtual std::optional<std::string> SettingsAt(const HistoryRouter& router, const std::string& id,
                                                  std::optional<std::string>* problem) = 0;
};

}  // namespace dezadav
