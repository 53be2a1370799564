#include "ui/pages/sip_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "lang/messages.h"
#include "settings/settings_file.h"
#include "ui/dialog_units.h"
#include "ui/language_text.h"
#include "ui/pages/page_controls.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {
namespace {

// The one-port box's caption is the same in every language.

QLabel* MakeLabel(QWidget* parent, int x, int y, int width) {
    auto* label = new QLabel(parent);
    label->setGeometry(DialogRect(x, y, width, 12));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeBox(QWidget* parent, int x, int y, int width) {
    auto* box = new QLineEdit(parent);
    box->setGeometry(DialogRect(x, y, width, 13));
    return box;
}

QComboBox* MakeList(QWidget* parent, int x, int y, int width) {
    auto* list = new QComboBox(parent);
    list->setGeometry(DialogRect(x, y, width, 13));
    list->setMaxVisibleItems(10);
    return list;
}

}  // namespace

CSIPPage::CSIPPage(SipSettings& sip, const LanguageTable& texts, MessagePort& messages, QWidget* parent)
    : QWidget(parent), m_sip(sip), m_texts(texts), m_messages(messages) {
    resize(DialogSize(456, 193));
    m_chooseFile = [this] { return ChooseCsvFileToSave(this, UiText(m_texts, kMsgFileFilter)); };

    m_sipGroup = new QGroupBox(this);
    m_sipGroup->setGeometry(DialogRect(7, 3, 442, 40));
    m_sipPortLabel = MakeLabel(this, 18, 20, 56);
    m_sipPort = MakeBox(this, 76, 19, 70);
    m_portHelp = MakeLabel(this, 150, 20, 60);
    m_portHelp->hide();
    m_registrarLabel = MakeLabel(this, 220, 20, 56);
    m_registrar = MakeBox(this, 278, 19, 160);

    m_portGroup = new QGroupBox(this);
    m_portGroup->setGeometry(DialogRect(7, 47, 442, 114));
    constexpr int kLeft[2] = {18, 236};
    constexpr int kField[2] = {86, 304};
    m_port1Label = MakeLabel(this, kLeft[0], 60, 100);
    m_port2Label = MakeLabel(this, kLeft[1], 60, 100);

    m_via1Label = MakeLabel(this, kLeft[0], 77, 66);
    m_via1 = MakeList(this, kField[0], 76, 110);
    m_useRegistrar = new QCheckBox(QString::fromUtf8(kUseRegistrarCaption.data(), kUseRegistrarCaption.size()), this);
    m_useRegistrar->setGeometry(DialogRect(kLeft[0], 77, 120, 12));
    m_unusedRegistrarBox = new QCheckBox(QString::fromUtf8(kUseRegistrarCaption.data(), kUseRegistrarCaption.size()), this);
    m_unusedRegistrarBox->setGeometry(DialogRect(kLeft[1], 77, 120, 12));
    m_unusedRegistrarBox->setEnabled(false);
    m_unusedRegistrarBox->hide();
    m_via2Label = MakeLabel(this, kLeft[1], 77, 66);
    m_via2 = MakeList(this, kField[1], 76, 110);

    m_name1Label = MakeLabel(this, kLeft[0], 96, 66);
    m_name1 = MakeBox(this, kField[0], 95, 110);
    m_name2Label = MakeLabel(this, kLeft[1], 96, 66);
    m_name2 = MakeBox(this, kField[1], 95, 110);

    m_password1Label = MakeLabel(this, kLeft[0], 115, 66);
    m_password1 = MakeBox(this, kField[0], 114, 110);
    m_password2Label = MakeLabel(this, kLeft[1], 115, 66);
    m_password2 = MakeBox(this, kField[1], 114, 110);
    for (QLineEdit* box : {m_password1, m_password2}) {
        box->setEchoMode(QLineEdit::Password);
        LimitTypedLength(box, kSipPasswordMaxTypedChars);
    }

    m_expiry1Label = MakeLabel(this, kLeft[0], 134, 66);
    m_expiry1 = MakeList(this, kField[0], 133, 110);
    m_expiry2Label = MakeLabel(this, kLeft[1], 134, 66);
    m_expiry2 = MakeList(this, kField[1], 133, 110);

    m_save = MakePageButton(this, DialogUnitsX(449) - kPageButtonWidth, DialogUnitsY(168));

    // Edits go straight into the model; ShowModel blocks these signals while it mirrors.
    connect(m_sipPort, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetSipPort(t.toStdString()); });
    connect(m_registrar, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetRegistrar(t.toStdString()); });
    connect(m_name1, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetPort1UserName(t.toStdString()); });
    connect(m_name2, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetPort2UserName(t.toStdString()); });
    connect(m_password1, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetPort1Password(t.toStdString()); });
    connect(m_password2, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_sip.SetPort2Password(t.toStdString()); });
    connect(m_useRegistrar, &QCheckBox::toggled, this, [this](bool on) { m_sip.SetUseRegistrar(on); });
    connect(m_via1, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_sip.Port1RegisterVia().Select(i); });
    connect(m_via2, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_sip.Port2RegisterVia().Select(i); });
    connect(m_expiry1, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_sip.Port1Expiry().Select(i); });
    connect(m_expiry2, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_sip.Port2Expiry().Select(i); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveAs(); });

    // Screen readers name each box after the label in front of it.
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {m_sipPortLabel, m_sipPort}, {m_registrarLabel, m_registrar}, {m_via1Label, m_via1},
        {m_via2Label, m_via2},       {m_name1Label, m_name1},         {m_name2Label, m_name2},
        {m_password1Label, m_password1}, {m_password2Label, m_password2}, {m_expiry1Label, m_expiry1},
        {m_expiry2Label, m_expiry2}};
    for (const auto& [label, control] : buddies) label->setBuddy(control);
    // Down each voice port's column, as the accounts are filled in; the use-registrar box stands in
    // port 1's register-via place.
    QWidget* const order[] = {m_sipPort, m_registrar, m_via1,  m_useRegistrar, m_name1,   m_password1,
                              m_expiry1, m_via2,      m_name2, m_password2,    m_expiry2, m_save};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }

    SetCaptions();
    SetTwoPort(false);
    ShowModel();
}

