#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "lang/messages.h"
#include "session/apply_texts.h"
#include "settings/router_settings.h"

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
    // What it changes: the entry's position (index - 1) for the dial plan, the field's position in
    // the SIP or codec row otherwise.
    std::size_t target = 0;
    // The router may refuse it without the apply failing: a second-port command sent to a one-port
    // router, which has no second port.
    bool refusalHarmless = false;

    // The command as it may be shown or printed (HideSecretValue).
    std::string ShownText() const;
};

// Why a value may not be sent: the message and the field it names (never a secret value).
struct ApplyRefusal {
    MessageText message;
    std::optional<MessageText> field;  // none: the message says it all
    std::string entryIndex;            // the dial-plan entry whose field it is
    std::string range;                 // what the router takes, e.g. "1-65535"
    // What follows the message, in `language`: e.g. " (SIP port: 1-65535)", " (dial plan entry 4,
    // phone number)"; empty without a field.
    std::string Detail(const LanguageTable& language) const;
};

// The refusal of a value holding a control byte (ContainsControlByte), naming its field (e.g.
// kMsgFieldPassword). Every value typed into the router is refused with it.
ApplyRefusal ControlByteRefusal(const MessageText& field, std::string entryIndex = {});

// True when `value` reaches the router's command line as one word: it holds no space (which would
// cut it in two) and no double quote (which would open a quoted word).
bool IsOneWord(std::string_view value);
// The refusal of a value that is not one word (IsOneWord), naming its field.
ApplyRefusal UnsendableRefusal(const MessageText& field, std::string entryIndex = {});

// Every command of one apply, in sending order: dial plan, then SIP (all ten, when the SIP row
// differs from the router's), then codec (all six, when the codec row differs). Built once per
// apply by BuildApplyPlan; the session sends it as it stands (SessionRequest::plan).
struct ApplyPlan {
    std::vector<ApplyCommand> commands;
    // The pages' values the plan was built from: what the router holds once it went through.
    ApplyTexts pages;
    bool sendsSip = false;
    bool sendsCodec = false;
    // Set when a value that would be sent holds a control byte or is outside what the router takes;
    // `commands` is then empty and nothing may be sent.
    std::optional<ApplyRefusal> refusal;
};

// Turns what the pages ask for (`pages`) into the commands that bring the router (`router`, as last
// read or written) there. A changed dial-plan entry the router is known to hold already (every field
// but the name) is left out; the SIP and codec rows go out whole when any field differs from the
// router's (a row not known always differs). Dial plan, per entry with index 1..60: an empty phone number
// gives "voip dial_plan del <index>" alone; otherwise "voip dial_plan set <index> <phone> <user>
// <domain> <status>" on a two-port model, with " <loop> <backup>" appended on other models. The SIP
// address splits at its first '@'; an empty user, domain or backup number is sent as kEmptyMarker.
// The loop-through goes out as its code (LoopThroughCode), an entry without one as 0. Status "V" is
// 1, anything else 0. SIP: port, registrar, then per voice port use_reg, name, pass, expire (numbers read as
// leading decimals, expire + 1 on a two-port model, empty texts as kEmptyMarker; the port-2 commands on every
// model, a one-port router's refusal of them being harmless). Codec: type, size, DTMF mode and payload type
// unchanged, RTP start and end port (empty as kEmptyMarker). The entry's name is never sent.
//
// Refused before anything is sent (`refusal`): a value with a control byte (Message_ControlByte with
// the field's name), a text value with a space or a double quote (Message_NotOneWord), a SIP or RTP
// port that is not a number from 1 to 65535 and a DTMF payload type that is not one from 96 to 127
// (Message_ValueRange), an RTP start port above the end port (Message_RtpPortOrder). Only values that would
// be sent are checked; an empty one is sent as ever.
ApplyPlan BuildApplyPlan(const RouterSettings& router, ApplyTexts pages, bool twoPort);

// Brings `router` to what it holds after `plan` was sent, of which the first `applied` commands went
// through (acknowledged by the prompt; the one that failed was refused or never carried out):
// each entry deleted or set takes the form the router lists it in (EntryAsListed), each SIP or codec
// field sent takes the plan's value. Once the whole plan went through (`completed`) an area that
// differed takes the plan's fields whole, also those that have no command on this router form.
void RecordApplied(const ApplyPlan& plan, bool completed, std::size_t applied, bool twoPort,
                   RouterSettings& router);

// The router's answer to a set command (everything after the echoed line break, up to and including
// the prompt) when it refuses the command: the first line of a text that starts, after line breaks,
// with "Error" or "%" in any case. Nothing for any other answer; the prompt line itself is never
// taken for an answer.
std::optional<std::string> RouterRefusal(std::string_view reply);

}  // namespace dezadav
