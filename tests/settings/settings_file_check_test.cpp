#include "settings/settings_file_check.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "support/english_language.h"
#include "support/page_models.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::RecordingMessagePort;
using testing::ShippedEnglish;

using Program = testing::PageModels;

// Line numbers of a Save All file.
constexpr std::size_t kSipLine = 63;
constexpr std::size_t kCodecLine = 66;

class SettingsFileCheckTest : public ::testing::Test {
protected:
    // A Save All file of a program in `twoPort`'s form with entry 3 in use.
    std::string Saved(bool twoPort) {
        Program program(lang, twoPort);
        program.dialPlan.SetEntry(
            2, DialPlanEntry{"", "103", "Desk", "desk@pbx",
                             twoPort ? std::nullopt : std::optional(LoopThrough::Isdn), "", "V"});
        program.codec.SetRtpPortStart("16384");
        program.codec.SetRtpPortEnd("32766");
        return SaveAllText(program.Models());
    }

    // `text` with field `field` of line `line` (from 1) replaced by `value`.
    static std::string WithField(const std::string& text, std::size_t line, std::size_t field, const std::string& value) {
        std::size_t start = 0;
        for (std::size_t n = 1; n < line; ++n) start = text.find("\r\n", start) + 2;
        std::size_t at = start;
        for (std::size_t k = 0; k < field; ++k) at = text.find(',', at) + 1;
        const std::size_t end = text.find_first_of(",\r", at);
        return text.substr(0, at) + value + text.substr(end);
    }

    CheckedSettingsText Check(const std::string& text, bool twoPort) {
        return CheckSettingsText(text, twoPort, AllSettingsFileWords(lang));
    }

    LanguageTable lang = ShippedEnglish();
};

TEST_F(SettingsFileCheckTest, EveryFieldTakesOnlyWhatTheProgramWrites) {
    struct Case {
        bool twoPort;
        std::size_t line;
        std::size_t field;
        std::string value;
        std::string fieldName;
        std::string shownValue;  // the value as the message names it
    };
    const std::string hidden = "********";
    const std::vector<Case> cases = {
        {false, 3, 0, "61", "Dial Plan · Index No.", "61"},
        {false, 3, 0, "x3", "Dial Plan · Index No.", "x3"},
        {false, 4, 0, "3", "Dial Plan 3 · Index No.", "3"},  // entry 3 a second time
        {false, 3, 6, "v", "Dial Plan 3 · Status", "v"},
        {false, 3, 6, "1", "Dial Plan 3 · Status", "1"},
        {false, 3, 4, "isdn", "Dial Plan 3 · Loop Through", "isdn"},
        {false, 3, 4, "X", "Dial Plan 3 · Loop Through", "X"},
        {false, 3, 1, "10 3", "Dial Plan 3 · Phone Number", "10 3"},
        {false, 3, 3, "a\"b@pbx", "Dial Plan 3 · SIP Address", "a\"b@pbx"},
        {false, 3, 5, "9 9", "Dial Plan 3 · Backup Number", "9 9"},
        {false, kSipLine, 0, "0", "SIP · SIP Port", "0"},
        {false, kSipLine, 0, "65536", "SIP · SIP Port", "65536"},
        {false, kSipLine, 1, "my.reg net", "SIP · Registrar", "my.reg net"},
        {false, kSipLine, 2, "2", "SIP · Port 1 · Use Rigistrar", "2"},
        {true, kSipLine, 2, "7", "SIP · Port 1 · Register via", "7"},
        {false, kSipLine, 4, "my\x01secret", "SIP · Port 1 · Password", hidden},
        {false, kSipLine, 5, "abc", "SIP · Port 1 · Expiry Time", "abc"},
        {false, kSipLine, 5, "10", "SIP · Port 1 · Expiry Time", "10"},
        {true, kSipLine, 5, "8", "SIP · Port 1 · Expiry Time", "8"},
        {false, kSipLine, 6, "1", "SIP · Port 2 · Register via", "1"},
        {true, kSipLine, 8, "two words", "SIP · Port 2 · Password", hidden},
        {false, kCodecLine, 0, "G.711A", "Codecs · Default Codec", "G.711A"},
        {false, kCodecLine, 0, "G.723 (6.4Kpbs)", "Codecs · Default Codec", "G.723 (6.4Kpbs)"},
        {true, kCodecLine, 1, "25 ms", "Codecs · Packet Size", "25 ms"},
        {true, kCodecLine, 2, "3", "DTMF · DTMF", "3"},
        {true, kCodecLine, 3, "95", "DTMF · Payload Type", "95"},
        {true, kCodecLine, 3, "128", "DTMF · Payload Type", "128"},
        {true, kCodecLine, 4, "70000", "RTP · Dynamic RTP port start", "70000"},
        {true, kCodecLine, 4, "40000", "RTP · Dynamic RTP port start", "40000"},  // above the end port
    };
    for (const Case& c : cases) {
        const std::string text = WithField(Saved(c.twoPort), c.line, c.field, c.value);
        const CheckedSettingsText checked = Check(text, c.twoPort);
        ASSERT_TRUE(checked.problem) << c.fieldName << " = " << c.value;
        EXPECT_EQ(checked.problem->line, c.line) << c.fieldName;
        EXPECT_EQ(checked.problem->field, c.fieldName);
        EXPECT_EQ(checked.problem->value, c.shownValue);
        EXPECT_TRUE(checked.text.empty());
        const std::string message = checked.problem->Message("office.csv");
        EXPECT_EQ(message.rfind("office.csv:" + std::to_string(c.line) + ": " + c.fieldName + ": \"", 0), 0u)
            << message;
        EXPECT_EQ(message.find("secret"), std::string::npos) << "a password never reaches a message";
    }
}

