#include "ui/pages/log_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableWidget>
#include <string>

#include "settings/settings_file.h"
#include "ui/dialog_units.h"
#include "ui/edge_anchors.h"
#include "ui/language_text.h"
#include "ui/pages/page_controls.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {
namespace {

constexpr int kColumnCount = 6;
constexpr const char* kColumnKeys[kColumnCount] = {"Log_Index",    "Log_Date",   "Log_Time",
                                                   "Log_Duration", "Log_Direct", "Log_IPAddress"};
constexpr int kColumnWidths[kColumnCount] = {60, 130, 130, 110, 70, 160};
constexpr const char* kSecondKeys[] = {"Log_Second1", "Log_Second2", "Log_Second3", "Log_Second4",
                                       "Log_Second5", "Log_Second6", "Log_Second7"};

}  // namespace

CLOGPage::CLOGPage(CallLogTable& table, const LanguageTable& texts, MessagePort& messages, QWidget* parent)
    : QWidget(parent), m_table(table), m_texts(texts), m_messages(messages) {
    resize(DialogSize(457, 193));
    m_chooseFile = [this] { return ChooseCsvFileToSave(this); };

    m_list = new QTableWidget(0, kColumnCount, this);
    m_list->setObjectName(QStringLiteral("callLogList"));
    m_list->setGeometry(DialogRect(7, 7, 443, 150));
    SetUpReportList(m_list);
    for (int column = 0; column < kColumnCount; ++column) {
        m_list->setHorizontalHeaderItem(column, new QTableWidgetItem);
        SetColumnWidthPx(m_list, column, kColumnWidths[column]);
    }

    const int bottomY = DialogUnitsY(166);
    m_autoBox = new QCheckBox(this);
    m_autoBox->setGeometry(DialogUnitsX(7), bottomY + 3, DialogUnitsX(70), 18);
    m_secondsLabel = new QLabel(this);
    m_secondsLabel->setGeometry(DialogUnitsX(80), bottomY + 3, DialogUnitsX(70), 18);
    m_secondsList = new QComboBox(this);
    m_secondsList->setGeometry(DialogUnitsX(152), bottomY + 1, DialogUnitsX(50), 22);
    const int right = DialogUnitsX(450);
    m_save = MakePageButton(this, right - kPageButtonWidth, bottomY);
    m_clearAll = MakePageButton(this, right - 2 * kPageButtonWidth - 12, bottomY);
    // The list shows as many calls as the page has room for; the controls below keep to its corners.
    auto* anchors = new EdgeAnchors(this);
    anchors->Add(m_list, kStretch);
    for (QWidget* control : std::initializer_list<QWidget*>{m_autoBox, m_secondsLabel, m_secondsList})
        anchors->Add(control, kBottomLeft);
    for (QWidget* button : {m_clearAll, m_save}) anchors->Add(button, kBottomRight);

    SetCaptions();
    FillRefreshList();

    connect(m_autoBox, &QCheckBox::clicked, this, [this] { AutoRefreshClicked(); });
    connect(m_secondsList, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (position < 0 || position >= static_cast<int>(kRefreshChoices.size())) return;
        m_refreshSeconds = kRefreshChoices[static_cast<std::size_t>(position)];
        emit refreshSecondsChanged(m_refreshSeconds);
    });
    connect(m_clearAll, &QPushButton::clicked, this, &CLOGPage::ClearAll);
    connect(m_save, &QPushButton::clicked, this, [this] { SaveAs(); });
    m_secondsLabel->setBuddy(m_secondsList);
    OrderTabsAsShown(this);
    ShowModel();
}

void CLOGPage::SetCaptions() {
    for (int column = 0; column < kColumnCount; ++column) {
        QTableWidgetItem* header = m_list->horizontalHeaderItem(column);
        header->setText(UiText(m_texts, kColumnKeys[column]));
        header->setTextAlignment(Qt::AlignCenter);
    }
    m_list->setAccessibleName(UiText(m_texts, "Log_Title"));
    m_autoBox->setText(UiText(m_texts, "Log_AutoRefresh"));
    m_secondsLabel->setText(UiText(m_texts, "Log_RefreshSec"));
    m_clearAll->setText(UiText(m_texts, "Button_ClearAll"));
    m_save->setText(UiText(m_texts, "Button_Save"));
}

void CLOGPage::FillRefreshList() {
    const QSignalBlocker blocker(m_secondsList);
    m_secondsList->clear();
    int shown = -1;
    for (std::size_t i = 0; i < kRefreshChoices.size(); ++i) {
        m_secondsList->addItem(UiText(m_texts, kSecondKeys[i]));
        if (kRefreshChoices[i] == m_refreshSeconds) shown = static_cast<int>(i);
    }
    m_secondsList->setCurrentIndex(shown);
}

void CLOGPage::ShowModel() {
    const std::vector<CallLogRecord>& rows = m_table.Rows();
    m_list->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const CallLogRecord& record = rows[static_cast<std::size_t>(row)];
        const std::string* cells[kColumnCount] = {&record.number,   &record.date,      &record.time,
                                                  &record.duration, &record.direction, &record.address};
        for (int column = 0; column < kColumnCount; ++column) {
            QTableWidgetItem* item = m_list->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_list->setItem(row, column, item);
            }
            const QString text = QString::fromStdString(*cells[column]);
            if (item->text() != text) item->setText(text);
        }
    }
}

void CLOGPage::Recaption() {
    SetCaptions();
    FillRefreshList();
}

void CLOGPage::AutoRefreshClicked() {
    m_autoRefresh = m_autoBox->isChecked();
    m_secondsLabel->setEnabled(m_autoRefresh);
    m_secondsList->setEnabled(m_autoRefresh);
    emit autoRefreshChanged(m_autoRefresh);
}

void CLOGPage::EnableAutoRefresh(bool enable) {
    m_autoBox->setChecked(m_autoRefresh);
    m_autoBox->setEnabled(enable);
    AutoRefreshClicked();
}

void CLOGPage::ShowAutoRefresh(bool ticked, bool enabled) {
    m_autoRefresh = ticked;
    m_autoBox->setChecked(ticked);
    m_autoBox->setEnabled(enabled);
    m_secondsLabel->setEnabled(ticked);
    m_secondsList->setEnabled(ticked);
}

void CLOGPage::ClearAll() {
    m_table.ClearCallLog();
    ShowModel();
}

PageSaveOutcome CLOGPage::SaveAs() {
    return SavePageAs(
        m_chooseFile, [this] { return CallLogFileText(m_table); }, m_texts, m_messages);
}

}  // namespace dezadav
