#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace dezadav {

// How the edges of a child follow its parent when the parent grows beyond the size its layout was
// made for: each edge moves by a share (0 to 1) of the extra width or height. {0, 0, 1, 1} stretches
// with the parent, {1, 1, 1, 1} keeps to the bottom-right corner, {0, 0, 0, 0} stays put.
struct EdgeShares {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};
inline constexpr EdgeShares kStayPut{0, 0, 0, 0};
inline constexpr EdgeShares kStretch{0, 0, 1, 1};
inline constexpr EdgeShares kStretchAcross{0, 0, 1, 0};
inline constexpr EdgeShares kBottomLeft{0, 1, 0, 1};
inline constexpr EdgeShares kBottomRight{1, 1, 1, 1};
inline constexpr EdgeShares kBottomAcross{0, 1, 1, 1};

// The children of one window or page laid out in fixed places (the designed layout) that grow with
// it: the parent's size when the anchors are made is the designed one, and each child added keeps its
// designed geometry plus its shares of what the parent has grown by since. A parent smaller than the
// designed size shrinks them the same way (the main window never gets so small: that size is its
// minimum; a page may be given a little less by its tab sheet).
class EdgeAnchors : public QObject {
public:
    explicit EdgeAnchors(QWidget* parent);

    // `widget`, a child of the parent, as it is placed now.
    void Add(QWidget* widget, EdgeShares shares);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Anchor {
        QPointer<QWidget> widget;
        QRect designed;
        EdgeShares shares;
    };
    void Place();

    QWidget* m_parent;
    QSize m_designed;
    std::vector<Anchor> m_anchors;
};

// A window or dialog made for `designed` that may grow (and be maximised) but not get smaller.
void AllowGrowingFrom(QWidget* window, QSize designed);

}  // namespace dezadav
