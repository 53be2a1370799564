#include "settings/sip_codec_choice_list.h"

#include <gtest/gtest.h>

namespace dezadav {
namespace {

using V = std::vector<std::string>;

TEST(ChoiceListTest, SelectionOutsideTheListMeansNone) {
    ChoiceList list(V{"a", "b", "c"}, 7);
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.SelectedText(), "");
    list.Select(2);
    EXPECT_EQ(list.SelectedText(), "c");
    list.Select(3);
    EXPECT_EQ(list.Selected(), -1);
    list.Select(-5);
    EXPECT_EQ(list.Selected(), -1);
}

TEST(ChoiceListTest, SelectionFollowsItsEntry) {
    ChoiceList list(V{"a", "b", "c", "d"}, 2);
    list.RemoveAt(0);
    EXPECT_EQ(list.SelectedText(), "c");
    list.RemoveAt(2);
    EXPECT_EQ(list.SelectedText(), "c");
    list.InsertAt(0, "z");
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_EQ(list.SelectedText(), "c");
    list.InsertAt(99, "end");
    EXPECT_EQ(list.Entries(), (V{"z", "b", "c", "end"}));
    list.RemoveAt(2);
    EXPECT_EQ(list.Selected(), -1);
    list.RemoveAt(17);
    EXPECT_EQ(list.Count(), 3);
}

TEST(ChoiceListTest, TextSelectionAndRefill) {
    ChoiceList list(V{"a", "b", "b"}, 0);
    EXPECT_TRUE(list.SelectText("b"));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_FALSE(list.SelectText("B"));
    EXPECT_EQ(list.Selected(), 1);
    list.SetText(1, "x");
    EXPECT_EQ(list.SelectedText(), "x");
    list.Refill(V{"q"});
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.Entries(), V{"q"});
}

}  // namespace
}  // namespace dezadav
