#include "ui/input_hold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

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

}  // namespace

InputHold::InputHold() = default;

InputHold::~InputHold() {
    if (m_holding) qApp->removeEventFilter(this);
}

void InputHold::Hold() {
    if (m_holding) return;
    m_keys.clear();
    m_holding = true;
    qApp->installEventFilter(this);
}

void InputHold::Release(QWidget* typingTarget) {
    if (!m_holding) return;
    m_holding = false;
    qApp->removeEventFilter(this);
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
    if (IsRefusedInput(type)) {
        event->ignore();
        return true;
    }
    return false;
}

}  // namespace dezadav
