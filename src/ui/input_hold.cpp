#include "ui/input_hold.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace dezadav {

namespace {

// What reaches a window from the user and would start something in it.
bool IsRefusedInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// The enabled button at a point of the screen (the button itself or a part of it), if any.
QAbstractButton* ButtonAt(QPoint global) {
    for (QWidget* widget = QApplication::widgetAt(global); widget != nullptr;
         widget = widget->parentWidget()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button;
        if (widget->isWindow()) break;
    }
    return nullptr;
}

}  // namespace

InputHold::InputHold() = default;

void InputHold::KeepClick(QEvent::Type type, QEvent* event) {
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) return;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return;
    QAbstractButton* under = ButtonAt(mouse->globalPosition().toPoint());
    if (type == QEvent::MouseButtonPress) {
        m_pressed = under;
        return;
    }
    if (under == nullptr || under != m_pressed || !under->isEnabled()) return;
    if (!m_busyCursor) QApplication::setOverrideCursor(Qt::BusyCursor);
    m_busyCursor = true;
    m_clicked = under;
}

InputHold::~InputHold() {
    if (m_holding) qApp->removeEventFilter(this);
    if (m_busyCursor) QApplication::restoreOverrideCursor();
}

void InputHold::Hold(bool keepClicks) {
    if (m_holding) return;
    m_keys.clear();
    m_pressed = nullptr;
    m_clicked = nullptr;
    m_keepClicks = keepClicks;
    m_holding = true;
    qApp->installEventFilter(this);
}

void InputHold::Release(QWidget* typingTarget) {
    if (!m_holding) return;
    m_holding = false;
    qApp->removeEventFilter(this);
    if (std::exchange(m_busyCursor, false)) QApplication::restoreOverrideCursor();
    if (QPointer<QAbstractButton> button = std::exchange(m_clicked, nullptr)) {
        // Once the caller is back in the event loop, as if the click came now; a button disabled or
        // hidden meanwhile (the exchange changed what may be done) is not pressed.
        QTimer::singleShot(0, button, [button] {
            if (button && button->isEnabled() && button->isVisible()) button->click();
        });
    }
    std::vector<std::unique_ptr<QKeyEvent>> keys;
    keys.swap(m_keys);
    if (typingTarget == nullptr) return;
    for (auto& key : keys) {
        // Esc typed while the exchange ran is not handed on: arriving afterwards it would close a
        // dialog or end the program, long after the moment it was meant for.
        if (key->key() == Qt::Key_Escape) continue;
        QCoreApplication::postEvent(typingTarget, key.release());
    }
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    // A message box or dialog that comes up during the exchange is answered as usual: while one is
    // open, the application's modality keeps every other window from the user.
    if (QApplication::activeModalWidget() != nullptr) return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride) {
        // Only keys from the window system are tried as shortcuts. Taken as the window's own key,
        // none fires, and the key itself comes as a KeyPress to be kept.
        event->accept();
        return true;
    }
    // The window system's events come to the windows first, marked spontaneous; what the program
    // sends on (to the focus widget, or posted by Release) passes untouched.
    if (!event->spontaneous() || !watched->isWindowType()) return false;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        m_keys.emplace_back(static_cast<QKeyEvent*>(event)->clone());
        return true;
    }
    if (m_keepClicks) KeepClick(type, event);
    if (IsRefusedInput(type)) {
        event->ignore();
        return true;
    }
    return false;
}

}  // namespace dezadav
