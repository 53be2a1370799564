#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/sip_settings.h"

namespace dezadav {

// Why a settings text was refused: the line, the field in the pages' words, its value and what the
// field takes instead.
struct SettingsFileProblem {
    std::size_t line = 0;  // from 1; 0 when the problem is not one line's
    std::size_t column = 0;  // the field's position in its row, from 0
    std::string field;     // "SIP · Port 1 · Expiry Time"
    std::string value;
    std::string reason;    // "is not one of 0–7"

    // `source`:line: field: "value" reason, e.g.
    // office.csv:62: SIP · Port 1 · Expiry Time: "abc" is not one of 0–7
    std::string Message(std::string_view source) const;
};

// The outcome of checking a settings text: the text as the program itself would have written it
// (`text`), or the first field it cannot take (`problem`).
struct CheckedSettingsText {
    std::string text;
    std::optional<SettingsFileProblem> problem;
};

// The words a settings file may hold in its lists: those of every language the program speaks, and
// the words the models are filled in (`shown`, also the language of the field names in a problem).
struct SettingsFileWords {
    std::vector<LanguageTable> languages;
    const LanguageTable& shown;
};
// The three built-in languages over `shown`'s files.
SettingsFileWords AllSettingsFileWords(const LanguageTable& shown);

// Reads a settings text strictly, in the sections the loader finds (LoadSettingsText), in the form
// of a two-port router or a one-port one: every field must be a value the program writes for it in
// that form (see docs/settings-file.md for the table), every dial-plan index 1–60 once, a SIP or codec
// row once with its fields; empty fields that pad a row at its end are dropped, a line of commas is an
// empty line, a quoted field counts by its content, an unquoted dial-plan name takes the commas of a
// longer row. The text returned holds the same values, each list entry in `words.shown`'s words, the
// call-log section as it stands; LoadSettingsText reads it into exactly what the file says.
CheckedSettingsText CheckSettingsText(std::string_view text, bool twoPort, const SettingsFileWords& words);

// The first value of the models that a settings file cannot hold (a CR or LF would end its line), as a
// problem naming the field in `language`'s words; nothing when every value can be written. Every
// writer of settings text asks this first and writes nothing when there is one.
std::optional<SettingsFileProblem> UnwritableSettingsValue(const DialPlanTable& dialPlan, const SipSettings& sip,
                                                           const CodecSettings& codec, const LanguageTable& language);

}  // namespace dezadav
