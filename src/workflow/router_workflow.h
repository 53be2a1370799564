#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discovery/router_info.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "session/apply_commands.h"
#include "session/router_session.h"
#include "settings/call_log_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/file_writer.h"
#include "settings/router_settings.h"
#include "settings/settings_file.h"
#include "settings/sip_settings.h"
#include "workflow/refresh_schedule.h"
#include "workflow/settings_recorder.h"
#include "workflow/tick_timer.h"
#include "workflow/user_port.h"

namespace dezadav {

// How a Connect sequence ended.
enum class ConnectOutcome {
    Connected,  // settings fetched and handed to the models, refresh running
    Skipped,    // Skip in the router selection: the program goes on without a router
    Cancelled,  // the password confirmation was cancelled (possibly after failed fetches)
    Exited,     // Exit in the router selection: EndProgram() has been called
    Refused,    // another router exchange was running: nothing was done
};

// How one refresh tick ended.
enum class RefreshOutcome {
    Stopped,    // autoRefresh is off: the timer was stopped
    Counted,    // not yet time, an exchange is running or the refresh is blocked: the counter grew
    Refreshed,  // the call log was fetched and merged
    Failed,     // the log fetch failed (its message was shown); the refresh stays blocked
};

// How an Apply flow ended.
enum class ApplyOutcome {
    Applied,    // every command went through; changed flags cleared
    Failed,     // the apply run failed (its message was shown); the refresh stays blocked
    NoChanges,  // no command to send: no login, Message_NoChanges was shown
    Skipped,    // after Skip the selection was left with Skip again: nothing sent
    Cancelled,  // after Skip a router was chosen but its password confirmation cancelled
    Declined,   // the user chose not to apply a file of the other router form, or settings that
                // could not be read were edited (its message was shown): nothing sent
    Exited,     // after Skip the selection was left with Exit: EndProgram() has been called
    Refused,    // another router exchange was running: nothing was done
    NotRecorded,  // the record before the apply could not be written and the user did not choose to
                  // apply without it (Message_HistoryApplyRefused shown): nothing sent
    NotConfirmed,  // the user did not confirm the changes shown before the apply: nothing sent
};

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

// The settings areas the router's answers may fail to hold.
struct UnreadAreas {
    bool dialPlan = false;
    bool sip = false;
    bool codec = false;
    bool Any() const { return dialPlan || sip || codec; }
};

// The router workflow: the main line of the program, carried out for the main window (or for
// dezadav-cli). It holds the workflow state — current router, strip, skip mark and the four
// models — and runs the flows the window's events start: ConnectSequence (timer 0, Search Again),
// RefreshTick (timer 3), ApplyFlow (Apply to Router, Enter), SaveAllFlow, LoadFlow,
// LoadSettingsFile / DropFile. When the automatic refresh is due (autoRefresh, refreshSeconds, the
// tick count) its RefreshSchedule decides. It talks to the user only through its UserPort; every
// router exchange is one run of the session (`RouterSession`).
//
// Everything runs on one thread, and every wait of an exchange dispatches events, so a click, a
// tick or another copy's request can enter a flow in the middle of an exchange. One exchange at a
// time: ConnectSequence and ApplyFlow refuse while one runs (a nested flow could not wait for it,
// since the running exchange only goes on once the nested one returns), and a refresh tick only
// counts.
class RouterWorkflow {
public:
    // All references must outlive the workflow. `session` is run for every router exchange;
    // `refreshTimer` is the refresh timer, whose handler is set here to RefreshTick.
    // `files` writes every file a flow saves.
    RouterWorkflow(const LanguageTable& language, UserPort& port, RouterSession& session,
                   TickTimer& refreshTimer, FileWriter& files);

    // --- flows ------------------------------------------------------------------------------------

    // Select a router, confirm its password, fetch all its settings and hand them to the models.
    // A failed fetch brings the confirmation back with the same router. When Exit or another router
    // would lose edits that were neither applied nor saved, the user is asked first
    // (UserPort::AskAboutUnsavedEdits): Cancel stays with the router and its edits (Cancelled).
    ConnectOutcome ConnectSequence();

    // One tick of the refresh timer. With refreshSeconds s the log is fetched on the (s + 2)-th tick
    // after the counter was reset; while an exchange runs, the refresh is blocked or the user is in a
    // dialog (UserPort::UserIsInDialog), ticks only count.
    RefreshOutcome RefreshTick();

