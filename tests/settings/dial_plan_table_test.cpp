#include "settings/dial_plan_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/routersim_process.h"
#include "support/temp_files.h"
#include "support/wire_client.h"

namespace dezadav {
namespace {

LanguageTable MakeLanguage(const std::string& loop1, const std::string& loop2, const std::string& loop3) {
    LanguageTable lang;
    lang.LoadFromBytes("Index_Loop1 [" + loop1 + "]\r\nIndex_Loop2 [" + loop2 + "]\r\nIndex_Loop3 [" + loop3 +
                       "]\r\n");
    return lang;
}

LanguageTable English() {
    return MakeLanguage("ISDN", "PSTN", "None");
}

// One entry as the router prints it.
struct RouterEntry {
    int index = 1;
    bool enabled = true;
    std::string phone;
    std::string portName;
    std::string domain;
    char loopCode = '0';
    std::string backup;
};

// The router's listing lines end in LF CR. The words are the router's own; only their lengths
// matter: a 14-byte label before the index, one separator, an enabled word starting with 'a' that
// is two bytes shorter than the disabled word, a 20-byte phone label, then 6-, 9-, 6- and 15-byte
// labels before port name, domain, loop-through code and backup number.
std::string BlockText(const RouterEntry& e, bool twoPort, const std::string& enabledWord = "active",
                      const std::string& disabledWord = "inactive") {
    std::string block =
        "\n\rIndex Number: " + std::to_string(e.index) + " " + (e.enabled ? enabledWord : disabledWord);
    block += "\n\r    Phone Number:   " + e.phone;
    block += "\n\rPort: " + e.portName;
    block += "\n\rDomain:  " + e.domain;
    if (twoPort) {
        block += "\n\r";
    } else {
        block += "\n\rLoop: ";
        block += e.loopCode;
        block += "\n\rBackup Number: " + e.backup;
    }
    return block;
}

std::string ListingText(const std::vector<RouterEntry>& entries, bool twoPort) {
    std::string text;
    for (const RouterEntry& e : entries) text += BlockText(e, twoPort);
    text += "\n\r> \n\r";
    return text;
}

// What the table must hold for a listed entry.
DialPlanEntry Expected(const RouterEntry& e, bool twoPort, const LanguageTable& lang) {
    DialPlanEntry d;
    d.index = std::to_string(e.index);
    d.phoneNumber = e.phone;
    d.sipAddress = e.portName.empty() ? e.domain : e.portName + "@" + e.domain;
    if (!twoPort) {
        const auto texts = LoopThroughTexts(lang);
        d.loopThrough = e.loopCode == '1' ? texts[0] : e.loopCode == '2' ? texts[1] : texts[2];
        d.backupNumber = e.backup;
    }
    d.statusMark = e.enabled ? "V" : "-";
    return d;
}

DialPlanEntry EmptyEntry(int position) {
    DialPlanEntry d;
    d.index = std::to_string(position + 1);
    d.statusMark = "-";
    return d;
}

void ExpectNoChangedFlag(const DialPlanTable& table) {
    for (int p = 0; p < kDialPlanEntryCount; ++p) EXPECT_FALSE(table.IsChanged(p)) << "position " << p;
}

TEST(DialPlanTableTest, StartsWithSixtyEmptyEntriesAndRendersThemAsRows) {
    DialPlanTable table;
    std::string expectedRows;
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        EXPECT_EQ(table.Entry(p), EmptyEntry(p));
        expectedRows += std::to_string(p + 1) + ",,,,,,-\r\n";
    }
    ExpectNoChangedFlag(table);
    EXPECT_EQ(table.AllRowsText(), expectedRows);
    EXPECT_TRUE(table.ChangedEntries().empty());
}

TEST(DialPlanTableTest, RowTextJoinsTheSevenFieldsQuotingOnlyWhatNeedsIt) {
    DialPlanEntry e{"12", "555,1", "Bob \"B\"", "office@10.0.0.2", "ISDN", "", "V"};
    EXPECT_EQ(e.RowText(), "12,\"555,1\",\"Bob \"\"B\"\"\",office@10.0.0.2,ISDN,,V\r\n");
    EXPECT_EQ(EmptyEntry(4).RowText(), "5,,,,,,-\r\n");
}

TEST(DialPlanTableTest, EditsClearsAndChangedRowsFollowTheFlags) {
    DialPlanTable table;
    DialPlanEntry edit{"99", "123", "Ann", "p1@host", "PSTN", "777", "V"};
    table.SetEntry(9, edit);
    table.SetEntry(2, edit);
    edit.index = "10";
    EXPECT_EQ(table.Entry(9), edit) << "the index stays the position's own";
    EXPECT_TRUE(table.IsChanged(9));
    EXPECT_TRUE(table.IsChanged(2));
    const auto changed = table.ChangedEntries();
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0], table.Entry(2));
    EXPECT_EQ(changed[1], table.Entry(9));

    table.MarkChangesApplied();
    ExpectNoChangedFlag(table);

    table.ClearEntry(9);
    EXPECT_EQ(table.Entry(9), EmptyEntry(9));
    EXPECT_TRUE(table.IsChanged(9));
    EXPECT_EQ(table.ChangedEntries(), std::vector<DialPlanEntry>{EmptyEntry(9)});
    EXPECT_EQ(table.Entry(2).phoneNumber, "123");
}

