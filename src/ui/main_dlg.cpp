#include "ui/main_dlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "lang/messages.h"
#include "ui/dialog_units.h"
#include "ui/history_dlg.h"
#include "ui/language_dlg.h"
#include "ui/language_text.h"
#include "ui/pages/codec_page.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/sip_page.h"
#include "ui/pictures.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {

namespace {

// The program's version, as the build names it.
#ifndef DEZADAV_VERSION
#define DEZADAV_VERSION "?"
#endif
constexpr char kVersion[] = DEZADAV_VERSION;

// Where the banner's subtitle stands on the banner picture (91 pixels high), in its pixels.
constexpr int kBannerHeight = 91;
constexpr QRect kSubtitlePlace(25, 56, 480, 20);
constexpr int kSubtitlePixelSize = 14;

// Strip labels and fields in the order Model, Version, IP, MAC.
const char* const kStripKeys[4] = {"Router_Model", "Router_Version", "Router_IP", "Router_Mac"};
const char* const kTabKeys[4] = {"DialPlan_Title", "SIP_Title", "Codec_Title", "Log_Title"};

constexpr int kAboutWidth = 170;  // dialog units
constexpr int kMargin = 6;  // pixels around the sheet and the button row
constexpr int kButtonWidth = 110;
constexpr int kNarrowButtonWidth = 80;  // the buttons between Language and Apply to Router
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

// Where the window's size and place are kept in the user's profile.
const QString kPlaceKey = QStringLiteral("Window/MainPlace");

// The banner across the top: the picture as drawn, its last column carried on to the right edge of
// a wider window.
class Banner : public QLabel {
public:
    explicit Banner(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignVCenter); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        const qreal ratio = devicePixelRatioF();
        const QPixmap picture = BannerPicture(ratio);
        const QSizeF drawn = picture.deviceIndependentSize();
        if (width() <= drawn.width()) {
            setPixmap(picture);
            return;
        }
        QPixmap wide((QSizeF(width(), drawn.height()) * ratio).toSize());
        wide.setDevicePixelRatio(ratio);
        QPainter painter(&wide);
        painter.drawPixmap(QRectF(0, 0, width(), drawn.height()), picture,
                           QRectF(picture.width() - 1, 0, 1, picture.height()));
        painter.drawPixmap(QPointF(0, 0), picture);
        painter.end();
        setPixmap(wide);
    }
};

}  // namespace

CMainDlg::CMainDlg(MainDlgParts parts, QWidget* parent)
    : QDialog(parent),
      m_workflow(parts.workflow),
      m_port(parts.port),
      m_texts(parts.texts),
      m_language(parts.language),
      m_tray(parts.tray) {
    // Minimise (into the tray), maximise and close; the designed size is the smallest.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    AllowGrowingFrom(this, DialogSize(472, 348));
    m_anchors = new EdgeAnchors(this);
    setFont(DialogFont());
    setAcceptDrops(true);
    setWindowIcon(ProgramIcon());
    // Fully transparent until the first Connect sequence fades the window in.
    setWindowOpacity(0.0);

    m_windowMenu = new QMenu(this);
    m_aboutItem = m_windowMenu->addAction(QString());
    connect(m_aboutItem, &QAction::triggered, this, &CMainDlg::ShowAboutBox);

    connect(&m_tray, &CSystemTray::CommandRequested, this, &CMainDlg::HandleTrayCommand);

    BuildStrip();
    BuildSheet();
    BuildButtons();
    OrderTabsAsShown(this);
    WireWorkflow();
    SetCaptions();
    SetTitleAndTabs();
    RestorePlace();

    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kConnectTimerMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &CMainDlg::RunConnectSequence);
    // The window's life ends the program's: no Connect sequence may start after it has ended.
    connect(this, &QDialog::finished, &m_connectTimer, &QTimer::stop);
}

CMainDlg::~CMainDlg() {
    // A window the program ends without closing it first still keeps its place.
    if (isVisible()) RememberPlace();
    // The port outlives the window: its dialogs and hooks must not point at a window that is gone.
    m_port.AttachWindow(nullptr, {});
}

void CMainDlg::RestorePlace() {
    const QByteArray saved = OpenUserProfile()->value(kPlaceKey).toByteArray();
    // The window system moves a place on a screen that is gone onto one that is there.
    if (!saved.isEmpty()) restoreGeometry(saved);
}

