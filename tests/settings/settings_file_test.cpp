#include "settings/settings_file.h"
#include "settings/settings_file_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/english_language.h"
#include "support/page_models.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::RecordingMessagePort;
using testing::ShippedEnglish;

using Program = testing::PageModels;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        lang = ShippedEnglish();
        // Codec and packet-size entries are compared by text on loading, so they must be told apart.
        ASSERT_NE(lang.LookupText("Codec_Codec1"), lang.LookupText("Codec_Codec2"));
        ASSERT_NE(lang.LookupText("Codec_Size1"), lang.LookupText("Codec_Size2"));
        ASSERT_NE(lang.LookupText("Message_FileFail"), std::string(kMissingText));
    }

    void Load(Program& program, std::string_view text) {
        LoadSettingsText(text, program.Models(), lang, port);
    }

    // Everything of the SIP settings a file carries, and of the codec settings.
    static std::vector<std::string> SipState(const SipSettings& sip) { return sip.SipFields(); }
    static std::vector<std::string> CodecState(const CodecSettings& codec) {
        std::vector<std::string> state = codec.CodecFields(true);
        const std::vector<std::string> texts = codec.CodecFields(false);
        state.insert(state.end(), texts.begin(), texts.end());
        return state;
    }

    void ExpectSameDialPlan(const DialPlanTable& a, const DialPlanTable& b) {
        for (int p = 0; p < kDialPlanEntryCount; ++p) EXPECT_EQ(a.Entry(p), b.Entry(p)) << "position " << p;
    }

    LanguageTable lang;
    RecordingMessagePort port;
};

// Values a user or router may hold that the file carries unchanged: no ',' or CR (separators),
// no ';' (so no marker can hide in a value).
std::string RandomText(std::mt19937& rng, bool allowEmpty) {
    const std::string alphabet = "0123456789abcXYZ.@-_ *#!\t";
    std::string text;
    const int n = static_cast<int>(rng() % 12) + (allowEmpty ? 0 : 1);
    for (int i = 0; i < n; ++i) text += alphabet[rng() % alphabet.size()];
    return text;
}

std::string RandomWord(std::mt19937& rng) {
    const std::string alphabet = "0123456789-:.abcXYZ@_/";
    std::string word;
    const int n = 1 + static_cast<int>(rng() % 10);
    for (int i = 0; i < n; ++i) word += alphabet[rng() % alphabet.size()];
    return word;
}

void RandomizeDialPlan(std::mt19937& rng, DialPlanTable& dialPlan) {
    const std::array<LoopThrough, 3> loops = {LoopThrough::Isdn, LoopThrough::Pstn, LoopThrough::None};
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (rng() % 2 == 0) continue;
        dialPlan.SetEntry(
            p, DialPlanEntry{"", RandomText(rng, false), RandomText(rng, true), RandomText(rng, true),
                             loops[rng() % 3], RandomText(rng, true), rng() % 2 ? "V" : "-"});
    }
}

void RandomizeSip(std::mt19937& rng, SipSettings& sip, bool twoPort) {
    sip.SetTwoPort(twoPort);
    if (twoPort) {
        sip.BringExpiryListToForm(sip.Port1Expiry());
        sip.BringExpiryListToForm(sip.Port2Expiry());
    }
    sip.SetSipPort(RandomText(rng, true));
    sip.SetRegistrar(RandomText(rng, true));
    sip.SetPort1UserName(RandomText(rng, true));
    sip.SetPort1Password(RandomText(rng, true));
    sip.SetPort2UserName(RandomText(rng, true));
    sip.SetPort2Password(RandomText(rng, true));
    const bool useRegistrar = rng() % 2 == 0;
    sip.SetUseRegistrar(useRegistrar);
    sip.Port1RegisterVia().Select(twoPort ? static_cast<int>(rng() % 4) : (useRegistrar ? 1 : 0));
    if (twoPort) sip.Port2RegisterVia().Select(static_cast<int>(rng() % 4));
    sip.Port1Expiry().Select(static_cast<int>(rng() % sip.Port1Expiry().Count()));
    sip.Port2Expiry().Select(static_cast<int>(rng() % (sip.Port2Expiry().Count() + 1)) - 1);
}

