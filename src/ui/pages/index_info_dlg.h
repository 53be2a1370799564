#pragma once

#include <QDialog>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "ui/pages/index_info_fields.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace dezadav {

class CSkinButton;

// The Index Info dialog: edits one dial-plan entry (enable box, phone number, SIP port name "@"
// domain, loop-through line, backup number).
//
// The dial-plan page calls Prepare with the entry's fields before each modal run and reads Fields()
// after the run ended with OK. The phone and backup boxes take digits only. The Enable box enables or
// disables the phone, port-name, domain, loop-through and backup controls; on a two-port router the
// loop-through and backup controls are hidden and stay disabled. OK on an enabled entry with an empty
// phone number or domain shows Message_Warn / Message_Empty through the message port and keeps the
// dialog open; OK on a disabled entry whose phone, port name and domain are all empty empties the
// loop-through and backup too.
class CIndexInfoDlg : public QDialog {
    Q_OBJECT

public:
    CIndexInfoDlg(const LanguageTable& texts, MessagePort& messages, QWidget* parent = nullptr);

    // Sets every text from the current language and every control from `fields` for the next run.
    void Prepare(const IndexInfoFields& fields, bool twoPort);

    // The fields as the last Prepare set them, or as OK read them from the controls.
    const IndexInfoFields& Fields() const { return m_fields; }
    bool IsTwoPort() const { return m_twoPort; }

    // OK: the blank check, then the fields are read and the dialog closes with Accepted.
    void accept() override;

    QGroupBox* GroupBox() const { return m_group; }
    QCheckBox* EnableBox() const { return m_enable; }
    QLineEdit* PhoneBox() const { return m_phone; }
    QLineEdit* PortNameBox() const { return m_portName; }
    QLineEdit* DomainBox() const { return m_domain; }
    QComboBox* LoopThroughList() const { return m_loop; }
    QLineEdit* BackupBox() const { return m_backup; }
    QLabel* LoopThroughLabel() const { return m_loopLabel; }
    QLabel* BackupLabel() const { return m_backupLabel; }
    QLabel* BackupNote() const { return m_backupNote; }
    QLabel* LoopHelpNote() const { return m_loopHelp; }
    CSkinButton* OkButton() const { return m_ok; }
    CSkinButton* CancelButton() const { return m_cancel; }

private:
    void Relabel();
    void EnableClicked(bool checked);
    void EnableEditControls(bool enabled);

    const LanguageTable& m_texts;
    MessagePort& m_messages;
    IndexInfoFields m_fields;
    bool m_twoPort = false;

    QGroupBox* m_group = nullptr;
    QCheckBox* m_enable = nullptr;
    QLabel* m_phoneLabel = nullptr;
    QLineEdit* m_phone = nullptr;
    QLabel* m_sipLabel = nullptr;
    QLineEdit* m_portName = nullptr;
    QLabel* m_at = nullptr;
    QLineEdit* m_domain = nullptr;
    QLabel* m_loopLabel = nullptr;
    QComboBox* m_loop = nullptr;
    QLabel* m_backupLabel = nullptr;
    QLineEdit* m_backup = nullptr;
    QLabel* m_backupNote = nullptr;
    QLabel* m_phoneHelp = nullptr;
    QLabel* m_sipHelp = nullptr;
    QLabel* m_loopHelp = nullptr;
    CSkinButton* m_ok = nullptr;
    CSkinButton* m_cancel = nullptr;
};

}  // namespace dezadav
