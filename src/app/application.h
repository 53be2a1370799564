#pragma once

#include <QSettings>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/app_options.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "session/clock.h"
#include "session/router_session.h"
#include "session/telnet_socket.h"
#include "session/transcript.h"
#include "session/transcript_file.h"
#include "settings/save_file_writer.h"
#include "ui/gui_user_port.h"
#include "ui/language_choice.h"
#include "ui/main_dlg.h"
#include "ui/system_tray.h"
#include "workflow/qt_tick_timer.h"
#include "workflow/router_workflow.h"

namespace dezadav {

// What the windowed program is started with: the options both front ends share (where Select Router
// searches, the telnet port, the time scale, the transcript), and where the language choice is kept.
struct ApplicationOptions : CommonOptions {
    ApplicationOptions() = default;
    explicit ApplicationOptions(const CommonOptions& common) : CommonOptions(common) {}

    QSettings* profile = nullptr;  // where the language choice is stored; null: the user's profile
};

// The application-wide settings every windowed program sets right after making its QApplication:
// names for the user's profile, the desktop file, the icon, and that hiding the window into the
// tray does not end the program.
void PrepareWindowedProgram();

// The windowed program's objects, made once and wired together here: the language table (English
// loaded before anything fills a list from it), the user port with the program's dialogs, the
// telnet session with its socket and clock, the refresh timer, the router workflow, the language
// choice, the tray icon and the main window that shows them; with a transcript file, the transcript
// writer the session reports every exchange to (a file that cannot be written is said once on
// stderr, and the program goes on without it); the history of the routers' settings unless
// --no-history (a folder that cannot be used is said once, and the program goes on without it). Members are declared in the order they
// depend on each other, so they are made in that order and the window goes first on the way out.
class Application {
public:
    explicit Application(ApplicationOptions options);
    ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The window; the parts it was handed are reached through it.
    CMainDlg& Window() { return m_window; }

private:
    LanguageTable m_texts;
    // The words of the records: English whatever the window shows.
    LanguageTable m_recordTexts;
    GuiUserPort m_port;
    CTelnetSocket m_socket;
    SteadyClock m_clock;
    std::unique_ptr<TranscriptFile> m_transcriptFile;
    std::unique_ptr<TranscriptWriter> m_transcript;
    std::unique_ptr<SettingsHistory> m_history;
    RouterSession m_session;
    QtTickTimer m_refreshTimer;
    SaveFileWriter m_files;
    RouterWorkflow m_workflow;
    LanguageChoice m_language;
    CSystemTray m_tray;
    CMainDlg m_window;
};

}  // namespace dezadav
