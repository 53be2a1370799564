#pragma once

#include <optional>
#include <string>

#include "history/settings_history.h"
#include "lang/language_table.h"
#include "session/apply_commands.h"
#include "session/router_session.h"
#include "settings/file_writer.h"
#include "settings/router_settings.h"
#include "workflow/connected_router.h"
#include "workflow/fetch_handover.h"
#include "workflow/refresh_schedule.h"
#include "workflow/router_exchange.h"
#include "workflow/settings_files.h"
#include "workflow/settings_pages.h"
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

// The router workflow: the main line of the program, carried out for the main window (or for
// dezadav-cli) against one router. It holds which router is connected (`ConnectedRouter`), what
// that router holds (`RouterSettings`) and the pages (`SettingsPages`), and runs the flows the
// window's events start: ConnectSequence (timer 0, Search Again), RefreshTick (timer 3), ApplyFlow
// (Apply to Router, Enter), UndoLastApply and the restore of a record. The file flows (Save All,
// Load, a dropped file) are its SettingsFiles; exchanges are made by its RouterExchange, one run of
// the session (`RouterSession`) each; records and the preview of an apply by its SettingsRecorder.
// When the automatic refresh is due (autoRefresh, refreshSeconds, the tick count) its
// RefreshSchedule decides. It talks to the user only through its UserPort.
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
    RouterWorkflow(const RouterWorkflow&) = delete;
    RouterWorkflow& operator=(const RouterWorkflow&) = delete;

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
    // (SettingsRecorder::ApplyPreview) are shown for confirmation (UserPort::ConfirmChanges) before
    // anything is sent.
    ApplyOutcome ApplyFlow();

    // What an apply to the connected router would send: the pages' values against what the router
    // holds (Router()), once the user has accepted a file of the other router form: the changed
    // dial-plan entries except those equal to what the router holds, the SIP group whole when any
    // SIP field differs from the router's row, the codec group likewise. Nothing when the apply may
    // not go on (the file declined, or an area that could not be read edited; its message shown).
    // The one plan of an apply: ApplyFlow sends it, a dry run prints it.
    std::optional<ApplyPlan> PlanApply();

    // Undo of the last completed apply: the record taken right before it is loaded into the pages and
    // applied as every apply is (with its confirmation). An undo that sends nothing (not confirmed, no
    // change, the record unreadable) gives the pages back exactly what they held. Message_NothingToUndo
    // (NoChanges) when there is no such record; NoChanges without a message after Skip (the next apply
    // would ask for a router, perhaps another one).
    ApplyOutcome UndoLastApply();

    // Loads the settings of record `id` of the connected router into the pages as a settings file is
    // loaded, so that the next apply writes them. OpenFailed (Files().LastFileProblem() says why)
    // when there is no history or no such record.
    FileOutcome RestoreRecord(const std::string& id);

    // The record Undo goes back to (SettingsRecorder::UndoRecord for the connected router); empty
    // when there is none, after Skip and without a router.
    std::string RecordBeforeLastApply() const;

    // --- the log page's Auto Refresh box -----------------------------------------------------------

    // A click on the box (and the tail of EnableAutoRefresh): autoRefresh := ticked, then the main
    // window's notification: start the refresh timer (1000 ms) when ticked, stop it otherwise; the
    // counter restarts at 0 either way.
    void SetAutoRefresh(bool ticked);
    // The page's EnableAutoRefresh: the box shows autoRefresh and is enabled or disabled as told,
    // then the same steps as a click follow.
    void EnableAutoRefresh(bool enable);
    bool AutoRefreshEnabled() const { return m_autoRefreshEnabled; }
    // The refresh list's choice (10..180 s). Takes effect from the next tick; the counter is kept.
    void SetRefreshSeconds(int seconds) { m_refresh.SetIntervalSeconds(seconds); }
    // Whether the refresh is on, blocked (by a failed fetch, refresh or apply, until one succeeds),
    // its interval and its tick count.
    const RefreshSchedule& Refresh() const { return m_refresh; }

    // --- what the workflow works on -----------------------------------------------------------------

    // The router connected (its strip, password, form and history key) and the skip mark.
    const ConnectedRouter& Connected() const { return m_connected; }
    // What the connected router holds, as last read from it or written to it.
    const RouterSettings& Router() const { return m_router; }
    // The areas the last full fetch could not read (Message_SettingsUnread was shown).
    UnreadAreas Unread() const { return m_unread; }
    // The four pages' models and what stands behind them.
    SettingsPages& Pages() { return m_pages; }
    const SettingsPages& Pages() const { return m_pages; }
    // Save All, Load, a dropped file, a settings text read elsewhere.
    SettingsFiles& Files() { return m_files; }
    // How exchanges are made (port, time scale, whether the window is visible) and whether one runs.
    RouterExchange& Exchange() { return m_exchange; }
    const RouterExchange& Exchange() const { return m_exchange; }
    // Records, the preview before an apply, the records of the connected router and the one Undo
    // goes back to. Every full fetch records what the router holds when it differs from its last
    // record; every apply that sends commands records it right before and after (after one that
    // stopped part-way: what went through). Settings of an area that could not be read are never
    // recorded. A record that cannot be written after a fetch or apply shows
    // Message_HistoryNotRecorded; one before an apply asks UserPort::ApplyWithoutRecord.
    SettingsRecorder& Recorder() { return m_recorder; }
    const SettingsRecorder& Recorder() const { return m_recorder; }

