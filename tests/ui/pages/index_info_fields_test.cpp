#include "ui/pages/index_info_fields.h"

#include <gtest/gtest.h>

namespace dezadav {
namespace {

DialPlanEntry Entry(const std::string& index, const std::string& sip, const std::string& status) {
    DialPlanEntry e;
    e.index = index;
    e.phoneNumber = "42";
    e.name = "Name";
    e.sipAddress = sip;
    e.loopThrough = LoopThrough::Pstn;
    e.backupNumber = "7";
    e.statusMark = status;
    return e;
}

TEST(IndexInfoFields, GroupTitleFallsBackToEnglishWhenTheLanguageHasNoText) {
    EXPECT_EQ(IndexGroupTitle("Index No. ", "12"), "Index No. 12");
    EXPECT_EQ(IndexGroupTitle("Nr.", "3"), "Nr.3");
}

TEST(IndexInfoFields, SipAddressSplitsAtTheFirstAt) {
    const struct {
        const char* sip;
        const char* port;
        const char* domain;
    } cases[] = {{"p@d", "p", "d"}, {"a@b@c", "a", "b@c"}, {"domain.only", "", "domain.only"},
                 {"@d", "", "d"},   {"p@", "p", ""},       {"", "", ""}};
    for (const auto& c : cases) {
        const IndexInfoFields f = IndexInfoFromEntry(Entry("4", c.sip, "V"), "Index No. ");
        EXPECT_EQ(f.portName, c.port) << c.sip;
        EXPECT_EQ(f.domain, c.domain) << c.sip;
    }
}

TEST(IndexInfoFields, OnlyTheExactEnabledMarkEnables) {
    EXPECT_TRUE(IndexInfoFromEntry(Entry("1", "", "V"), "").enabled);
    for (const char* mark : {"-", "v", "V ", "", "X"}) {
        EXPECT_FALSE(IndexInfoFromEntry(Entry("1", "", mark), "").enabled) << mark;
    }
    const IndexInfoFields f = IndexInfoFromEntry(Entry("9", "x@y", "V"), "T");
    EXPECT_EQ(f.groupTitle, "T9");
    EXPECT_EQ(f.phone, "42");
    EXPECT_EQ(f.loopThrough, LoopThrough::Pstn);
    EXPECT_EQ(f.backup, "7");
}

TEST(IndexInfoFields, LoopThroughSelectsItsCodesPlaceElseNone) {
    EXPECT_EQ(LoopThroughPosition(LoopThrough::Isdn), 0);
    EXPECT_EQ(LoopThroughPosition(LoopThrough::Pstn), 1);
    EXPECT_EQ(LoopThroughPosition(LoopThrough::None), 2);
    EXPECT_EQ(LoopThroughPosition(std::nullopt), 2);
}

TEST(IndexInfoFields, WriteBackBuildsTheAddressFromPortAndDomain) {
    const DialPlanEntry before = Entry("5", "old@host", "-");
    IndexInfoFields f;
    f.enabled = true;
    f.phone = "99";
    f.portName = "desk";
    f.domain = "10.0.0.2";
    f.loopThrough = LoopThrough::Isdn;
    f.backup = "123";
    DialPlanEntry after = EntryFromIndexInfo(f, before);
    EXPECT_EQ(after.RowText(), "5,99,Name,desk@10.0.0.2,ISDN,123,V\r\n");

    f.portName.clear();
    EXPECT_EQ(EntryFromIndexInfo(f, before).sipAddress, "10.0.0.2");

    f.portName = "desk";
    f.domain.clear();
    f.enabled = false;
    after = EntryFromIndexInfo(f, before);
    EXPECT_EQ(after.RowText(), "5,99,Name,,,,-\r\n");
}

}  // namespace
}  // namespace dezadav