TEST_F(SettingsFileCheckTest, RowsOfAnotherShapeAreRefused) {
    const std::string saved = Saved(true);
    const std::size_t sipRow = saved.find("\r\n", saved.find(";LIST")) + 2;
    const std::size_t sipEnd = saved.find("\r\n", sipRow);
    const std::size_t codecEnd = saved.find("\r\n;END") - 2;
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {saved.substr(0, sipEnd) + ",x" + saved.substr(sipEnd), kSipLine},                   // an eleventh field
        {saved.substr(0, codecEnd) + ",,7" + saved.substr(codecEnd), kCodecLine},            // an eighth
        {saved.substr(0, sipEnd + 2) + saved.substr(sipRow, sipEnd + 2 - sipRow) + saved.substr(sipEnd + 2),
         kSipLine + 1},                                                                      // a second SIP row
        {[&] {
             std::string shortRow = saved;
             return shortRow.replace(shortRow.find("\r\n7,,,,,,-\r\n") + 2, 9, "7,,-");
         }(),
         7},  // a dial-plan row of three fields
    };
    for (const auto& [text, line] : cases) {
        const CheckedSettingsText checked = Check(text, true);
        ASSERT_TRUE(checked.problem) << line;
        EXPECT_EQ(checked.problem->line, line);
    }
}

// What spreadsheets and editors make of a file reads as the file the program wrote.
TEST_F(SettingsFileCheckTest, SpreadsheetHabitsReadAsTheProgramsOwnFile) {
    const std::string saved = Saved(false);
    ASSERT_FALSE(Check(saved, false).problem);
    EXPECT_EQ(Check(saved, false).text, saved) << "a file the program wrote is read as it stands";

    std::string padded;
    for (std::size_t start = 0; start < saved.size();) {
        const std::size_t end = saved.find("\r\n", start);
        const std::string line = saved.substr(start, end - start);
        // Every row padded to twelve fields, every empty line a line of commas, every field quoted.
        std::string quoted;
        if (!line.empty() && line[0] != ';') {
            std::size_t fields = 1;
            for (std::size_t at = 0, next; (next = line.find(',', at)) != std::string::npos; at = next + 1, ++fields) {
                quoted += "\"" + line.substr(at, next - at) + "\",";
            }
            quoted += "\"" + line.substr(line.rfind(',') + 1) + "\"" + std::string(12 - fields, ',');
        } else {
            quoted = line.empty() ? std::string(11, ',') : line + ",,,,";
        }
        padded += quoted + "\r\n";
        start = end + 2;
        if (line == ";END") {
            padded += saved.substr(start);
            break;
        }
    }
    const CheckedSettingsText checked = Check(padded, false);
    ASSERT_FALSE(checked.problem) << checked.problem->Message("padded");
    EXPECT_EQ(checked.text, saved);

    // Leading zeros, an empty status, a list word of another language, an unquoted name with commas.
    std::string edited = WithField(saved, 3, 0, "003");
    edited = WithField(edited, 4, 6, "");
    edited = WithField(edited, 3, 4, "\xE6\x97\xA0");  // Simplified Chinese "None"
    edited = WithField(edited, kCodecLine, 1, "20 \xE6\xAF\xAB\xE7\xA7\x92");  // "20 ms" in Chinese
    edited = WithField(edited, 3, 2, "Smith,John,Jr");
    const CheckedSettingsText read = Check(edited, false);
    ASSERT_FALSE(read.problem) << read.problem->Message("edited");
    Program program(lang, false);
    RecordingMessagePort port;
    LoadSettingsText(read.text, program.Models(), lang, port);
    EXPECT_EQ(program.dialPlan.Entry(2),
              (DialPlanEntry{"3", "103", "Smith,John,Jr", "desk@pbx", LoopThrough::None, "", "V"}));
    EXPECT_EQ(program.dialPlan.Entry(3).statusMark, "-");
    EXPECT_EQ(program.codec.PacketSize().SelectedText(), "20 ms");
}