    // Apply to Router. After Skip the router selection and the password confirmation run first,
    // then the chosen router's settings are read as a fetch reads them, keeping what the pages
    // show: the pages are brought into that router's form and the router's SIP and codec rows
    // become the rows the SIP and codec groups are compared with (a group goes out whole when any
    // of its fields differs). Values loaded from a file that showed no router form, not edited
    // since, are read again from that file in the router's form. The window is then connected to
    // that router as after a Connect sequence. When the pages hold a file of the other router form,
    // the user is asked first (UserPort::ApplyDespite). An area whose settings could not be read
    // from the router is never sent; edits to it end the apply with Message_SettingsUnread. When
    // there is no command to send (nothing edited, or edits typed back to the router's values) the
    // router is not contacted and the user is told so. Otherwise the fields the apply changes
    // (SettingsRecorder::ApplyPreview) are shown for confirmation (UserPort::ConfirmChanges) before anything is sent.
    ApplyOutcome ApplyFlow();

    // What an apply to the router of the strip would send: the pages' values against what the
    // router holds (Router()), once the user has accepted a file of the other router form: the
    // changed dial-plan entries except those equal to what the router holds, the SIP group whole when
    // any SIP field differs from the router's row, the codec group likewise. Nothing when the apply
    // may not go on (the file declined, or an area that could not be read edited; its message shown).
    // The one plan of an apply: ApplyFlow sends it, a dry run prints it.
    std::optional<ApplyPlan> PlanApply();

    // Save All: asks for a file and writes the whole settings file to it. A file that cannot be
    // written shows Message_SaveFail.
    FileOutcome SaveAllFlow();

    // Load: asks for a file and loads it (LoadSettingsFile).
    FileOutcome LoadFlow();

    // Reads a settings file into the models section by section (LoadSettingsText); each failing section shows
    // Message_FileFail. A file that cannot be opened ends the load without a message; one that
    // holds no section shows Message_FileFail and changes nothing.
    FileOutcome LoadSettingsFile(const std::string& path);
    // The same for a settings text already read (standard input, a file checked before any login);
    // `source` names it in a refusal.
    FileOutcome LoadSettingsText(std::string bytes, const std::string& source);

    // Why the last file flow failed, in the system's words (or "no settings section"), for front
    // ends that show more than the message box; empty after a flow that did not fail.
    const std::string& LastFileProblem() const { return m_lastFileProblem; }

    // A file dropped on the main window: loaded when its path contains ".csv" anywhere
    // (case-sensitive), else ignored (Cancelled).
    FileOutcome DropFile(const std::string& path);

    // --- the history of the router's settings ---------------------------------------------------------

    // Records, the preview before an apply, the records of the router of the strip and the one Undo
    // goes back to (see SettingsRecorder). Every full fetch records what the router holds when it
    // differs from its last record; every apply that sends commands records it right before and after
    // (after one that stopped part-way: what went through). Settings of an area that could not be read
    // are never recorded. A record that cannot be written after a fetch or apply shows
    // Message_HistoryNotRecorded; one before an apply asks UserPort::ApplyWithoutRecord.
    SettingsRecorder& Recorder() { return m_recorder; }
    const SettingsRecorder& Recorder() const { return m_recorder; }
    // The router of the strip as the history keys it (by MAC, by IP without one).
    HistoryRouter HistoryKey() const;
    // Loads the settings of record `id` of the router of the strip into the pages as a settings file
    // is loaded, so that the next apply writes them. OpenFailed (LastFileProblem() says why) when
    // there is no history or no such record.
    FileOutcome RestoreRecord(const std::string& id);
    // The record Undo goes back to (SettingsRecorder::UndoRecord for the router of the strip); empty
    // when there is none, after Skip and without a router.
    std::string RecordBeforeLastApply() const;
    // Undo of the last completed apply: the record taken right before it is loaded into the pages and
    // applied as every apply is (with its confirmation). An undo that sends nothing (not confirmed, no
    // change, the record unreadable) gives the pages back exactly what they held. Message_NothingToUndo
    // (NoChanges) when there is no such record; NoChanges without a message after Skip (the next apply
    // would ask for a router, perhaps another one).
    ApplyOutcome UndoLastApply();

    // --- the log page's Auto Refresh box -----------------------------------------------------------

    // A click on the box (and the tail of EnableAutoRefresh): autoRefresh := ticked, then the main
    // window's notification: start the refresh timer (1000 ms) when ticked, stop it otherwise; the
    // counter restarts at 0 either way.
    void SetAutoRefresh(bool ticked);

    // The page's EnableAutoRefresh: the box shows autoRefresh and is enabled or disabled as told,
    // then the same steps as a click follow.
    void EnableAutoRefresh(bool enable);

    // The refresh list's choice (10..180 s). Takes effect from the next tick; the counter is kept.
    void SetRefreshSeconds(int seconds) { m_refresh.SetIntervalSeconds(seconds); }