void CMainDlg::RememberPlace() {
    const auto profile = OpenUserProfile();
    profile->setValue(kPlaceKey, saveGeometry());
    profile->sync();
}

void CMainDlg::done(int result) {
    RememberPlace();
    QDialog::done(result);
}

void CMainDlg::BuildStrip() {
    m_banner = new Banner(this);
    m_banner->setGeometry(DialogRect(0, 0, 472, 56));
    m_anchors->Add(m_banner, kStretchAcross);
    // The subtitle is text over the picture (drawn from the banner's left edge), in the language shown.
    m_subtitle = new QLabel(m_banner);
    m_subtitle->setGeometry(kSubtitlePlace.translated(0, (m_banner->height() - kBannerHeight) / 2));
    m_subtitle->setObjectName(QStringLiteral("bannerSubtitle"));
    QFont subtitleFont = font();
    subtitleFont.setPixelSize(kSubtitlePixelSize);
    m_subtitle->setFont(subtitleFont);
    m_subtitle->setStyleSheet(QStringLiteral("color: #d6e8f7; background: transparent;"));

    m_stripGroup = new QGroupBox(this);
    m_stripGroup->setGeometry(DialogRect(4, 57, 464, 51));
    m_anchors->Add(m_stripGroup, kStretchAcross);
    // Two rows of label and sunken field: Model and Version, then IP and MAC.
    const int rowY[4] = {70, 70, 88, 88};
    const int columnX[4] = {12, 240, 12, 240};
    for (int i = 0; i < 4; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setGeometry(DialogRect(columnX[i], rowY[i] + 1, 44, 12));
        m_labels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_fields[i] = new QLabel(this);
        m_fields[i]->setGeometry(DialogRect(columnX[i] + 48, rowY[i], 160, 13));
        m_fields[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_fields[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Each column takes half of the width the strip gains.
        const double column = columnX[i] == columnX[0] ? 0.0 : 0.5;
        m_anchors->Add(m_labels[i], {column, 0, column, 0});
        m_anchors->Add(m_fields[i], {column, 0, column + 0.5, 0});
    }
}

void CMainDlg::BuildSheet() {
    m_sheet = new QTabWidget(this);
    m_sheet->setUsesScrollButtons(false);
    m_sheet->setDocumentMode(false);
    m_dialPlanPage = new CDialPlanPage(m_workflow.Pages().DialPlan(), m_texts, m_port.Messages());
    m_sipPage = new CSIPPage(m_workflow.Pages().Sip(), m_texts, m_port.Messages());
    m_codecPage = new CCodecPage(m_workflow.Pages().Codec(), m_texts, m_port.Messages());
    m_logPage = new CLOGPage(m_workflow.Pages().CallLog(), m_texts, m_port.Messages());
    for (QWidget* page : std::initializer_list<QWidget*>{m_dialPlanPage, m_sipPage, m_codecPage, m_logPage}) {
        m_sheet->addTab(page, QString());
    }
    const int top = kSheetTop;
    const int bottom = height() - kMargin - kButtonHeight - kMargin;
    m_sheet->setGeometry(kMargin, top, width() - 2 * kMargin, bottom - top);
    m_anchors->Add(m_sheet, kStretch);
    // A file dropped anywhere on the window is the window's: the text boxes of the pages would
    // otherwise take it as text.
    for (QLineEdit* box : m_sheet->findChildren<QLineEdit*>()) box->setAcceptDrops(false);
    // Every page exists and has been laid out once; the first one is in front.
    for (int index = m_sheet->count() - 1; index >= 0; --index) m_sheet->setCurrentIndex(index);
    // The next and the previous page from wherever the focus is: a drop-down list or a text box
    // would otherwise take the keys as its own (a list's choice would change instead of the page).
    const std::pair<QKeySequence, int> pageKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1}};
    for (const auto& [keys, step] : pageKeys) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            const int count = m_sheet->count();
            m_sheet->setCurrentIndex((m_sheet->currentIndex() + step + count) % count);
        });
    }
}

