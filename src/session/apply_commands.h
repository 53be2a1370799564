#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "session/apply_texts.h"
#include "lang/messages.h"

namespace dezadav {

// Stands for an empty text value in a set command: two double-quote characters.
inline constexpr std::string_view kEmptyMarker = "\"\"";

// Printed and recorded in place of a secret value (a SIP account password), whatever its length.
inline constexpr std::string_view kHiddenSecret = "********";

// `line`, a command as typed (whole or cut short), with the value of a field marked secret in the
// command table replaced by kHiddenSecret; the empty marker stays as it is. Every place that shows
// or records a typed command passes it through here.
std::string HideSecretValue(std::string_view line);

// True when `value` holds a byte below 0x20 or the byte 0x7F. Such a value is never typed into the
// router's command line: a CR in it would end the command early and start another one.
bool ContainsControlByte(std::string_view value);

enum class ApplyArea { DialPlan, Sip, Codec };

// One router command of an apply and the message shown when it fails.
struct ApplyCommand {
    std::string text;  // without the closing CR
    MessageText failure;
    ApplyArea area;
};

// Every command of one apply, in sending order: dial plan, then SIP (all ten, when the SIP row
// differs from the one last applied), then codec (all six, when the codec row differs).
struct ApplyPlan {
    std::vector<ApplyCommand> commands;
    bool sendsSip = false;
    bool sendsCodec = false;
    // Not empty when a value that would be sent holds a control byte: names that field (in English,
    // e.g. "dial plan entry 5, phone number"); `commands` is then empty and nothing may be sent.
    std::string refusedField;
};

// Turns the apply texts into commands. Dial plan, per entry with index 1..60: an empty phone number
// gives "voip dial_plan del <index>" alone; otherwise "voip dial_plan set <index> <phone> <user>
// <domain> <status>" on a two-port model, with " <loop> <backup>" appended on other models. The SIP
// address splits at its first '@'; an empty user, domain or backup number is sent as kEmptyMarker.
// Loop-through texts map to 1, 2, 0 by LoopThroughCode (`language`); a text matching none is sent
// as 0. Status "V" is 1, anything else 0. SIP: port, registrar, then per voice port use_reg, name,
// pass, expire (numbers read as leading decimals, expire + 1 on a two-port model, empty texts as
// kEmptyMarker). Codec: type, size, DTMF mode and payload type unchanged, RTP start and end port
// (empty as kEmptyMarker). The entry's name is never sent.
ApplyPlan BuildApplyPlan(const ApplyTexts& texts, bool twoPort, const LanguageTable& language);

}  // namespace dezadav
