#include "ui/setting_dlg_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "ui/dialog_units.h"
#include "ui/language_text.h"

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

DialogResult CSettingDlgWindow::Run(CSettingDlg& session) {
    DialogResult ended = DialogResult::None;
    session.SetCloseHandler([this, &ended](DialogResult result) {
        ended = result;
        m_running = false;
        if (isVisible()) done(result == DialogResult::Ok ? QDialog::Accepted : QDialog::Rejected);
    });
    const CSettingDlg::StartAction action = session.Start();
    if (action != CSettingDlg::StartAction::ShowAndTimer) {
        session.SetCloseHandler({});
        if (action == CSettingDlg::StartAction::RanSilently) return session.Result();
        return DialogResult::Cancel;
    }
    const SessionMessage* progress = ProgressTextFor(session.mode);
    QString text = UiText(progress->key);
    if (text.isEmpty() || text == QLatin1String(kMissingText.data(), kMissingText.size())) {
        text = QString::fromUtf8(progress->englishDefault.data(), progress->englishDefault.size());
    }
    m_text->setText(text);
    m_running = true;
    QTimer::singleShot(kStartDelayMs, this, [&session] { session.OnTimer(kRunTimerId); });
    exec();
    m_running = false;
    session.SetCloseHandler({});
    return ended == DialogResult::None ? DialogResult::Cancel : ended;
}

}  // namespace dezadav
