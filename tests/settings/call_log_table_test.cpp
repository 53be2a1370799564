#include "settings/call_log_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/routersim_process.h"
#include "support/temp_files.h"
#include "support/wire_client.h"

namespace dezadav {
namespace {

struct Call {
    std::string date;
    std::string time;
    std::string duration;
    std::string direction;
    std::string address;  // for an incoming call two words joined by one space
};

// One router line; `gap` stands between the words ("  " as the router prints, or a tab).
std::string RouterLine(int number, const Call& c, const std::string& gap = "  ") {
    return "No." + std::to_string(number) + gap + c.date + gap + c.time + gap + c.duration + gap +
           c.direction + gap + c.address + "\n\r";
}

// The output of "voip sip calllog" for calls newest first, followed by empty slots up to ten.
std::string RouterOutput(const std::vector<Call>& calls, bool emptySlots = true) {
    std::string text = "\n\r";
    int number = 1;
    for (const Call& c : calls) text += RouterLine(number++, c);
    for (; emptySlots && number <= 10; ++number) {
        text += "No." + std::to_string(number) + "  00-00-    0  00:00:00  0  -  \n\r";
    }
    text += "> \n\r";
    return text;
}

CallLogRecord Row(int number, const Call& c) {
    return {"No." + std::to_string(number), c.date, c.time, c.duration, c.direction, c.address};
}

const Call kOut1{"01-02-2024", "10:11:12", "35", "OUT", "192.168.1.9"};
const Call kIn2{"01-02-2024", "09:00:01", "7", "IN", "10.0.0.5 5060"};
const Call kOut3{"12-31-2023", "23:59:59", "120", "OUT", "sip.example.com"};

std::vector<CallLogRecord> Placeholders() {
    std::vector<CallLogRecord> rows;
    for (int i = 0; i < CallLogTable::kPlaceholderRows; ++i) {
        rows.push_back({"No." + std::to_string(i + 1), "00-00-    0", "00:00:00", "0", "-", ""});
    }
    return rows;
}

TEST(CallLogTableTest, StartsWithTenPlaceholderRows) {
    CallLogTable table;
    EXPECT_EQ(table.Rows(), Placeholders());
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST(CallLogTableTest, FullParseFillsRowsInOrderUpToTheFirstEmptySlot) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1, kIn2, kOut3})));
    std::vector<CallLogRecord> expected = Placeholders();
    expected[0] = Row(1, kOut1);
    expected[1] = Row(2, kIn2);
    expected[2] = Row(3, kOut3);
    EXPECT_EQ(table.Rows(), expected);
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(CallLogTableTest, OutgoingCallKeepsOnlyTheFirstAddressWord) {
    CallLogTable table;
    Call twoWords = kOut1;
    twoWords.address = "192.168.1.9 5060";
    // The call after an incoming one starts with its direction cleared.
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kIn2, twoWords})));
    EXPECT_EQ(table.Rows()[0].address, "10.0.0.5 5060");
    EXPECT_EQ(table.Rows()[1].address, "192.168.1.9");
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(CallLogTableTest, EmptyFirstSlotLeavesThePlaceholders) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({})));
    EXPECT_EQ(table.Rows(), Placeholders());
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.ParseCallLog(""));
    EXPECT_FALSE(table.MergeCallLogRecord("", 1));
    EXPECT_EQ(table.Rows(), Placeholders());
}

TEST(CallLogTableTest, FullParseContinuesFromRecordCount) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1, kIn2})));
    ASSERT_EQ(table.RecordCount(), 2);
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut3, kOut3, kIn2})));
    EXPECT_EQ(table.Rows()[0], Row(1, kOut1));
    EXPECT_EQ(table.Rows()[1], Row(2, kIn2));
    EXPECT_EQ(table.Rows()[2], Row(3, kIn2)) << "records 1 and 2 are passed over, record 3 goes to row 2";
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(CallLogTableTest, TabsEndWordsAndLinesEndAtLineFeedCarriageReturn) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog("\n\r" + RouterLine(1, kOut1, "\t") + RouterLine(2, kIn2, " \t ") + "> "));
    EXPECT_EQ(table.Rows()[0], Row(1, kOut1));
    // " \t " yields two empty words between the real ones (the tab ends one, the space after the
    // tab another), so the columns shift; the record still ends within its line.
    EXPECT_EQ(table.Rows()[1], (CallLogRecord{"No.2", "", "", "01-02-2024", "", ""}));
    EXPECT_EQ(table.RecordCount(), 2);

    // Lines ended by CR LF instead of LF CR run together: only the first record is taken.
    CallLogTable crlf;
    std::string text = RouterLine(1, kOut1) + RouterLine(2, kOut3);
    for (std::size_t pos = text.find("\n\r"); pos != std::string::npos; pos = text.find("\n\r", pos + 2)) {
        text[pos] = '\r';
        text[pos + 1] = '\n';
    }
    ASSERT_TRUE(crlf.ParseCallLog(text));
    EXPECT_EQ(crlf.RecordCount(), 1);
    EXPECT_EQ(crlf.Rows()[0], Row(1, kOut1));
    EXPECT_EQ(crlf.Rows()[1], Placeholders()[1]);
}