void RandomizeCodec(std::mt19937& rng, CodecSettings& codec, bool twoPort) {
    if (!twoPort) codec.LimitCodecChoicesToOnePort();
    codec.Codec().Select(static_cast<int>(rng() % codec.Codec().Count()));
    codec.PacketSize().Select(static_cast<int>(rng() % codec.PacketSize().Count()));
    codec.SetDtmfMode(static_cast<int>(rng() % 3));
    codec.SetPayloadType(std::to_string(96 + rng() % 32));
    codec.SetRtpPortStart(RandomText(rng, true));
    codec.SetRtpPortEnd(RandomText(rng, true));
}

void RandomizeCallLog(std::mt19937& rng, CallLogTable& callLog) {
    std::string output = "\n\r";
    const int count = static_cast<int>(rng() % 14);
    for (int i = 1; i <= count; ++i) {
        const bool incoming = rng() % 2 == 0;
        std::string date = RandomWord(rng);
        if (date == "00-00-") date = "1";
        output += "No." + std::to_string(i) + "  " + date + "  " + RandomWord(rng) + "  " + RandomWord(rng) +
                  "  " + (incoming ? "IN" : "OUT") + "  " + RandomWord(rng) +
                  (incoming ? " " + RandomWord(rng) : "") + "\n\r";
    }
    output += "> \n\r";
    ASSERT_TRUE(callLog.ParseCallLog(output));
    ASSERT_EQ(callLog.RecordCount(), count);
    // Automatic refreshes move the rows down and renumber them.
    if (rng() % 2 == 0) callLog.MergeCallLog("\n\rNo.1  09-09-2099  01:02:03  9  OUT  late.host\n\r> \n\r");
}

TEST_F(SettingsFileTest, SaveAllHoldsTheSectionsInOrder) {
    Program program(lang);
    ASSERT_TRUE(program.callLog.ParseCallLog("No.1  01-02-2024  10:11:12  35  IN  10.0.0.5 5060\n\r> "));
    const std::string text = SaveAllText(program.Models());
    const std::string expected = program.dialPlan.AllRowsText() + "\r\n;LIST\r\n" + program.sip.SipRowText() +
                                 "\r\n;SIP\r\n" + program.codec.CodecRowText(false) + "\r\n;END\r\n" +
                                 "\r\n;VoIP LOG\r\n" +
                                 "\r\n; Index,  Date(mm-dd-yyyy),  Time(hh:mm:ss),  Duration(sec),  In/Out,  "
                                 "IP/Domain/Port\r\n;" +
                                 std::string(89, '=') + "\r\n" + program.callLog.CallLogRowText(0);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(DialPlanFileText(program.dialPlan), program.dialPlan.AllRowsText() + "\r\n;LIST\r\n");
    EXPECT_EQ(SipFileText(program.sip), program.sip.SipRowText() + "\r\n;SIP\r\n");
    EXPECT_EQ(CodecFileText(program.codec), program.codec.CodecRowText(false) + "\r\n;END\r\n");
}

TEST_F(SettingsFileTest, SaveAllWithAnEmptyLogEndsWithTheSeparatorLine) {
    Program program(lang);
    const std::string text = SaveAllText(program.Models());
    const std::string tail = ";" + std::string(89, '=') + "\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(CallLogFileText(program.callLog).substr(0, 13), "\r\n;VoIP LOG\r\n");
}

TEST_F(SettingsFileTest, SaveAllThenLoadRestoresEveryModel) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        const bool twoPort = seed % 2 == 0;
        Program original(lang);
        RandomizeDialPlan(rng, original.dialPlan);
        RandomizeSip(rng, original.sip, twoPort);
        RandomizeCodec(rng, original.codec, twoPort);
        RandomizeCallLog(rng, original.callLog);
        const std::string text = SaveAllText(original.Models());

        Program loaded(lang);
        loaded.sip.SetTwoPort(twoPort);
        Load(loaded, text);
        ASSERT_TRUE(port.shown.empty()) << "seed " << seed;
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            ASSERT_EQ(loaded.dialPlan.Entry(p), original.dialPlan.Entry(p))
                << "seed " << seed << " position " << p;
            EXPECT_EQ(loaded.dialPlan.IsChanged(p), !original.dialPlan.Entry(p).phoneNumber.empty());
        }
        ASSERT_EQ(SipState(loaded.sip), SipState(original.sip)) << "seed " << seed;
        if (!twoPort) {
            ASSERT_EQ(loaded.sip.UseRegistrar(), original.sip.UseRegistrar()) << "seed " << seed;
        }
        ASSERT_EQ(CodecState(loaded.codec), CodecState(original.codec)) << "seed " << seed;
        const auto& rows = original.callLog.Rows();
        const int count = original.callLog.RecordCount();
        ASSERT_EQ(loaded.callLog.RecordCount(), count) << "seed " << seed;
        for (int i = 0; i < count; ++i) ASSERT_EQ(loaded.callLog.Rows()[i], rows[i]) << "seed " << seed;
        ASSERT_EQ(SaveAllText(loaded.Models()), text) << "seed " << seed;
    }
}

