#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "settings/sip_codec_choice_list.h"
#include "settings/sip_codec_fields.h"

namespace dezadav {

// Which command's output a ParseSipOutput call reads.
enum class SipOutputKind {
    Endpoint = 0,   // "voip sip endpt1" (port 1) or "voip sip endpt2" (port 2): "name:", "registrar:",
                    // "password:", "seconds:"
    Port = 1,       // "voip sip port": "number:"
    Registrar = 2,  // "voip sip registrar": "Now:"
};

// The router's register-via numbering (position in a register-via list).
enum RegisterVia : int {
    kRegisterViaNone = 0,
    kRegisterViaAuto = 1,
    kRegisterViaWan = 2,
    kRegisterViaLanVpn = 3
};

// Language keys of the lists, in list order.
inline constexpr std::array<std::string_view, 4> kSipPort1ViaKeys = {"SIP_1Via0", "SIP_1Via1", "SIP_1Via2",
                                                                     "SIP_1Via3"};
inline constexpr std::array<std::string_view, 4> kSipPort2ViaKeys = {"SIP_2Via0", "SIP_2Via1", "SIP_2Via2",
                                                                     "SIP_2Via3"};
inline constexpr std::array<std::string_view, 10> kSipPort1TimeKeys = {
    "SIP_1Time0", "SIP_1Time1", "SIP_1Time2", "SIP_1Time3", "SIP_1Time4",
    "SIP_1Time5", "SIP_1Time6", "SIP_1Time7", "SIP_1Time8", "SIP_1Time9"};
inline constexpr std::array<std::string_view, 10> kSipPort2TimeKeys = {
    "SIP_2Time0", "SIP_2Time1", "SIP_2Time2", "SIP_2Time3", "SIP_2Time4",
    "SIP_2Time5", "SIP_2Time6", "SIP_2Time7", "SIP_2Time8", "SIP_2Time9"};

// Seconds of each expiry choice by full-list position (one-port form: all ten; two-port form: the
// last eight, so a two-port position is the full position minus 2).
inline constexpr std::array<std::uint32_t, 10> kExpirySeconds = {180,  300,   600,   1800,  3600,
                                                                 7200, 14400, 28800, 57600, 86400};
inline constexpr int kFullExpiryCount = 10;
inline constexpr int kTwoPortExpiryCount = 8;
// "2 hours" in each form.
inline constexpr int kFullExpiryTwoHours = 5;
inline constexpr int kTwoPortExpiryTwoHours = 3;

// The password boxes take at most this many typed characters (values set otherwise stay whole).
inline constexpr int kSipPasswordMaxTypedChars = 23;

// Expiry list position for a registration time reported by the router. `seconds` is compared as an
// unsigned 32-bit number, so a negative value counts as very large. One-port form: the first full
// position whose time is at least `seconds`, "2 hours" (5) above one day. Two-port form: the same
// over the eight-entry list (up to 600 s gives 0), "2 hours" (3) above one day.
int ExpiryPositionForSeconds(std::int32_t seconds, bool twoPort);

// True when `text`, read as the output of the command `kind` names, holds at least one keyword the
// reader takes a value after. An error text in place of the output holds none.
bool SipOutputHoldsSetting(std::string_view text, SipOutputKind kind);

// The SIP settings of one router: the local SIP port, the registrar and one account per voice port,
// together with the lists and check box the SIP page shows. Filled with the page's
// defaults at construction; changed by ParseSipOutput (fetch), LoadSipRow (settings file) and the
// page (user edits).
//
// The router form (two-port or one-port) is set by the owner with SetTwoPort from the two-port test
// on the model name shown in the main window, before the outputs of a fetch are parsed; it decides
// the expiry lists' form, the two registration fields of the row and the port-1 user-name label.
//
// The language table given at construction must outlive the object; list texts are taken from it
// (at construction, when a list is brought to the router's form, and by Recaption).
class SipSettings {
public:
    // Defaults at page creation: SIP port "5060", registrar empty, both register-via lists with their
    // four entries and "None" selected, both expiry lists with their ten entries and "2 hours"
    // selected, user names "p0" and "p1", passwords empty, use-registrar clear, one-port form.
    explicit SipSettings(const LanguageTable& language);

    // --- router form -------------------------------------------------------------------------------
    void SetTwoPort(bool twoPort) { m_twoPort = twoPort; }
    bool IsTwoPort() const { return m_twoPort; }

    // --- fetch -------------------------------------------------------------------------------------
    // Reads text[start, start + length) (clamped to the text) as the output of the command `kind`
    // names; `port` is 1 for "voip sip endpt1", anything else means port 2 (Endpoint only). At most
    // one keyword and its value are taken per line; a keyword that does not appear leaves its value
    // as it was. Returns false and changes nothing when there is no byte to read; otherwise returns
    // true after, on a two-port router, bringing both expiry lists to the two-port form, and setting
    // the port-1 user-name label by form.
    bool ParseSipOutput(std::string_view text, std::size_t start, std::size_t length, SipOutputKind kind,
                        int port);
    bool ParseSipOutput(std::string_view text, SipOutputKind kind, int port) {
        return ParseSipOutput(text, 0, text.size(), kind, port);
    }