TEST(CallLogTableTest, RecordCutShortKeepsItsColumnsWithoutCountingIt) {
    const std::string line = "No.1  01-02-2024  10:11:12  35  OUT  ";
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(line));
    CallLogRecord expected = Placeholders()[0];
    expected.date = "01-02-2024";
    expected.time = "10:11:12";
    expected.duration = "35";
    expected.direction = "OUT";
    EXPECT_EQ(table.Rows()[0], expected);
    EXPECT_EQ(table.RecordCount(), 0);
    // The last word of a text that no space or CR ends is not taken.
    CallLogTable unterminated;
    ASSERT_TRUE(unterminated.ParseCallLog(line + "1.2.3.4"));
    EXPECT_EQ(unterminated.RecordCount(), 0);
    ASSERT_TRUE(unterminated.ParseCallLog(line + "1.2.3.4 "));
    EXPECT_EQ(unterminated.RecordCount(), 1);
}

TEST(CallLogTableTest, LineFollowedByALeadingSpaceYieldsOneMoreEmptyWord) {
    // The scan of a line takes the byte after its CR too: an incoming call whose second address word
    // is missing takes the empty word that a following line's leading space makes.
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog("No.1  01-01-2024  10:00:00  5  IN  10.0.0.1\n\r No.2 x\n\r"));
    EXPECT_EQ(table.Rows()[0], (CallLogRecord{"No.1", "01-01-2024", "10:00:00", "5", "IN", "10.0.0.1 "}));
    EXPECT_EQ(table.RecordCount(), 1);
    CallLogTable noSpace;
    ASSERT_TRUE(noSpace.ParseCallLog("No.1  01-01-2024  10:00:00  5  IN  10.0.0.1\n\rNo.2 x\n\r"));
    EXPECT_EQ(noSpace.RecordCount(), 0);
}

TEST(CallLogTableTest, RecordsBeyondTheLastRowAddRows) {
    std::vector<Call> calls;
    for (int i = 0; i < 13; ++i)
        calls.push_back({"05-0" + std::to_string(i % 9 + 1) + "-2024", "10:00:" + std::to_string(10 + i),
                         std::to_string(i), "OUT", "h" + std::to_string(i)});
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput(calls, false)));
    ASSERT_EQ(table.RecordCount(), 13);
    ASSERT_EQ(table.Rows().size(), 13u);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(table.Rows()[i], Row(i + 1, calls[i]));
    EXPECT_EQ(table.RecordRowsText().size(), [&] {
        std::size_t n = 0;
        for (int i = 0; i < 13; ++i) n += table.CallLogRowText(i).size();
        return n;
    }());
}

TEST(CallLogTableTest, RefreshInsertsNewCallsAtTheTopNewestFirst) {
    CallLogTable table;
    table.MergeCallLog(RouterOutput({kOut1, kIn2, kOut3}));
    std::vector<CallLogRecord> expected = Placeholders();
    expected.insert(expected.begin(), {Row(1, kOut1), Row(2, kIn2), Row(3, kOut3)});
    expected.resize(10);
    for (int i = 3; i < 10; ++i) expected[i].number = "No." + std::to_string(i + 1);
    EXPECT_EQ(table.Rows(), expected) << "each insertion drops the last placeholder row";
    EXPECT_EQ(table.RecordCount(), 3);

    // The router logs a new call: only it is inserted.
    const Call newest{"01-03-2024", "08:00:00", "61", "OUT", "new.host"};
    table.MergeCallLog(RouterOutput({newest, kOut1, kIn2, kOut3}));
    EXPECT_EQ(table.Rows()[0], Row(1, newest));
    EXPECT_EQ(table.Rows()[1], Row(2, kOut1));
    EXPECT_EQ(table.Rows()[3], Row(4, kOut3));
    EXPECT_EQ(table.Rows().size(), 10u);
    EXPECT_EQ(table.RecordCount(), 4);
}