TEST_F(SettingsFileTest, EachPageFileLoadsOnlyItsOwnSection) {
    std::mt19937 rng(7);
    Program source(lang);
    RandomizeDialPlan(rng, source.dialPlan);
    RandomizeSip(rng, source.sip, true);
    RandomizeCodec(rng, source.codec, true);
    source.codec.Codec().Select(4);
    RandomizeCallLog(rng, source.callLog);
    ASSERT_GT(source.callLog.RecordCount(), 0);
    const Program fresh(lang);

    {
        Program program(lang);
        Load(program, DialPlanFileText(source.dialPlan));
        ExpectSameDialPlan(program.dialPlan, source.dialPlan);
        EXPECT_EQ(SipState(program.sip), SipState(fresh.sip));
        EXPECT_EQ(CodecState(program.codec), CodecState(fresh.codec));
        EXPECT_EQ(program.callLog, fresh.callLog);
    }
    {
        Program program(lang);
        program.sip.SetTwoPort(true);
        Load(program, SipFileText(source.sip));
        EXPECT_EQ(SipState(program.sip), SipState(source.sip));
        EXPECT_EQ(program.dialPlan, fresh.dialPlan);
        EXPECT_EQ(CodecState(program.codec), CodecState(fresh.codec));
        EXPECT_EQ(program.callLog, fresh.callLog);
    }
    {
        Program program(lang);
        Load(program, CodecFileText(source.codec));
        EXPECT_EQ(CodecState(program.codec), CodecState(source.codec));
        EXPECT_EQ(program.codec.Codec().Selected(), 4) << "the fifth codec entry is restored too";
        EXPECT_EQ(program.dialPlan, fresh.dialPlan);
        EXPECT_EQ(SipState(program.sip), SipState(fresh.sip));
        EXPECT_EQ(program.callLog, fresh.callLog);
    }
    {
        Program program(lang);
        Load(program, CallLogFileText(source.callLog));
        EXPECT_EQ(program.callLog.RecordCount(), source.callLog.RecordCount());
        for (int i = 0; i < source.callLog.RecordCount(); ++i) {
            EXPECT_EQ(program.callLog.Rows()[i], source.callLog.Rows()[i]);
        }
        EXPECT_EQ(program.dialPlan, fresh.dialPlan);
        EXPECT_EQ(SipState(program.sip), SipState(fresh.sip));
        EXPECT_EQ(CodecState(program.codec), CodecState(fresh.codec));
    }
    EXPECT_TRUE(port.shown.empty());
}

TEST_F(SettingsFileTest, SectionsEndingAtTheStartOfTheFileAreReportedOnceEach) {
    Program program(lang);
    const Program fresh(lang);
    // ";LIST" at the very start: the dial-plan reader fails; the SIP section after it still loads.
    Load(program, ";LIST\r\n5070,reg,1,n1,pw1,3,0,n2,pw2,4\r\n\r\n;SIP\r\n");
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, lang.LookupText("Message_Error"));
    EXPECT_EQ(port.shown[0].text, lang.LookupText("Message_FileFail"));
    EXPECT_EQ(program.sip.SipPort(), "5070");
    EXPECT_EQ(program.dialPlan, fresh.dialPlan);

    // ";END" at the start: the codec reader fails.
    port.shown.clear();
    Load(program, ";END\r\n");
    EXPECT_EQ(port.shown.size(), 1u);

    // A log file without its leading empty line: the codec reader, run up to ";VoI", fails; the log
    // still loads.
    port.shown.clear();
    Load(program, ";VoIP LOG\r\n  No.1,     d,       t,          5,            OUT,      h\r\n");
    EXPECT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(program.callLog.RecordCount(), 1);
    EXPECT_EQ(program.callLog.Rows()[0], (CallLogRecord{"No.1", "d", "t", "5", "OUT", "h"}));

    // A file without any marker reads nothing and is refused.
    port.shown.clear();
    Program untouched(lang);
    Load(untouched, "1,123,a,b,ISDN,,V\r\n5070,reg\r\n");
    EXPECT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(untouched.dialPlan, fresh.dialPlan);
    EXPECT_EQ(SipState(untouched.sip), SipState(fresh.sip));
}

