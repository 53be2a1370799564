#include "ui/system_tray.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QRubberBand>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

#include "lang/messages.h"

namespace dezadav {

namespace {

constexpr int kAnimationMs = 250;

}  // namespace

CSystemTray::CSystemTray(QObject* parent) : QObject(parent), m_menu(std::make_unique<QMenu>()) {
    // In English until the window gives the texts of its language (SetItemTexts).
    const struct {
        const MessageText* text;
        int command;
    } items[] = {
        {&kMsgTrayAbout, kAbout}, {nullptr, 0}, {&kMsgTrayOpen, kOpen}, {nullptr, 0}, {&kMsgTrayExit, kExit}};
    for (const auto& item : items) {
        if (item.text == nullptr) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(QString::fromUtf8(
            item.text->englishDefault.data(), static_cast<qsizetype>(item.text->englishDefault.size())));
        action->setData(item.command);
        const int command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { emit CommandRequested(command); });
    }
}

CSystemTray::~CSystemTray() {
    if (m_icon) m_icon->hide();
}

bool CSystemTray::AddTrayIcon(const QString& tip, const QIcon& icon) {
    m_menuActive = false;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_enabled = false;
        return false;
    }
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip.left(kMaxTipLength));
    // The menu is not handed to the icon: whether a right click offers it depends on menuActive.
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { HandleActivation(reason); });
    m_icon->show();
    m_enabled = m_icon->isVisible();
    return m_enabled;
}

QString CSystemTray::Tip() const { return m_icon ? m_icon->toolTip() : QString(); }

bool CSystemTray::SetDefaultMenuItem(int item, bool byPosition) {
    if (item == m_defaultItem && byPosition == m_defaultByPosition && m_menu->defaultAction() != nullptr) {
        return true;
    }
    m_defaultItem = item;
    m_defaultByPosition = byPosition;
    QAction* chosen = nullptr;
    const QList<QAction*> actions = m_menu->actions();
    if (byPosition) {
        if (item < 0 || item >= actions.size()) return false;
        chosen = actions[item]->isSeparator() ? nullptr : actions[item];
    } else {
        for (QAction* action : actions) {
            if (!action->isSeparator() && action->data().toInt() == item) chosen = action;
        }
    }
    m_menu->setDefaultAction(chosen);
    return chosen != nullptr;
}

void CSystemTray::SetItemTexts(const QString& about, const QString& open, const QString& exit) {
    for (QAction* action : m_menu->actions()) {
        const int command = action->data().toInt();
        if (command == kAbout) action->setText(about);
        if (command == kOpen) action->setText(open);
        if (command == kExit) action->setText(exit);
    }
}

int CSystemTray::DefaultCommand() const {
    if (!m_defaultByPosition) return m_defaultItem;
    const QList<QAction*> actions = m_menu->actions();
    if (m_defaultItem < 0 || m_defaultItem >= actions.size()) return 0;
    const QAction* action = actions[m_defaultItem];
    return action->isSeparator() ? 0 : action->data().toInt();
}

bool CSystemTray::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Context: {
            if (!m_menuActive) return false;
            SetDefaultMenuItem(m_defaultItem, m_defaultByPosition);
            m_menu->popup(QCursor::pos());
            return true;
        }
        // One click brings the window back as on every desktop; a host that reports the double click
        // alone is answered the same.
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick: {
            const int command = DefaultCommand();
            if (command == 0) return false;
            emit CommandRequested(command);
            return true;
        }
        default:
            return false;
    }
}

QRect CSystemTray::NotificationAreaRect() const {
    if (m_icon) {
        const QRect icon = m_icon->geometry();
        if (icon.isValid() && !icon.isEmpty()) return icon;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QRect();
    const QRect work = screen->availableGeometry();
    return QRect(QPoint(work.right() - 150, work.bottom() - 30), work.bottomRight());
}

bool CSystemTray::AnimateToTray(QWidget* window) {
    if (window == nullptr || !QApplication::isEffectEnabled(Qt::UI_General)) return false;
    Animate(window->frameGeometry(), NotificationAreaRect());
    return true;
}

bool CSystemTray::AnimateFromTray(QWidget* window) {
    if (window == nullptr) return false;
    // The window comes back as a top-level window whatever held it.
    if (window->parentWidget() != nullptr) window->setParent(nullptr, window->windowFlags());
    if (!QApplication::isEffectEnabled(Qt::UI_General)) return false;
    Animate(NotificationAreaRect(), window->frameGeometry());
    return true;
}

void CSystemTray::Animate(const QRect& from, const QRect& to) {
    // A frame flying between the two rectangles; it deletes itself at the end.
    auto* band = new QRubberBand(QRubberBand::Rectangle);
    band->setAttribute(Qt::WA_DeleteOnClose);
    band->setGeometry(from);
    band->show();
    auto* animation = new QVariantAnimation(band);
    animation->setDuration(kAnimationMs);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QVariantAnimation::valueChanged, band,
            [band](const QVariant& value) { band->setGeometry(value.toRect()); });
    connect(animation, &QVariantAnimation::finished, band, &QWidget::close);
    animation->start();
}

}  // namespace dezadav
