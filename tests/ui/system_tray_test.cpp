#include "ui/system_tray.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QRubberBand>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace dezadav {
namespace {

QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

TEST(SystemTray, MenuHoldsAboutOpenExitWithOpenAsDefault) {
    CSystemTray tray;
    EXPECT_EQ(MenuTexts(*tray.Menu()),
              (QStringList{QStringLiteral("&About"), QStringLiteral("-"), QStringLiteral("&Open"), QStringLiteral("-"),
                           QStringLiteral("E&xit")}));
    EXPECT_TRUE(tray.SetDefaultMenuItem(2, true));
    ASSERT_NE(tray.Menu()->defaultAction(), nullptr);
    EXPECT_EQ(tray.Menu()->defaultAction()->text(), QStringLiteral("&Open"));
    EXPECT_EQ(tray.DefaultCommand(), CSystemTray::kOpen);

    // Each item sends its own command.
    QSignalSpy commands(&tray, &CSystemTray::CommandRequested);
    const QList<QAction*> actions = tray.Menu()->actions();
    actions[0]->trigger();
    actions[2]->trigger();
    actions[4]->trigger();
    ASSERT_EQ(commands.count(), 3);
    EXPECT_EQ(commands[0][0].toInt(), CSystemTray::kAbout);
    EXPECT_EQ(commands[1][0].toInt(), CSystemTray::kOpen);
    EXPECT_EQ(commands[2][0].toInt(), CSystemTray::kExit);

    // A default by command, and positions that name no item.
    EXPECT_TRUE(tray.SetDefaultMenuItem(CSystemTray::kExit, false));
    EXPECT_EQ(tray.DefaultCommand(), CSystemTray::kExit);
    EXPECT_EQ(tray.Menu()->defaultAction()->text(), QStringLiteral("E&xit"));
    EXPECT_FALSE(tray.SetDefaultMenuItem(9, true));
    EXPECT_EQ(tray.DefaultCommand(), 0);
}

TEST(SystemTray, RightClickOffersTheMenuOnlyWhileHidden) {
    CSystemTray tray;
    tray.SetDefaultMenuItem(2, true);
    EXPECT_FALSE(tray.MenuActive());
    EXPECT_FALSE(tray.HandleActivation(QSystemTrayIcon::Context));
    EXPECT_FALSE(tray.Menu()->isVisible());

    tray.SetMenuActive(true);
    EXPECT_TRUE(tray.HandleActivation(QSystemTrayIcon::Context));
    EXPECT_TRUE(tray.Menu()->isVisible());
    EXPECT_EQ(tray.Menu()->defaultAction()->text(), QStringLiteral("&Open"));
    tray.Menu()->hide();

    tray.SetMenuActive(false);
    EXPECT_FALSE(tray.HandleActivation(QSystemTrayIcon::Context));
    EXPECT_FALSE(tray.Menu()->isVisible());
}

TEST(SystemTray, DoubleClickSendsOpenInBothStates) {
    CSystemTray tray;
    tray.SetDefaultMenuItem(2, true);
    QSignalSpy commands(&tray, &CSystemTray::CommandRequested);
    for (bool hidden : {false, true}) {
        tray.SetMenuActive(hidden);
        EXPECT_TRUE(tray.HandleActivation(QSystemTrayIcon::DoubleClick));
    }
    ASSERT_EQ(commands.count(), 2);
    EXPECT_EQ(commands[0][0].toInt(), CSystemTray::kOpen);
    EXPECT_EQ(commands[1][0].toInt(), CSystemTray::kOpen);
    // A single left click opens too.
    EXPECT_TRUE(tray.HandleActivation(QSystemTrayIcon::Trigger));
    ASSERT_EQ(commands.count(), 3);
    EXPECT_EQ(commands[2][0].toInt(), CSystemTray::kOpen);
}

TEST(SystemTray, WithoutTrayHostTheProgramGoesOnWithoutIcon) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray host is running here";
    CSystemTray tray;
    EXPECT_FALSE(tray.AddTrayIcon(QStringLiteral("Dezadav"), QIcon()));
    EXPECT_FALSE(tray.IsEnabled());
    // The fallback rectangle lies in the screen's bottom-right corner.
    const QRect area = tray.NotificationAreaRect();
    ASSERT_TRUE(area.isValid());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(area.bottomRight(), screen.bottomRight());
}

TEST(SystemTray, AnimationFollowsTheSystemSetting) {
    CSystemTray tray;
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    const bool wasEnabled = QApplication::isEffectEnabled(Qt::UI_General);

    QApplication::setEffectEnabled(Qt::UI_General, false);
    EXPECT_FALSE(tray.AnimateToTray(&window));
    EXPECT_FALSE(tray.AnimateFromTray(&window));
    bool anyBand = false;
    for (QWidget* widget : QApplication::topLevelWidgets()) anyBand |= qobject_cast<QRubberBand*>(widget) != nullptr;
    EXPECT_FALSE(anyBand);

    QApplication::setEffectEnabled(Qt::UI_General, true);
    EXPECT_TRUE(tray.AnimateToTray(&window));
    QRubberBand* band = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<QRubberBand*>(widget)) band = found;
    }
    ASSERT_NE(band, nullptr);
    // The frame ends at the notification area and goes away by itself.
    QPointer<QRubberBand> watched(band);
    QTRY_VERIFY_WITH_TIMEOUT(watched.isNull() || !watched->isVisible(), 5000);
    QApplication::setEffectEnabled(Qt::UI_General, wasEnabled);
}

TEST(SystemTray, LongTipIsCut) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no tray host";
    CSystemTray tray;
    ASSERT_TRUE(tray.AddTrayIcon(QString(80, QLatin1Char('x')), QIcon()));
    EXPECT_EQ(tray.Tip().size(), CSystemTray::kMaxTipLength);
}

}  // namespace
}  // namespace dezadav
