#include "settings/settings_snapshot.h"

#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "settings/sip_codec_fields.h"
#include "text/decimal_text.h"

namespace dezadav {

namespace {

// Empty models in the given router form (the models start in the one-port form).
std::unique_ptr<SettingsSnapshot> EmptySnapshot(bool twoPort, const LanguageTable& language) {
    auto snapshot = std::make_unique<SettingsSnapshot>(language);
    if (twoPort) {
        snapshot->sip.SetTwoPort(true);
        BringSettingsToRouterForm(snapshot->sip, snapshot->codec, false);
        snapshot->sip.Recaption();
    } else {
        BringCodecChoicesToForm(snapshot->codec, false);
    }
    return snapshot;
}

}  // namespace

std::unique_ptr<SettingsSnapshot> ReadSettingsSnapshot(std::string_view text, bool twoPort,
                                                       const LanguageTable& language, bool* complete,
                                                       std::optional<SettingsFileProblem>* problem) {
    auto snapshot = EmptySnapshot(twoPort, language);
    // Read as strictly as a file: a text that is refused leaves every default, and says why.
    CheckedSettingsText checked = CheckSettingsText(text, twoPort, AllSettingsFileWords(language));
    if (checked.problem) {
        if (problem != nullptr) *problem = std::move(checked.problem);
        if (complete != nullptr) *complete = false;
        return snapshot;
    }
    // The text was written by this program; a section it cannot read is shown by the comparison.
    SilentMessagePort silent;
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

std::unique_ptr<SettingsSnapshot> RouterSettingsSnapshot(const RouterSettings& router, bool twoPort,
                                                         const LanguageTable& language, bool* complete) {
    auto snapshot = EmptySnapshot(twoPort, language);
    bool known = router.sipFields.size() == kSipRowFieldCount && router.codecFields.size() == kCodecRowFieldCount;
    for (int position = 0; position < kDialPlanEntryCount; ++position) {
        const std::optional<DialPlanEntry>& held = router.dialPlan[static_cast<std::size_t>(position)];
        if (!held) {
            known = false;
            continue;
        }
        DialPlanEntry entry = *held;
        entry.name.clear();
        snapshot->dialPlan.SetEntry(position, entry);
    }
    snapshot->dialPlan.MarkChangesApplied();
    if (router.sipFields.size() == kSipRowFieldCount) {
        std::vector<std::string> fields = router.sipFields;
        if (!twoPort) {
            const std::vector<std::string> defaults = snapshot->sip.SipFields();
            for (SipField field : {SipField::Port2RegisterVia, SipField::Port2UserName, SipField::Port2Password,
                                   SipField::Port2Expiry}) {
                fields[FieldPosition(field)] = defaults[FieldPosition(field)];
            }
        }
        snapshot->sip.LoadSipRow(fields);
    }
    if (router.codecFields.size() == kCodecRowFieldCount) {
        // The row is in numeric form: the codec and the packet size are list positions.
        const std::vector<std::string>& fields = router.codecFields;
        snapshot->codec.Codec().Select(ReadLeadingDecimal(fields[FieldPosition(CodecField::Codec)]));
        snapshot->codec.PacketSize().Select(ReadLeadingDecimal(fields[FieldPosition(CodecField::PacketSize)]));
        for (CodecField field : {CodecField::DtmfMode, CodecField::PayloadType, CodecField::RtpPortStart,
                                 CodecField::RtpPortEnd}) {
            snapshot->codec.LoadCodecField(field, fields[FieldPosition(field)]);
        }
        snapshot->codec.RememberPayloadType();
    }
    if (complete != nullptr) *complete = known;
    return snapshot;
}

std::optional<std::string> RouterSettingsText(const RouterSettings& router, bool twoPort,
                                              const LanguageTable& language, const LanguageTable& recordLanguage) {
    bool complete = false;
    const std::unique_ptr<SettingsSnapshot> held = RouterSettingsSnapshot(router, twoPort, language, &complete);
    if (!complete) return std::nullopt;
    return SettingsTextIn(held->dialPlan, held->sip, held->codec, recordLanguage);
}

}  // namespace dezadav
