#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>

class QMenu;
class QWidget;

namespace dezadav {

// The program's icon in the notification area and its menu.
//
// The menu holds, by position: 0 "About", 1 separator, 2 "Open", 3 separator, 4 "Exit"; choosing
// one emits CommandRequested with its command (kAbout, kOpen, kExit), which the main window handles.
// A right click offers the menu only while the main window is hidden in the tray (SetMenuActive);
// a click or double click sends the default item's command in every state. Without a tray host the icon is
// not added (AddTrayIcon returns false) and the program runs without it.
class CSystemTray : public QObject {
    Q_OBJECT

public:
    static constexpr int kAbout = 32774;
    static constexpr int kOpen = 32775;
    static constexpr int kExit = 32776;
    static constexpr int kMaxTipLength = 63;

    explicit CSystemTray(QObject* parent = nullptr);
    ~CSystemTray() override;

    // Shows the icon with its tip (cut to 63 characters). False when no tray host is available.
    bool AddTrayIcon(const QString& tip, const QIcon& icon);
    bool IsEnabled() const { return m_enabled; }
    QString Tip() const;

    // The menu's default item, a position (byPosition) or a command. Returns true; false when a
    // position names no item.
    bool SetDefaultMenuItem(int item, bool byPosition);

    void SetMenuActive(bool active) { m_menuActive = active; }
    bool MenuActive() const { return m_menuActive; }

    // One mouse action on the icon. Returns true when it was handled (a menu shown or a command
    // sent); a right click while the window is on screen, or a double click without a default
    // command, does nothing and returns false.
    bool HandleActivation(QSystemTrayIcon::ActivationReason reason);

    // The window flying into the notification area and back, when the system's animations are on.
    // Hiding and showing the window are the caller's. Return whether an animation was started.
    bool AnimateToTray(QWidget* window);
    bool AnimateFromTray(QWidget* window);

    // Where the icon sits, or the bottom-right corner of the screen when the host does not say.
    QRect NotificationAreaRect() const;

    QMenu* Menu() const { return m_menu.get(); }
    // The texts of the About, Open and Exit items (in the language shown; English until set).
    void SetItemTexts(const QString& about, const QString& open, const QString& exit);
    // The command of the default item; 0 when there is none.
    int DefaultCommand() const;

signals:
    void CommandRequested(int command);

private:
    void Animate(const QRect& from, const QRect& to);

    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    bool m_enabled = false;
    bool m_menuActive = false;
    int m_defaultItem = 0;
    bool m_defaultByPosition = true;
};

}  // namespace dezadav