    // --- how exchanges are made -------------------------------------------------------------------

    // The routers' command-line port (kTelnetPort unless overridden).
    void SetTelnetPort(uint16_t port) { m_telnetPort = port; }
    // Every wait of every exchange is this many times as long (1 to 20).
    void SetTimeScale(double scale) { m_timeScale = scale; }
    // False while the main window is hidden in the tray: log refreshes then show no progress. A
    // window shown during such a refresh gets the progress (and its input hold) at once.
    void SetMainWindowVisible(bool visible);
    bool MainWindowVisible() const { return m_mainWindowVisible; }

    // --- state ------------------------------------------------------------------------------------

    const RouterInfo& CurrentRouter() const { return m_currentRouter; }
    const RouterStrip& Strip() const { return m_strip; }
    bool SkipMark() const { return m_skipMark; }
    int32_t RefreshCounter() const { return m_refresh.Count(); }
    // True for the duration of a router exchange.
    bool ExchangeRunning() const { return m_exchangeRunning; }
    // Set by a failed fetch, refresh or apply, cleared by the next one that succeeds: no automatic
    // refresh starts meanwhile.
    bool RefreshBlocked() const { return m_refresh.Blocked(); }
    bool AutoRefresh() const { return m_refresh.On(); }
    bool AutoRefreshEnabled() const { return m_autoRefreshEnabled; }
    int RefreshSeconds() const { return m_refresh.IntervalSeconds(); }
    // The two-port test on the strip's Model field.
    bool IsTwoPort() const;
    // The language the pages are shown in.
    const LanguageTable& Language() const { return m_language; }

    // Reads a JSON settings document (a text whose first byte past white space is "{") over `base`, a
    // settings text in the form `twoPort`: the settings text it stands for, or nothing with `problem`
    // set. Given by the front end (the syntax is read with QtCore); without one, a document is no
    // settings file.
    using SettingsDocumentReader = std::function<std::optional<std::string>(
        std::string_view document, std::string_view base, bool twoPort, std::string& problem)>;
    void SetDocumentReader(SettingsDocumentReader reader) { m_documentReader = std::move(reader); }
    // The areas the last full fetch could not read (Message_SettingsUnread was shown).
    UnreadAreas Unread() const { return m_unread; }
    // What the router of the strip holds, as last read from it or written to it.
    const RouterSettings& Router() const { return m_router; }
    // True when the dial plan, SIP or codec values differ from what they were when last fetched,
    // applied, saved to or loaded from a file: leaving now would lose them.
    bool HasUnsavedEdits() const { return EditableText() != m_syncedEdits; }

    RouterSession& Session() { return m_session; }
    DialPlanTable& DialPlan() { return m_dialPlan; }
    SipSettings& Sip() { return m_sip; }
    CodecSettings& Codec() { return m_codec; }
    CallLogTable& CallLog() { return m_callLog; }
    const DialPlanTable& DialPlan() const { return m_dialPlan; }
    const SipSettings& Sip() const { return m_sip; }
    const CodecSettings& Codec() const { return m_codec; }
    const CallLogTable& CallLog() const { return m_callLog; }
    SettingsModels Models() { return SettingsModels{m_dialPlan, m_sip, m_codec, m_callLog}; }

