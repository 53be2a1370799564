#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

#include "lang/language_table.h"
#include "ui/edge_anchors.h"
#include "ui/gui_user_port.h"
#include "ui/language_choice.h"
#include "ui/system_tray.h"
#include "workflow/router_workflow.h"

class QLabel;
class QGroupBox;
class QMenu;
class QTabWidget;

namespace dezadav {

class CCodecPage;
class CDialPlanPage;
class CLOGPage;
class CSIPPage;
class CSkinButton;

// What the main window shows and drives, made by the program before the window and outliving it.
struct MainDlgParts {
    RouterWorkflow& workflow;    // the flows the buttons start, and the models the pages show
    GuiUserPort& port;           // the dialogs; the window hands it its hooks and becomes their owner
    const LanguageTable& texts;  // every caption and label
    LanguageChoice& language;    // the Language dialog's choice and switch
    CSystemTray& tray;           // the notification-area icon, already added by the program
};

// The program's one main window: the banner, the Router Info strip (Model, Version, IP, MAC), the
// property sheet with the pages Dial plan, SIP, Codec/RTP/DTMF and VoIP Log, and the buttons Search
// Again, Language, Load, Save All, History..., Undo Apply and Apply to Router (also the Enter key).
//
// It is a view: the workflow, the user port, the language table and choice and the tray icon are
// handed to it (see MainDlgParts), and it carries out the window's part of each flow:
//   - it is made fully transparent; 100 ms after it is first shown (timer 0) the Connect sequence
//     runs, which fades the window in (opacity 5/255 to 255/255 in 26 steps) and sets its captions;
//     Search Again runs the sequence again, fade included;
//   - after a fetch the pages show the router's form (two-port: port-2 and register-via controls;
//     one-port: the use-registrar box, three codecs) and every model's values; the strip shows the
//     confirmed router;
//   - the log page's Auto Refresh box drives the one-second refresh timer (timer 3);
//   - a file dropped on the window is loaded when its path contains ".csv", and so is the file the
//     program was started with, after the first Connect sequence;
//   - Language runs the Language dialog and switches every window to the chosen language;
//   - History... (while a router is connected and the history is kept) runs the History dialog of
//     that router; Undo Apply (while the last apply to that router can be undone and no exchange
//     runs) restores the record taken right before that apply and applies it, with its
//     confirmation;
//   - the About box comes from the window's context menu and the tray menu;
//   - minimising hides the window into the tray when a tray host is there (the call log then
//     refreshes without any progress box) and the tray's Open brings it back; without a tray host
//     the window minimises normally;
//   - Esc, the close box, the tray's Exit and Exit in Select Router end the window (finished()); the
//     program ends with it. Esc, the close box and the tray's Exit first ask whether to apply the
//     edits the pages hold that were neither applied nor saved (Apply to Router / Discard / Cancel),
//     and do nothing while a router exchange runs.
class CMainDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kConnectTimerMs = 100;  // timer 0
    static constexpr int kOpenRetryMs = 500;     // a file sent by another copy waits for open dialogs
    static constexpr int kFadeSteps = 26;
    static constexpr int kSheetTop = 180;  // pixels from the top of the client area
    static constexpr int kMaxTabTextLength = 99;

