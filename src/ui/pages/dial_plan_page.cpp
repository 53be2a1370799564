#include "ui/pages/dial_plan_page.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QShortcut>
#include <QTableWidget>

#include "lang/language_table.h"
#include "lang/messages.h"
#include "settings/router_model.h"
#include "settings/settings_file.h"
#include "ui/dialog_units.h"
#include "ui/edge_anchors.h"
#include "ui/language_text.h"
#include "ui/pages/index_info_dlg.h"
#include "ui/pages/page_controls.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {
namespace {

// Column widths in pixels.
constexpr int kIndexWidth = 50;
constexpr int kPhoneWidth = 110;
constexpr int kSipWidth = 145;
constexpr int kSipWidthTwoPortRelabelled = 150;
constexpr int kLoopWidth = 140;
constexpr int kBackupWidth = 150;
constexpr int kStatusWidth = 55;
constexpr int kStatusWidthTwoPort = 100;

}  // namespace

CDialPlanPage::CDialPlanPage(DialPlanTable& table, const LanguageTable& texts, MessagePort& messages,
                             QWidget* parent)
    : QWidget(parent), m_table(table), m_texts(texts), m_messages(messages) {
    resize(DialogSize(457, 193));
    m_chooseFile = [this] { return ChooseCsvFileToSave(this, UiText(m_texts, kMsgFileFilter)); };
    m_runDialog = [](CIndexInfoDlg& dialog) { return dialog.exec(); };

    m_list = new QTableWidget(kDialPlanEntryCount, kColumnCount, this);
    m_list->setObjectName(QStringLiteral("dialPlanList"));
    m_list->setGeometry(DialogRect(7, 7, 443, 150));
    SetUpReportList(m_list);
    // Rows are selected by resting the mouse on them, as the list's users expect from hot tracking.
    m_list->setMouseTracking(true);
    connect(m_list, &QTableWidget::entered, this, [this](const QModelIndex& index) {
        // While a button is held the list's own drag selection is at work.
        if (!index.isValid() || QGuiApplication::mouseButtons() != Qt::NoButton) return;
        m_list->selectionModel()->select(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    });
    for (int row = 0; row < kDialPlanEntryCount; ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column == kColIndex) {
                flags |= Qt::ItemIsUserCheckable;
                item->setCheckState(Qt::Unchecked);
            }
            item->setFlags(flags);
            m_list->setItem(row, column, item);
        }
    }
    SetHeader(kColIndex, UiText(m_texts, kMsgDialPlanIndex), kIndexWidth);
    SetHeader(kColPhone, UiText(m_texts, "DialPlan_Phone"), kPhoneWidth);
    SetHeader(kColName, UiText(m_texts, "DialPlan_Name"), 0);
    SetHeader(kColSip, UiText(m_texts, "DialPlan_SIP"), kSipWidth);
    SetHeader(kColLoop, UiText(m_texts, "DialPlan_Loop"), kLoopWidth);
    SetHeader(kColBackup, UiText(m_texts, "DialPlan_Backup"), kBackupWidth);
    SetHeader(kColStatus, UiText(m_texts, "DialPlan_Status"), kStatusWidth);

    const int buttonsY = DialogUnitsY(166);
    const int right = DialogUnitsX(450);
    m_save = MakePageButton(this, right - kPageButtonWidth, buttonsY);
    m_clearSelected = MakePageButton(this, right - 2 * kPageButtonWidth - 12, buttonsY);
    m_clearAll = MakePageButton(this, right - 3 * kPageButtonWidth - 24, buttonsY);
    m_clearAll->setText(UiText(m_texts, "Button_ClearAll"));
    m_clearSelected->setText(UiText(m_texts, "Button_ClearSel"));
    m_save->setText(UiText(m_texts, "Button_Save"));
    // The list shows as many entries as the page has room for; the buttons keep to its corner.
    auto* anchors = new EdgeAnchors(this);
    anchors->Add(m_list, kStretch);
    for (QWidget* button : {m_clearAll, m_clearSelected, m_save}) anchors->Add(button, kBottomRight);
    m_list->setAccessibleName(UiText(m_texts, "DialPlan_Title"));

    // A click on a row's check box marks the entry in the table.
    connect(m_list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kColIndex) return;
        const bool checked = item->checkState() == Qt::Checked;
        if (checked != m_table.IsChecked(item->row())) m_table.SetChecked(item->row(), checked);
    });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { EditSelectedEntry(); });
    // From the keyboard: F2 edits, as in other lists on the desktop (Enter is Apply to Router).
    auto* editKey = new QShortcut(QKeySequence(Qt::Key_F2), m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(editKey, &QShortcut::activated, this, [this] { EditSelectedEntry(); });
    connect(m_clearAll, &QPushButton::clicked, this, &CDialPlanPage::ClearAll);
    connect(m_clearSelected, &QPushButton::clicked, this, &CDialPlanPage::ClearSelected);
    connect(m_save, &QPushButton::clicked, this, [this] { SaveAs(); });
    OrderTabsAsShown(this);
    ShowModel();
}

CDialPlanPage::~CDialPlanPage() = default;

