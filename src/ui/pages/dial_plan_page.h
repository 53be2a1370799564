#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/dial_plan_table.h"
#include "ui/pages/csv_file_dialog.h"
#include "ui/pages/page_save.h"

class QTableWidget;

namespace dezadav {

class CIndexInfoDlg;
class CSkinButton;

// The dial-plan page: the 60 entries of the dial plan in a list (one row per entry, check boxes in
// the first column), editing of one entry in the Index Info dialog, Clear All, Clear Selected and
// Save As of the dial plan alone.
//
// The page is a view over a DialPlanTable owned by the workflow. Edits are written through at once:
// an edited or cleared entry is set in the table (which sets its changed flag) as soon as the user
// confirms. After anything else changed the table (fetch, load, apply), the owner calls ShowModel.
// The check boxes mirror the table's check marks: a click sets the entry's mark, and an entry that
// the table clears (Clear All, Clear Selected, a fetched listing, a loaded file) loses its mark.
//
// Columns: No. (DialPlan_Index), Phone Number, Name (width 0), SIP Address, Loop Through, Backup Number,
// Status. The owner calls SetTwoPort after every dial-plan fetch (the listing layout decides the Loop
// Through, Backup and Status widths) and Recaption after a language change. Whether the router is a
// two-port model is read from the model-name source (the main window's Model field) each time the
// Index Info dialog opens and at every Recaption.
class CDialPlanPage : public QWidget {
    Q_OBJECT

public:
    // Column positions.
    enum Column {
        kColIndex = 0,
        kColPhone,
        kColName,
        kColSip,
        kColLoop,
        kColBackup,
        kColStatus,
        kColumnCount
    };

    // Runs the Index Info dialog for one edit and returns its result (QDialog::Accepted on OK).
    using DialogRunner = std::function<int(CIndexInfoDlg&)>;
    using ModelNameSource = std::function<std::string()>;

    CDialPlanPage(DialPlanTable& table, const LanguageTable& texts, MessagePort& messages,
                  QWidget* parent = nullptr);
    ~CDialPlanPage() override;

    // Mirrors every entry of the table into the list.
    void ShowModel();

    // The column widths for the form of the dial-plan listing just read: two-port: Loop Through and
    // Backup 0, Status 100; otherwise 140, 150 and 55.
    void SetTwoPort(bool twoPort);

    // Header titles and widths of columns 1 and 3 to 6 from the current language and the router
    // form of the model name (SIP Address 150 on a two-port model, else 145), and the button texts.
    // Every cell keeps its value, the loop-throughs shown in the new language's words; the Name
    // header keeps its text.
    void Recaption();

    // Where the page reads the model name shown in the main window (empty source: one-port).
    void SetModelNameSource(ModelNameSource source) { m_modelName = std::move(source); }
    // The save-file choice of Save As (default: the CSV save dialog).
    void SetSaveFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // How the Index Info dialog is run (default: modal exec).
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // The double-click (or F2) action: edits the first selected row's entry in the Index Info
    // dialog and, after OK, writes it back into the table. Nothing happens without a selected row.
    void EditSelectedEntry();
    // Clear All: every entry cleared (changed flags set), every check box cleared.
    void ClearAll();
    // Clear Selected: the entries whose check box is checked are cleared, their boxes cleared.
    void ClearSelected();
    // Save As: the dial-plan page's file (60 rows, then ";LIST").
    PageSaveOutcome SaveAs();

    bool IsRowChecked(int row) const;
    void SetRowChecked(int row, bool checked);

    QTableWidget* List() const { return m_list; }
    CSkinButton* ClearAllButton() const { return m_clearAll; }
    CSkinButton* ClearSelectedButton() const { return m_clearSelected; }
    CSkinButton* SaveButton() const { return m_save; }

private:
    bool RouterIsTwoPort() const;
    void ShowRow(int row);
    void SetHeader(int column, const QString& title, int width);

    DialPlanTable& m_table;
    const LanguageTable& m_texts;
    MessagePort& m_messages;
    ModelNameSource m_modelName;
    FileChooser m_chooseFile;
    DialogRunner m_runDialog;

    QTableWidget* m_list = nullptr;
    CSkinButton* m_clearAll = nullptr;
    CSkinButton* m_clearSelected = nullptr;
    CSkinButton* m_save = nullptr;
    CIndexInfoDlg* m_dialog = nullptr;
};

}  // namespace dezadav
