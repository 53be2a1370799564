#include "ui/select_router_dlg.h"

#include "discovery/discovery_targets.h"

#include <QEventLoop>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "ui/dialog_units.h"
#include "ui/edge_anchors.h"
#include "ui/language_text.h"
#include "ui/list_columns.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {

namespace {

constexpr const char* kColumnKeys[5] = {"Select_Model", "Select_IP", "Select_Mask", "Select_Mac",
                                        "Select_Version"};
constexpr int kColumnWidth = 110;

// Underlines the row under the mouse, the way the list marks its hot item.
class HotRowDelegate : public QStyledItemDelegate {
public:
    explicit HotRowDelegate(QTableWidget* table) : QStyledItemDelegate(table), m_table(table) {
        table->setMouseTracking(true);
        QObject::connect(table, &QAbstractItemView::entered, table, [this](const QModelIndex& index) {
            m_hotRow = index.row();
            m_table->viewport()->update();
        });
        QObject::connect(table, &QAbstractItemView::viewportEntered, table, [this] {
            m_hotRow = -1;
            m_table->viewport()->update();
        });
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.row() == m_hotRow) option->font.setUnderline(true);
    }

private:
    QTableWidget* m_table;
    int m_hotRow = -1;
};

}  // namespace


CSelectRouterDlg::CSelectRouterDlg(const LanguageTable& table, MessagePort& port, DiscoveryOptions options,
                                   QWidget* parent)
    : QDialog(parent), m_language(table), m_port(port), m_options(std::move(options)) {
    AllowGrowingFrom(this, DialogSize(383, 118));
    setFont(DialogFont());
    setWindowFlags(GrowingDialogFlags());

    m_table = new QTableWidget(0, 5, this);
    m_table->setGeometry(DialogRect(6, 8, 369, 68));
    m_table->setShowGrid(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the buttons; the arrow keys move within it.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->setSortingEnabled(false);
    for (int column = 0; column < 5; ++column) ColumnFit::Of(m_table)->SetWantedWidth(column, kColumnWidth);
    // A MAC address or a version on two lines would be half hidden: the columns widen instead.
    m_table->setWordWrap(false);
    m_table->setItemDelegate(new HotRowDelegate(m_table));

    m_notSupported = new QLabel(this);
    m_notSupported->setGeometry(DialogRect(6, 80, 369, 10));
    m_notSupported->hide();

    constexpr int kButtonsY = 95;
    m_search = new CSkinButton(this);
    m_search->setGeometry(DialogRect(6, kButtonsY, 53, 16));
    m_address = new CSkinButton(this);
    m_address->setGeometry(DialogRect(64, kButtonsY, 53, 16));
    m_skip = new CSkinButton(this);
    m_skip->setGeometry(DialogRect(203, kButtonsY, 53, 16));
    m_exit = new CSkinButton(this);
    m_exit->setGeometry(DialogRect(261, kButtonsY, 54, 16));
    m_ok = new CSkinButton(this);
    m_ok->setGeometry(DialogRect(320, kButtonsY, 55, 16));
    for (CSkinButton* button : {m_search, m_address, m_skip, m_exit, m_ok}) {
        button->SetBitmaps(DialogButtonBitmaps());
    }
    m_ok->setDefault(true);
    // More routers show as the dialog grows; Search and Address... keep to the left corner, the
    // others to the right one.
    auto* anchors = new EdgeAnchors(this);
    anchors->Add(m_table, kStretch);
    anchors->Add(m_notSupported, kBottomAcross);
    for (QWidget* button : {m_search, m_address}) anchors->Add(button, kBottomLeft);
    for (QWidget* button : {m_skip, m_exit, m_ok}) anchors->Add(button, kBottomRight);

    connect(m_search, &QPushButton::clicked, this, &CSelectRouterDlg::SearchAgain);
    connect(m_address, &QPushButton::clicked, this, &CSelectRouterDlg::AskAddress);
    connect(m_skip, &QPushButton::clicked, this, &CSelectRouterDlg::Skip);
    connect(m_exit, &QPushButton::clicked, this, &CSelectRouterDlg::reject);
    connect(m_ok, &QPushButton::clicked, this, &CSelectRouterDlg::accept);
    // The note on a refused model belongs to the row it was about.
    connect(m_table, &QTableWidget::itemSelectionChanged, m_notSupported, &QLabel::hide);
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) accept();
    });

    OrderTabsAsShown(this);

    m_askAddress = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, UiText(m_language, "Router_AddressTitle"),
                                                   UiText(m_language, "Router_AddressPrompt"),
                                                   QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return text;
    };
    Relabel();
}

CSelectRouterDlg::~CSelectRouterDlg() = default;

