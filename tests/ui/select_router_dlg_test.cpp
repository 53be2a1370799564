#include "ui/select_router_dlg.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QSignalSpy>

#include "lang/builtin_language_source.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"
#include "ui/list_columns.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

class SelectRouterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadBuiltinEnglish(nullptr);
        if (!m_sim.IsRunning()) GTEST_SKIP() << "router emulator did not start";
    }

    DiscoveryOptions AtEmulator() const { return DiscoveryOptions{m_sim.DiscoveryAddress(), m_sim.DiscoveryPort()}; }

    static int RowOf(const QTableWidget& table, const QString& model) {
        for (int row = 0; row < table.rowCount(); ++row) {
            if (table.item(row, 0)->text() == model) return row;
        }
        return -1;
    }

    static void Select(QTableWidget& table, std::initializer_list<int> rows) {
        table.clearSelection();
        for (int row : rows) {
            table.selectionModel()->select(table.model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    testing::RouterSimProcess m_sim{{"--router", "127.0.0.4,DZV-R9990X"}};
    testing::RecordingMessagePort m_port;
};

TEST_F(SelectRouterDlgTest, ListsEveryAnsweringRouterAndTakesTheFirstSelectedRow) {
    CSelectRouterDlg dialog(ProcessLanguageTable(), m_port, AtEmulator());
    dialog.open();
    QTableWidget& table = *dialog.RouterTable();
    QTRY_COMPARE_WITH_TIMEOUT(table.rowCount(), 3, 10000);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Router"));
    const QStringList headers{QStringLiteral("Model"), QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
                              QStringLiteral("Mac Address"), QStringLiteral("Version")};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(table.horizontalHeaderItem(column)->text(), headers[column]);
        EXPECT_EQ(ColumnFit::Of(&table)->WantedWidth(column), 110);
        EXPECT_EQ(table.item(0, column)->textAlignment(), int(Qt::AlignCenter));
    }
    EXPECT_EQ(dialog.SearchButton()->text(), QStringLiteral("&Search"));
    EXPECT_EQ(dialog.AddressButton()->text(), QStringLiteral("A&ddress..."));
    EXPECT_EQ(dialog.SkipButton()->text(), QStringLiteral("S&kip"));
    EXPECT_EQ(dialog.ExitButton()->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));

    const int twoPort = RowOf(table, QStringLiteral("DZV-R5730K"));
    const int onePort = RowOf(table, QStringLiteral("DZV-R5830K"));
    ASSERT_GE(twoPort, 0);
    ASSERT_GE(onePort, 0);

    // The first row came selected and current: Enter takes it at once.
    const QModelIndexList selected = table.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 0);
    EXPECT_EQ(table.currentRow(), 0);

    // OK without a selection does nothing.
    table.clearSelection();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());

    // With two rows selected, the one higher in the list is taken.
    Select(table, {std::max(twoPort, onePort), std::min(twoPort, onePort)});
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.LastOutcome(), CSelectRouterDlg::Outcome::Ok);
    EXPECT_FALSE(dialog.IsSearching());
    const int first = std::min(twoPort, onePort);
    const RouterInfo& chosen = dialog.SelectedRouter();
    EXPECT_EQ(QString::fromStdString(chosen.modelName), table.item(first, 0)->text());
    EXPECT_EQ(QString::fromStdString(chosen.ipAddress), table.item(first, 1)->text());
    EXPECT_EQ(QString::fromStdString(chosen.subnetMask), table.item(first, 2)->text());
    EXPECT_EQ(QString::fromStdString(chosen.macAddress), table.item(first, 3)->text());
    EXPECT_EQ(QString::fromStdString(chosen.firmwareVersion), table.item(first, 4)->text());
    EXPECT_EQ(chosen.ipAddress, first == twoPort ? "127.0.0.2" : "127.0.0.3");
    EXPECT_TRUE(m_port.shown.empty());
}

