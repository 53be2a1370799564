#include "ui/gui_user_port.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "lang/messages.h"
#include "ui/confirm_changes_dlg.h"
#include "ui/language_text.h"
#include "ui/last_file_folder.h"
#include "ui/progress_window.h"
#include "ui/router_info_dlg.h"

namespace dezadav {

GuiUserPort::GuiUserPort(const LanguageTable& texts, DiscoveryOptions discovery)
    : m_texts(texts), m_discovery(std::move(discovery)) {
    m_chooseSave = [this]() -> std::optional<std::string> {
        QFileDialog dialog(m_owner, QString(), LastFileFolder(), UiText(m_texts, kMsgFileFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        RememberFileFolder(dialog.selectedFiles().front());
        return dialog.selectedFiles().front().toStdString();
    };
    m_chooseOpen = [this]() -> std::optional<std::string> {
        QFileDialog dialog(m_owner, QString(), LastFileFolder(), UiText(m_texts, kMsgFileFilter));
        dialog.setNameFilters({UiText(m_texts, kMsgFileFilter), UiText(m_texts, kMsgDocumentFilter)});
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        RememberFileFolder(dialog.selectedFiles().front());
        return dialog.selectedFiles().front().toStdString();
    };
}

GuiUserPort::~GuiUserPort() = default;

void GuiUserPort::AttachWindow(QWidget* owner, WindowHooks hooks) {
    m_select.reset();
    m_password.reset();
    m_progress.reset();
    m_owner = owner;
    m_hooks = std::move(hooks);
}

void GuiUserPort::SetFileChoosers(FileChooser save, FileChooser open) {
    if (save) m_chooseSave = std::move(save);
    if (open) m_chooseOpen = std::move(open);
}

RouterSelection GuiUserPort::SelectRouter() {
    // A fresh dialog for every selection, as every Connect sequence makes its own.
    m_select = std::make_unique<CSelectRouterDlg>(m_texts, m_boxes, m_discovery, m_owner);
    m_select->exec();
    RouterSelection selection;
    switch (m_select->LastOutcome()) {
        case CSelectRouterDlg::Outcome::Ok:
            selection.outcome = SelectionOutcome::Ok;
            selection.router = m_select->SelectedRouter();
            break;
        case CSelectRouterDlg::Outcome::Skip:
            selection.outcome = SelectionOutcome::Skip;
            break;
        case CSelectRouterDlg::Outcome::Exit:
            selection.outcome = SelectionOutcome::Exit;
            break;
    }
    return selection;
}

std::optional<std::string> GuiUserPort::ConfirmPassword(const RouterInfo& router) {
    if (!m_password) {
        m_password = std::make_unique<CRouterInfoDlg>(m_texts, m_owner);
        m_password->SetRouter(router.modelName, router.ipAddress, router.subnetMask, router.macAddress,
                              router.firmwareVersion);
    }
    if (m_password->exec() != QDialog::Accepted) return std::nullopt;
    return m_password->Password();
}

void GuiUserPort::ClosePasswordConfirmation() { m_password.reset(); }

bool GuiUserPort::ApplyDespite(const std::string& warning) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(TextOrDefault(m_texts, kMsgWarnCaption)),
                    QString::fromStdString(warning), QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool GuiUserPort::ApplyWithoutRecord(const std::string& question) {
    return ApplyDespite(question);
}

UnsavedEditsChoice GuiUserPort::AskAboutUnsavedEdits() {
    const auto text = [this](const MessageText& message) { return UiText(m_texts, message); };
    QMessageBox box(QMessageBox::Warning, text(kMsgWarnCaption), text(kMsgUnsavedEdits),
                    QMessageBox::NoButton, m_owner);
    QPushButton* apply = box.addButton(text(kMsgApplyButton), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(text(kMsgDiscardButton), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(text(kMsgCancelButton), QMessageBox::RejectRole);
    box.setDefaultButton(apply);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == apply) return UnsavedEditsChoice::Apply;
    if (box.clickedButton() == discard) return UnsavedEditsChoice::Discard;
    return UnsavedEditsChoice::Cancel;
}

bool GuiUserPort::ConfirmChanges(const RouterStrip& router, const std::vector<FieldDifference>& changes) {
    CConfirmChangesDlg dialog(m_texts, router.model, router.ip, changes, m_owner);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> GuiUserPort::ChooseFileToSave() { return m_chooseSave(); }
std::optional<std::string> GuiUserPort::ChooseFileToOpen() { return m_chooseOpen(); }

void GuiUserPort::ShowProgress(const std::string& text, ExchangeCause cause) {
    if (!m_progress) m_progress = std::make_unique<CProgressWindow>(m_owner);
    m_progress->ShowProgress(QString::fromStdString(text), cause == ExchangeCause::AutomaticRefresh);
    if (m_hooks.exchangeShown) m_hooks.exchangeShown(true);
}

void GuiUserPort::HideProgress() {
    if (m_progress) m_progress->HideProgress();
    if (m_hooks.exchangeShown) m_hooks.exchangeShown(false);
}

void GuiUserPort::FadeInAndCaption() {
    if (m_hooks.fadeInAndCaption) m_hooks.fadeInAndCaption();
}
void GuiUserPort::ApplyPerModelControls(bool twoPort) {
    if (m_hooks.applyPerModelControls) m_hooks.applyPerModelControls(twoPort);
}
void GuiUserPort::ShowAutoRefresh(bool ticked, bool enabled) {
    if (m_hooks.showAutoRefresh) m_hooks.showAutoRefresh(ticked, enabled);
}
void GuiUserPort::ShowStrip(const RouterStrip& strip) {
    if (m_hooks.showStrip) m_hooks.showStrip(strip);
}
void GuiUserPort::ModelsChanged() {
    if (m_hooks.modelsChanged) m_hooks.modelsChanged();
}
void GuiUserPort::EndProgram() {
    if (m_hooks.endProgram) m_hooks.endProgram();
}

bool GuiUserPort::UserIsInDialog() const {
    // Asked of the application rather than counted here: the pages open their own dialogs (Index
    // Info, Save As) and those must hold the refresh back too.
    // The main window itself does not count, should it ever be run modally.
    const QWidget* modal = QApplication::activeModalWidget();
    const QWidget* mainWindow = m_owner != nullptr ? m_owner->window() : nullptr;
    return (modal != nullptr && modal != mainWindow) || QApplication::activePopupWidget() != nullptr;
}

}  // namespace dezadav