// Values holding markers, commas, quotes and semicolons survive Save All and a strict reading whole.
TEST_F(SettingsFileCheckTest, ValuesHoldingMarkersReadBackWhole) {
    const std::vector<std::string> pieces = {";LIST", ";SIP", ";END", ";VoIP LOG", ",", ";", "x", "5060", "\"",
                                             "..", "@", "a"};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        const bool twoPort = seed % 2 == 0;
        // Sent values hold no space and no quote; the name may hold anything a line can.
        const auto value = [&](bool sent) {
            std::string text;
            for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
                std::string piece = pieces[rng() % pieces.size()];
                if (sent && piece == "\"") piece = "q";
                if (sent && piece == ";VoIP LOG") piece = ";VoIP";
                if (!sent && rng() % 5 == 0) piece += ' ';
                text += piece;
            }
            return text;
        };
        Program original(lang, twoPort);
        for (int p = 0; p < kDialPlanEntryCount; p += 1 + static_cast<int>(rng() % 7)) {
            original.dialPlan.SetEntry(
                p, DialPlanEntry{"", "1" + value(true), value(false), value(true),
                                 twoPort ? std::nullopt : std::optional(LoopThrough::Pstn),
                                 twoPort ? "" : value(true), "V"});
        }
        original.sip.SetRegistrar(value(true));
        original.sip.SetPort1UserName(value(true));
        original.sip.SetPort1Password(value(true));
        original.sip.SetPort2Password(value(true));
        const std::string text = SaveAllText(original.Models());

        const CheckedSettingsText checked = Check(text, twoPort);
        ASSERT_FALSE(checked.problem) << "seed " << seed << ": " << checked.problem->Message("saved");
        ASSERT_EQ(checked.text, text) << "seed " << seed;
        Program loaded(lang, twoPort);
        RecordingMessagePort port;
        LoadSettingsText(checked.text, loaded.Models(), lang, port);
        ASSERT_TRUE(port.shown.empty()) << "seed " << seed;
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            ASSERT_EQ(loaded.dialPlan.Entry(p), original.dialPlan.Entry(p)) << "seed " << seed << " entry " << p;
        }
        ASSERT_EQ(loaded.sip.SipFields(), original.sip.SipFields()) << "seed " << seed;
        ASSERT_EQ(loaded.codec.CodecFields(false), original.codec.CodecFields(false)) << "seed " << seed;
    }
}

TEST_F(SettingsFileCheckTest, ALineBreakInAValueIsNeverWritten) {
    Program program(lang, false);
    EXPECT_FALSE(UnwritableSettingsValue(program.dialPlan, program.sip, program.codec, lang));
    program.dialPlan.SetEntry(4, DialPlanEntry{"", "105", "two\nlines", "a@b", std::nullopt, "", "V"});
    const auto problem = UnwritableSettingsValue(program.dialPlan, program.sip, program.codec, lang);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "Dial Plan 5 · Name");
}

}  // namespace
}  // namespace dezadav