QList<QWidget*> CSIPPage::TwoPortControls() const {
    return {m_port1Label,   m_port2Label, m_via1Label, m_via2Label, m_name2Label, m_password2Label,
            m_expiry2Label, m_via1,       m_via2,      m_expiry2,   m_name2,      m_password2};
}

void CSIPPage::SetTwoPort(bool twoPort) {
    m_twoPort = twoPort;
    for (QWidget* control : TwoPortControls()) control->setVisible(twoPort);
    m_useRegistrar->setVisible(!twoPort);
}

void CSIPPage::SetCaptions() {
    m_sipGroup->setTitle(UiText(m_texts, "SIP_Group"));
    m_sipPortLabel->setText(UiText(m_texts, "SIP_Port"));
    m_registrarLabel->setText(UiText(m_texts, "SIP_Registrar"));
    m_portHelp->setText(UiText(m_texts, "SIP_PortStr"));
    m_portGroup->setTitle(UiText(m_texts, "SIP_PortGroup"));
    m_port1Label->setText(UiText(m_texts, "SIP_PortStr1"));
    m_port2Label->setText(UiText(m_texts, "SIP_PortStr2"));
    m_via1Label->setText(UiText(m_texts, "SIP_Via1"));
    m_via2Label->setText(UiText(m_texts, "SIP_Via2"));
    m_name1Label->setText(UiText(m_texts, m_sip.Port1UserNameLabelKey()));
    m_name2Label->setText(UiText(m_texts, SipSettings::Port2UserNameLabelKey()));
    m_password1Label->setText(UiText(m_texts, "SIP_Password1"));
    m_password2Label->setText(UiText(m_texts, "SIP_Password2"));
    m_expiry1Label->setText(UiText(m_texts, "SIP_Expiry1"));
    m_expiry2Label->setText(UiText(m_texts, "SIP_Expiry2"));
    m_save->setText(UiText(m_texts, "Button_Save"));
}

void CSIPPage::ShowModel() {
    ShowText(m_sipPort, m_sip.SipPort());
    ShowText(m_registrar, m_sip.Registrar());
    ShowText(m_name1, m_sip.Port1UserName());
    ShowText(m_name2, m_sip.Port2UserName());
    ShowText(m_password1, m_sip.Port1Password());
    ShowText(m_password2, m_sip.Port2Password());
    {
        const QSignalBlocker blocker(m_useRegistrar);
        m_useRegistrar->setChecked(m_sip.UseRegistrar());
    }
    ShowChoices(m_via1, m_sip.Port1RegisterVia().Entries(), m_sip.Port1RegisterVia().Selected());
    ShowChoices(m_via2, m_sip.Port2RegisterVia().Entries(), m_sip.Port2RegisterVia().Selected());
    ShowChoices(m_expiry1, m_sip.Port1Expiry().Entries(), m_sip.Port1Expiry().Selected());
    ShowChoices(m_expiry2, m_sip.Port2Expiry().Entries(), m_sip.Port2Expiry().Selected());
    m_name1Label->setText(UiText(m_texts, m_sip.Port1UserNameLabelKey()));
}

void CSIPPage::Recaption() {
    m_sip.Recaption();
    SetCaptions();
    ShowModel();
}

PageSaveOutcome CSIPPage::SaveAs() {
    return SavePageAs(
        m_chooseFile, [this] { return SipFileText(m_sip); }, m_texts, m_messages, FileSecrecy::OwnerOnly);
}

}  // namespace dezadav