private:
    // The router shown, and the pages' form, before a Connect sequence: a cancelled connection to
    // another router returns to them.
    struct ShownRouter {
        ConnectedRouter connected;
        bool refreshBlocked = false;
        bool sipTwoPort = false;
    };
    ShownRouter Shown() const;
    void ReturnTo(const ShownRouter& shown);

    // --- steps of the flows ---
    // Confirms `candidate`'s password and fetches all its settings, asking again after a failed
    // fetch; the confirmed router becomes the connected one. Nothing when the confirmation was
    // cancelled.
    std::optional<FetchedTexts> ConfirmAndFetch(const RouterInfo& candidate);
    // The connected router becomes `router` (with its confirmed password): the strip shows it.
    void Connect(const RouterInfo& router);
    // After a full fetch: the refresh runs again, the confirmation closes.
    void FinishFetch();
    // After Skip, the first steps of an apply: a router chosen, confirmed and read, the pages kept.
    // Nothing when the apply goes on, else how it ended.
    std::optional<ApplyOutcome> ConnectBeforeApply();
    // The rest of ApplyFlow, the router's settings after it recorded under `appliedCause` (AfterApply,
    // or Undo for an undo's apply, told apart so that it is not taken for the user's own).
    ApplyOutcome ApplyAs(HistoryCause appliedCause);
    // True when the apply may go on as far as the loaded file's form is concerned: it matches the
    // router's, shows none, or the user accepted what is lost.
    bool AcceptFileForm();
    // Before the pages' unapplied, unsaved edits would be lost: true when the user lets them go
    // (discarded, or applied first); false to stay with the router and its edits.
    bool MayDropEdits();
    // Runs the exchange; a failure blocks the automatic refresh until an exchange succeeds.
    SessionResult RunSession(SessionMode mode, ApplyPlan plan = {});

    // --- what is told and recorded ---
    // Message_SettingsUnread with the areas named, when any.
    void ReportUnread(UnreadAreas areas);
    // Records what the router holds under `cause`; nothing when there is no history, nothing known to
    // record, or an area could not be read.
    std::optional<HistoryOutcome> RecordRouter(HistoryCause cause, bool onlyWhenChanged);
    // Message_HistoryNotRecorded when `outcome` failed.
    void ReportNotRecorded(const std::optional<HistoryOutcome>& outcome);
    // The record right before an apply; false when the apply must not go on (its message shown).
    bool RecordBeforeApply();
    void ShowAutoRefresh();

    const LanguageTable& m_language;
    UserPort& m_port;
    // When the automatic refresh is due; the timer it runs has RefreshTick as its handler.
    RefreshSchedule m_refresh;
    bool m_autoRefreshEnabled = true;

    ConnectedRouter m_connected;
    // What the router holds: what the pages are compared with when they are applied, and what is
    // recorded.
    RouterSettings m_router;
    UnreadAreas m_unread;
    SettingsPages m_pages;
    SettingsFiles m_files;
    RouterExchange m_exchange;
    // Records what the router holds (m_router), never the pages.
    SettingsRecorder m_recorder;
};

}  // namespace dezadav
