// Loads arbitrary bytes as a settings file into fresh models, checks what Load promises, then saves
// the result and loads that again: what was saved reads back to the same models. The strict reading of the same bytes, when it accepts them, reads back as it wrote them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "support/english_language.h"

namespace {

const dezadav::LanguageTable& Language() {
    static const dezadav::LanguageTable table = dezadav::testing::ShippedEnglish();
    return table;
}

class CountingPort : public dezadav::MessagePort {
public:
    void ShowMessage(const std::string& caption, const std::string& text, dezadav::MessageIcon) override {
        if (caption != "Error" || text != "Couldn't load settings form the file!") std::abort();
        ++shown;
    }
    int shown = 0;
};

struct Program {
    Program() : sip(Language()), codec(Language()) {}
    dezadav::SettingsModels Models() { return {dialPlan, sip, codec, callLog}; }
    dezadav::DialPlanTable dialPlan;
    dezadav::SipSettings sip;
    dezadav::CodecSettings codec;
    dezadav::CallLogTable callLog;
};

void CheckProgram(const Program& program) {
    for (int p = 0; p < dezadav::kDialPlanEntryCount; ++p) {
        const dezadav::DialPlanEntry& e = program.dialPlan.Entry(p);
        if (e.index != std::to_string(p + 1)) std::abort();
        for (const std::string* v :
             {&e.phoneNumber, &e.name, &e.sipAddress, &e.loopThrough, &e.backupNumber}) {
            if (v->find_first_of("\r\n") != std::string::npos) std::abort();
        }
    }
    const auto& rows = program.callLog.Rows();
    if (static_cast<std::size_t>(program.callLog.RecordCount()) > rows.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Program program;
    if (size > 0 && (data[0] & 1)) program.sip.SetTwoPort(true);
    CountingPort port;
    dezadav::LoadSettingsText(text, program.Models(), Language(), port);
    // At most one message per section.
    if (port.shown > 4) std::abort();
    CheckProgram(program);

    const std::string saved = dezadav::SaveAllText(program.Models());
    Program again;
    again.sip.SetTwoPort(program.sip.IsTwoPort());
    CountingPort quiet;
    dezadav::LoadSettingsText(saved, again.Models(), Language(), quiet);
    CheckProgram(again);
    // A Save All file never holds a marker at its very start, so nothing fails on reading it.
    if (quiet.shown != 0) std::abort();
    for (int p = 0; p < dezadav::kDialPlanEntryCount; ++p) {
        // An entry not in use holds nothing else that counts (it is neither compared nor sent).
        const dezadav::DialPlanEntry& before = program.dialPlan.Entry(p);
        const dezadav::DialPlanEntry& after = again.dialPlan.Entry(p);
        if (before.phoneNumber.empty() ? !after.phoneNumber.empty() : after != before) std::abort();
    }
    if (again.sip.SipFields() != program.sip.SipFields()) std::abort();
    if (again.codec.CodecFields(false) != program.codec.CodecFields(false)) std::abort();

    static const dezadav::SettingsFileWords words = dezadav::AllSettingsFileWords(Language());
    const bool twoPort = program.sip.IsTwoPort();
    const dezadav::CheckedSettingsText ownFile = dezadav::CheckSettingsText(saved, twoPort, words);
    if (!ownFile.problem && ownFile.text != saved) std::abort();
    const dezadav::CheckedSettingsText checked = dezadav::CheckSettingsText(text, twoPort, words);
    if (!checked.problem) {
        const dezadav::CheckedSettingsText twice = dezadav::CheckSettingsText(checked.text, twoPort, words);
        if (twice.problem || twice.text != checked.text) std::abort();
    }
    return 0;
}