TEST(DialPlanTableTest, ClearingAnEntryUnchecksItsListRow) {
    DialPlanTable table;
    for (int p = 0; p < kDialPlanEntryCount; ++p) EXPECT_FALSE(table.IsChecked(p)) << p;
    table.SetEntry(3, DialPlanEntry{"", "444", "", "a@b", "ISDN", "", "V"});
    table.SetEntry(5, DialPlanEntry{"", "", "Name only", "", "", "", "-"});
    for (int p : {1, 3, 5, 7}) table.SetChecked(p, true);
    EXPECT_TRUE(table.IsChecked(3));

    // An edit keeps the mark; clearing the entry takes it away.
    table.SetEntry(7, DialPlanEntry{"", "888", "", "c@d", "PSTN", "", "V"});
    EXPECT_TRUE(table.IsChecked(7));
    table.ClearEntry(7);
    EXPECT_FALSE(table.IsChecked(7));
    EXPECT_TRUE(table.IsChecked(1));

    // A file section clears the entries in use (entry 4), not the others (entries 2 and 6).
    const std::string section = "10,100,,x@y,None,,V\r\n";
    ASSERT_TRUE(table.FillFromFileSection(section, 0, section.size()));
    EXPECT_FALSE(table.IsChecked(3));
    EXPECT_TRUE(table.IsChecked(1));
    EXPECT_TRUE(table.IsChecked(5));

    // A listing from the router clears every entry, and with it every mark.
    table.SetChecked(9, true);
    ASSERT_TRUE(table.FillFromListing("\n\r> ", false, English()));
    for (int p = 0; p < kDialPlanEntryCount; ++p) EXPECT_FALSE(table.IsChecked(p)) << p;

    // A listing that reads nothing changes nothing, marks included.
    table.SetChecked(2, true);
    EXPECT_FALSE(table.FillFromListing("", false, English()));
    EXPECT_TRUE(table.IsChecked(2));
}

TEST(DialPlanTableTest, ChangedEntriesKeepValuesThatHoldCommas) {
    DialPlanTable table;
    table.SetEntry(0, DialPlanEntry{"1", "1,2", "", "a,b@c", "None", "", "V"});
    const auto changed = table.ChangedEntries();
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].phoneNumber, "1,2");
    EXPECT_EQ(changed[0].sipAddress, "a,b@c");
}

