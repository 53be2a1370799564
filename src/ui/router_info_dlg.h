#pragma once

#include <QDialog>
#include <QTimer>
#include <string>

#include "lang/language_table.h"

class QLabel;
class QLineEdit;

namespace dezadav {

class CSkinButton;

// Confirm Password: shows the router picked in Select Router and asks for its login password.
//
// The caller sets the router once (SetRouter) and may run the dialog several times (after each
// failed fetch); the five values stay, the password box is empty at the start of every run, and the
// keyboard focus moves into it 100 ms after the dialog is shown. OK (button or Enter) accepts any
// password, even an empty one; Cancel, Esc or the close box reject.
class CRouterInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit CRouterInfoDlg(const LanguageTable& texts, QWidget* parent = nullptr);

    void SetRouter(const std::string& modelName, const std::string& ipAddress, const std::string& subnetMask,
                   const std::string& macAddress, const std::string& firmwareVersion);

    // The password typed in the last run that ended with OK (UTF-8).
    const std::string& Password() const { return m_password; }
    const std::string& IpAddress() const { return m_ipAddress; }

    // Re-reads every caption from the language table.
    void Relabel();

    QLineEdit* PasswordBox() const { return m_passwordBox; }
    CSkinButton* OkButton() const { return m_ok; }
    CSkinButton* CancelButton() const { return m_cancel; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const LanguageTable& m_texts;
    std::string m_modelName;
    std::string m_ipAddress;
    std::string m_subnetMask;
    std::string m_macAddress;
    std::string m_firmwareVersion;
    std::string m_password;

    QLabel* m_captions[6] = {};
    QLabel* m_values[5] = {};
    QLineEdit* m_passwordBox = nullptr;
    CSkinButton* m_ok = nullptr;
    CSkinButton* m_cancel = nullptr;
    QTimer m_focusTimer;
};

}  // namespace dezadav
