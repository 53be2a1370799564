#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

class QListView;
class QTableView;
class QWidget;

namespace dezadav {

// A list of lines that may be longer than the list is wide (the fields an apply changes): each line
// wraps at its words (within a word when it has to) instead of being cut or scrolled sideways.
void WrapLongLines(QListView* list);

// Makes the columns of a report list fill the list's width, so that it never scrolls sideways and
// never leaves an empty band on the right.
//
// Each column has a wanted width (the layout's own, in pixels; 0 keeps the column hidden). While the
// list is on screen the visible width is shared out in proportion to the wanted widths, but no
// column gets less than its header title and its cells need; what that costs is taken from the
// columns that have room to spare. The fit is redone (once per turn of the event loop) when the list
// is resized, its rows or header titles change, or a wanted width changes. A list not on screen
// shows the wanted widths as they are.
class ColumnFit : public QObject {
    Q_OBJECT

public:
    // The fit of `list`, made on first use and owned by the list.
    static ColumnFit* Of(QTableView* list);

    void SetWantedWidth(int column, int width);
    int WantedWidth(int column) const;

    // Fits the columns now.
    void Refit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ColumnFit(QTableView* list);
    void RefitSoon();

    QTableView* m_list;
    // The list's viewport as it was when the fit was made. The filter tells the viewport by this
    // pointer and never asks the list: the list's children (the viewport among them) still send
    // events while the list is being destroyed, when it is no longer a scroll area.
    QPointer<QWidget> m_viewport;
    std::vector<int> m_wanted;
    QTimer m_soon;
    bool m_fitting = false;
};

}  // namespace dezadav
