#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QKeyEvent;
class QWidget;

namespace dezadav {

// Holds the user's input back from the program's windows while a router exchange runs, in place of
// a modal progress box (a window manager hands the keyboard focus to a new modal window, so keys the
// user types into the main window would land in the box and be lost).
//
// While held, clicks, wheel turns, touches, drops and requests to close a window are refused, and
// shortcuts do not fire, except in a modal dialog opened meanwhile (a message box of the exchange). Key presses and releases are kept; Release either hands them, in the order
// typed, to the widget the user was typing into, or drops them.
class InputHold : public QObject {
public:
    InputHold();
    ~InputHold() override;

    void Hold();
    // Ends the hold. With a `typingTarget` the kept keys but Esc are posted to it (they arrive once
    // the caller returns to the event loop); without one, or when it is gone, they are dropped.
    void Release(QWidget* typingTarget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
    bool m_holding = false;
};

}  // namespace dezadav
