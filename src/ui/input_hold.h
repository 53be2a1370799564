#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace dezadav {

// Holds the user's input back from the program's windows while a router exchange runs, in place of
// a modal progress box (a window manager hands the keyboard focus to a new modal window, so keys the
// user types into the main window would land in the box and be lost).
//
// While held, clicks, wheel turns, touches, drops and requests to close a window are refused, and
// shortcuts do not fire, except in a modal dialog opened meanwhile (a message box of the exchange). Key
// presses and releases are kept; Release either hands them, in the order typed, to the widget the user
// was typing into, or drops them. A hold that keeps clicks (one the user did not start: an automatic
// refresh) also keeps the last click on a button, shows the busy cursor while it waits, and carries
// the click out on Release: a click made at the wrong moment is late, never lost.
class InputHold : public QObject {
public:
    InputHold();
    ~InputHold() override;

    void Hold(bool keepClicks = false);
    // Ends the hold. With a `typingTarget` the kept keys but Esc are posted to it (they arrive once
    // the caller returns to the event loop); without one, or when it is gone, they are dropped.
    void Release(QWidget* typingTarget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void KeepClick(QEvent::Type type, QEvent* event);

    // The button under a press, and the one whose click (press and release on it) waits.
    QPointer<QAbstractButton> m_pressed;
    QPointer<QAbstractButton> m_clicked;
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
    bool m_holding = false;
    bool m_keepClicks = false;
    bool m_busyCursor = false;  // the busy cursor is up while a click waits
};

}  // namespace dezadav
