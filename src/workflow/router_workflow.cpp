#include "workflow/router_workflow.h"

#include "discovery/model_rules.h"
#include "history/record_changes.h"
#include "session/apply_commands.h"
#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "settings/settings_file_form.h"

namespace dezadav {

RouterWorkflow::RouterWorkflow(const LanguageTable& language, UserPort& port, RouterSession& session,
                               TickTimer& refreshTimer, FileWriter& files)
    : m_language(language),
      m_port(port),
      m_session(session),
      m_refresh(refreshTimer),
      m_files(files),
      m_sip(language),
      m_codec(language),
      m_recorder(language) {
    refreshTimer.SetHandler([this] { RefreshTick(); });
    MarkEditsSynced();
}

std::string RouterWorkflow::EditableText() const {
    return m_dialPlan.AllRowsText() + m_sip.SipRowText() + m_codec.CodecRowText(true);
}

bool RouterWorkflow::IsTwoPort() const {
    return IsTwoPortModel(m_strip.model);
}

void RouterWorkflow::ShowMessage(const MessageText& text) {
    ShowMessageText(m_language, m_port.Messages(), text);
}

void RouterWorkflow::ShowAutoRefresh() {
    m_port.ShowAutoRefresh(m_refresh.On(), m_autoRefreshEnabled);
}

void RouterWorkflow::SetMainWindowVisible(bool visible) {
    m_mainWindowVisible = visible;
    // Restored from the tray in the middle of a silent refresh: the user sees what runs, and the
    // window takes no click that would start a second exchange on the same session.
    if (visible && m_exchangeRunning && !m_progressShown) {
        m_progressShown = true;
        m_port.ShowProgress(TextOrDefault(m_language, *ProgressTextFor(m_runningMode)),
                            ExchangeCause::AutomaticRefresh);
    }
}

SessionResult RouterWorkflow::RunSession(SessionMode mode, ApplyPlan plan) {
    SessionRequest request;
    request.routerIp = m_strip.ip;
    request.telnetPort = m_telnetPort;
    request.password = m_currentRouter.password;
    // The two-port test is made on the Model field like every other.
    request.modelName = m_strip.model;
    request.mode = mode;
    request.timeScale = m_timeScale;
    request.plan = std::move(plan);
    m_exchangeRunning = true;
    m_runningMode = mode;
    // While the main window is hidden in the tray, a log refresh runs without any window.
    m_progressShown = mode != SessionMode::GetVoipLog || m_mainWindowVisible;
    if (m_progressShown) {
        // Only the refresh fetches the log alone, and it is never started by the user.
        m_port.ShowProgress(TextOrDefault(m_language, *ProgressTextFor(mode)),
                            mode == SessionMode::GetVoipLog ? ExchangeCause::AutomaticRefresh
                                                            : ExchangeCause::UserAction);
    }
    SessionResult result = m_session.Run(request);
    m_exchangeRunning = false;
    if (m_progressShown) m_port.HideProgress();
    m_progressShown = false;
    // A failure leaves the automatic refresh blocked until an exchange succeeds.
    if (!result.ok) m_refresh.SetBlocked(true);
    return result;
}

void RouterWorkflow::CopySelectedFields(const RouterInfo& selected) {
    // The password of the current router is kept: only a confirmation replaces it.
    m_currentRouter.modelName = selected.modelName;
    m_currentRouter.ipAddress = selected.ipAddress;
    m_currentRouter.subnetMask = selected.subnetMask;
    m_currentRouter.macAddress = selected.macAddress;
    m_currentRouter.firmwareVersion = selected.firmwareVersion;
}

void RouterWorkflow::SetStripFromCurrentRouter() {
    m_strip.model = m_currentRouter.modelName;
    m_strip.ip = m_currentRouter.ipAddress;
    m_strip.mac = m_currentRouter.macAddress;
    m_strip.version = m_currentRouter.firmwareVersion;
    // The SIP row's meaning of the port-1 registration value follows the router form on the strip.
    m_sip.SetTwoPort(IsTwoPort());
    m_port.ShowStrip(m_strip);
}

void RouterWorkflow::ConfirmRouter(const std::string& password) {
    m_skipMark = false;
    SetStripFromCurrentRouter();
    m_currentRouter.password = password;
}

ConnectOutcome RouterWorkflow::ConnectSequence() {
    if (m_exchangeRunning) return ConnectOutcome::Refused;
    m_port.FadeInAndCaption();

    RouterSelection selection = m_port.SelectRouter();
    // Skip keeps the pages; leaving the program or fetching a router over them would lose their edits.
    if (selection.outcome != SelectionOutcome::Skip && !MayDropEdits()) return ConnectOutcome::Cancelled;
    if (selection.outcome != SelectionOutcome::Ok) {
        m_skipMark = selection.outcome == SelectionOutcome::Skip;
        if (!m_skipMark) {
            m_port.EndProgram();
            return ConnectOutcome::Exited;
        }
        m_refresh.SetOn(false);
        EnableAutoRefresh(false);
        return ConnectOutcome::Skipped;
    }
    const ShownRouter before = Shown();
    CopySelectedFields(selection.router);
    const std::optional<FetchedTexts> fetched = ConfirmAndFetch();
    if (!fetched) {
        m_port.ClosePasswordConfirmation();
        ReturnTo(before);
        return ConnectOutcome::Cancelled;
    }
    if (m_currentRouter.macAddress.empty()) {
        // Its records follow the router's MAC as soon as it is known.
        m_currentRouter.macAddress = m_port.LearnedMacAddress();
        if (!m_currentRouter.macAddress.empty()) SetStripFromCurrentRouter();
    }
    m_refresh.SetOn(true);
    // The pages now show the router; a file loaded earlier no longer stands behind them.
    m_loadedFile.reset();
    HandOverFetchedTexts(*fetched);
    m_refresh.SetBlocked(false);
    m_refresh.StartIfOn();
    m_port.ClosePasswordConfirmation();
    ReportNotRecorded(RecordRouter(m_recorder.FetchCause(), true));
    return ConnectOutcome::Connected;
}

RouterWorkflow::ShownRouter RouterWorkflow::Shown() const {
    return ShownRouter{m_currentRouter, m_strip, m_skipMark, m_refresh.Blocked(), m_sip.IsTwoPort()};
}

void RouterWorkflow::ReturnTo(const ShownRouter& shown) {
    // The confirmation of another router was cancelled (perhaps after a rejected password): the
    // window goes back to the router its pages belong to, with that router's password, so that no
    // later exchange sends the rejected one unasked or writes one router's pages to another.
    m_currentRouter = shown.router;
    m_strip = shown.strip;
    m_refresh.SetBlocked(shown.refreshBlocked);
    m_sip.SetTwoPort(shown.sipTwoPort);
    m_port.ShowStrip(m_strip);
    m_skipMark = shown.skipMark;
    if (m_strip.ip.empty() && !m_skipMark) {
        // No router before: the state after Skip, so that the next apply asks for a router.
        m_skipMark = true;
        m_refresh.SetOn(false);
        EnableAutoRefresh(false);
    }
}

std::optional<FetchedTexts> RouterWorkflow::ConfirmAndFetch() {
    while (true) {
        RouterInfo shown = m_currentRouter;
        shown.password.clear();
        std::optional<std::string> password = m_port.ConfirmPassword(shown);
        if (!password) return std::nullopt;
        ConfirmRouter(*password);

        SessionResult result = RunSession(SessionMode::GetSettings);
        if (result.ok) return std::move(result.fetched);
        // The failure has been shown; the confirmation opens again with the same router.
    }
}

namespace {

UnreadAreas UnreadIn(const FetchedTexts& fetched, bool twoPort) {
    UnreadAreas unread;
    unread.dialPlan = !DialPlanOutputHoldsListing(fetched.dialPlanList);
    unread.sip = !SipOutputHoldsSetting(fetched.sipEndpt1, SipOutputKind::Endpoint) ||
                 (twoPort && !SipOutputHoldsSetting(fetched.sipEndpt2, SipOutputKind::Endpoint)) ||
                 !SipOutputHoldsSetting(fetched.sipPort, SipOutputKind::Port) ||
                 !SipOutputHoldsSetting(fetched.sipRegistrar, SipOutputKind::Registrar);
    unread.codec = !RtpOutputHoldsSetting(fetched.rtpCodec, RtpOutputKind::Codec) ||
                   !RtpOutputHoldsSetting(fetched.rtpDtmf, RtpOutputKind::Dtmf) ||
                   !RtpOutputHoldsSetting(fetched.rtpPort, RtpOutputKind::PortRange);
    return unread;
}

}  // namespace

void RouterWorkflow::ReportUnread(UnreadAreas areas) {
    if (!areas.Any()) return;
    std::string detail;
    for (const auto& [unread, name] : {std::pair{areas.dialPlan, &kMsgAreaDialPlan}, std::pair{areas.sip, &kMsgAreaSip},
                                       std::pair{areas.codec, &kMsgAreaCodec}}) {
        if (unread) detail += "\n" + TextOrDefault(m_language, *name);
    }
    ShowMessageWithDetail(m_language, m_port.Messages(), kMsgSettingsUnread, detail);
}

void RouterWorkflow::HandOverFetchedTexts(const FetchedTexts& fetched) {
    const bool twoPort = IsTwoPort();
    m_unread = UnreadIn(fetched, twoPort);
    // The router's values come into pages that hold nothing of the router (or file) before: a value
    // this router does not report (port 2 of a one-port router, a keyword its output lacks) would
    // otherwise be shown, saved and recorded as this router's, and an apply would write it here.
    m_sip = SipSettings(m_language);
    m_codec = CodecSettings(m_language);
    m_sip.SetTwoPort(twoPort);

    m_sip.ParseSipOutput(fetched.sipEndpt1, SipOutputKind::Endpoint, 1);
    // The controls follow the router form before anything else is parsed; a one-port router offers
    // three codecs, with the third selected, before its codec output is read.
    // A two-port router fetched after a one-port one gets all five codecs back.
    BringCodecChoicesToForm(m_codec, twoPort);
    m_port.ApplyPerModelControls(twoPort);
    if (twoPort) m_sip.ParseSipOutput(fetched.sipEndpt2, SipOutputKind::Endpoint, 2);
    // An answer that is no listing is a dial plan not known, never an empty one.
    if (!m_unread.dialPlan && m_dialPlan.FillFromListing(fetched.dialPlanList, twoPort)) {
        m_router.TakeDialPlan(m_dialPlan);
    } else {
        // No listing: the entries shown belonged to the router before, and this one's are not known.
        m_dialPlan = DialPlanTable();
        m_router.dialPlan = {};
    }
    m_sip.ParseSipOutput(fetched.sipPort, SipOutputKind::Port, 1);
    m_sip.ParseSipOutput(fetched.sipRegistrar, SipOutputKind::Registrar, 1);
    // The SIP row as the router holds it: an apply sends SIP commands only when the row differs.
    m_router.sipFields = m_sip.SipFields();
    m_codec.ParseRtpOutput(fetched.rtpCodec, RtpOutputKind::Codec);
    m_codec.ParseRtpOutput(fetched.rtpDtmf, RtpOutputKind::Dtmf);
    m_codec.ParseRtpOutput(fetched.rtpPort, RtpOutputKind::PortRange);
    // The codec row as the router holds it now. Kept from an earlier apply it could be a row this
    // router (or another one chosen since) does not hold, and an edit back to that row would then
    // send nothing while the apply reports success.
    m_router.codecFields = m_codec.CodecFields(true);
    m_callLog.ParseCallLogFrom(RouterLogSource(m_strip.mac, m_strip.ip), fetched.callLog);
    EnableAutoRefresh(true);
    MarkEditsSynced();
    m_port.ModelsChanged();
    ReportUnread(m_unread);
}

void RouterWorkflow::TakeRouterRowsKeepingPages(bool pagesTwoPort, const FetchedTexts& fetched) {
    const bool twoPort = IsTwoPort();

    // First the pages in the router's form, showing what they showed before.
    const int shownCodec = m_codec.Codec().Selected();
    BringSettingsToRouterForm(m_sip, m_codec, pagesTwoPort);

    // The router's rows: its outputs read into copies of the pages, as a fetch would read them into
    // the pages themselves (a value this router form does not report stays the pages' own).
    SipSettings routerSip = m_sip;
    routerSip.ParseSipOutput(fetched.sipEndpt1, SipOutputKind::Endpoint, 1);
    if (twoPort) routerSip.ParseSipOutput(fetched.sipEndpt2, SipOutputKind::Endpoint, 2);
    routerSip.ParseSipOutput(fetched.sipPort, SipOutputKind::Port, 1);
    routerSip.ParseSipOutput(fetched.sipRegistrar, SipOutputKind::Registrar, 1);
    CodecSettings routerCodec = m_codec;
    routerCodec.ParseRtpOutput(fetched.rtpCodec, RtpOutputKind::Codec);
    routerCodec.ParseRtpOutput(fetched.rtpDtmf, RtpOutputKind::Dtmf);
    routerCodec.ParseRtpOutput(fetched.rtpPort, RtpOutputKind::PortRange);
    if (!twoPort) {
        // A one-port router has no second port: nothing of one shown before may go out or be
        // recorded as this router's.
        m_sip.ForgetPort2();
        routerSip.ForgetPort2();
    }
    m_dialPlan.BringToForm(twoPort);
    DialPlanTable routerDialPlan;
    if (DialPlanOutputHoldsListing(fetched.dialPlanList) &&
        routerDialPlan.FillFromListing(fetched.dialPlanList, twoPort)) {
        m_router.TakeDialPlan(routerDialPlan);
    } else {
        m_router.dialPlan = {};
    }

    if (!pagesTwoPort && twoPort) {
        // Port 2 was not on the one-port page at all: it stays as the router holds it instead of
        // going out unseen.
        m_sip.Port2RegisterVia() = routerSip.Port2RegisterVia();
        m_sip.SetPort2UserName(routerSip.Port2UserName());
        m_sip.SetPort2Password(routerSip.Port2Password());
        m_sip.Port2Expiry() = routerSip.Port2Expiry();
    }
    if (!twoPort) {
        // A codec a one-port router does not offer cannot stay shown: the router's own takes its place.
        m_codec.Codec().Select(
            shownCodec >= 0 && shownCodec < kOnePortCodecCount ? shownCodec : routerCodec.Codec().Selected());
    }
    // Refreshes the list texts and the port-1 user-name label for the form.
    m_sip.Recaption();
    m_port.ApplyPerModelControls(twoPort);

    // What the router did not tell cannot be compared with: the pages' values of that area are not
    // sent (the apply refuses when they would be).
    m_unread = UnreadIn(fetched, twoPort);
    m_router.sipFields = m_unread.sip ? m_sip.SipFields() : routerSip.SipFields();
    m_router.codecFields = m_unread.codec ? m_codec.CodecFields(true) : routerCodec.CodecFields(true);
    // The log page shows the router's calls, as after every full fetch.
    m_callLog.ParseCallLogFrom(RouterLogSource(m_strip.mac, m_strip.ip), fetched.callLog);
    m_refresh.SetOn(true);
    EnableAutoRefresh(true);
    m_port.ModelsChanged();
    ReportUnread(m_unread);
}

void RouterWorkflow::RereadFormlessFile(bool sipKept, bool codecKept) {
    if (!sipKept && !codecKept) return;
    // Read as a load reads it while the router is connected: into models in the router's form.
    DialPlanTable dialPlan;
    SipSettings sip = m_sip;
    CodecSettings codec = m_codec;
    CallLogTable callLog;
    SilentMessagePort discarded;
    dezadav::LoadSettingsText(m_loadedFile->text, SettingsModels{dialPlan, sip, codec, callLog}, m_language,
                              discarded);
    if (sipKept) m_sip = sip;
    if (codecKept) m_codec = codec;
    m_sip.Recaption();
    m_port.ModelsChanged();
}

std::optional<ApplyPlan> RouterWorkflow::PlanApply() {
    if (!AcceptFileForm()) return std::nullopt;
    ApplyTexts pages = PagesToApply();
    const UnreadAreas edited{m_unread.dialPlan && !pages.dialPlanRows.empty(),
                             m_unread.sip && pages.sipRow != m_router.sipFields,
                             m_unread.codec && pages.codecRow != m_router.codecFields};
    if (edited.Any()) {
        ReportUnread(edited);
        return std::nullopt;
    }
    return BuildApplyPlan(m_router, std::move(pages), IsTwoPort());
}

bool RouterWorkflow::AcceptFileForm() {
    if (!m_loadedFile || !m_loadedFile->twoPort || *m_loadedFile->twoPort == IsTwoPort()) return true;
    const MessageText& warning = *m_loadedFile->twoPort ? kMsgFormTwoPortFile : kMsgFormOnePortFile;
    return m_port.ApplyDespite(TextOrDefault(m_language, warning));
}

RefreshOutcome RouterWorkflow::RefreshTick() {
    // The progress window of a refresh must not come up over a dialog the user is answering (it
    // would take the click or the key meant for it): the refresh waits like behind a running
    // exchange and starts at the first tick after the dialog has closed.
    switch (m_refresh.Tick(m_exchangeRunning || m_port.UserIsInDialog())) {
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
        m_callLog.MergeCallLog(result.fetched.callLog);
        m_refresh.SetBlocked(false);
        m_port.ModelsChanged();
    }
    m_refresh.Resume();
    return ok ? RefreshOutcome::Refreshed : RefreshOutcome::Failed;
}

ApplyTexts RouterWorkflow::PagesToApply() {
    ApplyTexts pages;
    pages.dialPlanRows = m_dialPlan.ChangedEntries();
    // The fields carry the values whole (a comma inside a value stays inside it). An apply makes the
    // payload text the one the codec page's payload check puts back.
    pages.sipRow = m_sip.SipFields();
    m_codec.RememberPayloadType();
    pages.codecRow = m_codec.CodecFields(true);
    return pages;
}

ApplyOutcome RouterWorkflow::ApplyFlow() {
    return ApplyAs(HistoryCause::AfterApply);
}

ApplyOutcome RouterWorkflow::ApplyAs(HistoryCause appliedCause) {
    if (m_exchangeRunning) return ApplyOutcome::Refused;
    if (m_skipMark) {
        // Values of a file that showed no form were read in whatever form the pages were in; unless
        // edited since, they are read again in the router's form once it is known.
        const bool formless = m_loadedFile && !m_loadedFile->twoPort;
        const bool sipKept = formless && m_sip.SipFields() == m_loadedFile->sipFields;
        const bool codecKept = formless && m_codec.CodecFields(true) == m_loadedFile->codecFields;
        const ShownRouter before = Shown();
        m_skipMark = false;
        RouterSelection selection = m_port.SelectRouter();
        if (selection.outcome != SelectionOutcome::Ok) {
            m_skipMark = selection.outcome == SelectionOutcome::Skip;
            if (!m_skipMark) {
                // Exit would lose the edits this apply was to send: asked like every way out.
                if (HasUnsavedEdits()) {
                    m_skipMark = true;
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
            return ApplyOutcome::Skipped;
        }
        CopySelectedFields(selection.router);
        // Nothing has been read from this router: without its password the apply could not reach
        // it, and without its settings the pages' values would all be written blind, in whatever
        // router form the pages happen to be in.
        const bool pagesTwoPort = m_sip.IsTwoPort();
        const std::optional<FetchedTexts> fetched = ConfirmAndFetch();
        if (!fetched) {
            m_port.ClosePasswordConfirmation();
            // Still no router read: the pages keep their form and the next apply asks again.
            ReturnTo(before);
            m_skipMark = true;
            return ApplyOutcome::Cancelled;
        }
        TakeRouterRowsKeepingPages(pagesTwoPort, *fetched);
        RereadFormlessFile(sipKept, codecKept);
        m_refresh.SetBlocked(false);
        m_refresh.StartIfOn();
        m_port.ClosePasswordConfirmation();
    }

    const std::optional<ApplyPlan> plan = PlanApply();
    if (!plan) return ApplyOutcome::Declined;
    // A plan holding a refused value has no commands either; the run refuses it with its message.
    if (plan->commands.empty() && !plan->refusal) {
        m_port.Messages().ShowMessage(TextOrDefault(m_language, kMsgSuccessCaption),
                                      TextOrDefault(m_language, kMsgNoChanges), MessageIcon::None);
        // Every changed entry is one the router is known to hold.
        m_dialPlan.MarkChangesApplied();
        MarkEditsSynced();
        return ApplyOutcome::NoChanges;
    }
    if (!plan->refusal && !m_port.ConfirmChanges(m_recorder.ApplyPreview(m_router, *plan, IsTwoPort())))
        return ApplyOutcome::NotConfirmed;
    // A refused plan sends nothing: there is nothing to undo.
    if (!plan->refusal && !RecordBeforeApply()) return ApplyOutcome::NotRecorded;
    const SessionResult result = RunSession(SessionMode::ApplySettings, *plan);
    // The router holds what it held plus every command it acknowledged.
    RecordApplied(*plan, result.ok, result.commandsApplied, IsTwoPort(), m_router);
    if (!result.ok) {
        if (result.commandsApplied > 0) ReportNotRecorded(RecordRouter(HistoryCause::FailedApply, false));
        return ApplyOutcome::Failed;
    }
    m_refresh.SetBlocked(false);
    m_dialPlan.MarkChangesApplied();
    // The router now holds what the file said; its form is no question any more.
    m_loadedFile.reset();
    MarkEditsSynced();
    ReportNotRecorded(RecordRouter(appliedCause, false));
    m_port.ModelsChanged();
    return ApplyOutcome::Applied;
}

std::string RouterWorkflow::SettingsFileText() {
    // The words of the language shown, as every file this program writes has them.
    return SaveAllText(Models(), &m_language);
}

std::optional<std::string> RouterWorkflow::UnwritableValue() const {
    const std::optional<SettingsFileProblem> problem = UnwritableSettingsValue(m_dialPlan, m_sip, m_codec, m_language);
    if (!problem) return std::nullopt;
    return problem->field + ": " + problem->reason;
}

FileOutcome RouterWorkflow::SaveAllFlow() {
    std::optional<std::string> path = m_port.ChooseFileToSave();
    if (!path) return FileOutcome::Cancelled;
    m_lastFileProblem.clear();
    if (const std::optional<std::string> problem = UnwritableValue()) {
        // Written, the value would break its line and every field after it: nothing is written.
        m_lastFileProblem = *problem;
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgSaveFail, "\n" + *problem);
        return FileOutcome::OpenFailed;
    }
    // The file holds the SIP account passwords: it is the owner's alone.
    const FileWriteResult written = m_files.WriteWhole(*path, SettingsFileText(), FileSecrecy::OwnerOnly);
    if (!written.ok) {
        // Ending silently here would let the user believe the settings were saved.
        m_lastFileProblem = written.reason;
        ShowMessage(kMsgSaveFail);
        return FileOutcome::OpenFailed;
    }
    MarkEditsSynced();
    return FileOutcome::Done;
}

FileOutcome RouterWorkflow::LoadFlow() {
    std::optional<std::string> path = m_port.ChooseFileToOpen();
    if (!path) return FileOutcome::Cancelled;
    return LoadSettingsFile(*path);
}

FileOutcome RouterWorkflow::LoadSettingsFile(const std::string& path) {
    m_lastFileProblem.clear();
    std::optional<std::string> bytes = ReadSettingsFile(path, &m_lastFileProblem);
    if (!bytes) return FileOutcome::OpenFailed;
    return LoadSettingsBytes(std::move(*bytes), path);
}

FileOutcome RouterWorkflow::LoadSettingsText(std::string bytes, const std::string& source) {
    m_lastFileProblem.clear();
    return LoadSettingsBytes(std::move(bytes), source);
}

FileOutcome RouterWorkflow::LoadSettingsBytes(std::string bytes, const std::string& source) {
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (m_documentReader && first != std::string::npos && bytes[first] == '{') {
        // A JSON document changes in the pages what it names.
        std::string problem;
        std::optional<std::string> text = m_documentReader(bytes, SettingsFileText(), m_sip.IsTwoPort(), problem);
        if (!text) {
            m_lastFileProblem = source + ": " + problem;
            ShowMessageWithDetail(m_language, m_port.Messages(), kMsgFileRefused, "\n" + m_lastFileProblem);
            return FileOutcome::Refused;
        }
        bytes = std::move(*text);
    }
    if (!HoldsSettingsSection(bytes)) {
        // Not a settings file (a picture, an empty file, one cut off inside the dial plan): loading it
        // would change nothing and let an apply report that there is nothing to apply.
        m_lastFileProblem = std::string(kNoSettingsSectionReason);
        ShowMessage(kMsgFileFail);
        return FileOutcome::NotSettings;
    }
    const std::optional<bool> fileTwoPort = SettingsFileIsTwoPort(bytes, m_language);
    // Pages tied to no router take the form the file was written in; a router's pages keep its form.
    const bool tiedToRouter = !m_skipMark && !m_strip.model.empty();
    if (!tiedToRouter) {
        const bool pagesTwoPort = m_sip.IsTwoPort();
        if (fileTwoPort && *fileTwoPort != pagesTwoPort) {
            m_sip.SetTwoPort(*fileTwoPort);
            BringSettingsToRouterForm(m_sip, m_codec, pagesTwoPort);
            m_sip.Recaption();
            m_port.ApplyPerModelControls(*fileTwoPort);
        }
    }
    // Every field is checked before any page changes: a file means exactly what it says, or nothing.
    // It is checked in the form it shows, else in the form its values will be read in.
    const bool checkTwoPort = fileTwoPort.value_or(tiedToRouter ? IsTwoPort() : m_sip.IsTwoPort());
    CheckedSettingsText checked = CheckSettingsText(bytes, checkTwoPort, AllSettingsFileWords(m_language));
    if (checked.problem) {
        m_lastFileProblem = checked.problem->Message(source);
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgFileRefused, "\n" + m_lastFileProblem);
        return FileOutcome::Refused;
    }
    bytes = std::move(checked.text);
    const SettingsLoadResult result = dezadav::LoadSettingsText(bytes, Models(), m_language, m_port.Messages());
    m_loadedFile = LoadedFile{std::move(bytes), fileTwoPort, m_sip.SipFields(), m_codec.CodecFields(true)};
    // What a file holds is kept there; a load that failed in part left values that are nowhere else.
    if (!result.AnyFailed()) MarkEditsSynced();
    m_port.ModelsChanged();
    return result.AnyFailed() ? FileOutcome::SectionFailed : FileOutcome::Done;
}

FileOutcome RouterWorkflow::DropFile(const std::string& path) {
    const bool document = m_documentReader && path.find(".json") != std::string::npos;
    if (path.find(".csv") == std::string::npos && !document) return FileOutcome::Cancelled;
    return LoadSettingsFile(path);
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

// --- history -----------------------------------------------------------------------------------------

HistoryRouter RouterWorkflow::HistoryKey() const {
    return HistoryRouter{m_strip.mac, m_strip.ip, m_strip.model};
}

std::optional<HistoryOutcome> RouterWorkflow::RecordRouter(HistoryCause cause, bool onlyWhenChanged) {
    if (m_unread.Any()) return std::nullopt;
    return m_recorder.Record(HistoryKey(), m_router, IsTwoPort(), cause, onlyWhenChanged);
}

bool RouterWorkflow::MayDropEdits() {
    if (!HasUnsavedEdits()) return true;
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
    if (m_skipMark || m_strip.ip.empty()) return {};
    std::string problem;
    return m_recorder.UndoRecord(HistoryKey(), &problem).value_or("");
}

void RouterWorkflow::PutPagesBack(PagesState pages) {
    m_dialPlan = std::move(pages.dialPlan);
    m_sip = std::move(pages.sip);
    m_codec = std::move(pages.codec);
    m_loadedFile = std::move(pages.loadedFile);
    m_syncedEdits = std::move(pages.syncedEdits);
    m_port.ModelsChanged();
}

ApplyOutcome RouterWorkflow::UndoLastApply() {
    if (m_exchangeRunning) return ApplyOutcome::Refused;
    // After Skip the next apply asks for a router first: the record must not go to another one.
    if (m_skipMark || m_strip.ip.empty()) return ApplyOutcome::NoChanges;
    std::string why;
    const std::optional<std::string> id = m_recorder.UndoRecord(HistoryKey(), &why);
    if (!id) {
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgNothingToUndo, "\n" + why, kMsgWarnCaption);
        return ApplyOutcome::NoChanges;
    }
    PagesState pages = SavePages();
    const RouterSettings heldBefore = m_router;
    const FileOutcome restored = RestoreRecord(*id);
    if (restored == FileOutcome::OpenFailed) {
        ShowMessageWithDetail(m_language, m_port.Messages(), kMsgHistoryUnavailable, "\n" + m_lastFileProblem,
                              kMsgWarnCaption);
        return ApplyOutcome::Failed;
    }
    // A record not read whole (its message shown) is never applied: the pages' edits would go out in
    // place of what it lacks.
    const ApplyOutcome outcome = restored == FileOutcome::Done ? ApplyAs(HistoryCause::Undo) : ApplyOutcome::Failed;
    // Nothing reached the router: the pages hold again what the user had in them.
    if (outcome != ApplyOutcome::Applied && m_router == heldBefore) PutPagesBack(std::move(pages));
    return outcome;
}

FileOutcome RouterWorkflow::RestoreRecord(const std::string& id) {
    m_lastFileProblem.clear();
    std::optional<std::string> text = m_recorder.RecordText(HistoryKey(), id, IsTwoPort(), &m_lastFileProblem);
    if (!text) return FileOutcome::OpenFailed;
    return LoadSettingsBytes(std::move(*text));
}

}  // namespace dezadav
