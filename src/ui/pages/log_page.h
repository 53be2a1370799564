#pragma once

#include <QWidget>
#include <array>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/call_log_table.h"
#include "ui/pages/csv_file_dialog.h"
#include "ui/pages/page_save.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace dezadav {

class CSkinButton;

// The VoIP Log page: the call log in a six-column list (Index, Date, Time, Duration, In/Out,
// IP/Domain/Port), the Auto Refresh box with the Refresh Seconds list (10 to 180 s, "30 s" at start),
// Clear All and Save As of the log section.
//
// The page is a view over a CallLogTable owned by the workflow; after a fetch, a refresh merge or a
// load the owner calls ShowModel (merged calls then appear at the top). Clear All empties the table
// at once. The page holds autoRefresh and refreshSeconds as its controls show them and tells the
// main window about every change:
//   autoRefreshChanged(ticked) after a click on the box or EnableAutoRefresh: the main window starts
//     its one-second refresh timer when ticked, stops it otherwise, and resets its counter;
//   refreshSecondsChanged(seconds) when the user picks an interval (no timer restart).
// ShowAutoRefresh mirrors a state the workflow decided, without sending the notification.
class CLOGPage : public QWidget {
    Q_OBJECT

public:
    // Seconds of the Refresh Seconds entries, by list position.
    static constexpr std::array<int, 7> kRefreshChoices = {10, 30, 60, 90, 120, 150, 180};
    static constexpr int kDefaultRefreshPosition = 1;  // "30 s"

    CLOGPage(CallLogTable& table, const LanguageTable& texts, MessagePort& messages,
             QWidget* parent = nullptr);

    // Mirrors every row of the table into the list.
    void ShowModel();

    // Column titles, box, label and button captions from the current language; the Refresh Seconds
    // list refilled, still showing the interval in use. The rows keep their contents.
    void Recaption();

    // The box is enabled or disabled as told; then autoRefresh := the box is ticked, the label and
    // list follow it, and autoRefreshChanged is emitted (as after a click).
    void EnableAutoRefresh(bool enable);
    // Shows `ticked` and `enabled` in the box, the label and list following `ticked`; no signal.
    void ShowAutoRefresh(bool ticked, bool enabled);

    bool AutoRefresh() const { return m_autoRefresh; }
    int RefreshSeconds() const { return m_refreshSeconds; }

    // Clear All: the table back to its ten placeholder rows; nothing is sent to the router.
    void ClearAll();
    // The save-file choice of Save As (default: the CSV save dialog).
    void SetSaveFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Save As: the log section (marker, column comment, separator line, one line per record).
    PageSaveOutcome SaveAs();

    QTableWidget* List() const { return m_list; }
    QCheckBox* AutoRefreshBox() const { return m_autoBox; }
    QLabel* RefreshLabel() const { return m_secondsLabel; }
    QComboBox* RefreshList() const { return m_secondsList; }
    CSkinButton* ClearAllButton() const { return m_clearAll; }
    CSkinButton* SaveButton() const { return m_save; }

signals:
    void autoRefreshChanged(bool ticked);
    void refreshSecondsChanged(int seconds);

private:
    void AutoRefreshClicked();
    void FillRefreshList();
    void SetCaptions();

    CallLogTable& m_table;
    const LanguageTable& m_texts;
    MessagePort& m_messages;
    FileChooser m_chooseFile;
    bool m_autoRefresh = false;
    int m_refreshSeconds = kRefreshChoices[kDefaultRefreshPosition];

    QTableWidget* m_list = nullptr;
    QCheckBox* m_autoBox = nullptr;
    QLabel* m_secondsLabel = nullptr;
    QComboBox* m_secondsList = nullptr;
    CSkinButton* m_clearAll = nullptr;
    CSkinButton* m_save = nullptr;
};

}  // namespace dezadav