    // The bytes Save All writes for the models as they are now.
    std::string SettingsFileText();
    // The field whose value a settings file cannot hold (a line break in it) and why, when there is
    // one: nothing may then be written (SaveAllFlow refuses with Message_SaveFail).
    std::optional<std::string> UnwritableValue() const;

private:
    // What the workflow keeps of the last loaded file while it matters to an apply.
    struct LoadedFile {
        std::string text;
        std::optional<bool> twoPort;  // the form the file shows, nothing when it shows none
        // The pages' SIP and codec fields right after the load, to tell whether they were edited.
        std::vector<std::string> sipFields;
        std::vector<std::string> codecFields;
    };
    // What the router holds as last read, and the pages, as they were before a Connect sequence:
    // a cancelled connection to another router returns to them.
    struct ShownRouter {
        RouterInfo router;
        RouterStrip strip;
        bool skipMark = false;
        bool refreshBlocked = false;
        bool sipTwoPort = false;
    };
    ShownRouter Shown() const;
    void ReturnTo(const ShownRouter& shown);
    // The pages' SIP and codec values from the loaded file, read in the router's form, when they
    // came from a file that showed no form and were not edited since (`sipKept`, `codecKept`).
    void RereadFormlessFile(bool sipKept, bool codecKept);
    // True when the apply may go on as far as the loaded file's form is concerned: it matches the
    // router's, shows none, or the user accepted what is lost.
    bool AcceptFileForm();
    // Message_SettingsUnread with the areas named, when any.
    void ReportUnread(UnreadAreas areas);
    // Runs the session in `mode` (sending `plan` in apply mode) on the strip's router with the
    // confirmed password: shows the progress text unless the run is a silent log refresh, runs it,
    // hides the progress.
    SessionResult RunSession(SessionMode mode, ApplyPlan plan = {});
    // Step 8 of the Connect sequence: every fetched text to its model, in the fixed order; what was
    // read becomes what the router holds.
    void HandOverFetchedTexts(const FetchedTexts& fetched);
    // Confirms the current router's password and fetches all its settings, asking again after a
    // failed fetch. Nothing when the confirmation was cancelled.
    std::optional<FetchedTexts> ConfirmAndFetch();
    // After Skip: the fetched settings become what the router holds, while the pages keep their
    // values, brought into the fetched router's form (`pagesTwoPort`: the form they were in).
    void TakeRouterRowsKeepingPages(bool pagesTwoPort, const FetchedTexts& fetched);
    // The pages' values an apply writes (step 2 of the apply).
    ApplyTexts PagesToApply();
    // Step 5: the confirmed router becomes the strip and the current router.
    void ConfirmRouter(const std::string& password);
    void SetStripFromCurrentRouter();
    void CopySelectedFields(const RouterInfo& selected);
    void ShowMessage(const MessageText& text);
    // The values an edit can change (the call log aside), in a form that does not depend on the
    // language; and the mark that they are now fetched, applied, saved or loaded.
    std::string EditableText() const;
    void MarkEditsSynced() { m_syncedEdits = EditableText(); }
    void ShowAutoRefresh();
    // The bytes of a settings file, read: what LoadSettingsFile does once it has them.
    FileOutcome LoadSettingsBytes(std::string bytes, const std::string& source = {});
    // What the pages hold and what an undo may change of the workflow's state: one value, so that an
    // undo that sent nothing puts all of it back.
    struct PagesState {
        DialPlanTable dialPlan;
        SipSettings sip;
        CodecSettings codec;
        std::optional<LoadedFile> loadedFile;
        std::string syncedEdits;
    };
    PagesState SavePages() const { return PagesState{m_dialPlan, m_sip, m_codec, m_loadedFile, m_syncedEdits}; }
    void PutPagesBack(PagesState pages);
    // Records what the router holds under `cause`; nothing when there is no history, nothing known to
    // record, or an area could not be read.
    std::optional<HistoryOutcome> RecordRouter(HistoryCause cause, bool onlyWhenChanged);
    // Before the pages' unapplied, unsaved edits would be lost: true when the user lets them go
    // (discarded, or applied first); false to stay with the router and its edits.
    bool MayDropEdits();
    // Message_HistoryNotRecorded when `outcome` failed.
    void ReportNotRecorded(const std::optional<HistoryOutcome>& outcome);
    // The record right before an apply; false when the apply must not go on (its message shown).
    bool RecordBeforeApply();
    // ApplyFlow, the router's settings after it recorded under `appliedCause` (AfterApply, or Undo
    // for an undo's apply, told apart so that it is not taken for the user's own).
    ApplyOutcome ApplyAs(HistoryCause appliedCause);

    const LanguageTable& m_language;
    UserPort& m_port;
    RouterSession& m_session;
    // When the automatic refresh is due; the timer it runs has RefreshTick as its handler.
    RefreshSchedule m_refresh;

    FileWriter& m_files;
    std::string m_lastFileProblem;
    std::optional<LoadedFile> m_loadedFile;
    SettingsDocumentReader m_documentReader;
    UnreadAreas m_unread;

    RouterInfo m_currentRouter;
    RouterStrip m_strip;
    bool m_skipMark = false;
    bool m_exchangeRunning = false;
    // The mode of the running exchange, and whether its progress is on screen.
    SessionMode m_runningMode = SessionMode::GetSettings;
    bool m_progressShown = false;
    uint16_t m_telnetPort = kTelnetPort;
    double m_timeScale = 1.0;
    bool m_mainWindowVisible = true;

    DialPlanTable m_dialPlan;
    SipSettings m_sip;
    CodecSettings m_codec;
    CallLogTable m_callLog;
    // What the router holds: what the pages are compared with when they are applied.
    RouterSettings m_router;

    std::string m_syncedEdits;  // EditableText() at the last fetch, apply, save or load

    // Records what the router holds (m_router), never the pages.
    SettingsRecorder m_recorder;

    bool m_autoRefreshEnabled = true;
};

}  // namespace dezadav
