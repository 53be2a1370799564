#include "ui/tab_order.h"

#include <QWidget>
#include <algorithm>
#include <vector>

namespace dezadav {

namespace {

// Whether `a` comes before `b` when the window is read row by row.
bool ReadBefore(const QWidget* a, const QWidget* b) {
    const QRect ra = a->geometry();
    const QRect rb = b->geometry();
    const int middleA = ra.center().y();
    const int middleB = rb.center().y();
    const bool sameRow =
        (middleA >= rb.top() && middleA <= rb.bottom()) || (middleB >= ra.top() && middleB <= ra.bottom());
    if (!sameRow) return middleA < middleB;
    return ra.left() < rb.left();
}

}  // namespace

void OrderTabsAsShown(QWidget* parent) {
    std::vector<QWidget*> controls;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        // A container without a focus of its own (a page sheet) takes part through its children.
        if ((child->focusPolicy() & Qt::TabFocus) || child->focusProxy() != nullptr ||
            child->inherits("QTabWidget")) {
            controls.push_back(child);
        }
    }
    std::stable_sort(controls.begin(), controls.end(), ReadBefore);
    for (std::size_t i = 1; i < controls.size(); ++i) QWidget::setTabOrder(controls[i - 1], controls[i]);
}

}  // namespace dezadav