TEST(DialPlanTableTest, ReadsTheOnePortListingByBytePosition) {
    const LanguageTable lang = English();
    const std::vector<RouterEntry> listed = {
        {1, true, "100", "alice", "10.0.0.1", '1', "0301"}, {9, false, "109", "", "sip.example", '2', ""},
        {10, true, "110", "bob", "host10", '0', "55"},      {12, false, "", "carol", "host12", '7', "9"},
        {60, true, "160", "dave", "host60", '1', "123456"},
    };
    DialPlanTable table;
    table.SetEntry(30, DialPlanEntry{"", "stale", "Name", "x@y", "ISDN", "1", "V"});
    ASSERT_TRUE(table.FillFromListing(ListingText(listed, false), false, lang));
    std::vector<DialPlanEntry> expected;
    for (int p = 0; p < kDialPlanEntryCount; ++p) expected.push_back(EmptyEntry(p));
    for (const RouterEntry& e : listed) expected[e.index - 1] = Expected(e, false, lang);
    for (int p = 0; p < kDialPlanEntryCount; ++p) EXPECT_EQ(table.Entry(p), expected[p]) << "position " << p;
    ExpectNoChangedFlag(table);
    // The empty port name gives a SIP address without '@'; an unknown loop code reads as None.
    EXPECT_EQ(table.Entry(8).sipAddress, "sip.example");
    EXPECT_EQ(table.Entry(11).loopThrough, "None");
}

TEST(DialPlanTableTest, ReadsTheTwoPortListingWithoutLoopOrBackup) {
    const LanguageTable lang = English();
    const std::vector<RouterEntry> listed = {
        {2, true, "200", "p", "d2", '1', "x"},
        {11, false, "211", "", "d11", '2', "y"},
        {59, true, "", "q", "", '0', ""},
    };
    DialPlanTable table;
    ASSERT_TRUE(table.FillFromListing(ListingText(listed, true), true, lang));
    for (const RouterEntry& e : listed) EXPECT_EQ(table.Entry(e.index - 1), Expected(e, true, lang));
    EXPECT_EQ(table.Entry(1).loopThrough, "");
    EXPECT_EQ(table.Entry(1).backupNumber, "");
    EXPECT_EQ(table.Entry(58).sipAddress, "q@");
    EXPECT_EQ(table.Entry(0), EmptyEntry(0));
}

TEST(DialPlanTableTest, OnlyTheFirstByteOfTheStatusWordDecides) {
    const LanguageTable lang = English();
    const RouterEntry on{4, true, "44", "u", "h", '1', "1"};
    const RouterEntry off{5, false, "55", "v", "i", '2', "2"};
    // Other words of the same lengths: "abcdef" counts as enabled, "Anactive" (capital) does not.
    const std::string text =
        BlockText(on, false, "abcdef", "zzzzzzzz") + BlockText(off, false, "abcdef", "Anactive") + "\n\r>";
    DialPlanTable table;
    ASSERT_TRUE(table.FillFromListing(text, false, lang));
    EXPECT_EQ(table.Entry(3), Expected(on, false, lang));
    EXPECT_EQ(table.Entry(4), Expected(off, false, lang));
}

TEST(DialPlanTableTest, IndexOutsideTheTableIsReadButNotStored) {
    const LanguageTable lang = English();
    const std::vector<RouterEntry> listed = {
        {0, true, "0", "a", "b", '1', "1"},
        {61, true, "61", "c", "d", '1', "2"},
        {7, true, "77", "e", "f", '2', "3"},
    };
    DialPlanTable table;
    ASSERT_TRUE(table.FillFromListing(ListingText(listed, false), false, lang));
    EXPECT_EQ(table.Entry(6), Expected(listed[2], false, lang));
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (p != 6) {
            EXPECT_EQ(table.Entry(p), EmptyEntry(p)) << "position " << p;
        }
    }
}

