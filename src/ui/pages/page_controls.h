#pragma once

#include <QString>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace dezadav {

class CSkinButton;

// Size of the page buttons in pixels (their pictures are drawn for it).
inline constexpr int kPageButtonWidth = 103;
inline constexpr int kPageButtonHeight = 23;

// An edit box that takes typed or pasted digits only. Text set by the program is shown as given and
// stays editable: it can be shortened and corrected, but typing adds no character other than digits.
void MakeDigitsOnly(QLineEdit* box);

// An edit box that takes at most `maxChars` typed characters. Unlike QLineEdit's own length limit,
// text set by the program is shown whole and never cut; a longer one can be shortened but not grown.
void LimitTypedLength(QLineEdit* box, int maxChars);

// A skinned page button (Clear All, Clear Selected, Save As) at (x, y) pixels.
CSkinButton* MakePageButton(QWidget* parent, int x, int y);

// A list in report form as the pages show them: grid lines, whole-row selection, no row header, no
// in-place editing, centred header titles; Tab moves on to the next control, not to the next cell.
void SetUpReportList(QTableWidget* list);

// Sets a column's wanted width in pixels (on screen the columns share out the list's width in
// proportion, see ColumnFit); width 0 leaves the column in place but invisible.
void SetColumnWidthPx(QTableWidget* list, int column, int width);

// Shows `entries` in a drop-down list with `selected` selected (-1: none), without emitting any
// signal, so that mirroring a model never writes back into it.
void ShowChoices(QComboBox* box, const std::vector<std::string>& entries, int selected);

// Sets an edit box's text without emitting signals, keeping the cursor at the end.
void ShowText(QLineEdit* box, const std::string& text);

}  // namespace dezadav