void CMainDlg::BuildButtons() {
    const int y = height() - kMargin - kButtonHeight;
    auto make = [this, y](int x, int width) {
        auto* button = new CSkinButton(this);
        button->SetBitmaps(width == kButtonWidth ? MainButtonBitmaps() : DialogButtonBitmaps());
        button->setGeometry(x, y, width, kButtonHeight);
        return button;
    };
    // Search and Language on the left; Apply to Router on the right, with the file buttons, History
    // and Undo Apply (narrower, to fit) before it.
    m_search = make(kMargin, kButtonWidth);
    // Shown: otherwise the language choice could not be reached at all.
    m_languageButton = make(kMargin + kButtonWidth + kButtonGap, kButtonWidth);
    m_apply = make(width() - kMargin - kButtonWidth, kButtonWidth);
    const int narrowStep = kNarrowButtonWidth + kButtonGap;
    const int firstNarrow = m_apply->x() - 4 * narrowStep;
    m_load = make(firstNarrow, kNarrowButtonWidth);
    m_saveAll = make(firstNarrow + narrowStep, kNarrowButtonWidth);
    m_history = make(firstNarrow + 2 * narrowStep, kNarrowButtonWidth);
    m_undo = make(firstNarrow + 3 * narrowStep, kNarrowButtonWidth);
    m_apply->setDefault(true);
    // Search and Language keep to the left corner, the others to the right one, in their order.
    for (CSkinButton* button : {m_search, m_languageButton}) m_anchors->Add(button, kBottomLeft);
    for (CSkinButton* button : {m_load, m_saveAll, m_history, m_undo, m_apply}) m_anchors->Add(button, kBottomRight);

    connect(m_search, &QPushButton::clicked, this, &CMainDlg::RunConnectSequence);
    connect(m_languageButton, &QPushButton::clicked, this, &CMainDlg::RunLanguageFlow);
    connect(m_load, &QPushButton::clicked, this, [this] { m_workflow.Files().LoadFlow(); });
    connect(m_saveAll, &QPushButton::clicked, this, [this] { m_workflow.Files().SaveAllFlow(); });
    connect(m_apply, &QPushButton::clicked, this, [this] {
        m_workflow.ApplyFlow();
        ShowHistoryButtons();
    });
    connect(m_history, &QPushButton::clicked, this, &CMainDlg::RunHistoryFlow);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        m_workflow.UndoLastApply();
        ShowHistoryButtons();
    });
    ShowHistoryButtons();
}

void CMainDlg::RunHistoryFlow() {
    if (m_workflow.Exchange().Running()) return;
    CHistoryDlg dialog(m_workflow, m_port, m_texts, this);
    dialog.Exec();
    ShowHistoryButtons();
}

void CMainDlg::ShowHistoryButtons() {
    // Both belong to the router of the strip: none after Skip, none while an exchange runs.
    const bool connected = !m_workflow.Connected().skipMark && !m_workflow.Connected().Strip().ip.empty() &&
                           !m_workflow.Exchange().Running();
    m_history->setEnabled(connected && m_workflow.Recorder().History() != nullptr);
    m_undo->setEnabled(connected && !m_workflow.RecordBeforeLastApply().empty());
}

void CMainDlg::WireWorkflow() {
    GuiUserPort::WindowHooks hooks;
    hooks.fadeInAndCaption = [this] {
        FadeIn();
        SetCaptions();
    };
    hooks.applyPerModelControls = [this](bool twoPort) { ApplyPerModelControls(twoPort); };
    hooks.showAutoRefresh = [this](bool ticked, bool enabled) {
        m_logPage->ShowAutoRefresh(ticked, enabled);
    };
    hooks.showStrip = [this](const RouterStrip& strip) {
        ShowStrip(strip);
        ShowHistoryButtons();
    };
    hooks.modelsChanged = [this] {
        ShowModels();
        ShowHistoryButtons();
    };
    hooks.exchangeShown = [this](bool) { ShowHistoryButtons(); };
    hooks.endProgram = [this] { EndProgram(); };
    m_port.AttachWindow(this, std::move(hooks));

    m_dialPlanPage->SetModelNameSource([this] { return m_workflow.Connected().Strip().model; });
    connect(m_logPage, &CLOGPage::autoRefreshChanged, this,
            [this](bool ticked) { m_workflow.SetAutoRefresh(ticked); });
    connect(m_logPage, &CLOGPage::refreshSecondsChanged, this,
            [this](int seconds) { m_workflow.SetRefreshSeconds(seconds); });

    RelabelSteps steps;
    steps.mainWindow = [this] { SetCaptions(); };
    steps.pages = {[this] { m_dialPlanPage->Recaption(); }, [this] { m_sipPage->Recaption(); },
                   [this] { m_codecPage->Recaption(); }, [this] { m_logPage->Recaption(); }};
    steps.titleAndTabs = [this] { SetTitleAndTabs(); };
    m_language.SetRelabelSteps(std::move(steps));
}