TEST(DialPlanTableTest, BackupPositionHoldingThePromptEndsTheListing) {
    const LanguageTable lang = English();
    const RouterEntry first{3, true, "33", "a", "b", '1', ""};
    std::string text = BlockText(first, false);
    text.resize(text.size() - std::string("\n\rBackup Number: ").size());
    // The router's prompt stands where the backup line would have been.
    text += "\n\r               > \n\r";
    text += BlockText(RouterEntry{8, true, "88", "c", "d", '2', "9"}, false);
    DialPlanTable table;
    ASSERT_TRUE(table.FillFromListing(text, false, lang));
    EXPECT_EQ(table.Entry(2), Expected(first, false, lang));
    EXPECT_EQ(table.Entry(2).backupNumber, "");
    EXPECT_EQ(table.Entry(7), EmptyEntry(7)) << "nothing after the prompt is read";
}

TEST(DialPlanTableTest, ShortAndEmptyListings) {
    const LanguageTable lang = English();
    DialPlanTable table;
    table.SetEntry(0, DialPlanEntry{"", "1", "n", "a@b", "ISDN", "2", "V"});
    const DialPlanTable before = table;
    EXPECT_FALSE(table.FillFromListing("", false, lang));
    EXPECT_EQ(table, before) << "an empty text changes nothing";

    for (const std::string text : {"x", "\n\r> \n\r", "123456"}) {
        DialPlanTable t = before;
        EXPECT_TRUE(t.FillFromListing(text, false, lang));
        EXPECT_EQ(t, DialPlanTable()) << "a listing of six bytes or fewer leaves all entries cleared";
    }
}

TEST(DialPlanTableTest, EveryPrefixOfAListingStoresOnlyWholeBlocks) {
    const LanguageTable lang = English();
    for (bool twoPort : {false, true}) {
        const std::vector<RouterEntry> listed = {
            {1, true, "1001", "a", "b.c", '1', "77"},
            {10, false, "1010", "", "d.e", '2', ""},
            {25, true, "", "f", "g", '0', "8"},
        };
        const std::string full = ListingText(listed, twoPort);
        DialPlanTable complete;
        ASSERT_TRUE(complete.FillFromListing(full, twoPort, lang));
        for (const RouterEntry& e : listed)
            ASSERT_EQ(complete.Entry(e.index - 1), Expected(e, twoPort, lang));
        int storedBlocksBefore = 0;
        for (std::size_t length = 1; length <= full.size(); ++length) {
            DialPlanTable table;
            ASSERT_TRUE(table.FillFromListing(std::string_view(full).substr(0, length), twoPort, lang));
            int stored = 0;
            for (int p = 0; p < kDialPlanEntryCount; ++p) {
                if (table.Entry(p) == EmptyEntry(p)) continue;
                EXPECT_EQ(table.Entry(p), complete.Entry(p)) << "length " << length << " position " << p;
                ++stored;
            }
            EXPECT_GE(stored, storedBlocksBefore) << "a longer prefix never stores less";
            storedBlocksBefore = stored;
        }
        EXPECT_EQ(storedBlocksBefore, 3);
    }
}

TEST(DialPlanTableTest, LoopThroughCellsTakeTheCurrentLanguageTexts) {
    const RouterEntry e1{1, true, "1", "a", "b", '1', ""};
    const RouterEntry e2{2, true, "2", "a", "b", '2', ""};
    const RouterEntry e3{3, true, "3", "a", "b", '9', ""};
    const std::string text = ListingText({e1, e2, e3}, false);

    DialPlanTable table;
    ASSERT_TRUE(table.FillFromListing(text, false, MakeLanguage("LoopA", "LoopB", "LoopC")));
    EXPECT_EQ(table.Entry(0).loopThrough, "LoopA");
    EXPECT_EQ(table.Entry(1).loopThrough, "LoopB");
    EXPECT_EQ(table.Entry(2).loopThrough, "LoopC");

    // A language text that is empty leaves the cell empty.
    ASSERT_TRUE(table.FillFromListing(text, false, MakeLanguage("", "LoopB", "")));
    EXPECT_EQ(table.Entry(0).loopThrough, "");
    EXPECT_EQ(table.Entry(1).loopThrough, "LoopB");
    EXPECT_EQ(table.Entry(2).loopThrough, "");
}