TEST(CallLogTableTest, MergeWithTenRecordsGrowsTheTable) {
    std::vector<Call> calls;
    for (int i = 0; i < 10; ++i)
        calls.push_back(
            {"02-1" + std::to_string(i) + "-2024", "11:00:0" + std::to_string(i), "1", "OUT", "a"});
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput(calls)));
    ASSERT_EQ(table.RecordCount(), 10);
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({kOut3}), 1));
    EXPECT_EQ(table.Rows().size(), 11u);
    EXPECT_EQ(table.Rows()[0], Row(1, kOut3));
    EXPECT_EQ(table.Rows()[10], Row(11, calls[9]));
    EXPECT_EQ(table.RecordCount(), 11);
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(
            table.MergeCallLogRecord(RouterOutput({Call{"x", std::to_string(k), "1", "OUT", "b"}}), 1));
    EXPECT_EQ(table.Rows().size(), 14u);

    table.ClearCallLog();
    EXPECT_EQ(table.Rows(), Placeholders());
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST(CallLogTableTest, MergeKeepsANewCallWhoseDateAndTimeAreListedOnlyOnDifferentRows) {
    CallLogTable table;
    const Call sameDate{"12-07-2024", "17:30:00", "60", "OUT", "192.168.1.9"};
    const Call sameTime{"12-06-2024", "09:00:00", "20", "OUT", "192.168.1.8"};
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({sameDate, sameTime})));
    const Call newCall{"12-07-2024", "09:00:00", "5", "OUT", "192.168.1.7"};
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({newCall, sameDate, sameTime}), 1));
    EXPECT_EQ(table.Rows()[0], Row(1, newCall));
    EXPECT_EQ(table.Rows()[1], Row(2, sameDate));
    EXPECT_EQ(table.Rows()[2], Row(3, sameTime));
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(CallLogTableTest, MergeNeedsBothDateAndTimeListed) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1})));
    const Call sameTime{"07-07-2024", kOut1.time, "3", "OUT", "other"};
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({sameTime}), 1));
    EXPECT_EQ(table.Rows()[0], Row(1, sameTime));
    const Call sameDate{kOut1.date, "00:00:01", "4", "OUT", "third"};
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({sameDate}), 1));
    EXPECT_EQ(table.Rows()[0], Row(1, sameDate));
    EXPECT_EQ(table.Rows()[2], Row(3, kOut1));
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(CallLogTableTest, MergeOfAListedCallRefreshesItsOwnDuration) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1, kIn2, kOut3})));
    Call longer = kIn2;
    longer.duration = "480";
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({kOut1, longer, kOut3}), 2));
    EXPECT_EQ(table.Rows()[1].duration, "480");
    EXPECT_EQ(table.Rows()[0], Row(1, kOut1)) << "the top row keeps its own duration";
    EXPECT_EQ(table.Rows()[2], Row(3, kOut3));
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(CallLogTableTest, MergePassLooksForItsOwnRecordNumber) {
    std::vector<Call> calls;
    for (int i = 0; i < 10; ++i)
        calls.push_back({"03-0" + std::to_string(i) + "-2024", "12:00:0" + std::to_string(i),
                         std::to_string(100 + i), i % 2 ? "IN" : "OUT", i % 2 ? "h 1" : "h"});
    CallLogTable table;
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput(calls), 10));
    EXPECT_EQ(table.Rows()[0], Row(1, calls[9]))
        << "the pass with number 10 merges record 10, duration included";
    EXPECT_EQ(table.RecordCount(), 1);

    CallLogTable all;
    all.MergeCallLog(RouterOutput(calls));
    ASSERT_EQ(all.RecordCount(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(all.Rows()[i], Row(i + 1, calls[i]));
}

TEST(CallLogTableTest, MergeOfAnEmptySlotChangesNothing) {
    CallLogTable table;
    ASSERT_TRUE(table.MergeCallLogRecord(RouterOutput({kOut1}), 2));
    EXPECT_EQ(table.Rows(), Placeholders());
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST(CallLogTableTest, ClearThenRefreshPutsTheCallsAboveThePlaceholders) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1, kIn2})));
    table.ClearCallLog();
    table.MergeCallLog(RouterOutput({kOut1, kIn2}));
    EXPECT_EQ(table.Rows().size(), 10u);
    EXPECT_EQ(table.Rows()[0], Row(1, kOut1));
    EXPECT_EQ(table.Rows()[1], Row(2, kIn2));
    EXPECT_EQ(table.Rows()[2].date, "00-00-    0");
    EXPECT_EQ(table.Rows()[9].number, "No.10");
}