TEST_F(SelectRouterDlgTest, UnsupportedModelIsRefusedAndTheSearchGoesOn) {
    CSelectRouterDlg dialog(ProcessLanguageTable(), m_port, AtEmulator());
    dialog.open();
    QTableWidget& table = *dialog.RouterTable();
    QTRY_COMPARE_WITH_TIMEOUT(table.rowCount(), 3, 10000);
    const int unsupported = RowOf(table, QStringLiteral("DZV-R9990X"));
    ASSERT_GE(unsupported, 0);
    Select(table, {unsupported});
    EXPECT_FALSE(dialog.NotSupportedLine()->isVisible());
    QTest::keyClick(&table, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsSearching());
    EXPECT_TRUE(m_port.shown.empty());
    // One line in the dialog says why, until another row is chosen.
    EXPECT_TRUE(dialog.NotSupportedLine()->isVisible());
    EXPECT_EQ(dialog.NotSupportedLine()->text(),
              QStringLiteral("The model of the selected router is not supported."));
    table.selectRow(unsupported == 0 ? 1 : 0);
    EXPECT_FALSE(dialog.NotSupportedLine()->isVisible());

    // Search Again empties the list and finds the routers again.
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    EXPECT_EQ(table.rowCount(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(table.rowCount(), 3, 10000);

    // A double-click (press, release, double-click, release) on a supported row takes it.
    const int onePort = RowOf(table, QStringLiteral("DZV-R5830K"));
    ASSERT_GE(onePort, 0);
    table.selectRow(onePort);
    const QRect cell = table.visualRect(table.model()->index(onePort, 1));
    QSignalSpy spy(&table, &QAbstractItemView::doubleClicked);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, QPointF(cell.center()), QPointF(table.viewport()->mapToGlobal(cell.center())),
                          Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &event);
    }
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedRouter().ipAddress, "127.0.0.3");
}

TEST_F(SelectRouterDlgTest, SkipAndExitAreToldApart) {
    CSelectRouterDlg dialog(ProcessLanguageTable(), m_port, AtEmulator());
    dialog.open();
    QTest::mouseClick(dialog.SkipButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.LastOutcome(), CSelectRouterDlg::Outcome::Skip);
    EXPECT_TRUE(dialog.SkipMark());
    EXPECT_FALSE(dialog.IsSearching());

    // The next run starts with the mark clear; Exit and Esc leave it clear.
    dialog.open();
    EXPECT_FALSE(dialog.SkipMark());
    QTest::mouseClick(dialog.ExitButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.LastOutcome(), CSelectRouterDlg::Outcome::Exit);
    EXPECT_FALSE(dialog.SkipMark());
    dialog.open();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.LastOutcome(), CSelectRouterDlg::Outcome::Exit);
    EXPECT_FALSE(dialog.IsSearching());
}

TEST_F(SelectRouterDlgTest, AddressSearchAddsItsAnswerOrSaysNoneCame) {
    // A broadcast target where nobody listens: the list stays empty until an address is typed.
    CSelectRouterDlg dialog(ProcessLanguageTable(), m_port, DiscoveryOptions{"127.0.0.77", m_sim.DiscoveryPort()});
    std::vector<QString> answers{QStringLiteral("300.1.2.3"), QStringLiteral("127.0.0.77"),
                                 QString::fromStdString(m_sim.DiscoveryAddress()),
                                 QString::fromStdString(m_sim.DiscoveryAddress())};
    std::size_t asked = 0;
    dialog.SetAddressAsker([&]() -> std::optional<QString> {
        if (asked >= answers.size()) return std::nullopt;
        return answers[asked++];
    });
    dialog.SetAnswerWaitMs(500);
    dialog.open();
    QTableWidget& table = *dialog.RouterTable();
    EXPECT_EQ(table.rowCount(), 0);

    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, "Please type a valid IPv4 address, for example 192.168.1.1!");

    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    ASSERT_EQ(m_port.shown.size(), 2u);
    EXPECT_EQ(m_port.shown[1].text, "No router answered at this address!");
    EXPECT_EQ(table.rowCount(), 0);

    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(table.rowCount(), 3, 10000);
    EXPECT_EQ(m_port.shown.size(), 2u);

    // Asked again, the same routers are not listed twice.
    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(m_port.shown.size(), 2u);
    dialog.reject();
}


}  // namespace
}  // namespace dezadav