TEST(DialPlanTableTest, LoopThroughCodeMatchesLanguageTextOrEnglishWord) {
    const LanguageTable other = MakeLanguage("L1", "L2", "L3");
    EXPECT_EQ(LoopThroughCode("L1", other), 1);
    EXPECT_EQ(LoopThroughCode("ISDN", other), 1);
    EXPECT_EQ(LoopThroughCode("L2", other), 2);
    EXPECT_EQ(LoopThroughCode("PSTN", other), 2);
    EXPECT_EQ(LoopThroughCode("L3", other), 0);
    EXPECT_EQ(LoopThroughCode("None", other), 0);
    EXPECT_EQ(LoopThroughCode("isdn", other), std::nullopt);
    EXPECT_EQ(LoopThroughCode("", other), std::nullopt);
    // An empty language text takes no part, and neither does its English word.
    const LanguageTable gaps = MakeLanguage("", "L2", "L3");
    EXPECT_EQ(LoopThroughCode("ISDN", gaps), std::nullopt);
    EXPECT_EQ(LoopThroughCode("", gaps), std::nullopt);
    // Texts are tried in order: a language whose second text is "ISDN" still maps "ISDN" to 1.
    EXPECT_EQ(LoopThroughCode("ISDN", MakeLanguage("X", "ISDN", "Y")), 1);
}

std::string RandomValue(std::mt19937& rng, bool allowEmpty, const std::string& alphabet) {
    std::uniform_int_distribution<int> len(allowEmpty ? 0 : 1, 12);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string value;
    const int n = len(rng);
    for (int i = 0; i < n; ++i) value += alphabet[pick(rng)];
    return value;
}

TEST(DialPlanTableTest, RandomListingsReadBackAsTheRouterHoldsThem) {
    const LanguageTable lang = English();
    // Values are whatever the router holds short of a line feed; '>' only never starts a backup
    // number (that byte is the listing's end mark there).
    const std::string alphabet = "0123456789abcXYZ.@-_ ,;*#\r\t>";
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        const bool twoPort = seed % 2 == 0;
        std::vector<RouterEntry> listed;
        for (int index = 1; index <= kDialPlanEntryCount; ++index) {
            if (rng() % 3 != 0) continue;
            RouterEntry e;
            e.index = index;
            e.enabled = rng() % 2 == 0;
            e.phone = RandomValue(rng, true, alphabet);
            e.portName = RandomValue(rng, true, alphabet);
            e.domain = RandomValue(rng, true, alphabet);
            e.loopCode = "0123"[rng() % 4];
            e.backup = RandomValue(rng, true, alphabet);
            if (!e.backup.empty() && e.backup[0] == '>') e.backup[0] = '9';
            listed.push_back(e);
        }
        DialPlanTable table;
        table.SetEntry(static_cast<int>(rng() % kDialPlanEntryCount),
                       DialPlanEntry{"", "old", "", "", "", "", "V"});
        ASSERT_TRUE(table.FillFromListing(ListingText(listed, twoPort), twoPort, lang));
        std::vector<DialPlanEntry> expected;
        for (int p = 0; p < kDialPlanEntryCount; ++p) expected.push_back(EmptyEntry(p));
        for (const RouterEntry& e : listed) expected[e.index - 1] = Expected(e, twoPort, lang);
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            ASSERT_EQ(table.Entry(p), expected[p]) << "seed " << seed << " position " << p;
        }
        ExpectNoChangedFlag(table);
    }
}

// --- the dial-plan section of a settings file ---------------------------------------------------

TEST(DialPlanTableTest, FileRowWithEmptyPhoneStoresNothing) {
    DialPlanTable table;
    const std::string text = "7,,Bob,,,,-\r\n";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table.Entry(6), EmptyEntry(6));
    ExpectNoChangedFlag(table);

    const std::string filled = "7,123,Bob,office@10.0.0.2,ISDN,555,V\r\n";
    ASSERT_TRUE(table.FillFromFileSection(filled, 0, filled.size()));
    EXPECT_EQ(table.Entry(6), (DialPlanEntry{"7", "123", "Bob", "office@10.0.0.2", "ISDN", "555", "V"}));
    EXPECT_TRUE(table.IsChanged(6));
}