    // --- the row ------------------------------------------------------------------------------------
    // One field of the row (see SipField), whole (a value may contain a comma): registrations and
    // expiries are list positions in decimal, -1 for a list without selection; on a one-port router
    // the port-1 registration is 1 when useRegistrar, else 0, and the port-2 one is 0.
    std::string SipFieldText(SipField field) const;
    // The ten fields in row order. No side effect.
    std::vector<std::string> SipFields() const;
    // The fields joined by "," and ended by CR LF, byte-exact as the settings file and the apply
    // comparison take it. No side effect.
    std::string SipRowText() const;

    // --- settings file -------------------------------------------------------------------------------
    // One field of a loaded SIP row: SipPort, Registrar, user names and passwords are taken as
    // text; for Port1Registration n := leading decimal, the port-1 register-via list selects n and,
    // when n is 0 or 1, useRegistrar := (n == 1); Port2RegisterVia and the expiries select the
    // leading decimal's position in their list. A position outside a list clears its selection.
    void LoadSipField(SipField field, std::string_view value);
    // LoadSipField for every field in row order; fields past the tenth are ignored.
    void LoadSipRow(std::span<const std::string> fields);

    // --- router form ---------------------------------------------------------------------------------
    // Port 2's values as at construction (register via None, user "p1", no password, "2 hours"), its
    // expiry list in the router's form: a one-port router has no second port, so nothing shown,
    // saved or recorded for it may come from another router.
    void ForgetPort2();

    // --- language change -------------------------------------------------------------------------------
    // After a language change: the first two entries of each register-via list get the new "None" and
    // "Auto" texts (the others stay); each expiry list is refilled in the router's form (two-port: keys
    // 2 to 9; one-port: all ten) and its selected position restored (a position beyond the list
    // selects nothing); the port-1 user-name label follows the form.
    void Recaption();
    // The lists in `language`'s words from now on, each keeping its choice (Recaption from that table).
    void UseLanguage(const LanguageTable& language) {
        m_language = &language;
        Recaption();
    }

    // Key of the port-1 user-name label: "SIP_UserName1" at construction; after every parse and
    // Recaption "SIP_5870Name" on a one-port router and "SIP_UserName1" on a two-port router.
    std::string_view Port1UserNameLabelKey() const { return m_port1NameLabelKey; }
    static constexpr std::string_view Port2UserNameLabelKey() { return "SIP_UserName2"; }

    // --- values (the page reads and edits these) -------------------------------------------------------
    const std::string& SipPort() const { return m_sipPort; }
    void SetSipPort(std::string value) { m_sipPort = std::move(value); }
    const std::string& Registrar() const { return m_registrar; }
    void SetRegistrar(std::string value) { m_registrar = std::move(value); }
    const std::string& Port1UserName() const { return m_port1UserName; }
    void SetPort1UserName(std::string value) { m_port1UserName = std::move(value); }
    const std::string& Port1Password() const { return m_port1Password; }
    void SetPort1Password(std::string value) { m_port1Password = std::move(value); }
    const std::string& Port2UserName() const { return m_port2UserName; }
    void SetPort2UserName(std::string value) { m_port2UserName = std::move(value); }
    const std::string& Port2Password() const { return m_port2Password; }
    void SetPort2Password(std::string value) { m_port2Password = std::move(value); }
    // The one-port use-registrar check box (a click sets it to the box's new state).
    bool UseRegistrar() const { return m_useRegistrar; }
    void SetUseRegistrar(bool value) { m_useRegistrar = value; }

    // The four lists; the page selects entries through these.
    ChoiceList& Port1RegisterVia() { return m_port1Via; }
    const ChoiceList& Port1RegisterVia() const { return m_port1Via; }
    ChoiceList& Port2RegisterVia() { return m_port2Via; }
    const ChoiceList& Port2RegisterVia() const { return m_port2Via; }
    ChoiceList& Port1Expiry() { return m_port1Expiry; }
    const ChoiceList& Port1Expiry() const { return m_port1Expiry; }
    ChoiceList& Port2Expiry() { return m_port2Expiry; }
    const ChoiceList& Port2Expiry() const { return m_port2Expiry; }

    // Brings an expiry list to the router's form: two-port: a list of more than eight entries loses
    // its first two; one-port: a list of eight or fewer gets the texts of "SIP_1Time1" and then
    // "SIP_1Time0" inserted at the top (port 2's list too). The selection stays on its entry.
    void BringExpiryListToForm(ChoiceList& list) const;

private:
    void StoreEndpointValue(std::string_view keyword, const std::string& value, int port);

    const LanguageTable* m_language;
    bool m_twoPort = false;

    std::string m_sipPort = "5060";
    std::string m_registrar;
    std::string m_port1UserName = "p0";
    std::string m_port1Password;
    std::string m_port2UserName = "p1";
    std::string m_port2Password;
    bool m_useRegistrar = false;
    ChoiceList m_port1Via;
    ChoiceList m_port2Via;
    ChoiceList m_port1Expiry;
    ChoiceList m_port2Expiry;

    std::string_view m_port1NameLabelKey = "SIP_UserName1";
};

}  // namespace dezadav
