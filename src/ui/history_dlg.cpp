#include "ui/history_dlg.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>

#include "ui/dialog_units.h"
#include "ui/edge_anchors.h"
#include "ui/language_text.h"
#include "ui/gui_user_port.h"
#include "ui/list_columns.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"
#include "workflow/router_workflow.h"

namespace dezadav {

namespace {

const MessageText& CauseText(HistoryCause cause) {
    switch (cause) {
        case HistoryCause::BeforeApply:
            return kMsgHistoryBeforeApply;
        case HistoryCause::AfterApply:
            return kMsgHistoryAfterApply;
        case HistoryCause::FailedApply:
            return kMsgHistoryFailedApply;
        case HistoryCause::Backup:
            return kMsgHistoryBackup;
        case HistoryCause::Undo:
            return kMsgHistoryUndo;
        case HistoryCause::Fetch:
            break;
    }
    return kMsgHistoryFetch;
}

// Wanted widths of the columns Time, Cause and Changes, in pixels.
constexpr int kColumnWidths[3] = {120, 80, 280};

}  // namespace

CHistoryDlg::CHistoryDlg(RouterWorkflow& workflow, GuiUserPort& port, const LanguageTable& texts,
                         QWidget* parent)
    : QDialog(parent), m_workflow(workflow), m_port(port), m_texts(texts) {
    AllowGrowingFrom(this, DialogSize(340, 250));
    setFont(DialogFont());
    setWindowFlags(GrowingDialogFlags());
    const RouterStrip& strip = workflow.Connected().Strip();
    setWindowTitle(UiText(texts, kMsgHistoryTitle) + QStringLiteral(" - ") +
                   QString::fromStdString(strip.model) + QStringLiteral(" (") +
                   QString::fromStdString(strip.ip) + QLatin1Char(')'));

    m_intro = new QLabel(UiText(texts, kMsgHistoryIntro), this);
    m_intro->setGeometry(DialogRect(7, 7, 326, 10));
    m_records = new QTableWidget(0, 3, this);
    m_records->setGeometry(DialogRect(7, 19, 326, 110));
    m_records->setHorizontalHeaderLabels(
        {UiText(texts, kMsgHistoryTime), UiText(texts, kMsgHistoryCause), UiText(texts, kMsgHistorySummary)});
    m_records->verticalHeader()->hide();
    m_records->verticalHeader()->setDefaultSectionSize(m_records->fontMetrics().height() + 4);
    m_records->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_records->setSelectionMode(QAbstractItemView::SingleSelection);
    m_records->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_records->setTabKeyNavigation(false);
    m_records->setWordWrap(false);
    m_records->setAccessibleName(m_intro->text());
    for (int column = 0; column < 3; ++column)
        ColumnFit::Of(m_records)->SetWantedWidth(column, kColumnWidths[column]);
    m_intro->setBuddy(m_records);

    m_againstPages = new QLabel(UiText(texts, kMsgHistoryAgainstPages), this);
    m_againstPages->setGeometry(DialogRect(7, 134, 326, 10));
    m_differences = new QListWidget(this);
    m_differences->setGeometry(DialogRect(7, 146, 326, 74));
    m_differences->setSelectionMode(QAbstractItemView::NoSelection);
    WrapLongLines(m_differences);
    m_differences->setAccessibleName(m_againstPages->text());
    m_againstPages->setBuddy(m_differences);

    const auto make = [this](int x, const MessageText& caption) {
        auto* button = new CSkinButton(this);
        button->setGeometry(DialogRect(x, 227, 53, 16));
        button->SetBitmaps(DialogButtonBitmaps());
        button->setText(UiText(m_texts, caption));
        return button;
    };
    m_view = make(166, kMsgViewButton);
    m_restore = make(223, kMsgRestoreButton);
    m_close = make(280, kMsgCloseButton);
    m_view->setDefault(true);
    // The two lists share what the dialog grows by; the buttons keep to the bottom-right corner.
    auto* anchors = new EdgeAnchors(this);
    anchors->Add(m_intro, kStretchAcross);
    anchors->Add(m_records, {0, 0, 1, 0.5});
    anchors->Add(m_againstPages, {0, 0.5, 1, 0.5});
    anchors->Add(m_differences, {0, 0.5, 1, 1});
    for (QWidget* button : {m_view, m_restore, m_close}) anchors->Add(button, kBottomRight);
    connect(m_view, &QPushButton::clicked, this, &CHistoryDlg::ViewSelected);
    connect(m_restore, &QPushButton::clicked, this, &CHistoryDlg::RestoreSelected);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_records, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool chosen = Selected() != nullptr;
        m_view->setEnabled(chosen);
        m_restore->setEnabled(chosen);
        m_differences->clear();
    });
    OrderTabsAsShown(this);
}

