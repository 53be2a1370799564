#include "settings/settings_snapshot.h"

#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"

namespace dezadav {

namespace {

// The text was written by this program; a section it cannot read is shown by the comparison.
class SilentMessages : public MessagePort {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

}  // namespace

std::unique_ptr<SettingsSnapshot> ReadSettingsSnapshot(std::string_view text, bool twoPort,
                                                       const LanguageTable& language, bool* complete,
                                                       std::optional<SettingsFileProblem>* problem) {
    auto snapshot = std::make_unique<SettingsSnapshot>(language);
    // The models start in the one-port form.
    if (twoPort) {
        snapshot->sip.SetTwoPort(true);
        BringSettingsToRouterForm(snapshot->sip, snapshot->codec, false);
        snapshot->sip.Recaption();
    } else {
        BringCodecChoicesToForm(snapshot->codec, false);
    }
    // Read as strictly as a file: a text that is refused leaves every default, and says why.
    CheckedSettingsText checked = CheckSettingsText(text, twoPort, AllSettingsFileWords(language));
    if (checked.problem) {
        if (problem != nullptr) *problem = std::move(checked.problem);
        if (complete != nullptr) *complete = false;
        return snapshot;
    }
    SilentMessages silent;
    const SettingsLoadResult result =
        LoadSettingsText(checked.text, SettingsModels{snapshot->dialPlan, snapshot->sip, snapshot->codec, snapshot->callLog},
                         language, silent);
    if (complete != nullptr) {
        *complete = !result.notSettingsText && result.dialPlan != SectionLoad::Failed &&
                    result.sip != SectionLoad::Failed && result.codec != SectionLoad::Failed;
    }
    return snapshot;
}

std::string SettingsTextIn(const DialPlanTable& dialPlan, SipSettings sip, CodecSettings codec,
                           const LanguageTable& language) {
    sip.UseLanguage(language);
    codec.UseLanguage(language);
    return DialPlanFileText(dialPlan, &language) + SipFileText(sip) + CodecFileText(codec);
}

}  // namespace dezadav