TEST(DialPlanTableTest, FileSectionClearsEntriesInUseFirstAndLeavesOthersAlone) {
    DialPlanTable table;
    table.SetEntry(0, DialPlanEntry{"", "111", "", "a@b", "ISDN", "", "V"});
    table.SetEntry(1, DialPlanEntry{"", "", "Name only", "", "", "", "-"});
    table.MarkChangesApplied();
    const std::string text = "3,333,,c@d,PSTN,,V\r\n";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table.Entry(0), EmptyEntry(0));
    EXPECT_TRUE(table.IsChanged(0)) << "cleared because it held a phone number";
    EXPECT_EQ(table.Entry(1).name, "Name only");
    EXPECT_FALSE(table.IsChanged(1)) << "an entry without a phone number is left alone";
    EXPECT_EQ(table.Entry(2), (DialPlanEntry{"3", "333", "", "c@d", "PSTN", "", "V"}));
    EXPECT_TRUE(table.IsChanged(2));
}

TEST(DialPlanTableTest, FileSectionFillsTwiceListedEntryFieldByField) {
    DialPlanTable table;
    const std::string text = "7,111,A,x@y,ISDN,1,V\r\n7,222,,z\r\n";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table.Entry(6), (DialPlanEntry{"7", "222", "", "z", "ISDN", "1", "V"}));
    // A second row with an empty phone field still counts once the entry has a number.
    const std::string again = "8,800,N,s@t,None,,V\r\n8,,M\r\n";
    ASSERT_TRUE(table.FillFromFileSection(again, 0, again.size()));
    EXPECT_EQ(table.Entry(7), (DialPlanEntry{"8", "", "M", "s@t", "None", "", "V"}));
    EXPECT_EQ(table.Entry(6), EmptyEntry(6)) << "cleared at the start of the second section";
}

TEST(DialPlanTableTest, FileSectionSkipsRowsOutsideTheTableAndHeaderLines) {
    DialPlanTable table;
    const std::string text =
        "; Index,Phone\r\n\r\n0,1,2,3,4,5,6\r\n61,1,2,3,4,5,V\r\n-5,9,9,9,9,9,V\r\nabc,1,1,1,1,1,V\r\n";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table, DialPlanTable());
}

TEST(DialPlanTableTest, FileSectionFieldsEndAtSeparatorsOnly) {
    DialPlanTable table;
    // The last bytes of a section without a separator are no field; fields beyond the seventh are
    // ignored; a comma in a name splits it.
    const std::string text = "4,44,Bo,b,sip@x,ISDN,5,V,extra\r\n9,99,Name";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table.Entry(3), (DialPlanEntry{"4", "44", "Bo", "b", "sip@x", "ISDN", "5"}));
    EXPECT_EQ(table.Entry(8), (DialPlanEntry{"9", "99", "", "", "", "", "-"}));
}

TEST(DialPlanTableTest, FileSectionReadsOnlyItsRangeAndHoldsLongFieldsWhole) {
    const std::string longName(2000, 'n');
    const std::string text = "1,10,a,b,c,d,V\r\n2,20," + longName + ",s,t,u,V\r\n3,30,x,y,z,w,V\r\n";
    const std::size_t start = text.find("2,20");
    const std::size_t end = text.find("3,30");
    DialPlanTable table;
    ASSERT_TRUE(table.FillFromFileSection(text, start, end));
    EXPECT_EQ(table.Entry(0), EmptyEntry(0));
    EXPECT_EQ(table.Entry(1).name, longName);
    EXPECT_EQ(table.Entry(2), EmptyEntry(2));
    // An end beyond the text is taken as the text's end.
    ASSERT_TRUE(table.FillFromFileSection(text, end, text.size() + 100));
    EXPECT_EQ(table.Entry(2).phoneNumber, "30");
}

