#include "settings/settings_snapshot.h"

#include "settings/router_form_change.h"
#include "settings/settings_file.h"

namespace dezadav {

namespace {

// The text was written by this program; a section it cannot read is shown by the comparison.
class SilentMessages : public MessagePort {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

}  // namespace

std::unique_ptr<SettingsSnapshot> ReadSettingsSnapshot(std::string_view text, bool twoPort,
                                                       const LanguageTable& language) {
    auto snapshot = std::make_unique<SettingsSnapshot>(language);
    snapshot->sip.SetTwoPort(twoPort);
    // The file keeps expiry times as positions in the form's list, as the pages hold it: a two-port
    // router's list lacks the two shortest times.
    snapshot->sip.BringExpiryListToForm(snapshot->sip.Port1Expiry());
    snapshot->sip.BringExpiryListToForm(snapshot->sip.Port2Expiry());
    BringCodecChoicesToForm(snapshot->codec, twoPort);
    SilentMessages silent;
    LoadSettingsText(text, SettingsModels{snapshot->dialPlan, snapshot->sip, snapshot->codec, snapshot->callLog},
                     language, silent);
    return snapshot;
}

}  // namespace dezadav
