#include "workflow/router_workflow.h"

#include "history/record_changes.h"
#include "session/apply_commands.h"

namespace dezadav {

RouterWorkflow::RouterWorkflow(const LanguageTable& language, UserPort& port, RouterSession& session,
                               TickTimer& refreshTimer, FileWriter& files)
    : m_language(language),
      m_port(port),
      m_refresh(refreshTimer),
      m_pages(language),
      m_files(language, port, files, m_pages, m_connected),
      m_exchange(language, port, session, m_connected),
      m_recorder(language) {
    refreshTimer.SetHandler([this] { RefreshTick(); });
}

// --- connecting ------------------------------------------------------------------------------------

ConnectOutcome RouterWorkflow::ConnectSequence() {
    if (m_exchange.Running()) return ConnectOutcome::Refused;
    m_port.FadeInAndCaption();

    RouterSelection selection = m_port.SelectRouter();
    // Skip keeps the pages; leaving the program or fetching a router over them would lose their edits.
    if (selection.outcome != SelectionOutcome::Skip && !MayDropEdits()) return ConnectOutcome::Cancelled;
    if (selection.outcome == SelectionOutcome::Exit) {
        m_connected.skipMark = false;
        m_port.EndProgram();
        return ConnectOutcome::Exited;
    }
    if (selection.outcome == SelectionOutcome::Skip) {
        m_connected.skipMark = true;
        m_refresh.SetOn(false);
        EnableAutoRefresh(false);
        return ConnectOutcome::Skipped;
    }
    const ShownRouter before = Shown();
    const std::optional<FetchedTexts> fetched = ConfirmAndFetch(selection.router);
    if (!fetched) {
        m_port.ClosePasswordConfirmation();
        ReturnTo(before);
        return ConnectOutcome::Cancelled;
    }
    if (m_connected.router.macAddress.empty()) {
        // Its records follow the router's MAC as soon as it is known.
        RouterInfo learned = m_connected.router;
        learned.macAddress = m_port.LearnedMacAddress();
        if (!learned.macAddress.empty()) Connect(learned);
    }
    m_refresh.SetOn(true);
    // The pages now show the router; a file loaded earlier no longer stands behind them.
    m_pages.SetLoaded(std::nullopt);
    m_unread = HandOverFetchedTexts(*fetched, m_connected, m_pages, m_router, m_port);
    EnableAutoRefresh(true);
    m_pages.MarkEditsSynced();
    m_port.ModelsChanged();
    ReportUnread(m_unread);
    FinishFetch();
    ReportNotRecorded(RecordRouter(m_recorder.FetchCause(), true));
    return ConnectOutcome::Connected;
}

std::optional<FetchedTexts> RouterWorkflow::ConfirmAndFetch(const RouterInfo& candidate) {
    RouterInfo shown = candidate;
    shown.password.clear();
    while (true) {
        std::optional<std::string> password = m_port.ConfirmPassword(shown);
        if (!password) return std::nullopt;
        RouterInfo confirmed = shown;
        confirmed.password = *password;
        Connect(confirmed);

        SessionResult result = RunSession(SessionMode::GetSettings);
        if (result.ok) return std::move(result.fetched);
        // The failure has been shown; the confirmation opens again with the same router.
    }
}

void RouterWorkflow::Connect(const RouterInfo& router) {
    m_connected = ConnectedRouter{router, false};
    // The SIP row's meaning of the port-1 registration value follows the router form on the strip.
    m_pages.Sip().SetTwoPort(m_connected.IsTwoPort());
    m_port.ShowStrip(m_connected.Strip());
}

void RouterWorkflow::FinishFetch() {
    m_refresh.SetBlocked(false);
    m_refresh.StartIfOn();
    m_port.ClosePasswordConfirmation();
}

RouterWorkflow::ShownRouter RouterWorkflow::Shown() const {
    return ShownRouter{m_connected, m_refresh.Blocked(), m_pages.Sip().IsTwoPort()};
}

void RouterWorkflow::ReturnTo(const ShownRouter& shown) {
    // The confirmation of another router was cancelled (perhaps after a rejected password): the
    // window goes back to the router its pages belong to, with that router's password, so that no
    // later exchange sends the rejected one unasked or writes one router's pages to another.
    m_connected = shown.connected;
    m_refresh.SetBlocked(shown.refreshBlocked);
    m_pages.Sip().SetTwoPort(shown.sipTwoPort);
    m_port.ShowStrip(m_connected.Strip());
    if (m_connected.router.ipAddress.empty() && !m_connected.skipMark) {
        // No router before: the state after Skip, so that the next apply asks for a router.
        m_connected.skipMark = true;
        m_refresh.SetOn(false);
        EnableAutoRefresh(false);
    }
}

SessionResult RouterWorkflow::RunSession(SessionMode mode, ApplyPlan plan) {
    SessionResult result = m_exchange.Run(mode, std::move(plan));
    // A failure leaves the automatic refresh blocked until an exchange succeeds.
    if (!result.ok) m_refresh.SetBlocked(true);
    return result;
}

void RouterWorkflow::ReportUnread(UnreadAreas areas) {
    if (!areas.Any()) return;
    std::string detail;
    for (const auto& [unread, name] : {std::pair{areas.dialPlan, &kMsgAreaDialPlan}, std::pair{areas.sip, &kMsgAreaSip},
                                       std::pair{areas.codec, &kMsgAreaCodec}}) {
        if (unread) detail += "\n" + TextOrDefault(m_language, *name);
    }
    ShowMessageWithDetail(m_language, m_port.Messages(), kMsgSettingsUnread, detail);
}

bool RouterWorkflow::MayDropEdits() {
    if (!m_pages.HasUnsavedEdits()) return true;
    switch (m_port.AskAboutUnsavedEdits()) {
        case UnsavedEditsChoice::Discard:
            return true;
        case UnsavedEditsChoice::Cancel:
            return false;
        case UnsavedEditsChoice::Apply:
            break;
    }
    // The edits go to the router they were made for; a failed apply has shown its message and they
    // stay for another try.
    const ApplyOutcome outcome = ApplyFlow();
    return outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NoChanges;
}

// --- the automatic refresh ---------------------------------------------------------------------------

RefreshOutcome RouterWorkflow::RefreshTick() {
    // The progress window of a refresh must not come up over a dialog the user is answering (it
    // would take the click or the key meant for it): the refresh waits like behind a running
    // exchange and starts at the first tick after the dialog has closed.
    switch (m_refresh.Tick(m_exchange.Running() || m_port.UserIsInDialog())) {
        case RefreshSchedule::TickVerdict::Stopped:
            return RefreshOutcome::Stopped;
        case RefreshSchedule::TickVerdict::Counted:
            return RefreshOutcome::Counted;
        case RefreshSchedule::TickVerdict::Due:
            break;
    }
    const SessionResult result = RunSession(SessionMode::GetVoipLog);
    const bool ok = result.ok;
    if (ok) {
        m_pages.CallLog().MergeCallLog(result.fetched.callLog);
        m_refresh.SetBlocked(false);
        m_port.ModelsChanged();
    }
    m_refresh.Resume();
    return ok ? RefreshOutcome::Refreshed : RefreshOutcome::Failed;
}

void RouterWorkflow::SetAutoRefresh(bool ticked) {
    m_refresh.SetOn(ticked);
    ShowAutoRefresh();
    m_refresh.Restart();
}

void RouterWorkflow::EnableAutoRefresh(bool enable) {
    m_autoRefreshEnabled = enable;
    SetAutoRefresh(m_refresh.On());
}

void RouterWorkflow::ShowAutoRefresh() {
    m_port.ShowAutoRefresh(m_refresh.On(), m_autoRefreshEnabled);
}

// --- applying ----------------------------------------------------------------------------------------

ApplyOutcome RouterWorkflow::ApplyFlow() {
    return ApplyAs(HistoryCause::AfterApply);
}

std::optional<ApplyOutcome> RouterWorkflow::ConnectBeforeApply() {
    // Values of a file that showed no form were read in whatever form the pages were in; unless
    // edited since, they are read again in the router's form once it is known.
    const std::optional<LoadedFile>& loaded = m_pages.Loaded();
    const bool formless = loaded && !loaded->twoPort;
    const bool sipKept = formless && m_pages.Sip().SipFields() == loaded->sipFields;
    const bool codecKept = formless && m_pages.Codec().CodecFields(true) == loaded->codecFields;
    const ShownRouter before = Shown();
    m_connected.skipMark = false;
    RouterSelection selection = m_port.SelectRouter();
    if (selection.outcome == SelectionOutcome::Skip) {
        m_connected.skipMark = true;
        return ApplyOutcome::Skipped;
    }
    if (selection.outcome == SelectionOutcome::Exit) {
        // Exit would lose the edits this apply was to send: asked like every way out.
        if (m_pages.HasUnsavedEdits()) {
            m_connected.skipMark = true;
            switch (m_port.AskAboutUnsavedEdits()) {
                case UnsavedEditsChoice::Apply:
                    return ApplyFlow();
                case UnsavedEditsChoice::Cancel:
                    return ApplyOutcome::Skipped;
                case UnsavedEditsChoice::Discard:
                    break;
            }
        }
        m_port.EndProgram();
        return ApplyOutcome::Exited;
    }
    // Nothing has been read from this router: without its password the apply could not reach
    // it, and without its settings the pages' values would all be written blind, in whatever
    // router form the pages happen to be in.
    const bool pagesTwoPort = m_pages.Sip().IsTwoPort();
    const std::optional<FetchedTexts> fetched = ConfirmAndFetch(selection.router);
    if (!fetched) {
        m_port.ClosePasswordConfirmation();
        // Still no router read: the pages keep their form and the next apply asks again.
        ReturnTo(before);
        m_connected.skipMark = true;
        return ApplyOutcome::Cancelled;
    }
    m_unread = TakeRouterRowsKeepingPages(*fetched, pagesTwoPort, m_connected, m_pages, m_router, m_port);
    m_refresh.SetOn(true);
    EnableAutoRefresh(true);
    m_port.ModelsChanged();
    ReportUnread(m_unread);
    m_files.ReadFormlessFileAgain(sipKept, codecKept);
    FinishFetch();
    return std::nullopt;
}

std::optional<ApplyPlan> RouterWorkflow::PlanApply() {
    if (!AcceptFileForm()) return std::nullopt;
    ApplyTexts pages = m_pages.ToApply();
    const UnreadAreas edited{m_unread.dialPlan && !pages.dialPlanRows.empty(),
                             m_unread.sip && pages.sipRow != m_router.sipFields,
                             m_unread.codec && pages.codecRow != m_router.codecFields};
    if (edited.Any()) {
        ReportUnread(edited);
        return std::nullopt;
    }
    return BuildApplyPlan(m_router, std::move(pages), m_connected.IsTwoPort());
}

bool RouterWorkflow::AcceptFileForm() {
    const std::optional<LoadedFile>& loaded = m_pages.Loaded();
    if (!loaded || !loaded->twoPort || *loaded->twoPort == m_connected.IsTwoPort()) return true;
    const MessageText& warning = *loaded->twoPort ? kMsgFormTwoPortFile : kMsgFormOnePortFile;
    return m_port.ApplyDespite(TextOrDefault(m_language, warning));
}

ApplyOutcome RouterWorkflow::ApplyAs(HistoryCause appliedCause) {
    if (m_exchange.Running()) return ApplyOutcome::Refused;
    if (m_connected.skipMark) {
        if (const std::optional<ApplyOutcome> ended = ConnectBeforeApply()) return *ended;
    }

    const std::optional<ApplyPlan> plan = PlanApply();
    if (!plan) return ApplyOutcome::Declined;
    // A plan holding a refused value has no commands either; the run refuses it with its message.
    if (plan->commands.empty() && !plan->refusal) {
        m_port.Messages().ShowMessage(TextOrDefault(m_language, kMsgSuccessCaption),
                                      TextOrDefault(m_language, kMsgNoChanges), MessageIcon::None);
        // Every changed entry is one the router is known to hold.
        m_pages.MarkApplied();
        return ApplyOutcome::NoChanges;
    }
    const bool twoPort = m_connected.IsTwoPort();
    if (!plan->refusal &&
        !m_port.ConfirmChanges(m_connected.Strip(), m_recorder.ApplyPreview(m_router, *plan, twoPort)))
        return ApplyOutcome::NotConfirmed;
    // A refused plan sends nothing: there is nothing to undo.
    if (!plan->refusal && !RecordBeforeApply()) return ApplyOutcome::NotRecorded;

    const SessionResult result = RunSession(SessionMode::ApplySettings, *plan);
    // The router holds what it held plus every command it acknowledged.
    RecordApplied(*plan, result.ok, result.commandsApplied, twoPort, m_router);
    if (!result.ok) {
        if (result.commandsApplied > 0) ReportNotRecorded(RecordRouter(HistoryCause::FailedApply, false));
        return ApplyOutcome::Failed;
    }
    m_refresh.SetBlocked(false);
    // The router now holds what the file said; its form is no question any more.
    m_pages.SetLoaded(std::nullopt);
    m_pages.MarkApplied();
    ReportNotRecorded(RecordRouter(appliedCause, false));
    m_port.ModelsChanged();
    return ApplyOutcome::Applied;
}

// --- the history -------------------------------------------------------------------------------------

std::optional<HistoryOutcome> RouterWorkflow::RecordRouter(HistoryCause cause, bool onlyWhenChanged) {
    if (m_unread.Any()) return std::nullopt;
    return m_recorder.Record(m_connected.HistoryKey(), m_router, m_connected.IsTwoPort(), cause,
                             onlyWhenChanged);
}

void RouterWorkflow::ReportNotRecorded(const std::optional<HistoryOutcome>& outcome) {
    if (outcome && outcome->notice) {
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgHistoryWarning, "\n" + *outcome->notice,
                              kMsgWarnCaption);
    }
    if (!outcome || !outcome->problem) return;
    ShowMessageWithDetail(m_language, m_port.Messages(), kMsgHistoryNotRecorded, "\n" + *outcome->problem,
                          kMsgWarnCaption);
}