void CDialPlanPage::SetHeader(int column, const QString& title, int width) {
    auto* header = m_list->horizontalHeaderItem(column);
    if (!header) {
        header = new QTableWidgetItem;
        m_list->setHorizontalHeaderItem(column, header);
    }
    header->setText(title);
    header->setTextAlignment(Qt::AlignCenter);
    SetColumnWidthPx(m_list, column, width);
}

void CDialPlanPage::ShowRow(int row) {
    const DialPlanEntry& entry = m_table.Entry(row);
    const Qt::CheckState check = m_table.IsChecked(row) ? Qt::Checked : Qt::Unchecked;
    if (m_list->item(row, kColIndex)->checkState() != check)
        m_list->item(row, kColIndex)->setCheckState(check);
    // The loop-through in the words of the language shown now.
    const std::string loop =
        entry.loopThrough ? LoopThroughWord(*entry.loopThrough, &m_texts) : std::string();
    const std::string* cells[kColumnCount] = {
        &entry.index, &entry.phoneNumber,  &entry.name,      &entry.sipAddress,
        &loop,        &entry.backupNumber, &entry.statusMark};
    for (int column = 0; column < kColumnCount; ++column) {
        const QString text = QString::fromStdString(*cells[column]);
        QTableWidgetItem* item = m_list->item(row, column);
        if (item->text() != text) item->setText(text);
    }
}

void CDialPlanPage::ShowModel() {
    for (int row = 0; row < kDialPlanEntryCount; ++row) ShowRow(row);
}

void CDialPlanPage::SetTwoPort(bool twoPort) {
    SetColumnWidthPx(m_list, kColLoop, twoPort ? 0 : kLoopWidth);
    SetColumnWidthPx(m_list, kColBackup, twoPort ? 0 : kBackupWidth);
    SetColumnWidthPx(m_list, kColStatus, twoPort ? kStatusWidthTwoPort : kStatusWidth);
    ShowModel();
}

bool CDialPlanPage::RouterIsTwoPort() const {
    return m_modelName && IsTwoPortModel(m_modelName());
}

void CDialPlanPage::Recaption() {
    const bool twoPort = RouterIsTwoPort();
    SetHeader(kColIndex, UiText(m_texts, kMsgDialPlanIndex), kIndexWidth);
    SetHeader(kColPhone, UiText(m_texts, "DialPlan_Phone"), kPhoneWidth);
    SetHeader(kColSip, UiText(m_texts, "DialPlan_SIP"), twoPort ? kSipWidthTwoPortRelabelled : kSipWidth);
    SetHeader(kColLoop, UiText(m_texts, "DialPlan_Loop"), twoPort ? 0 : kLoopWidth);
    SetHeader(kColBackup, UiText(m_texts, "DialPlan_Backup"), twoPort ? 0 : kBackupWidth);
    SetHeader(kColStatus, UiText(m_texts, "DialPlan_Status"), twoPort ? kStatusWidthTwoPort : kStatusWidth);
    m_list->setAccessibleName(UiText(m_texts, "DialPlan_Title"));
    m_clearAll->setText(UiText(m_texts, "Button_ClearAll"));
    m_clearSelected->setText(UiText(m_texts, "Button_ClearSel"));
    m_save->setText(UiText(m_texts, "Button_Save"));
    ShowModel();
}

void CDialPlanPage::EditSelectedEntry() {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    int row = selected.constFirst().row();
    for (const QModelIndex& index : selected) row = std::min(row, index.row());

    const std::string groupText = TextOrDefault(m_texts, kMsgIndexGroup);
    // Made at the first edit: the first screen does not show it.
    if (m_dialog == nullptr) m_dialog = new CIndexInfoDlg(m_texts, m_messages, this);
    m_dialog->Prepare(IndexInfoFromEntry(m_table.Entry(row), groupText), RouterIsTwoPort());
    if (m_runDialog(*m_dialog) != QDialog::Accepted) return;
    m_table.SetEntry(row, EntryFromIndexInfo(m_dialog->Fields(), m_table.Entry(row)));
    ShowRow(row);
}

void CDialPlanPage::ClearAll() {
    for (int row = 0; row < kDialPlanEntryCount; ++row) m_table.ClearEntry(row);
    ShowModel();
}

void CDialPlanPage::ClearSelected() {
    for (int row = 0; row < kDialPlanEntryCount; ++row) {
        if (!IsRowChecked(row)) continue;
        m_table.ClearEntry(row);
        ShowRow(row);
    }
}

PageSaveOutcome CDialPlanPage::SaveAs() {
    return SavePageAs(
        m_chooseFile, [this] { return DialPlanFileText(m_table, &m_texts); }, m_texts, m_messages);
}

bool CDialPlanPage::IsRowChecked(int row) const {
    return row >= 0 && row < kDialPlanEntryCount && m_table.IsChecked(row);
}

void CDialPlanPage::SetRowChecked(int row, bool checked) {
    if (row < 0 || row >= kDialPlanEntryCount) return;
    m_table.SetChecked(row, checked);
    ShowRow(row);
}

}  // namespace dezadav