    explicit CMainDlg(MainDlgParts parts, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // --- the window's flows (buttons, menus and the tray call these) -----------------------------

    // Fades the window in from opacity 5/255 to fully opaque in 26 steps and emits fadedIn().
    void FadeIn();
    // Window title, group box, the four strip labels and the five buttons from the language table.
    void SetCaptions();
    // Window title and the four tab titles (the last step of a language switch).
    void SetTitleAndTabs();
    // The Language dialog, then the switch when it ends with OK.
    void RunLanguageFlow();
    // The History dialog of the router of the strip.
    void RunHistoryFlow();
    // The About box, modally.
    void ShowAboutBox();
    // The file router exchanges are recorded in; the About box names it. Empty: none.
    void SetTranscriptPath(const QString& path) { m_transcriptPath = path; }
    // Minimise into the tray: hidden, tray menu offered, log refreshes run silently.
    void HideToTray();
    // Back from the tray: shown, tray menu no longer offered, progress shown again.
    void RestoreFromTray();
    // On screen and in front, out of the tray or the minimised state if need be.
    void BringToFront();
    // A command of the tray menu (CSystemTray::kAbout, kOpen, kExit).
    void HandleTrayCommand(int command);
    // Esc, the close box and the tray's Exit (see the class comment).
    void reject() override;
    // The window's end: its size and place are kept for the next start (per user).
    void done(int result) override;
    // A file dropped on the window (the Drop flow).
    FileOutcome DropFile(const QString& path);
    // A file to treat as dropped once the first Connect sequence has ended (unless it ended the
    // program): the file the program was started with.
    void OpenAfterFirstConnect(const QString& path) { m_fileAfterConnect = path; }
    // A file a later copy of the program was started with: treated as dropped, but not before the
    // first Connect sequence has ended and not while a dialog of the program is open.
    void OpenFromAnotherCopy(const QString& path);

    // --- parts, for the program and for tests ----------------------------------------------------

    RouterWorkflow& Workflow() { return m_workflow; }
    GuiUserPort& Port() { return m_port; }
    CSystemTray& Tray() { return m_tray; }
    LanguageChoice& Language() { return m_language; }
    QTabWidget* Sheet() const { return m_sheet; }
    CDialPlanPage* DialPlanPage() const { return m_dialPlanPage; }
    CSIPPage* SipPage() const { return m_sipPage; }
    CCodecPage* CodecPage() const { return m_codecPage; }
    CLOGPage* LogPage() const { return m_logPage; }
    QLabel* ModelField() const { return m_fields[0]; }
    QLabel* VersionField() const { return m_fields[1]; }
    QLabel* IpField() const { return m_fields[2]; }
    QLabel* MacField() const { return m_fields[3]; }
    CSkinButton* SearchButton() const { return m_search; }
    CSkinButton* LanguageButton() const { return m_languageButton; }
    CSkinButton* LoadButton() const { return m_load; }
    CSkinButton* SaveAllButton() const { return m_saveAll; }
    CSkinButton* ApplyButton() const { return m_apply; }
    CSkinButton* HistoryButton() const { return m_history; }
    CSkinButton* UndoButton() const { return m_undo; }
    // The window's context menu (with the About item).
    QMenu* WindowMenu() const { return m_windowMenu; }
    bool IsHiddenInTray() const { return m_hiddenInTray; }
    // The opacity steps (in 1/255) of the last fade-in, and how many fade-ins ran.
    const std::vector<int>& LastFadeSteps() const { return m_lastFade; }
    int FadeCount() const { return m_fadeCount; }

signals:
    // The window has become fully opaque at the start of a Connect sequence.
    void fadedIn();
    // A Connect sequence (timer 0 or Search Again) ended this way.
    void connectFinished(dezadav::ConnectOutcome outcome);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildStrip();
    void BuildSheet();
    void BuildButtons();
    void WireWorkflow();
    void RunConnectSequence();
    void ApplyPerModelControls(bool twoPort);
    void ShowModels();
    void ShowStrip(const RouterStrip& strip);
    void EndProgram();
    // Enables History... and Undo Apply as the workflow's state allows.
    void ShowHistoryButtons();
    // Asks about unapplied, unsaved edits; true when the program may end (discarded, or applied).
    bool ConfirmLeavingEdits();
    // The size and place the window had when the user last ended it, in the user's profile.
    void RestorePlace();
    void RememberPlace();

    RouterWorkflow& m_workflow;
    GuiUserPort& m_port;
    const LanguageTable& m_texts;
    LanguageChoice& m_language;
    CSystemTray& m_tray;
    QTimer m_connectTimer;  // timer 0

    bool m_connectTimerStarted = false;
    QString m_fileAfterConnect;
    bool m_firstConnectEnded = false;
    QString m_transcriptPath;
    bool m_hiddenInTray = false;
    QPoint m_placeBeforeTray;  // the top-left corner inside the frame when the window went into the tray
    std::vector<int> m_lastFade;
    int m_fadeCount = 0;

    EdgeAnchors* m_anchors = nullptr;  // how the controls follow the window as it grows
    QLabel* m_banner = nullptr;
    QGroupBox* m_stripGroup = nullptr;
    std::array<QLabel*, 4> m_labels = {};  // Model, Version, IP, MAC
    std::array<QLabel*, 4> m_fields = {};
    QTabWidget* m_sheet = nullptr;
    CDialPlanPage* m_dialPlanPage = nullptr;
    CSIPPage* m_sipPage = nullptr;
    CCodecPage* m_codecPage = nullptr;
    CLOGPage* m_logPage = nullptr;
    CSkinButton* m_search = nullptr;
    CSkinButton* m_languageButton = nullptr;
    CSkinButton* m_load = nullptr;
    CSkinButton* m_saveAll = nullptr;
    CSkinButton* m_apply = nullptr;
    CSkinButton* m_history = nullptr;
    CSkinButton* m_undo = nullptr;
    QMenu* m_windowMenu = nullptr;
};

}  // namespace dezadav
