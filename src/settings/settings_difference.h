#pragma once

#include <string>
#include <vector>

#include "lang/language_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/sip_settings.h"

namespace dezadav {

// One field that differs between two sets of router settings, in the words of the pages: where it
// is ("Dial Plan 12", "SIP · Port 1", "RTP"), its label ("Expiry Time") and both values as the page
// shows them ("1 hour", "8 hours"; "(empty)", and "(deleted)" for a dial-plan entry taken out).
struct FieldDifference {
    std::string area;
    std::string field;
    std::string before;
    std::string after;

    bool operator==(const FieldDifference&) const = default;
};

// Between the parts of a field's place: "SIP · Port 1 · Expiry Time".
inline constexpr std::string_view kFieldPathSeparator = " \xC2\xB7 ";

// A page label as a field name: "Expiry Time :" is "Expiry Time", "[Dial Plan]" is "Dial Plan" (the
// key itself when the language lacks it).
std::string PageLabel(const LanguageTable& language, std::string_view key);

// The settings a comparison looks at: what an apply can change on a router (the call log takes no
// part).
struct SettingsView {
    const DialPlanTable& dialPlan;
    const SipSettings& sip;
    const CodecSettings& codec;
};

struct CompareOptions {
    // The router's form: a two-port router keeps no loop-through and backup numbers, a one-port
    // router has no second voice port; what the form does not keep is not compared.
    bool twoPort = false;
    // Entry names live only in files; a router never holds one.
    bool dialPlanNames = true;
    // SIP passwords are shown as "********" unless asked for.
    bool showSecrets = false;
    // Every field is listed, equal or not (a view of one set of settings: compare it with itself).
    bool everyField = false;
};

// Every field that differs from `before` to `after`, in page order: the dial plan by entry, then SIP,
// then codec, RTP and DTMF. A dial-plan entry taken out gives one line (its phone number, "(deleted)").
std::vector<FieldDifference> CompareSettings(SettingsView before, SettingsView after, const CompareOptions& options,
                                             const LanguageTable& language);

// "Dial Plan 12 · Phone Number: 5551234 → (deleted)".
std::string DifferenceLine(const FieldDifference& difference);

}  // namespace dezadav