void CMainDlg::SetCaptions() {
    setWindowTitle(UiText(m_texts, "Router_Tool"));
    m_stripGroup->setTitle(UiText(m_texts, "Router_Info"));
    for (int i = 0; i < 4; ++i) m_labels[i]->setText(UiText(m_texts, kStripKeys[i]));
    m_apply->setText(UiText(m_texts, "Button_Apply"));
    m_saveAll->setText(UiText(m_texts, "Button_SaveAll"));
    m_search->setText(UiText(m_texts, "Button_Search"));
    m_load->setText(UiText(m_texts, "Button_Load"));
    m_languageButton->setText(UiText(m_texts, "Button_Language"));
    m_history->setText(UiText(m_texts, kMsgHistoryButton));
    m_undo->setText(UiText(m_texts, kMsgUndoButton));
    m_subtitle->setText(UiText(m_texts, kMsgBannerSubtitle));
    m_aboutItem->setText(UiText(m_texts, kMsgAboutItem));
    m_tray.SetItemTexts(UiText(m_texts, kMsgTrayAbout), UiText(m_texts, kMsgTrayOpen),
                        UiText(m_texts, kMsgTrayExit));
}

void CMainDlg::SetTitleAndTabs() {
    setWindowTitle(UiText(m_texts, "Router_Tool"));
    for (int i = 0; i < m_sheet->count() && i < 4; ++i) {
        m_sheet->setTabText(i, UiText(m_texts, kTabKeys[i]).left(kMaxTabTextLength));
    }
}

void CMainDlg::FadeIn() {
    m_lastFade.clear();
    for (int step = 0; step < kFadeSteps; ++step) {
        const int alpha = 5 + 10 * step;
        setWindowOpacity(alpha / 255.0);
        m_lastFade.push_back(alpha);
    }
    ++m_fadeCount;
    emit fadedIn();
}

void CMainDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Timer 0 runs once, when the window is first up.
    if (!m_connectTimerStarted && !event->spontaneous()) {
        m_connectTimerStarted = true;
        m_connectTimer.start();
    }
}

void CMainDlg::RunConnectSequence() {
    m_connectTimer.stop();
    const ConnectOutcome outcome = m_workflow.ConnectSequence();
    if (outcome == ConnectOutcome::Exited) return;
    m_firstConnectEnded = true;
    if (!m_fileAfterConnect.isEmpty()) DropFile(std::exchange(m_fileAfterConnect, QString()));
    ShowHistoryButtons();
    emit connectFinished(outcome);
}

void CMainDlg::ApplyPerModelControls(bool twoPort) {
    m_sipPage->SetTwoPort(twoPort);
    m_dialPlanPage->SetTwoPort(twoPort);
    // The workflow has trimmed a one-port router's codec choices to three already.
    m_codecPage->ShowModel();
}

void CMainDlg::ShowModels() {
    m_dialPlanPage->ShowModel();
    m_sipPage->ShowModel();
    m_codecPage->ShowModel();
    m_logPage->ShowModel();
}

void CMainDlg::ShowStrip(const RouterStrip& strip) {
    const std::string* values[4] = {&strip.model, &strip.version, &strip.ip, &strip.mac};
    for (int i = 0; i < 4; ++i) m_fields[i]->setText(QString::fromStdString(*values[i]));
}

void CMainDlg::EndProgram() {
    done(QDialog::Rejected);
}

void CMainDlg::reject() {
    // Nothing ends the program in the middle of a router exchange.
    if (m_workflow.Exchange().Running()) return;
    if (m_workflow.Pages().HasUnsavedEdits() && !ConfirmLeavingEdits()) return;
    QDialog::reject();
}

bool CMainDlg::ConfirmLeavingEdits() {
    // The question is about what the pages show: they are on screen while it is asked.
    if (m_hiddenInTray) RestoreFromTray();
    const UnsavedEditsChoice choice = m_port.AskAboutUnsavedEdits();
    if (choice == UnsavedEditsChoice::Discard) return true;
    if (choice != UnsavedEditsChoice::Apply) return false;
    // A failed apply has shown its message; the edits stay for another try.
    const ApplyOutcome outcome = m_workflow.ApplyFlow();
    ShowHistoryButtons();
    return outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NoChanges;
}