TEST_F(SettingsFileTest, MissingKeysFallBackToTheEnglishMessage) {
    Program program(lang);
    const LanguageTable empty;
    LoadSettingsText(";LIST\r\n", program.Models(), empty, port);
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, "Error");
    EXPECT_EQ(port.shown[0].text, "Couldn't load settings form the file!");
}

TEST_F(SettingsFileTest, SipMarkerBeforeTheDialPlanMarkerIsNotFound) {
    Program source(lang);
    source.sip.SetSipPort("5099");
    source.codec.SetPayloadType("120");
    source.dialPlan.SetEntry(2, DialPlanEntry{"", "333", "", "a@b", LoopThrough::Isdn, "", "V"});
    const std::string text =
        CodecFileText(source.codec) + SipFileText(source.sip) + DialPlanFileText(source.dialPlan);
    Program program(lang);
    Load(program, text);
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(program.dialPlan.Entry(2).phoneNumber, "333");
    EXPECT_EQ(program.sip.SipPort(), "5060") << "the SIP section is not found";
    EXPECT_EQ(program.codec.PayloadType(), "120") << "the codec search runs from the start of the file";
}

TEST_F(SettingsFileTest, NameWithACommaIsQuotedAndReadsBackWhole) {
    Program source(lang);
    source.dialPlan.SetEntry(0,
                             DialPlanEntry{"", "100", "Smith, \"John\"", "p@h", LoopThrough::Pstn, "9", "V"});
    const std::string text = DialPlanFileText(source.dialPlan);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "1,100,\"Smith, \"\"John\"\"\",p@h,PSTN,9,V");
    Program program(lang);
    Load(program, text);
    EXPECT_EQ(program.dialPlan.Entry(0), source.dialPlan.Entry(0));
}

TEST_F(SettingsFileTest, SipAndCodecReadersSkipEmptyLinesAndTakeLaterRows) {
    SipSettings sip(lang);
    const std::string sipText = "\r\n5070,r1\r\n,r2,\r\n";
    ASSERT_TRUE(LoadSipSection(sip, sipText, 0, sipText.size()));
    EXPECT_EQ(sip.SipPort(), "") << "a line whose first field ends at a comma is read";
    EXPECT_EQ(sip.Registrar(), "r2");
    EXPECT_FALSE(LoadSipSection(sip, sipText, 0, 0));

    CodecSettings codec(lang);
    const std::string codecText = "\r\nno such codec,no such size,7,99,1,2\r\n";
    ASSERT_TRUE(LoadCodecSection(codec, codecText, 0, codecText.size()));
    EXPECT_EQ(codec.Codec().Selected(), kDefaultCodecPosition);
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfInBand);
    EXPECT_EQ(codec.PayloadType(), "99");
    EXPECT_EQ(codec.RtpPortEnd(), "2");
}

