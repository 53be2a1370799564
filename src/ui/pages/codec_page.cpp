#include "ui/pages/codec_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include "settings/settings_file.h"
#include "ui/dialog_units.h"
#include "ui/language_text.h"
#include "ui/pages/page_controls.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {
namespace {

QLabel* MakeLabel(QWidget* parent, int x, int y, int width) {
    auto* label = new QLabel(parent);
    label->setGeometry(DialogRect(x, y, width, 12));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeDigitsBox(QWidget* parent, int x, int y, int width) {
    auto* box = new QLineEdit(parent);
    box->setGeometry(DialogRect(x, y, width, 13));
    MakeDigitsOnly(box);
    return box;
}

}  // namespace

CCodecPage::CCodecPage(CodecSettings& codec, const LanguageTable& texts, MessagePort& messages,
                       QWidget* parent)
    : QWidget(parent), m_codec(codec), m_texts(texts), m_messages(messages) {
    resize(DialogSize(456, 193));
    m_chooseFile = [this] { return ChooseCsvFileToSave(this, UiText(m_texts, kMsgFileFilter)); };

    m_codecGroup = new QGroupBox(this);
    m_codecGroup->setGeometry(DialogRect(7, 3, 222, 74));
    m_codecLabel = MakeLabel(this, 16, 20, 72);
    m_codecList = new QComboBox(this);
    m_codecList->setGeometry(DialogRect(90, 19, 130, 13));
    m_codecHelp = MakeLabel(this, 90, 33, 130);
    m_sizeLabel = MakeLabel(this, 16, 48, 72);
    m_sizeList = new QComboBox(this);
    m_sizeList->setGeometry(DialogRect(90, 47, 130, 13));
    m_sizeHelp = MakeLabel(this, 90, 61, 130);

    m_dtmfGroup = new QGroupBox(this);
    m_dtmfGroup->setGeometry(DialogRect(235, 3, 214, 74));
    m_modes = new QButtonGroup(this);
    constexpr int kModeX[3] = {244, 308, 372};
    for (int mode = 0; mode < 3; ++mode) {
        m_modeButtons[mode] = new QRadioButton(this);
        m_modeButtons[mode]->setGeometry(DialogRect(kModeX[mode], 20, 62, 12));
        m_modes->addButton(m_modeButtons[mode], mode);
    }
    m_payloadLabel = MakeLabel(this, 244, 48, 62);
    m_payload = MakeDigitsBox(this, 308, 47, 50);
    m_payloadRange = MakeLabel(this, 362, 48, 50);
    m_payloadRange->setText(QStringLiteral("(96~127)"));

    m_rtpGroup = new QGroupBox(this);
    m_rtpGroup->setGeometry(DialogRect(7, 81, 442, 78));
    m_rtpHelp = MakeLabel(this, 250, 100, 190);
    m_startLabel = MakeLabel(this, 16, 100, 120);
    m_start = MakeDigitsBox(this, 140, 99, 80);
    m_endLabel = MakeLabel(this, 16, 124, 120);
    m_end = MakeDigitsBox(this, 140, 123, 80);
    for (QLabel* note : {m_codecHelp, m_sizeHelp, m_rtpHelp}) note->hide();

    m_save = MakePageButton(this, DialogUnitsX(449) - kPageButtonWidth, DialogUnitsY(168));

    connect(m_codecList, &QComboBox::currentIndexChanged, this, [this](int i) { m_codec.Codec().Select(i); });
    connect(m_sizeList, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_codec.PacketSize().Select(i); });
    connect(m_modes, &QButtonGroup::idClicked, this, [this](int mode) { m_codec.SetDtmfMode(mode); });
    connect(m_payload, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_codec.SetPayloadType(t.toStdString()); });
    connect(m_start, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_codec.SetRtpPortStart(t.toStdString()); });
    connect(m_end, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_codec.SetRtpPortEnd(t.toStdString()); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveAs(); });
    m_payload->installEventFilter(this);

    // Screen readers name each box after the label in front of it.
    const std::pair<QLabel*, QWidget*> buddies[] = {{m_codecLabel, m_codecList}, {m_sizeLabel, m_sizeList},
                                                    {m_payloadLabel, m_payload}, {m_startLabel, m_start},
                                                    {m_endLabel, m_end}};
    for (const auto& [label, control] : buddies) label->setBuddy(control);
    OrderTabsAsShown(this);
    TabIntoCheckedRadio(m_modes);

    SetCaptions();
    ShowModel();
}

QRadioButton* CCodecPage::ModeButton(int mode) const {
    return mode >= 0 && mode < 3 ? m_modeButtons[mode] : nullptr;
}

void CCodecPage::SetCaptions() {
    m_codecGroup->setTitle(UiText(m_texts, "Codec_Group"));
    m_codecLabel->setText(UiText(m_texts, "Codec_Default"));
    m_codecHelp->setText(UiText(m_texts, "Codec_CodecStr"));
    m_sizeLabel->setText(UiText(m_texts, "Codec_Packet"));
    m_sizeHelp->setText(UiText(m_texts, "Codec_SizeStr"));
    m_dtmfGroup->setTitle(UiText(m_texts, "Codec_DTMFGroup"));
    for (int mode = 0; mode < 3; ++mode) {
        m_modeButtons[mode]->setText(UiText(m_texts, kDtmfModeKeys[static_cast<std::size_t>(mode)]));
    }
    m_payloadLabel->setText(UiText(m_texts, "Codec_PayLoad"));
    m_rtpGroup->setTitle(UiText(m_texts, "Codec_RTPGroup"));
    m_rtpHelp->setText(UiText(m_texts, "Codec_RTPStr"));
    m_startLabel->setText(UiText(m_texts, "Codec_Start"));
    m_endLabel->setText(UiText(m_texts, "Codec_End"));
    m_save->setText(UiText(m_texts, "Button_Save"));
}

void CCodecPage::ShowModel() {
    ShowChoices(m_codecList, m_codec.Codec().Entries(), m_codec.Codec().Selected());
    ShowChoices(m_sizeList, m_codec.PacketSize().Entries(), m_codec.PacketSize().Selected());
    if (QRadioButton* button = ModeButton(m_codec.DtmfModeValue())) button->setChecked(true);
    ShowText(m_payload, m_codec.PayloadType());
    ShowText(m_start, m_codec.RtpPortStart());
    ShowText(m_end, m_codec.RtpPortEnd());
}

void CCodecPage::Recaption() {
    m_codec.Recaption();
    SetCaptions();
    ShowModel();
}

bool CCodecPage::CheckPayload() {
    if (m_checkingPayload) return true;
    m_checkingPayload = true;
    const bool inRange = m_codec.CheckPayloadType(m_messages);
    m_checkingPayload = false;
    if (inRange) return true;
    ShowText(m_payload, m_codec.PayloadType());
    // Taking the focus back once the focus change that triggered the check has finished.
    QTimer::singleShot(0, m_payload, [box = m_payload] { box->setFocus(Qt::OtherFocusReason); });
    return false;
}

bool CCodecPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_payload && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a menu is no leaving of the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) CheckPayload();
    }
    return QWidget::eventFilter(watched, event);
}

PageSaveOutcome CCodecPage::SaveAs() {
    return SavePageAs(
        m_chooseFile, [this] { return CodecFileText(m_codec); }, m_texts, m_messages);
}

}  // namespace dezadav