void CMainDlg::RunLanguageFlow() {
    CLanguageDlg dialog(m_language, this);
    dialog.SetLanguageNumber(m_language.CurrentLanguage());
    if (dialog.exec() == QDialog::Accepted) m_language.SwitchLanguage(dialog.LanguageNumber());
}

void CMainDlg::ShowAboutBox() {
    QDialog box(isVisible() ? this : nullptr);
    box.setWindowTitle(UiText(m_texts, kMsgAboutTitle));
    box.setWindowFlags(FixedDialogFlags());
    box.setFont(DialogFont());
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(&box);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* text = new QLabel(
        UiText(m_texts, kMsgAboutText).replace(QStringLiteral("%s"), QString::fromLatin1(kVersion)), &box);
    text->setObjectName(QStringLiteral("aboutText"));
    texts->addWidget(text);
    if (!m_transcriptPath.isEmpty()) {
        // Where the router exchanges are being recorded, for whoever is asked to send it in.
        auto* transcript = new QLabel(UiText(m_texts, kMsgAboutTranscript) + m_transcriptPath, &box);
        transcript->setObjectName(QStringLiteral("aboutTranscript"));
        transcript->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(transcript);
    }
    row->addLayout(texts, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    // As small as its content allows, but wide enough for its title in the title bar.
    box.setFixedSize(box.sizeHint().expandedTo(QSize(DialogUnitsX(kAboutWidth), 0)));
    box.exec();
}

void CMainDlg::HideToTray() {
    if (m_hiddenInTray) return;
    m_placeBeforeTray = geometry().topLeft();
    m_tray.AnimateToTray(this);
    m_hiddenInTray = true;
    // The window stays minimised while hidden: clearing that state here would have the window
    // system map the window again, an empty frame on screen. Showing it normal brings it back whole.
    hide();
    m_tray.SetMenuActive(true);
    m_workflow.Exchange().SetMainWindowVisible(false);
}

void CMainDlg::RestoreFromTray() {
    m_tray.AnimateFromTray(this);
    m_hiddenInTray = false;
    showNormal();
    // Placed by its inner corner, not by its frame's: mapped again, the window is framed anew and
    // Qt may not know the frame's size yet, so a frame position would be off by it.
    setGeometry(QRect(m_placeBeforeTray, size()));
    raise();
    activateWindow();
    m_tray.SetMenuActive(false);
    m_workflow.Exchange().SetMainWindowVisible(true);
}

void CMainDlg::OpenFromAnotherCopy(const QString& path) {
    if (!m_firstConnectEnded) {
        m_fileAfterConnect = path;
        return;
    }
    // A load under an open dialog would change what the dialog is editing, and one during an exchange
    // what the exchange reads or writes: wait until both are over.
    if (m_workflow.Exchange().Running() || QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr) {
        QTimer::singleShot(kOpenRetryMs, this, [this, path] { OpenFromAnotherCopy(path); });
        return;
    }
    DropFile(path);
}

void CMainDlg::BringToFront() {
    if (m_hiddenInTray) {
        RestoreFromTray();
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void CMainDlg::HandleTrayCommand(int command) {
    switch (command) {
        case CSystemTray::kAbout:
            ShowAboutBox();
            break;
        case CSystemTray::kOpen:
            // A click and a double click may both come: the window is brought back once.
            BringToFront();
            break;
        case CSystemTray::kExit:
            reject();
            break;
        default:
            break;
    }
}

void CMainDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || m_hiddenInTray) return;
    // Without a tray host the window stays an ordinary minimised window.
    if (!m_tray.IsEnabled()) return;
    // The state change is still being delivered: hide once it is over.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized()) HideToTray();
    });
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event) {
    m_windowMenu->popup(event->globalPos());
    event->accept();
}

void CMainDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    DropFile(urls.front().toLocalFile());
}

FileOutcome CMainDlg::DropFile(const QString& path) {
    // The whole path is used: cutting a long one would load some other file or none.
    return m_workflow.Files().DropFile(path.toStdString());
}

}  // namespace dezadav