TEST(DialPlanTableTest, FileSectionKeepsTheCanonicalIndexText) {
    DialPlanTable table;
    const std::string text = "07,70,,a,,,V\r\n 8x,80,,b,,,V\r\n";
    ASSERT_TRUE(table.FillFromFileSection(text, 0, text.size()));
    EXPECT_EQ(table.Entry(6).index, "7");
    EXPECT_EQ(table.Entry(6).phoneNumber, "70");
    EXPECT_EQ(table.Entry(7).index, "8");
    EXPECT_EQ(table.Entry(7).phoneNumber, "80");
}

TEST(DialPlanTableTest, FileSectionEndingAtTheStartFails) {
    DialPlanTable table;
    table.SetEntry(0, DialPlanEntry{"", "1", "", "", "", "", "V"});
    const DialPlanTable before = table;
    EXPECT_FALSE(table.FillFromFileSection(";LIST\r\n", 0, 0));
    EXPECT_EQ(table, before);
}

// A state the dial-plan page can reach: entries in use carry any values without ',' or CR (the
// row separators); entries not in use are empty.
DialPlanTable RandomTable(std::mt19937& rng) {
    const std::string alphabet = "0123456789abcXYZ.@-_ ;*#\t\n>";
    const std::array<std::string, 3> loops = {"ISDN", "PSTN", "None"};
    DialPlanTable table;
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (rng() % 2 == 0) continue;
        DialPlanEntry e;
        e.phoneNumber = RandomValue(rng, false, alphabet);
        e.name = RandomValue(rng, true, alphabet);
        e.sipAddress = RandomValue(rng, true, alphabet);
        e.loopThrough = loops[rng() % 3];
        e.backupNumber = RandomValue(rng, true, alphabet);
        e.statusMark = rng() % 2 == 0 ? "V" : "-";
        table.SetEntry(p, e);
    }
    table.MarkChangesApplied();
    return table;
}

TEST(DialPlanTableTest, AllRowsReadBackAsTheSameTable) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        const DialPlanTable original = RandomTable(rng);
        const std::string rows = original.AllRowsText();
        DialPlanTable loaded;
        ASSERT_TRUE(loaded.FillFromFileSection(rows, 0, rows.size()));
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            ASSERT_EQ(loaded.Entry(p), original.Entry(p)) << "seed " << seed << " position " << p;
            EXPECT_EQ(loaded.IsChanged(p), !original.Entry(p).phoneNumber.empty());
        }
        EXPECT_EQ(loaded.AllRowsText(), rows);
    }
}

}  // namespace
}  // namespace dezadav

// --- against the router emulator ---------------------------------------------------------------------

