// Settings files under abuse: empty, binary, 50 MB, the section markers in every order, lines without
// CR, fields of 10,000 bytes, a marker at the very start. A load never crashes or hangs, holds what
// it reads whole, shows one message per failing section and no other, and leaves the models in a
// state that saves and loads back to itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/english_language.h"
#include "support/page_models.h"
#include "settings/settings_file.h"
#include "support/recording_message_port.h"

namespace dezadav::testing {
namespace {

constexpr const char* kFileFail = "Couldn't load settings form the file!";

class SettingsFileAbuseTest : public ::testing::Test, protected PageModels {
protected:
    SettingsFileAbuseTest() : PageModels(English()) {}
    static const LanguageTable& English() {
        static const LanguageTable english = ShippedEnglish();
        return english;
    }

    // Loads `text` and returns the messages shown; every one must be the file failure.
    std::size_t Load(std::string_view text) {
        port.shown.clear();
        LoadSettingsText(text, Models(), language, port);
        for (const auto& shown : port.shown) {
            EXPECT_EQ("Error", shown.caption);
            EXPECT_EQ(kFileFail, shown.text);
        }
        return port.shown.size();
    }

    // Whatever a load left, saving it and loading that into fresh models gives the same models.
    void ExpectSavesAndLoadsBackToItself() {
        const std::string saved = SaveAllText(Models());
        DialPlanTable dialPlan2;
        SipSettings sip2(language);
        CodecSettings codec2(language);
        CallLogTable callLog2;
        RecordingMessagePort port2;
        LoadSettingsText(saved, SettingsModels{dialPlan2, sip2, codec2, callLog2}, language, port2);
        EXPECT_TRUE(port2.shown.empty());
        EXPECT_EQ(saved, SaveAllText(SettingsModels{dialPlan2, sip2, codec2, callLog2}));
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            EXPECT_EQ(std::to_string(p + 1), dialPlan.Entry(p).index);
        }
    }

    // A Save All file of models holding recognisable values.
    std::string SampleFile() {
        DialPlanTable d;
        DialPlanEntry entry = d.Entry(4);
        entry.phoneNumber = "5005";
        entry.name = "desk";
        entry.sipAddress = "desk@10.0.0.5";
        entry.loopThrough = LoopThrough::None;
        entry.statusMark = "V";
        d.SetEntry(4, entry);
        SipSettings s(language);
        s.LoadSipRow(
            std::vector<std::string>{"5062", "reg.example", "1", "alice", "pw", "3", "0", "bob", "pw2", "4"});
        CodecSettings c(language);
        c.LoadCodecRow(std::vector<std::string>{"G.711A (64Kpbs)", "30 ms", "2", "110", "12000", "13000"});
        CallLogTable l;
        l.ParseCallLog("No.1\t05-06-2024\t07:08:09\t33\tIN\t10.9.9.9 5060\n\r");
        return SaveAllText(SettingsModels{d, s, c, l});
    }

    const LanguageTable& language = English();
    RecordingMessagePort port;
};

TEST_F(SettingsFileAbuseTest, EmptyFileIsRefusedAndChangesNothing) {
    const std::string before = SaveAllText(Models());
    EXPECT_EQ(1u, Load(""));
    EXPECT_EQ(before, SaveAllText(Models()));

    // The same through the file: an empty file is read (not "could not be opened") and refused.
    port.shown.clear();
    const auto path =
        std::filesystem::temp_directory_path() / ("dezadav_empty_" + std::to_string(::getpid()) + ".csv");
    std::ofstream(path, std::ios::binary).flush();
    EXPECT_TRUE(LoadSettingsFile(path, Models(), language, port));
    EXPECT_EQ(1u, port.shown.size());
    std::filesystem::remove(path);
}

TEST_F(SettingsFileAbuseTest, BinaryFilesNeverBreakTheModels) {
    std::mt19937 random(4242);
    // Every byte value, random bytes, and random bytes with the four markers at random places.
    std::string everyByte;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    std::vector<std::string> files{everyByte};
    for (int i = 0; i < 20; ++i) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(1, 200000)(random), '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        if (i % 2 == 1) {
            for (const char* marker : {";LIST\r\n", ";SIP\r\n", ";END\r\n", ";VoIP LOG\r\n"}) {
                bytes.insert(std::uniform_int_distribution<std::size_t>(0, bytes.size())(random), marker);
            }
        }
        files.push_back(bytes);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        const std::size_t messages = Load(files[i]);
        EXPECT_LE(messages, 4u);
        if (!HoldsSettingsSection(files[i])) {
            EXPECT_EQ(1u, messages);  // refused as a whole
        } else if (files[i][0] != ';') {
            EXPECT_EQ(0u, messages);
        }
        ExpectSavesAndLoadsBackToItself();
        if (HasFailure()) break;
    }
}