TEST(CallLogTableTest, RowTextHasTheFileLayout) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kIn2})));
    EXPECT_EQ(table.CallLogRowText(0),
              "  No.1,     01-02-2024,       09:00:01,          7,            IN,      10.0.0.5 5060\r\n");
    EXPECT_EQ(table.CallLogRowText(10), "");
    EXPECT_EQ(table.CallLogRowText(-1), "");
    EXPECT_EQ(table.RecordRowsText(), table.CallLogRowText(0));
    EXPECT_EQ(CallLogTable().RecordRowsText(), "");
}

TEST(CallLogTableTest, FileSectionReadsRowsWithCommasRemoved) {
    CallLogTable table;
    ASSERT_TRUE(table.ParseCallLog(RouterOutput({kOut1, kIn2, kOut3})));
    const std::string rows = table.RecordRowsText();
    const std::string section = "\r\n;VoIP LOG\r\n\r\n; Index,  Date\r\n;=====\r\n" + rows;

    CallLogTable loaded;
    ASSERT_TRUE(loaded.ParseCallLog(RouterOutput({kOut3, kOut3, kOut3, kOut3, kOut3})));
    ASSERT_TRUE(loaded.LoadCallLogSection(section, 0, section.size()));
    EXPECT_EQ(loaded.RecordCount(), 3) << "the count starts again from 0";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(loaded.Rows()[i], table.Rows()[i]);
    EXPECT_EQ(loaded.Rows()[3], Row(4, kOut3)) << "rows after the last loaded record keep their contents";

    EXPECT_FALSE(loaded.LoadCallLogSection(section, 0, 0));
    EXPECT_EQ(loaded.RecordCount(), 3);
}

TEST(CallLogTableTest, FileSectionStopsAtAnEmptySlotUntilTheNextDivision) {
    const std::string section =
        "  No.1,     00-00-,       a,          b,            OUT,      c\r\n"
        "  No.1,     01-01-2024,       a,          b,            OUT,      c\r\n"
        "\r\n"
        "  No.1,     01-01-2024,       t,          d,            OUT,      h\r\n";
    CallLogTable table;
    ASSERT_TRUE(table.LoadCallLogSection(section, 0, section.size()));
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.Rows()[0], (CallLogRecord{"No.1", "01-01-2024", "t", "d", "OUT", "h"}));
}

// Random words as the router prints them: no space, tab, CR or LF inside (those end or are removed
// from words), no comma (the file reader removes commas), never the empty-slot date.
std::string RandomWord(std::mt19937& rng) {
    const std::string alphabet = "0123456789-:.abcXYZ@_;>/";
    std::string word;
    const int n = 1 + static_cast<int>(rng() % 14);
    for (int i = 0; i < n; ++i) word += alphabet[rng() % alphabet.size()];
    return word;
}

std::vector<Call> RandomCalls(std::mt19937& rng, int count) {
    std::vector<Call> calls;
    for (int i = 0; i < count; ++i) {
        Call c{RandomWord(rng), RandomWord(rng), RandomWord(rng), rng() % 2 ? "IN" : RandomWord(rng),
               RandomWord(rng)};
        if (c.date == "00-00-") c.date = "0";
        if (c.direction == "IN") c.address += " " + RandomWord(rng);
        calls.push_back(c);
    }
    return calls;
}

TEST(CallLogTableTest, RandomRouterLogsReadBackAndSurviveTheFileRows) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        const int count = static_cast<int>(rng() % 14);
        const std::vector<Call> calls = RandomCalls(rng, count);
        CallLogTable table;
        ASSERT_TRUE(table.ParseCallLog(RouterOutput(calls)));
        ASSERT_EQ(table.RecordCount(), count) << "seed " << seed;
        for (int i = 0; i < count; ++i) ASSERT_EQ(table.Rows()[i], Row(i + 1, calls[i])) << "seed " << seed;

        CallLogTable loaded;
        const std::string rows = "\r\n;VoIP LOG\r\n" + table.RecordRowsText();
        ASSERT_TRUE(loaded.LoadCallLogSection(rows, 0, rows.size()));
        ASSERT_EQ(loaded, table) << "seed " << seed;
    }
}

}  // namespace
}  // namespace dezadav

// --- against the router emulator ---------------------------------------------------------------------

