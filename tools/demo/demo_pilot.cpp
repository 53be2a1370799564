#include "demo_pilot.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTableWidget>
#include <utility>

#include "ui/main_dlg.h"
#include "ui/progress_window.h"
#include "ui/router_info_dlg.h"
#include "ui/select_router_dlg.h"
#include "ui/skin_button.h"

namespace dezadav {

namespace {

constexpr int kTickMs = 50;
// How long Select Router is left to collect answers once the first router is listed.
constexpr int kCollectMs = 1500;

const char* const kPageNames[4] = {"3-dial-plan.png", "4-sip.png", "5-codec.png", "6-voip-log.png"};

}  // namespace

DemoPilot::DemoPilot(CMainDlg& window, QString folder, std::string password, std::FILE* out, int deadlineMs)
    : m_window(window), m_folder(std::move(folder)), m_password(std::move(password)), m_out(out) {
    if (m_folder == QStringLiteral("-")) m_folder.clear();
    if (!m_folder.isEmpty()) QDir().mkpath(m_folder);
    m_clock.start();
    connect(&m_ticker, &QTimer::timeout, this, &DemoPilot::Tick);
    m_ticker.start(kTickMs);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { Finish(1, "the demo did not finish in time"); });
    m_deadline.start(deadlineMs);
    connect(&m_window, &CMainDlg::fadedIn, this, [this] {
        // Only the first fade-in is a start-up milestone.
        if (m_window.FadeCount() == 1) {
            std::fprintf(m_out, "opaque %lld\n", static_cast<long long>(m_clock.elapsed()));
            std::fflush(m_out);
        }
    });
    connect(&m_window, &CMainDlg::connectFinished, this, &DemoPilot::Connected);
    connect(&m_window, &QDialog::finished, this, [this] {
        if (!m_finished) Finish(1, "the window ended before the demo did");
    });
}

long DemoPilot::ResidentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    // Files under /proc report no size: read to the end instead of checking atEnd().
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

void DemoPilot::Tick() {
    if (m_finished) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || qobject_cast<CProgressWindow*>(modal) != nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        std::fprintf(stderr, "message: %s\n", box->text().toUtf8().constData());
        box->accept();
        return;
    }
    if (auto* select = qobject_cast<CSelectRouterDlg*>(modal)) {
        if (select->RouterTable()->rowCount() == 0) return;
        if (m_listedSince < 0) m_listedSince = m_clock.elapsed();
        if (m_clock.elapsed() - m_listedSince < kCollectMs) return;
        SavePicture(select, QStringLiteral("1-select-router.png"));
        select->RouterTable()->selectRow(0);
        select->OkButton()->click();
        m_listedSince = -1;
        return;
    }
    if (auto* confirm = qobject_cast<CRouterInfoDlg*>(modal)) {
        if (m_passwordsTyped > 0) {
            confirm->reject();
            Finish(1, "the router refused the password");
            return;
        }
        ++m_passwordsTyped;
        confirm->PasswordBox()->setText(QString::fromStdString(m_password));
        SavePicture(confirm, QStringLiteral("2-confirm-password.png"));
        confirm->OkButton()->click();
    }
}

void DemoPilot::Connected(ConnectOutcome outcome) {
    if (m_finished) return;
    if (outcome != ConnectOutcome::Connected) {
        Finish(1, "the Connect sequence ended without a router");
        return;
    }
    std::fprintf(m_out, "connected %lld rss-kib=%ld\n", static_cast<long long>(m_clock.elapsed()),
                 ResidentKib());
    std::fflush(m_out);
    // Out of the Connect sequence's call first: the pictures show the window as the user sees it.
    QTimer::singleShot(0, this, [this] {
        SavePictures();
        Finish(0, nullptr);
    });
}

void DemoPilot::SavePictures() {
    if (m_folder.isEmpty()) return;
    QTabWidget* sheet = m_window.Sheet();
    for (int page = 0; page < sheet->count() && page < 4; ++page) {
        sheet->setCurrentIndex(page);
        QApplication::processEvents();
        SavePicture(&m_window, QString::fromLatin1(kPageNames[page]));
    }
    sheet->setCurrentIndex(0);
    std::fprintf(m_out, "pictures %s\n", QDir(m_folder).absolutePath().toUtf8().constData());
    std::fflush(m_out);
}

bool DemoPilot::SavePicture(QWidget* widget, const QString& name) {
    if (m_folder.isEmpty()) return false;
    const QString path = QDir(m_folder).filePath(name);
    if (!widget->grab().save(path, "PNG")) {
        std::fprintf(stderr, "could not save %s\n", path.toUtf8().constData());
        return false;
    }
    std::fprintf(m_out, "picture %s\n", path.toUtf8().constData());
    std::fflush(m_out);
    return true;
}

void DemoPilot::Finish(int exitCode, const char* why) {
    if (m_finished) return;
    m_finished = true;
    m_exitCode = exitCode;
    m_ticker.stop();
    m_deadline.stop();
    if (why != nullptr) std::fprintf(stderr, "demo: %s\n", why);
    // Whatever dialog is still up goes first, then the window (which ends the program).
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    if (m_window.isVisible()) m_window.done(QDialog::Accepted);
    QApplication::exit(exitCode);
}

}  // namespace dezadav
