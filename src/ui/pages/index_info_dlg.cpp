#include "ui/pages/index_info_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "lang/messages.h"
#include "lang/language_table.h"
#include "ui/dialog_units.h"
#include "ui/language_text.h"
#include "ui/pages/page_controls.h"
#include "ui/pictures.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {
namespace {

constexpr int kDialogButtonWidth = 80;
constexpr int kDialogButtonHeight = 23;

std::string Text(const QLineEdit* box) {
    return box->text().toStdString();
}

QLabel* MakeLabel(QWidget* parent, const QRect& rect,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(parent);
    label->setGeometry(rect);
    label->setAlignment(alignment);
    return label;
}

}  // namespace

CIndexInfoDlg::CIndexInfoDlg(const LanguageTable& texts, MessagePort& messages, QWidget* parent)
    : QDialog(parent), m_texts(texts), m_messages(messages) {
    setFixedSize(DialogSize(286, 159));
    setFont(DialogFont());
    setWindowFlags(FixedDialogFlags());

    m_group = new QGroupBox(this);
    m_group->setGeometry(DialogRect(7, 5, 272, 122));
    m_enable = new QCheckBox(this);
    m_enable->setGeometry(DialogRect(16, 18, 120, 12));

    m_phoneLabel = MakeLabel(this, DialogRect(16, 36, 72, 12));
    m_phone = new QLineEdit(this);
    m_phone->setGeometry(DialogRect(90, 35, 90, 13));
    MakeDigitsOnly(m_phone);
    m_phoneHelp = MakeLabel(this, DialogRect(184, 36, 90, 12));

    m_sipLabel = MakeLabel(this, DialogRect(16, 56, 72, 12));
    m_portName = new QLineEdit(this);
    m_portName->setGeometry(DialogRect(90, 55, 72, 13));
    m_portName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_at = MakeLabel(this, DialogRect(163, 56, 9, 12), Qt::AlignCenter);
    m_at->setText(QStringLiteral("@"));
    m_domain = new QLineEdit(this);
    m_domain->setGeometry(DialogRect(173, 55, 98, 13));
    m_sipHelp = MakeLabel(this, DialogRect(90, 69, 180, 10));

    m_loopLabel = MakeLabel(this, DialogRect(16, 84, 72, 12));
    m_loop = new QComboBox(this);
    m_loop->setGeometry(DialogRect(90, 83, 90, 13));
    m_loopHelp = MakeLabel(this, DialogRect(90, 97, 180, 10));

    m_backupLabel = MakeLabel(this, DialogRect(16, 108, 72, 12));
    m_backup = new QLineEdit(this);
    m_backup->setGeometry(DialogRect(90, 107, 90, 13));
    MakeDigitsOnly(m_backup);
    m_backupNote = MakeLabel(this, DialogRect(184, 108, 88, 12));

    // The help notes and the (ISDN/PSDN) note belong to the form but are never shown.
    for (QLabel* note : {m_phoneHelp, m_sipHelp, m_loopHelp, m_backupNote}) note->hide();

    const int buttonsY = DialogUnitsY(136);
    m_ok = new CSkinButton(this);
    m_ok->setGeometry(DialogUnitsX(286) / 2 - kDialogButtonWidth - 12, buttonsY, kDialogButtonWidth,
                      kDialogButtonHeight);
    m_cancel = new CSkinButton(this);
    m_cancel->setGeometry(DialogUnitsX(286) / 2 + 12, buttonsY, kDialogButtonWidth, kDialogButtonHeight);
    for (CSkinButton* button : {m_ok, m_cancel}) button->SetBitmaps(DialogButtonBitmaps());
    m_ok->setDefault(true);

    const std::pair<QLabel*, QWidget*> buddies[] = {
        {m_phoneLabel, m_phone}, {m_sipLabel, m_portName}, {m_loopLabel, m_loop}, {m_backupLabel, m_backup}};
    for (const auto& [label, control] : buddies) label->setBuddy(control);
    OrderTabsAsShown(this);

    connect(m_ok, &QPushButton::clicked, this, &CIndexInfoDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_enable, &QCheckBox::clicked, this, &CIndexInfoDlg::EnableClicked);
    Relabel();
}

