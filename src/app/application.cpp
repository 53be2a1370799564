#include "app/application.h"

#include <QApplication>
#include <cstdio>

#include "lang/builtin_language_source.h"
#include "frontend/history_store.h"
#include "lang/messages.h"
#include "settings/settings_json.h"
#include "ui/pictures.h"

namespace dezadav {

namespace {

// The tray menu's default item, by position: Open.
constexpr int kTrayDefaultItem = 2;

}  // namespace

void PrepareWindowedProgram() {
    NameProgramForUserFolders();
    QGuiApplication::setDesktopFileName(QStringLiteral("dezadav"));
    QApplication::setWindowIcon(ProgramIcon());
    // The window hides itself into the tray; only its end ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
}

Application::Application(ApplicationOptions options)
    : m_texts(BuiltinEnglishTable()),
      m_recordTexts(BuiltinEnglishTable()),
      m_port(m_texts, DiscoveryOptions{options.broadcast, options.discoveryPort}),
      m_session(m_socket, m_clock, m_texts, m_port.Messages()),
      m_workflow(m_texts, m_port, m_session, m_refreshTimer, m_files),
      m_language(m_texts, &m_port.Messages(), options.profile),
      m_window(MainDlgParts{m_workflow, m_port, m_texts, m_language, m_tray}) {
    m_workflow.Exchange().SetTelnetPort(options.telnetPort);
    m_workflow.Exchange().SetTimeScale(options.timeScale);
    m_workflow.Recorder().SetRecordLanguage(m_recordTexts);
    m_workflow.Files().SetDocumentReader([this](std::string_view document, std::string_view base,
                                                bool twoPort,
                                                std::string& problem) -> std::optional<std::string> {
        SettingsJsonRead read = ReadSettingsJson(document, base, twoPort, false, AllSettingsFileWords(m_texts));
        if (read.problem) problem = *read.problem;
        if (read.problem) return std::nullopt;
        return std::move(read.text);
    });
    m_workflow.Exchange().SetMainWindowVisible(true);
    if (options.transcriptFile) {
        m_transcriptFile = std::make_unique<TranscriptFile>(
            *options.transcriptFile,
            [](const std::string& text) { std::fputs(WindowProgramErrorLine(text).c_str(), stderr); });
        m_transcriptFile->Open();
        m_transcript = std::make_unique<TranscriptWriter>(*m_transcriptFile, LocalTimeText);
        m_session.SetObserver(m_transcript.get());
        m_window.SetTranscriptPath(QString::fromStdString(*options.transcriptFile));
    }
    OpenedHistory history = OpenHistory(options, std::string("dezadav ") + ProgramVersion());
    m_history = std::move(history.history);
    m_workflow.Recorder().SetHistory(m_history.get(), HistoryCause::Fetch);
    if (history.problem) {
        ShowMessageWithDetail(m_texts, m_port.Messages(), kMsgHistoryUnavailable,
                              "\n" + *history.problem, kMsgWarnCaption);
    }
    if (history.warning) {
        ShowMessageWithDetail(m_texts, m_port.Messages(), kMsgHistoryWarning, "\n" + *history.warning,
                              kMsgWarnCaption);
    }
    // The window's end is the program's: no refresh may tick after it.
    QObject::connect(&m_window, &QDialog::finished, &m_window, [this] { m_refreshTimer.Stop(); });

    m_tray.AddTrayIcon(QStringLiteral("Dezadav"), ProgramIcon());
    m_tray.SetDefaultMenuItem(kTrayDefaultItem, true);

    // The stored or detected choice only preselects the Language dialog: the program always starts
    // in English.
    m_language.ReadLanguageChoice();
}

Application::~Application() {
    m_refreshTimer.Stop();
}

}  // namespace dezadav
