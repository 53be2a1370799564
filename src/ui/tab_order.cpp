#include "ui/tab_order.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace dezadav {

namespace {

// Whether `ra` comes before `rb` when the window is read row by row.
bool ReadBefore(const QRect& ra, const QRect& rb) {
    const int middleA = ra.center().y();
    const int middleB = rb.center().y();
    const bool sameRow =
        (middleA >= rb.top() && middleA <= rb.bottom()) || (middleB >= ra.top() && middleB <= ra.bottom());
    if (!sameRow) return middleA < middleB;
    return ra.left() < rb.left();
}

}  // namespace

void OrderTabsAsShown(QWidget* parent) {
    std::vector<QRect> groups;
    for (const QGroupBox* group : parent->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        groups.push_back(group->geometry());
    }
    // Where a control is read: the group box it lies in, else its own place.
    const auto block = [&groups](const QWidget* control) {
        for (const QRect& group : groups) {
            if (group.contains(control->geometry().center())) return group;
        }
        return control->geometry();
    };
    std::vector<QWidget*> controls;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        // A container without a focus of its own (a page sheet) takes part through its children.
        if ((child->focusPolicy() & Qt::TabFocus) || child->focusProxy() != nullptr ||
            child->inherits("QTabWidget")) {
            controls.push_back(child);
        }
    }
    std::stable_sort(controls.begin(), controls.end(), [&block](const QWidget* a, const QWidget* b) {
        const QRect blockA = block(a);
        const QRect blockB = block(b);
        if (blockA != blockB) return ReadBefore(blockA, blockB);
        return ReadBefore(a->geometry(), b->geometry());
    });
    for (std::size_t i = 1; i < controls.size(); ++i) QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void TabIntoCheckedRadio(QButtonGroup* group) {
    const auto follow = [group] {
        QAbstractButton* keyed = group->checkedButton();
        if (keyed == nullptr && !group->buttons().isEmpty()) keyed = group->buttons().constFirst();
        for (QAbstractButton* button : group->buttons()) {
            button->setFocusPolicy(button == keyed ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, follow);
    follow();
}

}  // namespace dezadav
