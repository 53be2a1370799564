#include "ui/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "lang/messages.h"
#include "ui/dialog_units.h"

namespace dezadav {

CProgressWindow::CProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setFixedSize(DialogSize(166, 31));
    setFont(DialogFont());
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Raised);
    frame->setGeometry(rect());
    m_text = new QLabel(QString::fromUtf8(kProgressStartText.data(), kProgressStartText.size()), this);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setGeometry(DialogRect(4, 10, 158, 10));
}

QString CProgressWindow::ProgressText() const { return m_text->text(); }

void CProgressWindow::CentreOnOwner() {
    // Over the middle of the window it belongs to (its client area, so a window manager's title bar
    // does not pull it upwards), or of the screen when that window is not on screen.
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->geometry();
    } else if (const QScreen* screen = this->screen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) move(area.center() - rect().center());
}

void CProgressWindow::RememberFocus() {
    m_focusBefore = QApplication::focusWidget();
}

void CProgressWindow::RestoreFocus() {
    QWidget* widget = m_focusBefore;
    m_focusBefore = nullptr;
    if (widget == nullptr || !widget->isVisible()) return;
    // A window system that activated the box anyway hands the activation back to the window the
    // user was in, with the keyboard focus on the same widget.
    if (!widget->isActiveWindow()) widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

void CProgressWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        ++m_timesShown;
        CentreOnOwner();
    }
    QDialog::showEvent(event);
}

void CProgressWindow::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CProgressWindow::ShowProgress(const QString& text, bool keepTypedKeys) {
    m_text->setText(text);
    m_running = true;
    m_keepTypedKeys = keepTypedKeys;
    RememberFocus();
    // A refresh the user did not start keeps what the user does meanwhile: keys and a click.
    m_hold.Hold(keepTypedKeys);
    // Placed before it is mapped: a window manager then takes the position as the program's own.
    CentreOnOwner();
    // Iconified with its window once (minimised during an exchange), the box would be mapped iconic,
    // and a window manager iconifies a transient's whole group with it: the window the user restored
    // would vanish again at the next refresh.
    if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    // Let the box paint, and keep the start delay, before the exchange begins.
    QEventLoop loop;
    QTimer::singleShot(kStartDelayMs, &loop, &QEventLoop::quit);
    loop.exec();
}

void CProgressWindow::HideProgress() {
    m_running = false;
    hide();
    QWidget* typedInto = m_keepTypedKeys ? m_focusBefore.data() : nullptr;
    RestoreFocus();
    m_hold.Release(typedInto);
}

}  // namespace dezadav