namespace dezadav {
namespace {

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// A call the emulator accepts, with a date and time no other call of the test shares.
Call EmulatorCall(std::mt19937& rng, int serial) {
    Call c;
    c.date =
        TwoDigits(1 + serial % 12) + "-" + TwoDigits(1 + serial % 28) + "-20" + TwoDigits(10 + serial % 80);
    c.time = TwoDigits(serial / 60 % 24) + ":" + TwoDigits(serial % 60) + ":" +
             TwoDigits(static_cast<int>(rng() % 60));
    c.duration = std::to_string(rng() % 5000);
    const bool incoming = rng() % 2 == 0;
    c.direction = incoming ? "IN" : "OUT";
    c.address =
        std::to_string(rng() % 256) + "." + std::to_string(rng() % 256) + ".0." + std::to_string(rng() % 256);
    if (incoming) c.address += " " + std::to_string(1024 + rng() % 60000);
    return c;
}

std::string FetchCallLog(testing::RouterSimProcess& sim, const std::string& ip) {
    testing::WireClient telnet;
    if (!telnet.Connect(ip, sim.TelnetPort()) || telnet.LogIn("admin") != testing::WireClient::Login::Ok)
        return {};
    return telnet.Command("voip sip calllog").value_or("");
}

TEST(CallLogTableTest, LogsPrintedByTheEmulatorReadAndMergeAsItHoldsThem) {
    constexpr int kRouters = 24;
    std::string config;
    std::vector<std::string> addresses;
    std::vector<std::string> models;
    std::vector<std::vector<Call>> newestFirst(kRouters);
    int serial = 0;
    for (int r = 0; r < kRouters; ++r) {
        std::mt19937 rng(2000 + r);
        addresses.push_back("127.0.8." + std::to_string(10 + r));
        models.push_back(r % 2 ? "DZV-R5830K" : "DZV-R5730K");
        config +=
            "[router]\naddress = " + addresses.back() + "\nmodel = " + models.back() + "\nsettings = empty\n";
        const int count = static_cast<int>(rng() % 14);
        for (int i = 0; i < count; ++i) {
            const Call c = EmulatorCall(rng, ++serial);
            config += "call = " + c.date + " " + c.time + " " + c.duration + " " + c.direction + " " +
                      c.address + "\n";
            newestFirst[r].insert(newestFirst[r].begin(), c);
        }
        // The router keeps ten slots.
        if (newestFirst[r].size() > 10) newestFirst[r].resize(10);
    }

    testing::TempFiles files("dezadav-call-log-");
    const std::string configPath = files.Path("routers.conf");
    testing::WriteAll(configPath, config);
    testing::RouterSimProcess sim({"--config", configPath});
    ASSERT_TRUE(sim.IsRunning());
    for (int r = 0; r < kRouters; ++r) {
        const std::string& ip = addresses[r];
        const std::string output = FetchCallLog(sim, ip);
        ASSERT_FALSE(output.empty()) << ip;
        CallLogTable table;
        ASSERT_TRUE(table.ParseCallLog(output));
        const auto& calls = newestFirst[r];
        ASSERT_EQ(table.RecordCount(), static_cast<int>(calls.size())) << ip;
        for (std::size_t i = 0; i < calls.size(); ++i)
            ASSERT_EQ(table.Rows()[i], Row(static_cast<int>(i) + 1, calls[i])) << ip;
        for (std::size_t i = calls.size(); i < 10; ++i) ASSERT_EQ(table.Rows()[i], Placeholders()[i]) << ip;

        // New calls arrive; the refresh puts exactly them on top, newest first.
        std::mt19937 rng(3000 + r);
        const int added = 1 + static_cast<int>(rng() % 3);
        std::vector<Call> now = calls;
        for (int k = 0; k < added; ++k) {
            const Call c = EmulatorCall(rng, ++serial);
            const std::string answer = sim.Control("addcall " + ip + " " + c.date + " " + c.time + " " +
                                                   c.duration + " " + c.direction + " " + c.address);
            ASSERT_EQ(answer.rfind("OK", 0), 0u) << answer;
            now.insert(now.begin(), c);
        }
        if (now.size() > 10) now.resize(10);
        table.MergeCallLog(FetchCallLog(sim, ip));
        EXPECT_EQ(table.RecordCount(), static_cast<int>(calls.size()) + added) << ip;
        for (std::size_t i = 0; i < now.size(); ++i)
            EXPECT_EQ(table.Rows()[i], Row(static_cast<int>(i) + 1, now[i])) << ip;
        EXPECT_EQ(table.Rows().size(), std::max<std::size_t>(10, calls.size() + added)) << ip;
    }
}

}  // namespace
}  // namespace dezadav