// 50 MB in three forms: no marker at all, a huge dial-plan section, a huge log section. The sections
// around the bulk are still read exactly.
TEST_F(SettingsFileAbuseTest, FiftyMegabyteTextsLoadWholeAndFilesThatLargeAreNotRead) {
    constexpr std::size_t kBulk = 50u * 1024 * 1024;
    const std::string sample = SampleFile();
    const auto path =
        std::filesystem::temp_directory_path() / ("dezadav_50mb_" + std::to_string(::getpid()) + ".csv");
    std::string line = "7,1234567,someone,u@example.net,None,,V\r\n";

    // No marker: nothing read, refused once.
    {
        std::string bulk;
        bulk.reserve(kBulk);
        while (bulk.size() < kBulk) bulk += "x,y,z,w\r\n";
        const std::string before = SaveAllText(Models());
        port.shown.clear();
        LoadSettingsText(bulk, Models(), language, port);
        EXPECT_EQ(1u, port.shown.size());
        EXPECT_EQ(before, SaveAllText(Models()));
    }
    // 50 MB of dial-plan rows before the sample file's own rows: the last row for an entry wins, the
    // SIP and codec values come through.
    {
        std::string bulk;
        bulk.reserve(kBulk + sample.size());
        while (bulk.size() < kBulk) bulk += line;
        bulk += sample;
        port.shown.clear();
        LoadSettingsText(bulk, Models(), language, port);
        EXPECT_TRUE(port.shown.empty());
        EXPECT_EQ("5005", dialPlan.Entry(4).phoneNumber);
        EXPECT_EQ("reg.example", sip.SipFields()[1]);
        EXPECT_EQ("110", codec.CodecFields(true)[3]);
    }
    // A log section followed by 50 MB of text that holds no record.
    {
        std::string bulk = sample;
        bulk.reserve(kBulk + sample.size());
        while (bulk.size() < kBulk) bulk += "  junk,     more junk\r\n";
        port.shown.clear();
        LoadSettingsText(bulk, Models(), language, port);
        EXPECT_TRUE(port.shown.empty());
        ASSERT_GE(callLog.RecordCount(), 1);
        EXPECT_EQ("10.9.9.9 5060", callLog.Rows()[0].address);
        EXPECT_EQ("13000", codec.CodecFields(true)[5]);
    }
    // A file that large is no settings file: it is not even read whole.
    { std::ofstream(path, std::ios::binary) << std::string(kMaxSettingsFileBytes + 1, ','); }
    std::string reason;
    EXPECT_FALSE(ReadSettingsFile(path, &reason));
    EXPECT_EQ(kTooLargeReason, reason);
    EXPECT_FALSE(LoadSettingsFile(path, Models(), language, port));
    std::filesystem::remove(path);
}

