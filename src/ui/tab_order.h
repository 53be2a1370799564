#pragma once

class QButtonGroup;
class QWidget;

namespace dezadav {

// Chains the keyboard focus through the controls directly inside `parent` in reading order: group box
// by group box (a control belongs to the group box of `parent` it lies in), each group's controls,
// and the controls outside any group, row by row from the top, left to right within a row (things
// whose vertical middles lie within each other's height share a row). The windows place their
// controls by position, so the order in which they were made says nothing about where they are.
void OrderTabsAsShown(QWidget* parent);

// Tab into the radio buttons of `group` lands on the checked one (the first when none is): only that
// one takes the focus from the keyboard; the arrow keys move within the group as ever.
void TabIntoCheckedRadio(QButtonGroup* group);

}  // namespace dezadav
