#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "settings/call_log_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/router_settings.h"
#include "settings/settings_difference.h"
#include "settings/settings_file_check.h"
#include "settings/sip_settings.h"

namespace dezadav {

// A set of settings kept apart from the pages (a record of the history, what the router holds), in
// models of their own so that they can be compared with the pages field by field.
struct SettingsSnapshot {
    explicit SettingsSnapshot(const LanguageTable& language) : sip(language), codec(language) {}
    DialPlanTable dialPlan;
    SipSettings sip;
    CodecSettings codec;
    CallLogTable callLog;

    SettingsView View() const { return SettingsView{dialPlan, sip, codec}; }
    // The SIP and codec lists in `language`'s words, each keeping its choice.
    void ShowIn(const LanguageTable& language) {
        sip.UseLanguage(language);
        codec.UseLanguage(language);
    }
};

// The settings as settings-file text in `language`'s words, whatever language the models show: what
// is kept to be read again later (records, what the router holds) is written in one language, so that
// a language switch in between changes no value.
std::string SettingsTextIn(const DialPlanTable& dialPlan, SipSettings sip, CodecSettings codec,
                           const LanguageTable& language);

// `text` in the settings-file layout read into models of the given router form (its expiry lists are
// positions in that form's lists), as strictly as a settings file is loaded (CheckSettingsText);
// sections that cannot be read leave their defaults (no message is shown). `complete`, when given,
// tells whether every section was read; `problem`, when given, gets why a refused text was refused
// (the snapshot then holds only defaults).
std::unique_ptr<SettingsSnapshot> ReadSettingsSnapshot(std::string_view text, bool twoPort,
                                                       const LanguageTable& language, bool* complete = nullptr,
                                                       std::optional<SettingsFileProblem>* problem = nullptr);

// What `router` holds, in models of the given router form showing `language`'s words: the known
// entries without names, the SIP and codec rows (a one-port router has no second voice port: its
// port-2 values are the defaults, whatever the row says). A part not known is left at its default and
// `complete`, when given, is set false.
std::unique_ptr<SettingsSnapshot> RouterSettingsSnapshot(const RouterSettings& router, bool twoPort,
                                                         const LanguageTable& language, bool* complete = nullptr);

// What `router` holds as a record: the settings-file text (without names and call log) in
// `recordLanguage`'s words; nothing while any part of it is not known.
std::optional<std::string> RouterSettingsText(const RouterSettings& router, bool twoPort,
                                              const LanguageTable& language, const LanguageTable& recordLanguage);

}  // namespace dezadav