// The four markers, each after a section of recognisable content, in all 24 orders; and the same with
// the first section empty, so that a marker stands at the very start of the file.
TEST_F(SettingsFileAbuseTest, MarkersInEveryOrder) {
    struct Section {
        std::string content;
        std::string marker;
    };
    const std::array<Section, 4> sections{{
        {"5,5005,desk,desk@10.0.0.5,None,,V\r\n", "\r\n;LIST\r\n"},
        {"5062,reg.example,1,alice,pw,3,0,bob,pw2,4\r\n", "\r\n;SIP\r\n"},
        {"G.711A (64Kpbs),30 ms,2,110,12000,13000\r\n", "\r\n;END\r\n"},
        {"",
         "\r\n;VoIP LOG\r\n\r\n  No.1,     05-06-2024,       07:08:09,          33,            OUT,      "
         "10.9.9.9\r\n"},
    }};
    std::array<int, 4> order{0, 1, 2, 3};
    int orders = 0;
    do {
        for (bool emptyFirst : {false, true}) {
            std::string text;
            for (std::size_t i = 0; i < order.size(); ++i) {
                const Section& section = sections[order[i]];
                if (!(emptyFirst && i == 0)) text += section.content;
                // Without the empty line before it, the first marker stands at offset 0.
                text += emptyFirst && i == 0 ? section.marker.substr(2) : section.marker;
            }
            SCOPED_TRACE(::testing::PrintToString(text));
            DialPlanTable freshDialPlan;
            dialPlan = freshDialPlan;
            const std::size_t messages = Load(text);
            EXPECT_LE(messages, 1u);  // only a section ending at offset 0 fails, and only one can
            if (text[0] != ';') {
                EXPECT_EQ(0u, messages);
            }
            if (text.rfind(";LIST", 0) == 0) {
                EXPECT_EQ(1u, messages);
            }
            // In the one order the sections are meant to stand in, everything is read.
            if (order == std::array<int, 4>{0, 1, 2, 3} && !emptyFirst) {
                EXPECT_EQ("5005", dialPlan.Entry(4).phoneNumber);
                EXPECT_EQ("reg.example", sip.SipFields()[1]);
                EXPECT_EQ("110", codec.CodecFields(true)[3]);
                ASSERT_EQ(1, callLog.RecordCount());
                EXPECT_EQ("10.9.9.9", callLog.Rows()[0].address);
            }
            ExpectSavesAndLoadsBackToItself();
        }
        ++orders;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(24, orders);
}

// A ";LIST" at offset 0: the dial-plan section ends before it begins, which is the one failure a
// reader reports. Its message comes once; the sections after it are read all the same.
TEST_F(SettingsFileAbuseTest, ListMarkerAtOffsetZeroFailsOnceAndTheRestStillLoads) {
    const std::string sample = SampleFile();
    const std::string afterList = sample.substr(sample.find(";LIST") + 7);
    DialPlanEntry untouched = dialPlan.Entry(4);
    EXPECT_EQ(1u, Load(";LIST\r\n" + afterList));
    EXPECT_EQ(untouched, dialPlan.Entry(4));
    EXPECT_FALSE(dialPlan.IsChanged(4));
    EXPECT_EQ("reg.example", sip.SipFields()[1]);
    EXPECT_EQ("110", codec.CodecFields(true)[3]);
    EXPECT_EQ(1, callLog.RecordCount());
}

// Lines that end in LF alone: the readers see one long line per section, and nothing breaks.
TEST_F(SettingsFileAbuseTest, LinesWithoutCarriageReturns) {
    std::string text = SampleFile();
    std::string lfOnly;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lfOnly += text[i];
    ASSERT_EQ(std::string::npos, lfOnly.find('\r'));
    EXPECT_EQ(0u, Load(lfOnly));
    // The file's first line runs to the first CR LF, which never comes: entry 1 takes its first
    // seven fields.
    EXPECT_EQ("1", dialPlan.Entry(0).index);
    ExpectSavesAndLoadsBackToItself();

    // And a file of CRs alone: every CR ends a line, as old editors wrote them.
    std::string crOnly;
    for (char c : text)
        if (c != '\n') crOnly += c;
    EXPECT_EQ(0u, Load(crOnly));
    ExpectSavesAndLoadsBackToItself();
}

// A field of 10,000 bytes in every text field of every section is held whole, not cut.
TEST_F(SettingsFileAbuseTest, TenThousandByteFieldsAreHeldWhole) {
    const std::string big(10000, 'a');
    const std::string bigDigits(10000, '7');
    std::string text =
        "5," + bigDigits + "," + big + ",u" + big + "@h" + big + ",None," + bigDigits + ",V\r\n";
    text += "\r\n;LIST\r\n";
    text += bigDigits + ",r" + big + ",1,n" + big + ",p" + big + ",3,0,m" + big + ",q" + big +
            ",4\r\n\r\n;SIP\r\n";
    text += "G.711A (64Kpbs),30 ms,2," + bigDigits + ",1" + bigDigits + ",2" + bigDigits + "\r\n\r\n;END\r\n";
    text +=
        "\r\n;VoIP LOG\r\n\r\n  No.1,     05-06-2024,       07:08:09,          33,            OUT,      z" +
        big + "\r\n";
    EXPECT_EQ(0u, Load(text));

    const DialPlanEntry& entry = dialPlan.Entry(4);
    EXPECT_EQ(bigDigits, entry.phoneNumber);
    EXPECT_EQ(big, entry.name);
    EXPECT_EQ("u" + big + "@h" + big, entry.sipAddress);
    EXPECT_EQ(bigDigits, entry.backupNumber);
    const std::vector<std::string> sipFields = sip.SipFields();
    EXPECT_EQ(bigDigits, sipFields[0]);
    EXPECT_EQ("r" + big, sipFields[1]);
    EXPECT_EQ("n" + big, sipFields[3]);
    EXPECT_EQ("p" + big, sipFields[4]);
    const std::vector<std::string> codecFields = codec.CodecFields(true);
    EXPECT_EQ(bigDigits, codecFields[3]);
    EXPECT_EQ("1" + bigDigits, codecFields[4]);
    EXPECT_EQ("2" + bigDigits, codecFields[5]);
    ASSERT_EQ(1, callLog.RecordCount());
    EXPECT_EQ("z" + big, callLog.Rows()[0].address);
    ExpectSavesAndLoadsBackToItself();
}

}  // namespace
}  // namespace dezadav::testing