void CIndexInfoDlg::Relabel() {
    setWindowTitle(UiText(m_texts, "Index_Title"));
    m_enable->setText(UiText(m_texts, "Index_Status"));
    m_phoneLabel->setText(UiText(m_texts, "Index_Phone"));
    m_sipLabel->setText(UiText(m_texts, "Index_SIP"));
    // The domain box has no label of its own: it is the part of the SIP address after the "@".
    m_domain->setAccessibleName(UiText(m_texts, "Index_SIP") + QStringLiteral(" @"));
    m_loopLabel->setText(UiText(m_texts, "Index_LoopStr"));
    m_backupLabel->setText(UiText(m_texts, "Index_Backup"));
    m_backupNote->setText(UiText(m_texts, "Index_BackupStr"));
    m_phoneHelp->setText(UiText(m_texts, "Index_PhoneStr"));
    m_sipHelp->setText(UiText(m_texts, "Index_SIPStr"));
    m_loopHelp->setText(UiText(m_texts, "Index_Loop"));
    m_ok->setText(UiText(m_texts, "Button_OK"));
    m_cancel->setText(UiText(m_texts, "Button_Cancel"));
}

void CIndexInfoDlg::Prepare(const IndexInfoFields& fields, bool twoPort) {
    m_fields = fields;
    m_twoPort = twoPort;
    setResult(QDialog::Rejected);
    Relabel();

    for (QWidget* control : std::initializer_list<QWidget*>{m_loopLabel, m_loop, m_backupLabel, m_backup}) {
        control->setVisible(!twoPort);
    }

    m_enable->setChecked(fields.enabled);
    EnableEditControls(fields.enabled);
    m_group->setTitle(QString::fromStdString(fields.groupTitle));
    m_phone->setText(QString::fromStdString(fields.phone));
    m_portName->setText(QString::fromStdString(fields.portName));
    m_domain->setText(QString::fromStdString(fields.domain));

    const std::array<std::string, 3> loopTexts = LoopThroughTexts(m_texts);
    m_loop->clear();
    for (const std::string& text : loopTexts) m_loop->addItem(QString::fromStdString(text));
    m_loop->setCurrentIndex(LoopThroughPosition(fields.loopThrough));
    m_backup->setText(QString::fromStdString(fields.backup));
}

void CIndexInfoDlg::EnableEditControls(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_phone, m_portName, m_domain, m_loop, m_backup}) {
        control->setEnabled(enabled);
    }
}

void CIndexInfoDlg::EnableClicked(bool checked) {
    m_fields.enabled = checked;
    if (!checked) {
        EnableEditControls(false);
        return;
    }
    m_phone->setEnabled(true);
    m_portName->setEnabled(true);
    m_domain->setEnabled(true);
    m_loop->setEnabled(!m_twoPort);
    m_backup->setEnabled(!m_twoPort);
}

void CIndexInfoDlg::accept() {
    m_fields.phone = Text(m_phone);
    m_fields.portName = Text(m_portName);
    m_fields.domain = Text(m_domain);
    if (m_fields.enabled && (m_fields.phone.empty() || m_fields.domain.empty())) {
        ShowMessageText(m_texts, m_messages, kMsgEmptyEntry, kMsgWarnCaption);
        return;
    }
    m_fields.backup = Text(m_backup);
    const int loop = m_loop->currentIndex();
    m_fields.loopThrough = loop >= 0 && loop < static_cast<int>(kLoopThroughChoices.size())
                               ? std::optional(kLoopThroughChoices[static_cast<std::size_t>(loop)])
                               : std::nullopt;
    // A two-port router has neither field: the hidden controls hold nothing of the entry's.
    if (m_twoPort || (!m_fields.enabled && m_fields.phone.empty() && m_fields.portName.empty() &&
                      m_fields.domain.empty())) {
        m_fields.backup.clear();
        m_fields.loopThrough.reset();
    }
    QDialog::accept();
}

}  // namespace dezadav
