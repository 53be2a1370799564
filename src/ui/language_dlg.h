#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;

namespace dezadav {

class CSkinButton;
class LanguageChoice;

// The Language dialog: a drop-down of the three languages (list position = language number), with
// OK, Cancel and Apply.
//
// The caller sets the number to preselect, runs the dialog and, when it ends with OK, switches to
// LanguageNumber(). Apply switches at once (through `choice`) and keeps the dialog open; its own
// captions follow, while the list keeps the language names it was filled with. A number outside
// 0..2 leaves the list without a selection (LanguageNumber() then reads -1 after a change).
class CLanguageDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLanguageDlg(LanguageChoice& choice, QWidget* parent = nullptr);

    void SetLanguageNumber(int n) { m_number = n; }
    int LanguageNumber() const { return m_number; }

    // Title, group box, explanation and the three buttons from the language table (not the list).
    void Relabel();

    QComboBox* LanguageList() const { return m_list; }
    CSkinButton* OkButton() const { return m_ok; }
    CSkinButton* CancelButton() const { return m_cancel; }
    CSkinButton* ApplyButton() const { return m_apply; }

signals:
    // Emitted after every Relabel().
    void Relabelled();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Apply();

    LanguageChoice& m_choice;
    int m_number = 0;
    QGroupBox* m_group = nullptr;
    QLabel* m_explanation = nullptr;
    QComboBox* m_list = nullptr;
    CSkinButton* m_ok = nullptr;
    CSkinButton* m_cancel = nullptr;
    CSkinButton* m_apply = nullptr;
};

}  // namespace dezadav
