#include "ui/setting_dlg_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "ui/dialog_units.h"

namespace dezadav {

CSettingDlgWindow::CSettingDlgWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setFixedSize(DialogSize(166, 31));
    setFont(DialogFont());
    setWindowModality(Qt::ApplicationModal);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Raised);
    frame->setGeometry(rect());
    m_text = new QLabel(QStringLiteral("Loading ..."), this);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setGeometry(DialogRect(4, 10, 158, 10));
}

QString CSettingDlgWindow::ProgressText() const { return m_text->text(); }

void CSettingDlgWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        ++m_timesShown;
        // Centred over the window it belongs to, or on the screen.
        const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        QRect area;
        if (owner != nullptr && owner->isVisible()) {
            area = owner->frameGeometry();
        } else if (const QScreen* screen = this->screen()) {
            area = screen->availableGeometry();
        }
        if (area.isValid()) move(area.center() - rect().center());
    }
    QDialog::showEvent(event);
}

void CSettingDlgWindow::keyPressEvent(QKeyEvent* event) {
    // A run cannot be broken off from the keyboard: Esc would close the box while the exchange goes on.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSettingDlgWindow::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CSettingDlgWindow::ShowProgress(const QString& text) {
    m_text->setText(text);
    m_running = true;
    show();
    raise();
    // Let the box paint, and keep the start delay, before the exchange begins.
    QEventLoop loop;
    QTimer::singleShot(kStartDelayMs, &loop, &QEventLoop::quit);
    loop.exec();
}

void CSettingDlgWindow::HideProgress() {
    m_running = false;
    hide();
}

}  // namespace dezadav
