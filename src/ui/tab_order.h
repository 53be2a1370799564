#pragma once

class QWidget;

namespace dezadav {

// Chains the keyboard focus through the controls directly inside `parent` in reading order: row by
// row from the top, left to right within a row (controls whose vertical middles lie within each
// other's height share a row). The windows place their controls by position, so the order in which
// they were made says nothing about where they are.
void OrderTabsAsShown(QWidget* parent);

}  // namespace dezadav