bool RouterWorkflow::RecordBeforeApply() {
    const std::optional<HistoryOutcome> outcome = RecordRouter(HistoryCause::BeforeApply, false);
    if (!outcome || !outcome->problem) return true;
    const std::string detail = "\n" + *outcome->problem;
    if (m_port.ApplyWithoutRecord(TextOrDefault(m_language, kMsgApplyWithoutRecord) + detail)) return true;
    ShowMessageWithDetail(m_language, m_port.Messages(), kMsgHistoryApplyRefused, detail);
    return false;
}

std::string RouterWorkflow::RecordBeforeLastApply() const {
    if (!m_connected.Known()) return {};
    std::string problem;
    return m_recorder.UndoRecord(m_connected.HistoryKey(), &problem).value_or("");
}

ApplyOutcome RouterWorkflow::UndoLastApply() {
    if (m_exchange.Running()) return ApplyOutcome::Refused;
    // After Skip the next apply asks for a router first: the record must not go to another one.
    if (!m_connected.Known()) return ApplyOutcome::NoChanges;
    std::string why;
    const std::optional<std::string> id = m_recorder.UndoRecord(m_connected.HistoryKey(), &why);
    if (!id) {
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgNothingToUndo, "\n" + why, kMsgWarnCaption);
        return ApplyOutcome::NoChanges;
    }
    SettingsPages::Content pages = m_pages.Save();
    const RouterSettings heldBefore = m_router;
    const FileOutcome restored = RestoreRecord(*id);
    if (restored == FileOutcome::OpenFailed) {
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgHistoryUnavailable,
                              "\n" + m_files.LastFileProblem(), kMsgWarnCaption);
        return ApplyOutcome::Failed;
    }
    // A record not read whole (its message shown) is never applied: the pages' edits would go out in
    // place of what it lacks.
    const ApplyOutcome outcome = restored == FileOutcome::Done ? ApplyAs(HistoryCause::Undo) : ApplyOutcome::Failed;
    // Nothing reached the router: the pages hold again what the user had in them.
    if (outcome != ApplyOutcome::Applied && m_router == heldBefore) {
        m_pages.PutBack(std::move(pages));
        m_port.ModelsChanged();
    }
    return outcome;
}

FileOutcome RouterWorkflow::RestoreRecord(const std::string& id) {
    std::string problem;
    std::optional<std::string> text =
        m_recorder.RecordText(m_connected.HistoryKey(), id, m_connected.IsTwoPort(), &problem);
    if (!text) {
        m_files.SetLastFileProblem(std::move(problem));
        return FileOutcome::OpenFailed;
    }
    return m_files.LoadSettingsText(std::move(*text), {});
}

}  // namespace dezadav
