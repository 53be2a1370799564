#pragma once

#include <QWidget>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/sip_settings.h"
#include "ui/pages/csv_file_dialog.h"
#include "ui/pages/page_save.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace dezadav {

class CSkinButton;

// The SIP page: SIP port, registrar and one account per voice port (register via or the use-registrar
// box, user name, password, expiry time), and Save As of the SIP row alone.
//
// The page is a view over SipSettings owned by the workflow; the lists and their selections, the
// use-registrar flag live in the model. Edits are written through at once
// (every keystroke, choice or click changes the model). After anything else changed the model
// (fetch, load), the owner calls ShowModel.
//
// The owner calls SetTwoPort after the first SIP parse of each fetch (two-port: the port-2 and
// register-via controls are shown and the use-registrar box hidden; one-port: the reverse) and
// Recaption after a language change (which also lets the model refill its lists in the new
// language). The password boxes take at most 23 typed characters.
class CSIPPage : public QWidget {
    Q_OBJECT

public:
    CSIPPage(SipSettings& sip, const LanguageTable& texts, MessagePort& messages, QWidget* parent = nullptr);

    // Mirrors the model: boxes, lists with their selections, the use-registrar box and the port-1
    // user-name label.
    void ShowModel();

    // The controls of the router form (see above).
    void SetTwoPort(bool twoPort);
    bool ShowsTwoPort() const { return m_twoPort; }

    // Every caption from the current language; the model's lists follow the language (the first two
    // register-via entries, the expiry lists in the router's form, selections kept).
    void Recaption();

    // The save-file choice of Save As (default: the CSV save dialog).
    void SetSaveFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Save As: the SIP page's file (the SIP row, then ";SIP").
    PageSaveOutcome SaveAs();

    QLineEdit* SipPortBox() const { return m_sipPort; }
    QLineEdit* RegistrarBox() const { return m_registrar; }
    QComboBox* Port1ViaList() const { return m_via1; }
    QComboBox* Port2ViaList() const { return m_via2; }
    QCheckBox* UseRegistrarBox() const { return m_useRegistrar; }
    QLineEdit* Port1UserNameBox() const { return m_name1; }
    QLineEdit* Port2UserNameBox() const { return m_name2; }
    QLineEdit* Port1PasswordBox() const { return m_password1; }
    QLineEdit* Port2PasswordBox() const { return m_password2; }
    QComboBox* Port1ExpiryList() const { return m_expiry1; }
    QComboBox* Port2ExpiryList() const { return m_expiry2; }
    QLabel* Port1UserNameLabel() const { return m_name1Label; }
    CSkinButton* SaveButton() const { return m_save; }
    // The controls shown only on two-port routers, in a fixed order.
    QList<QWidget*> TwoPortControls() const;

private:
    void SetCaptions();

    SipSettings& m_sip;
    const LanguageTable& m_texts;
    MessagePort& m_messages;
    FileChooser m_chooseFile;
    bool m_twoPort = false;

    QGroupBox* m_sipGroup = nullptr;
    QLabel* m_sipPortLabel = nullptr;
    QLineEdit* m_sipPort = nullptr;
    QLabel* m_registrarLabel = nullptr;
    QLineEdit* m_registrar = nullptr;
    QLabel* m_portHelp = nullptr;
    QGroupBox* m_portGroup = nullptr;
    QLabel* m_port1Label = nullptr;
    QLabel* m_via1Label = nullptr;
    QComboBox* m_via1 = nullptr;
    QCheckBox* m_useRegistrar = nullptr;
    QCheckBox* m_unusedRegistrarBox = nullptr;
    QLabel* m_name1Label = nullptr;
    QLineEdit* m_name1 = nullptr;
    QLabel* m_password1Label = nullptr;
    QLineEdit* m_password1 = nullptr;
    QLabel* m_expiry1Label = nullptr;
    QComboBox* m_expiry1 = nullptr;
    QLabel* m_port2Label = nullptr;
    QLabel* m_via2Label = nullptr;
    QComboBox* m_via2 = nullptr;
    QLabel* m_name2Label = nullptr;
    QLineEdit* m_name2 = nullptr;
    QLabel* m_password2Label = nullptr;
    QLineEdit* m_password2 = nullptr;
    QLabel* m_expiry2Label = nullptr;
    QComboBox* m_expiry2 = nullptr;
    CSkinButton* m_save = nullptr;
};

}  // namespace dezadav
