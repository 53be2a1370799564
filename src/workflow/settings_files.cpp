#include "workflow/settings_files.h"

#include "lang/messages.h"
#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "settings/settings_file_form.h"

namespace dezadav {

SettingsFiles::SettingsFiles(const LanguageTable& language, UserPort& port, FileWriter& files,
                             SettingsPages& pages, const ConnectedRouter& connected)
    : m_language(language), m_port(port), m_files(files), m_pages(pages), m_connected(connected) {}

std::string SettingsFiles::SettingsFileText() {
    // The words of the language shown, as every file this program writes has them.
    return SaveAllText(m_pages.Models(), &m_language);
}

std::optional<std::string> SettingsFiles::UnwritableValue() const {
    const std::optional<SettingsFileProblem> problem =
        UnwritableSettingsValue(m_pages.DialPlan(), m_pages.Sip(), m_pages.Codec(), m_language);
    if (!problem) return std::nullopt;
    return problem->field + ": " + problem->reason;
}

FileOutcome SettingsFiles::SaveAllFlow() {
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
        ShowMessageText(m_language, m_port.Messages(), kMsgSaveFail);
        return FileOutcome::OpenFailed;
    }
    m_pages.MarkEditsSynced();
    return FileOutcome::Done;
}

FileOutcome SettingsFiles::LoadFlow() {
    std::optional<std::string> path = m_port.ChooseFileToOpen();
    if (!path) return FileOutcome::Cancelled;
    return LoadSettingsFile(*path);
}

FileOutcome SettingsFiles::DropFile(const std::string& path) {
    const bool document = m_documentReader && path.find(".json") != std::string::npos;
    if (path.find(".csv") == std::string::npos && !document) return FileOutcome::Cancelled;
    return LoadSettingsFile(path);
}

FileOutcome SettingsFiles::LoadSettingsFile(const std::string& path) {
    m_lastFileProblem.clear();
    std::optional<std::string> bytes = ReadSettingsFile(path, &m_lastFileProblem);
    if (!bytes) return FileOutcome::OpenFailed;
    return LoadSettingsText(std::move(*bytes), path);
}

FileOutcome SettingsFiles::Refuse(std::string problem) {
    m_lastFileProblem = std::move(problem);
    ShowMessageWithDetail(m_language, m_port.Messages(), kMsgFileRefused, "\n" + m_lastFileProblem);
    return FileOutcome::Refused;
}

FileOutcome SettingsFiles::LoadSettingsText(std::string bytes, const std::string& source) {
    m_lastFileProblem.clear();
    SipSettings& sip = m_pages.Sip();
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (m_documentReader && first != std::string::npos && bytes[first] == '{') {
        // A JSON document changes in the pages what it names.
        std::string problem;
        std::optional<std::string> text =
            m_documentReader(bytes, SettingsFileText(), sip.IsTwoPort(), problem);
        if (!text) return Refuse(source + ": " + problem);
        bytes = std::move(*text);
    }
    if (!HoldsSettingsSection(bytes)) {
        // Not a settings file (a picture, an empty file, one cut off inside the dial plan): loading it
        // would change nothing and let an apply report that there is nothing to apply.
        m_lastFileProblem = std::string(kNoSettingsSectionReason);
        ShowMessageText(m_language, m_port.Messages(), kMsgFileFail);
        return FileOutcome::NotSettings;
    }
    const std::optional<bool> fileTwoPort = SettingsFileIsTwoPort(bytes, m_language);
    // Pages tied to no router take the form the file was written in; a router's pages keep its form.
    const bool tiedToRouter = m_connected.HoldsPages();
    if (!tiedToRouter) {
        const bool pagesTwoPort = sip.IsTwoPort();
        if (fileTwoPort && *fileTwoPort != pagesTwoPort) {
            sip.SetTwoPort(*fileTwoPort);
            BringSettingsToRouterForm(sip, m_pages.Codec(), pagesTwoPort);
            sip.Recaption();
            m_port.ApplyPerModelControls(*fileTwoPort);
        }
    }
    // Every field is checked before any page changes: a file means exactly what it says, or nothing.
    // It is checked in the form it shows, else in the form its values will be read in.
    const bool checkTwoPort = fileTwoPort.value_or(tiedToRouter ? m_connected.IsTwoPort() : sip.IsTwoPort());
    CheckedSettingsText checked = CheckSettingsText(bytes, checkTwoPort, AllSettingsFileWords(m_language));
    if (checked.problem) return Refuse(checked.problem->Message(source));
    bytes = std::move(checked.text);
    const SettingsLoadResult result =
        dezadav::LoadSettingsText(bytes, m_pages.Models(), m_language, m_port.Messages());
    m_pages.SetLoaded(
        LoadedFile{std::move(bytes), fileTwoPort, sip.SipFields(), m_pages.Codec().CodecFields(true)});
    // What a file holds is kept there; a load that failed in part left values that are nowhere else.
    if (!result.AnyFailed()) m_pages.MarkEditsSynced();
    m_port.ModelsChanged();
    return result.AnyFailed() ? FileOutcome::SectionFailed : FileOutcome::Done;
}

void SettingsFiles::ReadFormlessFileAgain(bool sip, bool codec) {
    if ((!sip && !codec) || !m_pages.Loaded()) return;
    // Read as a load reads it while the router is connected: into models in the router's form.
    DialPlanTable dialPlan;
    SipSettings readSip = m_pages.Sip();
    CodecSettings readCodec = m_pages.Codec();
    CallLogTable callLog;
    SilentMessagePort discarded;
    dezadav::LoadSettingsText(m_pages.Loaded()->text, SettingsModels{dialPlan, readSip, readCodec, callLog},
                              m_language, discarded);
    if (sip) m_pages.Sip() = readSip;
    if (codec) m_pages.Codec() = readCodec;
    m_pages.Sip().Recaption();
    m_port.ModelsChanged();
}

}  // namespace dezadav
