#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "lang/language_table.h"
#include "settings/settings_difference.h"

class QLabel;
class QListWidget;

namespace dezadav {

class CSkinButton;

// Confirm Changes: the last word before an apply sends anything. It names the router and lists, one
// line per field, what the router will hold differently afterwards; an empty list says that the
// router is sent again what the pages show. Apply (the default button, Enter) accepts; Cancel, Esc
// or the close box reject. The Apply button has the focus when the dialog comes up, so Enter alone
// confirms.
class CConfirmChangesDlg : public QDialog {
    Q_OBJECT

public:
    CConfirmChangesDlg(const LanguageTable& texts, const std::string& model, const std::string& ip,
                       const std::vector<FieldDifference>& changes, QWidget* parent = nullptr);

    QListWidget* ChangeList() const { return m_list; }
    CSkinButton* ApplyButton() const { return m_apply; }
    CSkinButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_router = nullptr;
    QLabel* m_intro = nullptr;
    QListWidget* m_list = nullptr;
    CSkinButton* m_apply = nullptr;
    CSkinButton* m_cancel = nullptr;
};

}  // namespace dezadav
