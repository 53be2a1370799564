#include "settings/sip_settings.h"

#include <algorithm>
#include <optional>

#include "settings/sip_codec_output_words.h"
#include "settings/sip_codec_row_text.h"
#include "text/decimal_text.h"

namespace dezadav {
namespace {

// Keywords of each output kind, as the router prints them.
constexpr std::array<std::string_view, 4> kEndpointKeywords = {
    "name:", "registrar:", "password:", "seconds:"};
constexpr std::string_view kPortKeyword = "number:";
constexpr std::string_view kRegistrarKeyword = "Now:";

template <std::size_t N>
std::vector<std::string> TextsOf(const LanguageTable& language, const std::array<std::string_view, N>& keys,
                                 std::size_t first = 0) {
    std::vector<std::string> texts;
    for (std::size_t i = first; i < N; ++i) texts.push_back(language.LookupText(keys[i]));
    return texts;
}

// The keyword of `kind` equal to `word`, if any.
std::optional<std::string_view> KeywordOf(SipOutputKind kind, const std::string& word) {
    switch (kind) {
        case SipOutputKind::Endpoint:
            for (std::string_view keyword : kEndpointKeywords) {
                if (word == keyword) return keyword;
            }
            return std::nullopt;
        case SipOutputKind::Port:
            return word == kPortKeyword ? std::optional<std::string_view>(kPortKeyword) : std::nullopt;
        case SipOutputKind::Registrar:
            return word == kRegistrarKeyword ? std::optional<std::string_view>(kRegistrarKeyword)
                                             : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

int ExpiryPositionForSeconds(std::int32_t seconds, bool twoPort) {
    const auto s = static_cast<std::uint32_t>(seconds);
    const int first = twoPort ? kFullExpiryCount - kTwoPortExpiryCount : 0;
    for (int full = first; full < kFullExpiryCount; ++full) {
        if (s <= kExpirySeconds[static_cast<std::size_t>(full)]) return full - first;
    }
    return twoPort ? kTwoPortExpiryTwoHours : kFullExpiryTwoHours;
}

SipSettings::SipSettings(const LanguageTable& language)
    : m_language(&language),
      m_port1Via(TextsOf(language, kSipPort1ViaKeys), kRegisterViaNone),
      m_port2Via(TextsOf(language, kSipPort2ViaKeys), kRegisterViaNone),
      m_port1Expiry(TextsOf(language, kSipPort1TimeKeys), kFullExpiryTwoHours),
      m_port2Expiry(TextsOf(language, kSipPort2TimeKeys), kFullExpiryTwoHours) {}

void SipSettings::ForgetPort2() {
    const SipSettings fresh(*m_language);
    m_port2Via = fresh.m_port2Via;
    m_port2UserName = fresh.m_port2UserName;
    m_port2Password = fresh.m_port2Password;
    m_port2Expiry = fresh.m_port2Expiry;
    BringExpiryListToForm(m_port2Expiry);
}

void SipSettings::BringExpiryListToForm(ChoiceList& list) const {
    if (m_twoPort) {
        if (list.Count() > kTwoPortExpiryCount) {
            list.RemoveAt(0);
            list.RemoveAt(0);
        }
    } else if (list.Count() <= kTwoPortExpiryCount) {
        // Both lists get the port-1 texts here, as the router form change always did.
        list.InsertAt(0, m_language->LookupText(kSipPort1TimeKeys[1]));
        list.InsertAt(0, m_language->LookupText(kSipPort1TimeKeys[0]));
    }
}

void SipSettings::StoreEndpointValue(std::string_view keyword, const std::string& value, int port) {
    const bool port1 = port == 1;
    if (keyword == "name:") {
        (port1 ? m_port1UserName : m_port2UserName) = value;
    } else if (keyword == "password:") {
        (port1 ? m_port1Password : m_port2Password) = value;
    } else if (keyword == "registrar:") {
        const std::int32_t n = ReadLeadingDecimal(value);
        if (n < kRegisterViaNone || n > kRegisterViaLanVpn) return;
        (port1 ? m_port1Via : m_port2Via).Select(n);
        if (port1 && n <= kRegisterViaAuto) m_useRegistrar = n == kRegisterViaAuto;
    } else if (keyword == "seconds:") {
        ChoiceList& list = port1 ? m_port1Expiry : m_port2Expiry;
        BringExpiryListToForm(list);
        list.Select(ExpiryPositionForSeconds(ReadLeadingDecimal(value), m_twoPort));
    }
}

bool SipOutputHoldsSetting(std::string_view text, SipOutputKind kind) {
    bool found = false;
    CutOutputIntoWords(text, [&](const std::string& word) {
        found = found || KeywordOf(kind, word).has_value();
        return WordAction::Continue;
    });
    return found;
}

bool SipSettings::ParseSipOutput(std::string_view text, std::size_t start, std::size_t length,
                                 SipOutputKind kind, int port) {
    if (start >= text.size() || length < 1) return false;
    const std::string_view range = text.substr(start, length);

    std::optional<std::string_view> pending;
    CutOutputIntoWords(range, [&](const std::string& word) {
        if (!pending) {
            pending = KeywordOf(kind, word);
            return WordAction::Continue;
        }
        switch (kind) {
            case SipOutputKind::Endpoint:
                StoreEndpointValue(*pending, word, port);
                break;
            case SipOutputKind::Port:
                m_sipPort = word;
                break;
            case SipOutputKind::Registrar:
                m_registrar = word;
                break;
        }
        pending.reset();
        // One keyword and its value per line.
        return WordAction::SkipRestOfLine;
    });

    if (m_twoPort) {
        BringExpiryListToForm(m_port1Expiry);
        BringExpiryListToForm(m_port2Expiry);
    }
    m_port1NameLabelKey = m_twoPort ? "SIP_UserName1" : "SIP_5870Name";
    return true;
}

std::string SipSettings::SipFieldText(SipField field) const {
    switch (field) {
        case SipField::SipPort:
            return m_sipPort;
        case SipField::Registrar:
            return m_registrar;
        case SipField::Port1Registration:
            return std::to_string(m_twoPort ? m_port1Via.Selected() : (m_useRegistrar ? 1 : 0));
        case SipField::Port1UserName:
            return m_port1UserName;
        case SipField::Port1Password:
            return m_port1Password;
        case SipField::Port1Expiry:
            return std::to_string(m_port1Expiry.Selected());
        case SipField::Port2RegisterVia:
            return std::to_string(m_twoPort ? m_port2Via.Selected() : 0);
        case SipField::Port2UserName:
            return m_port2UserName;
        case SipField::Port2Password:
            return m_port2Password;
        case SipField::Port2Expiry:
            return std::to_string(m_port2Expiry.Selected());
    }
    return {};
}

std::vector<std::string> SipSettings::SipFields() const {
    std::vector<std::string> fields;
    fields.reserve(kSipRowFieldCount);
    for (std::size_t i = 0; i < kSipRowFieldCount; ++i)
        fields.push_back(SipFieldText(static_cast<SipField>(i)));
    return fields;
}

std::string SipSettings::SipRowText() const {
    return JoinRowFields(SipFields());
}

void SipSettings::LoadSipField(SipField field, std::string_view value) {
    switch (field) {
        case SipField::SipPort:
            m_sipPort = value;
            break;
        case SipField::Registrar:
            m_registrar = value;
            break;
        case SipField::Port1Registration: {
            const std::int32_t n = ReadLeadingDecimal(value);
            m_port1Via.Select(n);
            // Only 0 and 1 are states of the check box; other numbers leave it alone.
            if (n == 0 || n == 1) m_useRegistrar = n == 1;
            break;
        }
        case SipField::Port1UserName:
            m_port1UserName = value;
            break;
        case SipField::Port1Password:
            m_port1Password = value;
            break;
        case SipField::Port1Expiry:
            m_port1Expiry.Select(ReadLeadingDecimal(value));
            break;
        case SipField::Port2RegisterVia:
            m_port2Via.Select(ReadLeadingDecimal(value));
            break;
        case SipField::Port2UserName:
            m_port2UserName = value;
            break;
        case SipField::Port2Password:
            m_port2Password = value;
            break;
        case SipField::Port2Expiry:
            m_port2Expiry.Select(ReadLeadingDecimal(value));
            break;
    }
}

void SipSettings::LoadSipRow(std::span<const std::string> fields) {
    const std::size_t count = std::min(fields.size(), kSipRowFieldCount);
    for (std::size_t i = 0; i < count; ++i) LoadSipField(static_cast<SipField>(i), fields[i]);
}

void SipSettings::Recaption() {
    for (int i = 0; i < 2; ++i) {
        m_port1Via.SetText(i, m_language->LookupText(kSipPort1ViaKeys[static_cast<std::size_t>(i)]));
        m_port2Via.SetText(i, m_language->LookupText(kSipPort2ViaKeys[static_cast<std::size_t>(i)]));
    }
    const std::size_t first = m_twoPort ? kFullExpiryCount - kTwoPortExpiryCount : 0;
    const int selected1 = m_port1Expiry.Selected();
    const int selected2 = m_port2Expiry.Selected();
    m_port1Expiry.Refill(TextsOf(*m_language, kSipPort1TimeKeys, first));
    m_port2Expiry.Refill(TextsOf(*m_language, kSipPort2TimeKeys, first));
    m_port1Expiry.Select(selected1);
    m_port2Expiry.Select(selected2);
    m_port1NameLabelKey = m_twoPort ? "SIP_UserName1" : "SIP_5870Name";
}

}  // namespace dezadav