namespace dezadav {
namespace {

std::string RouterWord(std::mt19937& rng, const std::string& alphabet, int minLength) {
    std::string word;
    const int n = minLength + static_cast<int>(rng() % 9);
    for (int i = 0; i < n; ++i) word += alphabet[rng() % alphabet.size()];
    return word;
}

TEST(DialPlanTableTest, ListingsPrintedByTheEmulatorReadAsItsDialPlans) {
    const LanguageTable lang = English();
    constexpr int kRouters = 40;
    const std::string digits = "0123456789";
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string config;
    std::vector<std::string> addresses;
    std::vector<std::string> models;
    std::vector<DialPlanTable> expected(kRouters);
    for (int r = 0; r < kRouters; ++r) {
        std::mt19937 rng(1000 + r);
        const bool twoPort = r % 2 == 0;
        addresses.push_back("127.0.9." + std::to_string(10 + r));
        models.push_back(twoPort ? "DZV-R5730K" : "DZV-R5830K");
        config +=
            "[router]\naddress = " + addresses.back() + "\nmodel = " + models.back() + "\nsettings = empty\n";
        for (int index = 1; index <= kDialPlanEntryCount; ++index) {
            if (rng() % 3 != 0) continue;
            DialPlanEntry e;
            e.phoneNumber = RouterWord(rng, digits, 1);
            const std::string user = rng() % 4 == 0 ? "" : RouterWord(rng, letters, 1);
            const std::string domain = RouterWord(rng, letters, 1) + "." + RouterWord(rng, letters, 1);
            e.sipAddress = user.empty() ? domain : user + "@" + domain;
            const bool enabled = rng() % 2 == 0;
            e.statusMark = enabled ? "V" : "-";
            std::string command = "voip dial_plan set " + std::to_string(index) + " " + e.phoneNumber + " " +
                                  (user.empty() ? "\"\"" : user) + " " + domain + " " + (enabled ? "1" : "0");
            if (!twoPort) {
                const int loop = static_cast<int>(rng() % 3);
                e.loopThrough = LoopThroughTexts(lang)[loop == 1 ? 0 : loop == 2 ? 1 : 2];
                e.backupNumber = rng() % 3 == 0 ? "" : RouterWord(rng, digits, 1);
                command +=
                    " " + std::to_string(loop) + " " + (e.backupNumber.empty() ? "\"\"" : e.backupNumber);
            }
            config += "command = " + command + "\n";
            expected[r].SetEntry(index - 1, e);
        }
        expected[r].MarkChangesApplied();
    }

    testing::TempFiles files("dezadav-dial-plan-");
    const std::string configPath = files.Path("routers.conf");
    testing::WriteAll(configPath, config);
    testing::RouterSimProcess sim({"--config", configPath});
    ASSERT_TRUE(sim.IsRunning());
    for (int r = 0; r < kRouters; ++r) {
        testing::WireClient telnet;
        ASSERT_TRUE(telnet.Connect(addresses[r], sim.TelnetPort())) << addresses[r];
        ASSERT_EQ(telnet.LogIn("admin"), testing::WireClient::Login::Ok) << addresses[r];
        const auto listing = telnet.Command("voip dial_plan list -t");
        ASSERT_TRUE(listing.has_value()) << addresses[r];
        DialPlanTable table;
        ASSERT_TRUE(table.FillFromListing(*listing, r % 2 == 0, lang));
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            ASSERT_EQ(table.Entry(p), expected[r].Entry(p)) << addresses[r] << " position " << p;
        }
        ExpectNoChangedFlag(table);
    }
}

TEST(DialPlanTableTest, DefaultEmulatorListingsReadWhole) {
    const LanguageTable lang = English();
    testing::RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::vector<std::pair<std::string, std::string>> routers = {{"127.0.0.2", "DZV-R5730K"},
                                                                      {"127.0.0.3", "DZV-R5830K"}};
    for (const auto& [ip, model] : routers) {
        testing::WireClient telnet;
        ASSERT_TRUE(telnet.Connect(ip, sim.TelnetPort()));
        ASSERT_EQ(telnet.LogIn("admin"), testing::WireClient::Login::Ok);
        const auto listing = telnet.Command("voip dial_plan list -t");
        ASSERT_TRUE(listing.has_value());
        const bool twoPort = model.find("5730K") != std::string::npos;
        DialPlanTable table;
        ASSERT_TRUE(table.FillFromListing(*listing, twoPort, lang));
        // Every block the router printed is stored: as many entries in use as blocks, indices below
        // and above 10, enabled and disabled ones.
        std::size_t blocks = 0;
        for (std::size_t at = listing->find("idx:"); at != std::string::npos;
             at = listing->find("idx:", at + 1)) {
            ++blocks;
        }
        int inUse = 0;
        bool low = false, high = false, on = false, off = false;
        for (int p = 0; p < kDialPlanEntryCount; ++p) {
            if (table.Entry(p).phoneNumber.empty()) continue;
            ++inUse;
            (p < 9 ? low : high) = true;
            (table.Entry(p).statusMark == "V" ? on : off) = true;
            EXPECT_NE(listing->find(table.Entry(p).phoneNumber), std::string::npos);
        }
        EXPECT_EQ(static_cast<std::size_t>(inUse), blocks) << ip;
        EXPECT_TRUE(low && high && on && off) << ip;
    }
}

}  // namespace
}  // namespace dezadav
