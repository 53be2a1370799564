#include "ui/language_dlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

#include "ui/dialog_units.h"
#include "ui/language_choice.h"
#include "ui/language_text.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {

CLanguageDlg::CLanguageDlg(LanguageChoice& choice, QWidget* parent) : QDialog(parent), m_choice(choice) {
    setFixedSize(DialogSize(207, 140));
    setFont(DialogFont());
    setWindowFlags(FixedDialogFlags());

    m_group = new QGroupBox(this);
    m_group->setGeometry(DialogRect(7, 7, 193, 100));
    m_explanation = new QLabel(this);
    m_explanation->setWordWrap(true);
    m_explanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_explanation->setGeometry(DialogRect(16, 22, 175, 34));
    m_list = new QComboBox(this);
    m_list->setGeometry(DialogRect(16, 62, 175, 14));

    m_ok = new CSkinButton(this);
    m_ok->setGeometry(DialogRect(34, 116, 53, 16));
    m_cancel = new CSkinButton(this);
    m_cancel->setGeometry(DialogRect(92, 116, 53, 16));
    m_apply = new CSkinButton(this);
    m_apply->setGeometry(DialogRect(150, 116, 53, 16));
    for (CSkinButton* button : {m_ok, m_cancel, m_apply}) button->SetBitmaps(DialogButtonBitmaps());
    m_ok->setDefault(true);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, &CLanguageDlg::Apply);
    connect(m_list, &QComboBox::currentIndexChanged, this, [this](int index) { m_number = index; });
    m_explanation->setBuddy(m_list);
    OrderTabsAsShown(this);
    Relabel();
}

void CLanguageDlg::Relabel() {
    setWindowTitle(UiText(m_choice.Texts(), "Language_Title"));
    m_group->setTitle(UiText(m_choice.Texts(), "Language_Group"));
    m_explanation->setText(UiText(m_choice.Texts(), "Language_Str"));
    m_ok->setText(UiText(m_choice.Texts(), "Button_OK"));
    m_cancel->setText(UiText(m_choice.Texts(), "Button_Cancel"));
    m_apply->setText(UiText(m_choice.Texts(), "Language_Apply"));
    emit Relabelled();
}

void CLanguageDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        Relabel();
        // Filling the list must not disturb the number the caller set.
        const int wanted = m_number;
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        // Each language by its own name, as desktops list them: a reader finds their language
        // whatever language the window shows now.
        for (const char* name : {"English", "简体中文", "繁體中文"}) m_list->addItem(QString::fromUtf8(name));
        m_list->setCurrentIndex(wanted >= 0 && wanted < m_list->count() ? wanted : -1);
        m_number = wanted;
    }
    QDialog::showEvent(event);
}

void CLanguageDlg::Apply() {
    const int n = m_list->currentIndex();
    m_number = n;
    m_choice.SwitchLanguage(n, this);
}

}  // namespace dezadav