void CSelectRouterDlg::Relabel() {
    setWindowTitle(UiText(m_language, "Select_Title"));
    QStringList headers;
    for (const char* key : kColumnKeys) headers << UiText(m_language, key);
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setAccessibleName(UiText(m_language, "Select_Title"));
    m_search->setText(UiText(m_language, "Button_Search"));
    m_address->setText(UiText(m_language, "Button_Address"));
    m_skip->setText(UiText(m_language, "Button_Skip"));
    m_exit->setText(UiText(m_language, "Button_Exit"));
    m_ok->setText(UiText(m_language, "Button_OK"));
    m_notSupported->setText(UiText(m_language, "Select_NotSupported"));
}

bool CSelectRouterDlg::IsSearching() const { return m_finder != nullptr && m_finder->Socket().IsOpen(); }

void CSelectRouterDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) StartDialog();
    QDialog::showEvent(event);
}

void CSelectRouterDlg::StartDialog() {
    Relabel();
    m_skipMark = false;
    m_outcome = Outcome::Exit;
    m_selected = RouterInfo{};
    m_table->setRowCount(0);
    m_notSupported->hide();
    m_finder = std::make_unique<RouterSearch>(m_language, m_port);
    m_finder->Socket().SetTarget(m_options.target);
    m_finder->Socket().SetPort(m_options.port);
    connect(m_finder.get(), &RouterSearch::RouterListed, this, [this](int row) {
        ++m_answersDuringWait;
        AddRow(m_finder->Rows()[static_cast<std::size_t>(row)]);
    });
    if (!m_finder->Open()) return;  // the message has been shown; the list stays empty
    m_skipMark = false;
    m_finder->Start();
}

void CSelectRouterDlg::AddRow(const RouterInfo& router) {
    // A router that answered an address search may already be listed from the broadcast.
    const QString mac = QString::fromStdString(router.macAddress);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* item = m_table->item(row, 3);
        if (item != nullptr && item->text() == mac) return;
    }
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const std::string* cells[5] = {&router.modelName, &router.ipAddress, &router.subnetMask, &router.macAddress,
                                   &router.firmwareVersion};
    for (int column = 0; column < 5; ++column) {
        auto* item = new QTableWidgetItem(QString::fromStdString(*cells[column]));
        item->setTextAlignment(Qt::AlignCenter);
        m_table->setItem(row, column, item);
    }
    // The first router arrives selected and current, so Enter takes it without an arrow key first.
    if (row == 0 && !m_table->selectionModel()->hasSelection()) m_table->selectRow(0);
}

void CSelectRouterDlg::SearchAgain() {
    m_table->setRowCount(0);
    m_notSupported->hide();
    if (m_finder) m_finder->Start();
}

void CSelectRouterDlg::ShowError(const MessageText& text) {
    ShowMessageText(m_language, m_port, text);
}

void CSelectRouterDlg::AskAddress() {
    const std::optional<QString> typed = m_askAddress();
    if (!typed) return;
    const std::string address = typed->trimmed().toStdString();
    if (!IsDottedIpv4Address(address)) {
        ShowError(kMsgBadAddress);
        return;
    }
    if (!m_finder || !m_finder->Socket().IsOpen()) {
        ShowError(kMsgNoAnswer);
        return;
    }
    m_answersDuringWait = 0;
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    const QMetaObject::Connection answered =
        connect(m_finder.get(), &RouterSearch::RouterListed, &wait, [&wait] { wait.quit(); });
    setEnabled(false);
    if (m_finder->StartAt(address)) {
        deadline.start(m_answerWaitMs);
        wait.exec();
    }
    disconnect(answered);
    setEnabled(true);
    if (m_answersDuringWait == 0) ShowError(kMsgNoAnswer);
}

void CSelectRouterDlg::accept() {
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    int first = selected.front().row();
    for (const QModelIndex& index : selected) first = std::min(first, index.row());
    auto cell = [this, first](int column) {
        const QTableWidgetItem* item = m_table->item(first, column);
        return item != nullptr ? item->text().toStdString() : std::string();
    };
    m_selected = RouterInfo{cell(0), cell(1), cell(2), cell(3), cell(4), std::string()};
    // An unsupported model (a too-short name included) is not taken; the row and the search stay,
    // and the dialog says why nothing happened.
    if (!IsSupportedModel(m_selected.modelName)) {
        m_notSupported->show();
        return;
    }
    CloseSearch();
    m_outcome = Outcome::Ok;
    QDialog::accept();
}

void CSelectRouterDlg::reject() {
    CloseSearch();
    if (!m_skipMark) m_outcome = Outcome::Exit;
    QDialog::reject();
}

void CSelectRouterDlg::Skip() {
    m_skipMark = true;
    m_outcome = Outcome::Skip;
    reject();
}

void CSelectRouterDlg::CloseSearch() {
    if (m_finder) m_finder->Close();
}

}  // namespace dezadav
