#include "ui/router_info_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include "ui/dialog_units.h"
#include "ui/language_text.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {

namespace {

constexpr const char* kCaptionKeys[6] = {"Confirm_Model", "Confirm_IP",      "Confirm_Mask",
                                         "Confirm_Mac",   "Confirm_Version", "Confirm_Password"};
constexpr int kRowTop = 8;
constexpr int kRowStep = 17;

}  // namespace

CRouterInfoDlg::CRouterInfoDlg(const LanguageTable& texts, QWidget* parent)
    : QDialog(parent), m_texts(texts) {
    setFixedSize(DialogSize(166, 145));
    setFont(DialogFont());
    setWindowFlags(FixedDialogFlags());

    for (int row = 0; row < 6; ++row) {
        m_captions[row] = new QLabel(this);
        m_captions[row]->setGeometry(DialogRect(7, kRowTop + row * kRowStep + 2, 72, 10));
    }
    for (int row = 0; row < 5; ++row) {
        m_values[row] = new QLabel(this);
        m_values[row]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_values[row]->setGeometry(DialogRect(80, kRowTop + row * kRowStep, 79, 12));
        m_values[row]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_passwordBox = new QLineEdit(this);
    m_passwordBox->setEchoMode(QLineEdit::Password);
    m_passwordBox->setGeometry(DialogRect(80, kRowTop + 5 * kRowStep, 79, 12));

    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(DialogRect(7, 115, 152, 2));

    m_cancel = new CSkinButton(this);
    m_cancel->setGeometry(DialogRect(51, 122, 53, 16));
    m_ok = new CSkinButton(this);
    m_ok->setGeometry(DialogRect(108, 122, 53, 16));
    m_ok->setDefault(true);
    for (CSkinButton* button : {m_ok, m_cancel}) button->SetBitmaps(DialogButtonBitmaps());
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_captions[5]->setBuddy(m_passwordBox);
    OrderTabsAsShown(this);

    m_focusTimer.setSingleShot(true);
    m_focusTimer.setInterval(100);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] { m_passwordBox->setFocus(Qt::OtherFocusReason); });
    Relabel();
}

void CRouterInfoDlg::SetRouter(const std::string& modelName, const std::string& ipAddress,
                               const std::string& subnetMask, const std::string& macAddress,
                               const std::string& firmwareVersion) {
    m_modelName = modelName;
    m_ipAddress = ipAddress;
    m_subnetMask = subnetMask;
    m_macAddress = macAddress;
    m_firmwareVersion = firmwareVersion;
}

void CRouterInfoDlg::Relabel() {
    setWindowTitle(UiText(m_texts, "Confirm_Title"));
    for (int row = 0; row < 6; ++row) m_captions[row]->setText(UiText(m_texts, kCaptionKeys[row]));
    m_ok->setText(UiText(m_texts, "Button_OK"));
    m_cancel->setText(UiText(m_texts, "Button_Cancel"));
}

void CRouterInfoDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Every run starts afresh: captions, the router's values, an empty password box.
        Relabel();
        const std::string* values[5] = {&m_modelName, &m_ipAddress, &m_subnetMask, &m_macAddress,
                                        &m_firmwareVersion};
        for (int row = 0; row < 5; ++row) m_values[row]->setText(QString::fromStdString(*values[row]));
        m_passwordBox->clear();
        m_focusTimer.start();
    }
    QDialog::showEvent(event);
}

void CRouterInfoDlg::accept() {
    m_password = m_passwordBox->text().toStdString();
    QDialog::accept();
}

}  // namespace dezadav
