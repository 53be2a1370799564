#include "ui/confirm_changes_dlg.h"

#include <QLabel>
#include <QListWidget>
#include <QShowEvent>

#include "lang/messages.h"
#include "ui/dialog_units.h"
#include "ui/edge_anchors.h"
#include "ui/language_text.h"
#include "ui/skin_button.h"
#include "ui/tab_order.h"

namespace dezadav {

CConfirmChangesDlg::CConfirmChangesDlg(const LanguageTable& texts, const std::string& model,
                                       const std::string& ip, const std::vector<FieldDifference>& changes,
                                       QWidget* parent)
    : QDialog(parent) {
    AllowGrowingFrom(this, DialogSize(280, 176));
    setFont(DialogFont());
    setWindowFlags(GrowingDialogFlags());
    setWindowTitle(UiText(texts, kMsgChangesTitle));

    m_router = new QLabel(this);
    m_router->setGeometry(DialogRect(7, 7, 266, 10));
    m_router->setText(UiText(texts, kMsgChangesRouter) + QLatin1Char(' ') + QString::fromStdString(model) +
                      QStringLiteral(" (") + QString::fromStdString(ip) + QLatin1Char(')'));
    m_intro = new QLabel(this);
    m_intro->setGeometry(DialogRect(7, 20, 266, 10));
    m_intro->setText(UiText(texts, kMsgChangesIntro));

    m_list = new QListWidget(this);
    m_list->setGeometry(DialogRect(7, 32, 266, 114));
    m_list->setAccessibleName(m_intro->text());
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (const FieldDifference& change : changes)
        m_list->addItem(QString::fromStdString(DifferenceLine(change)));
    if (changes.empty()) m_list->addItem(UiText(texts, kMsgChangesResend));
    m_intro->setBuddy(m_list);

    m_cancel = new CSkinButton(this);
    m_cancel->setGeometry(DialogRect(163, 153, 53, 16));
    m_apply = new CSkinButton(this);
    m_apply->setGeometry(DialogRect(220, 153, 53, 16));
    m_apply->setDefault(true);
    m_apply->setText(UiText(texts, kMsgApplyNowButton));
    m_cancel->setText(UiText(texts, kMsgCancelButton));
    for (CSkinButton* button : {m_apply, m_cancel}) button->SetBitmaps(DialogButtonBitmaps());
    // A long list of changes gets the room the dialog is given.
    auto* anchors = new EdgeAnchors(this);
    for (QWidget* label : {m_router, m_intro}) anchors->Add(label, kStretchAcross);
    anchors->Add(m_list, kStretch);
    for (QWidget* button : {m_cancel, m_apply}) anchors->Add(button, kBottomRight);
    connect(m_apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    OrderTabsAsShown(this);
}

void CConfirmChangesDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Enter confirms at once, and Tab goes on from the last button to the list.
    if (!event->spontaneous()) m_apply->setFocus(Qt::OtherFocusReason);
}

}  // namespace dezadav
