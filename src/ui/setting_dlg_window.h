#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;

namespace dezadav {

// The small progress box of a router exchange: no title bar, one centred line of text ("Loading ..."
// until the first ShowProgress), modal for the whole application while it is up, so the other windows
// take no clicks but their timers go on. It comes up centred on the window it belongs to without
// taking the keyboard focus (an automatic refresh must not catch what the user was typing), and the
// focus is back on the widget that had it when the box goes.
//
// ShowProgress / HideProgress go around an exchange that the caller runs itself (the workflow's user
// port does this). ShowProgress returns after the box has been up for the start delay (100 ms), so
// the text is on screen before the exchange blocks in its waits.
class CSettingDlgWindow : public QDialog {
    Q_OBJECT

public:
    explicit CSettingDlgWindow(QWidget* parent = nullptr);

    void ShowProgress(const QString& text);
    void HideProgress();

    QString ProgressText() const;
    // How many times the box has been put on screen (tests check silent refreshes with it).
    int TimesShown() const { return m_timesShown; }

    // The delay between showing the box and the start of the exchange.
    static constexpr int kStartDelayMs = 100;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CentreOnOwner();
    void RememberFocus();
    void RestoreFocus();

    QLabel* m_text = nullptr;
    QPointer<QWidget> m_focusBefore;
    int m_timesShown = 0;
    bool m_running = false;
};

}  // namespace dezadav
