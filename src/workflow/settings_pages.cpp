#include "workflow/settings_pages.h"

namespace dezadav {

SettingsPages::SettingsPages(const LanguageTable& language)
    : m_language(language), m_shown{DialPlanTable(), SipSettings(language), CodecSettings(language), {}, {}} {
    MarkEditsSynced();
}

std::string SettingsPages::EditableText() const {
    return m_shown.dialPlan.AllRowsText() + m_shown.sip.SipRowText() + m_shown.codec.CodecRowText(true);
}

void SettingsPages::MarkApplied() {
    m_shown.dialPlan.MarkChangesApplied();
    MarkEditsSynced();
}

ApplyTexts SettingsPages::ToApply() {
    ApplyTexts pages;
    pages.dialPlanRows = m_shown.dialPlan.ChangedEntries();
    // The fields carry the values whole (a comma inside a value stays inside it).
    pages.sipRow = m_shown.sip.SipFields();
    m_shown.codec.RememberPayloadType();
    pages.codecRow = m_shown.codec.CodecFields(true);
    return pages;
}

}  // namespace dezadav