int CHistoryDlg::Exec() {
    std::optional<std::string> problem;
    m_entries = m_workflow.Recorder().Records(m_workflow.Connected().HistoryKey(), &problem);
    if (problem) {
        ShowProblem(kMsgHistoryUnreadable, *problem);
        return QDialog::Rejected;
    }
    FillRecords();
    return exec();
}

QString CHistoryDlg::Summary(const LanguageTable& texts,
                             const std::optional<std::vector<FieldDifference>>& changes, bool oldest) {
    if (!changes) return UiText(texts, oldest ? kMsgHistoryFirst : kMsgHistoryUnreadableRecord);
    if (changes->empty()) return UiText(texts, kMsgHistoryNoChange);
    QString line = QString::fromStdString(DifferenceLine(changes->front()));
    if (changes->size() > 1) {
        line +=
            QStringLiteral(", ") +
            UiText(texts, kMsgHistoryMore).replace(QStringLiteral("%s"), QString::number(changes->size() - 1));
    }
    return line;
}

void CHistoryDlg::FillRecords() {
    const auto changes = m_workflow.Recorder().Changes(m_workflow.Connected().HistoryKey(), m_entries);
    m_records->setRowCount(static_cast<int>(m_entries.size()));
    for (std::size_t row = 0; row < m_entries.size(); ++row) {
        const HistoryEntry& entry = m_entries[row];
        const QString time = QDateTime::fromSecsSinceEpoch(entry.time)
                                 .toLocalTime()
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const bool oldest = row + 1 == m_entries.size();
        const QString summary = Summary(m_texts, row < changes.size() ? changes[row] : std::nullopt, oldest);
        const QString cells[3] = {time, UiText(m_texts, CauseText(entry.cause)), summary};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            m_records->setItem(static_cast<int>(row), column, item);
        }
    }
    if (m_entries.empty()) {
        m_view->setEnabled(false);
        m_restore->setEnabled(false);
    } else {
        m_records->selectRow(0);
    }
    m_records->setFocus(Qt::OtherFocusReason);
}

const HistoryEntry* CHistoryDlg::Selected() const {
    const QList<QTableWidgetSelectionRange> ranges = m_records->selectedRanges();
    if (ranges.isEmpty()) return nullptr;
    const int row = ranges.front().topRow();
    return row >= 0 && row < static_cast<int>(m_entries.size()) ? &m_entries[row] : nullptr;
}

void CHistoryDlg::ViewSelected() {
    const HistoryEntry* entry = Selected();
    if (entry == nullptr) return;
    std::optional<std::string> problem;
    const std::optional<std::vector<FieldDifference>> differences = m_workflow.Recorder().RecordAgainst(
        m_workflow.Connected().HistoryKey(), *entry,
        SettingsView{m_workflow.Pages().DialPlan(), m_workflow.Pages().Sip(), m_workflow.Pages().Codec()},
        m_workflow.Connected().IsTwoPort(), &problem);
    m_differences->clear();
    if (!differences) {
        ShowProblem(kMsgHistoryUnreadable, problem.value_or(std::string()));
        return;
    }
    for (const FieldDifference& difference : *differences) {
        m_differences->addItem(QString::fromStdString(DifferenceLine(difference)));
    }
    if (differences->empty()) m_differences->addItem(UiText(m_texts, kMsgHistorySameAsPages));
}

void CHistoryDlg::RestoreSelected() {
    const HistoryEntry* entry = Selected();
    if (entry == nullptr) return;
    const FileOutcome outcome = m_workflow.RestoreRecord(entry->id);
    if (outcome == FileOutcome::OpenFailed) {
        ShowProblem(kMsgRestoreFailed, m_workflow.Files().LastFileProblem());
        return;
    }
    // A record that holds no settings, or one refused, has shown its message and changed nothing.
    if (outcome == FileOutcome::NotSettings || outcome == FileOutcome::Refused) return;
    // The pages show the record now; an apply writes it, with its confirmation.
    accept();
}

void CHistoryDlg::ShowProblem(const MessageText& message, const std::string& problem) {
    ShowMessageWithDetail(m_texts, m_port.Messages(), message, "\n" + problem, kMsgWarnCaption);
}

}  // namespace dezadav
