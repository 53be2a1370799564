#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "ui/input_hold.h"

class QLabel;

namespace dezadav {

// The small progress box of a router exchange: no title bar, one centred line of text ("Loading ..."
// until the first ShowProgress). While it is up the program's windows take no clicks (their timers go
// on): an input hold stands in for modality, which would have the window manager give the box the
// keyboard focus. It comes up centred on the window it belongs to without taking the focus (an
// automatic refresh must not catch what the user was typing); keys typed meanwhile are kept back and,
// when asked, handed to the widget that had the focus once the box goes.
//
// ShowProgress / HideProgress go around an exchange that the caller runs itself (the workflow's user
// port does this). ShowProgress returns after the box has been up for the start delay (100 ms), so
// the text is on screen before the exchange blocks in its waits.
class CProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit CProgressWindow(QWidget* parent = nullptr);

    // `keepTypedKeys`: keys typed while the box is up belong to what the user is doing (an exchange
    // the user did not start) and reach the focused widget afterwards; otherwise they are dropped.
    void ShowProgress(const QString& text, bool keepTypedKeys = false);
    void HideProgress();

    QString ProgressText() const;
    // How many times the box has been put on screen (tests check silent refreshes with it).
    int TimesShown() const { return m_timesShown; }

    // The delay between showing the box and the start of the exchange.
    static constexpr int kStartDelayMs = 100;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CentreOnOwner();
    void RememberFocus();
    void RestoreFocus();

    QLabel* m_text = nullptr;
    QPointer<QWidget> m_focusBefore;
    InputHold m_hold;
    int m_timesShown = 0;
    bool m_running = false;
    bool m_keepTypedKeys = false;
};

}  // namespace dezadav
