#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <string>

#include "workflow/router_workflow.h"

class QWidget;

namespace dezadav {

class CMainDlg;

// Plays the user of the main window for the demo and the start-up benchmark: picks the first router
// Select Router lists (after giving the others a moment to answer), types the password into Confirm
// Password, waits for the fetch, saves a picture of the main window with each page in front, and ends
// the window.
//
// Milestones go to `out`, one line each, so that a script can follow:
//   "opaque <ms>"         the window has faded in (milliseconds since the pilot was made)
//   "connected <ms> rss-kib=<n>"   the fetch is done; resident memory of the process
//   "picture <path>"      one picture saved
//   "pictures <folder>"   all pictures saved
// Message boxes are answered with OK and their texts written to stderr; a second password prompt
// (the password was refused), a Connect sequence that ends otherwise, or the deadline passing end
// the run with a non-zero ExitCode(). The password is never written anywhere.
class DemoPilot : public QObject {
    Q_OBJECT

public:
    // `folder` receives the pictures ("-" or empty: none are saved).
    DemoPilot(CMainDlg& window, QString folder, std::string password, std::FILE* out, int deadlineMs = 90000);

    // 0 after a run that reached every milestone; 1 otherwise (or while still running).
    int ExitCode() const { return m_exitCode; }

    // The resident memory of this process in KiB (0 when it cannot be read).
    static long ResidentKib();

private:
    void Tick();
    void Connected(ConnectOutcome outcome);
    void SavePictures();
    bool SavePicture(QWidget* widget, const QString& name);
    void Finish(int exitCode, const char* why);

    CMainDlg& m_window;
    QString m_folder;
    std::string m_password;
    std::FILE* m_out;
    QTimer m_ticker;
    QTimer m_deadline;
    QElapsedTimer m_clock;
    qint64 m_listedSince = -1;
    int m_passwordsTyped = 0;
    int m_exitCode = 1;
    bool m_finished = false;
};

}  // namespace dezadav
