#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lang/language_table.h"
#include "session/apply_texts.h"
#include "settings/call_log_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/settings_file.h"
#include "settings/sip_settings.h"

namespace dezadav {

// What the workflow keeps of the last loaded file while it matters to an apply.
struct LoadedFile {
    std::string text;
    std::optional<bool> twoPort;  // the form the file shows, nothing when it shows none
    // The pages' SIP and codec fields right after the load, to tell whether they were edited.
    std::vector<std::string> sipFields;
    std::vector<std::string> codecFields;
};

// The four pages' models (dial plan, SIP, codec, call log), the file their values were loaded from
// and the mark of what is kept elsewhere (fetched, applied, saved or loaded): whether leaving now
// would lose edits.
class SettingsPages {
public:
    explicit SettingsPages(const LanguageTable& language);

    // The language the pages are shown in.
    const LanguageTable& Language() const { return m_language; }

    DialPlanTable& DialPlan() { return m_shown.dialPlan; }
    SipSettings& Sip() { return m_shown.sip; }
    CodecSettings& Codec() { return m_shown.codec; }
    CallLogTable& CallLog() { return m_callLog; }
    const DialPlanTable& DialPlan() const { return m_shown.dialPlan; }
    const SipSettings& Sip() const { return m_shown.sip; }
    const CodecSettings& Codec() const { return m_shown.codec; }
    const CallLogTable& CallLog() const { return m_callLog; }
    SettingsModels Models() {
        return SettingsModels{m_shown.dialPlan, m_shown.sip, m_shown.codec, m_callLog};
    }

    // The file the pages' values came from, while it still stands behind them (nothing after a fetch
    // or a completed apply).
    const std::optional<LoadedFile>& Loaded() const { return m_shown.loadedFile; }
    void SetLoaded(std::optional<LoadedFile> file) { m_shown.loadedFile = std::move(file); }

    // True when the dial plan, SIP or codec values differ from what they were when last fetched,
    // applied, saved to or loaded from a file: leaving now would lose them.
    bool HasUnsavedEdits() const { return EditableText() != m_shown.syncedEdits; }
    // The values are now kept elsewhere (fetched, applied, saved or loaded).
    void MarkEditsSynced() { m_shown.syncedEdits = EditableText(); }
    // An apply went through: every changed entry is one the router holds, nothing is unsaved.
    void MarkApplied();

    // The pages' values an apply writes. The payload text becomes the one the codec page's payload
    // check puts back.
    ApplyTexts ToApply();

    // Everything an undo may change of the pages (the call log aside), as one value: an undo that
    // sent nothing puts it back whole.
    struct Content {
        DialPlanTable dialPlan;
        SipSettings sip;
        CodecSettings codec;
        std::optional<LoadedFile> loadedFile;
        std::string syncedEdits;  // EditableText() at the last fetch, apply, save or load
    };
    Content Save() const { return m_shown; }
    void PutBack(Content content) { m_shown = std::move(content); }

private:
    // The values an edit can change (the call log aside), in a form that does not depend on the
    // language.
    std::string EditableText() const;

    const LanguageTable& m_language;
    Content m_shown;
    CallLogTable m_callLog;
};

}  // namespace dezadav
