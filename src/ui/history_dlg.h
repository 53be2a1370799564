#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "history/settings_history.h"
#include "lang/language_table.h"
#include "lang/messages.h"
#include "settings/settings_difference.h"

class QLabel;
class QListWidget;
class QTableWidget;

namespace dezadav {

class CSkinButton;
class GuiUserPort;
class RouterWorkflow;

// History: the recorded versions of the connected router's settings, newest first, one row each
// with its time (local time), its cause and a one-line summary against the record before it. View
// (the default button, Enter) lists in the lower pane where the selected record differs from the
// pages; Restore loads it into the pages, which then show it, and closes the dialog: Apply to Router
// then writes it, with its confirmation. Close, Esc or the close box end the dialog. When the
// records cannot be read, Exec() shows why in a message instead.
class CHistoryDlg : public QDialog {
    Q_OBJECT

public:
    CHistoryDlg(RouterWorkflow& workflow, GuiUserPort& port, const LanguageTable& texts,
                QWidget* parent = nullptr);

    // Reads the records and runs the dialog modally; a history that cannot be read shows its problem
    // in a message box and no dialog.
    int Exec();

    // The one-line summary of a record against the one before it (`changes`: nothing when they could
    // not be compared; `oldest`: the record has none before it).
    static QString Summary(const LanguageTable& texts,
                           const std::optional<std::vector<FieldDifference>>& changes, bool oldest);

    QTableWidget* RecordList() const { return m_records; }
    QListWidget* DifferenceList() const { return m_differences; }

private:
    void FillRecords();
    void ViewSelected();
    void RestoreSelected();
    const HistoryEntry* Selected() const;
    void ShowProblem(const MessageText& message, const std::string& problem);

    RouterWorkflow& m_workflow;
    GuiUserPort& m_port;
    const LanguageTable& m_texts;
    std::vector<HistoryEntry> m_entries;

    QLabel* m_intro = nullptr;
    QTableWidget* m_records = nullptr;
    QLabel* m_againstPages = nullptr;
    QListWidget* m_differences = nullptr;
    CSkinButton* m_view = nullptr;
    CSkinButton* m_restore = nullptr;
    CSkinButton* m_close = nullptr;
};

}  // namespace dezadav
