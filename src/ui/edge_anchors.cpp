#include "ui/edge_anchors.h"

#include <QEvent>
#include <cmath>

namespace dezadav {

EdgeAnchors::EdgeAnchors(QWidget* parent) : QObject(parent), m_parent(parent), m_designed(parent->size()) {
    parent->installEventFilter(this);
}

void EdgeAnchors::Add(QWidget* widget, EdgeShares shares) {
    m_anchors.push_back({widget, widget->geometry(), shares});
    Place();
}

bool EdgeAnchors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_parent && event->type() == QEvent::Resize) Place();
    return QObject::eventFilter(watched, event);
}

void EdgeAnchors::Place() {
    const double dx = m_parent->width() - m_designed.width();
    const double dy = m_parent->height() - m_designed.height();
    const auto moved = [](int edge, double share, double by) { return edge + static_cast<int>(std::lround(share * by)); };
    for (const Anchor& anchor : m_anchors) {
        if (anchor.widget.isNull()) continue;
        const QRect& r = anchor.designed;
        const int left = moved(r.left(), anchor.shares.left, dx);
        const int top = moved(r.top(), anchor.shares.top, dy);
        // Right and bottom as one past the last pixel, so that a width survives the rounding.
        const int right = moved(r.left() + r.width(), anchor.shares.right, dx);
        const int bottom = moved(r.top() + r.height(), anchor.shares.bottom, dy);
        anchor.widget->setGeometry(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    }
}

void AllowGrowingFrom(QWidget* window, QSize designed) {
    window->setMinimumSize(designed);
    window->resize(designed);
}

}  // namespace dezadav