TEST_F(SettingsFileTest, FilesAreReadAsBytes) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("dezadav_settings_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / "all.csv";

    Program source(lang);
    source.dialPlan.SetEntry(
        5, DialPlanEntry{"", "\xe5\x8c\x97\xe4\xba\xac", "", "x@y", LoopThrough::None, "", "V"});
    const std::string text = SaveAllText(source.Models());
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(ReadSettingsFile(path), text);

    Program loaded(lang);
    ASSERT_TRUE(LoadSettingsFile(path, loaded.Models(), lang, port));
    EXPECT_EQ(loaded.dialPlan.Entry(5), source.dialPlan.Entry(5));

    Program untouched(lang);
    std::string reason;
    EXPECT_FALSE(ReadSettingsFile(dir / "missing.csv", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(LoadSettingsFile(dir / "missing.csv", untouched.Models(), lang, port));
    EXPECT_FALSE(LoadSettingsFile(dir, untouched.Models(), lang, port));
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(untouched.dialPlan, Program(lang).dialPlan);
    std::filesystem::remove_all(dir);
}

// What editors and tools make of a saved file must read as the file itself: LF alone for CR LF, no
// end on the last line.
TEST_F(SettingsFileTest, LineEndsDoNotChangeWhatIsRead) {
    Program source(lang);
    source.dialPlan.SetEntry(0, DialPlanEntry{"", "101", "Desk", "desk@pbx", LoopThrough::Isdn, "555", "V"});
    source.dialPlan.SetEntry(11, DialPlanEntry{"", "112", "", "@host", LoopThrough::None, "", ""});
    source.sip.LoadSipField(SipField::SipPort, "5062");
    source.sip.LoadSipField(SipField::Port1UserName, "alice");
    source.codec.LoadCodecField(CodecField::RtpPortEnd, "16000");
    const std::string crlf = SaveAllText(source.Models());
    std::string lf;
    for (const char c : crlf) {
        if (c != '\r') lf += c;
    }
    const auto readBack = [&](const std::string& text) {
        Program loaded(lang);
        LoadSettingsText(text, loaded.Models(), lang, port);
        return SaveAllText(loaded.Models());
    };
    const std::string expected = readBack(crlf);
    EXPECT_EQ(readBack(lf), expected);
    EXPECT_EQ(readBack(lf.substr(0, lf.size() - 1)), expected);  // the last line without its end
    EXPECT_EQ(WithCrLfLineEnds(crlf), crlf);
    EXPECT_TRUE(port.shown.empty());
}

TEST_F(SettingsFileTest, TextWithoutAnySectionIsNoSettingsFile) {
    Program loaded(lang);
    loaded.dialPlan.SetEntry(2, DialPlanEntry{"", "103", "", "a@b", std::nullopt, "", "V"});
    const Program before = loaded;
    const std::string saved = SaveAllText(loaded.Models());
    for (const std::string& text : {std::string(), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                                    std::string("# README\nnothing here\n"), saved.substr(0, 200)}) {
        port.shown.clear();
        const SettingsLoadResult result = LoadSettingsText(text, loaded.Models(), lang, port);
        EXPECT_TRUE(result.notSettingsText);
        EXPECT_TRUE(result.AnyFailed());
        ASSERT_EQ(port.shown.size(), 1u);
        EXPECT_EQ(port.shown[0].text, "Couldn't load settings form the file!");
        EXPECT_EQ(loaded.dialPlan, before.dialPlan);
        EXPECT_FALSE(loaded.dialPlan.IsChanged(0));
    }
}

TEST(SettingsFileFormTest, OnlyWhatOneFormCanHoldTellsTheForm) {
    const LanguageTable lang = ShippedEnglish();
    const auto form = [&lang](const std::string& dialPlanRow, const std::string& sipRow) {
        return SettingsFileIsTwoPort(dialPlanRow + "\r\n;LIST\r\n" + sipRow + "\r\n;SIP\r\n", lang);
    };
    const std::string plainRow = "1,101,,a@b,,,V";
    EXPECT_EQ(form(plainRow, "5060,reg,2,n,p,1,0,n2,p2,1"), std::optional<bool>(true));  // via WAN
    EXPECT_EQ(form("1,101,,a@b,ISDN,,V", "5060,reg,1,n,p,1,0,n2,p2,1"), std::optional<bool>(false));
    EXPECT_EQ(form(plainRow, "5060,reg,1,n,p,9,0,n2,p2,1"), std::optional<bool>(false));  // 10th expiry
    EXPECT_EQ(form(plainRow, "5060,reg,1,n,p,1,0,n2,p2,1"), std::nullopt);
    EXPECT_EQ(form("1,101,,a@b,,777,V", "5060,reg,3,n,p,1,0,n2,p2,1"), std::nullopt);  // both
}

}  // namespace
}  // namespace dezadav
