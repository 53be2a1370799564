#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/message_box_port.h"
#include "ui/select_router_dlg.h"
#include "workflow/user_port.h"

class QWidget;

namespace dezadav {

class CRouterInfoDlg;
class CProgressWindow;

// The window's side of the router workflow: each question is one of the program's dialogs, shown
// modally over the main window.
//
// SelectRouter runs Select Router; ConfirmPassword runs Confirm Password, keeping one dialog for
// the whole Connect sequence (shown again with the same router after a failed fetch) until
// ClosePasswordConfirmation; ConfirmChanges runs Confirm Changes; ShowProgress / HideProgress put up and take
// down the progress box; messages are message boxes; the file choices are file dialogs for "CSV file
// (*.csv)". The window effects are handed to the hooks the main window sets (empty ones do nothing).
class GuiUserPort : public UserPort {
public:
    struct WindowHooks {
        std::function<void()> fadeInAndCaption;
        std::function<void(bool twoPort)> applyPerModelControls;
        std::function<void(bool ticked, bool enabled)> showAutoRefresh;
        std::function<void(const RouterStrip&)> showStrip;
        std::function<void()> modelsChanged;
        std::function<void()> endProgram;
        // A router exchange the user waits for started (true) or ended (false).
        std::function<void(bool running)> exchangeShown;
    };
    using FileChooser = std::function<std::optional<std::string>()>;

    // `texts` captions the dialogs (it must outlive this object); `discovery` is where Select Router
    // searches. Until a window is attached the dialogs have no owner and the hooks do nothing.
    GuiUserPort(const LanguageTable& texts, DiscoveryOptions discovery);
    ~GuiUserPort() override;

    // The main window the dialogs belong to and its effects; null and empty hooks detach it. The
    // dialogs made for an earlier window are closed, since that window owns them.
    void AttachWindow(QWidget* owner, WindowHooks hooks);
    // Replace the file dialogs (tests, scripted runs).
    void SetFileChoosers(FileChooser save, FileChooser open);

    RouterSelection SelectRouter() override;
    std::optional<std::string> ConfirmPassword(const RouterInfo& router) override;
    void ClosePasswordConfirmation() override;
    MessagePort& Messages() override { return m_boxes; }
    // A warning box with Yes and No (No is the default button, as Esc).
    bool ApplyDespite(const std::string& warning) override;
    // The same Yes / No warning box (No the default).
    bool ApplyWithoutRecord(const std::string& question) override;
    // A warning box: Apply to Router (the default) / Discard / Cancel (also Esc).
    UnsavedEditsChoice AskAboutUnsavedEdits() override;
    // Confirm Changes, naming the router of the strip; true for Apply.
    bool ConfirmChanges(const RouterStrip& router, const std::vector<FieldDifference>& changes) override;
    std::optional<std::string> ChooseFileToSave() override;
    std::optional<std::string> ChooseFileToOpen() override;
    void ShowProgress(const std::string& text, ExchangeCause cause) override;
    void HideProgress() override;

    void FadeInAndCaption() override;
    void ApplyPerModelControls(bool twoPort) override;
    void ShowAutoRefresh(bool ticked, bool enabled) override;
    void ShowStrip(const RouterStrip& strip) override;
    void ModelsChanged() override;
    void EndProgram() override;
    // Any modal window of the program is up (a dialog, a message box, a file dialog, wherever it
    // was opened), or a pop-up such as an open drop-down list or menu.
    bool UserIsInDialog() const override;

    // The dialogs while they exist (for tests).
    CRouterInfoDlg* PasswordDialog() const { return m_password.get(); }
    CProgressWindow* ProgressWindow() const { return m_progress.get(); }
    const DiscoveryOptions& Discovery() const { return m_discovery; }

private:
    const LanguageTable& m_texts;
    QPointer<QWidget> m_owner;
    DiscoveryOptions m_discovery;
    WindowHooks m_hooks;
    MessageBoxPort m_boxes;
    FileChooser m_chooseSave;
    FileChooser m_chooseOpen;
    std::unique_ptr<CSelectRouterDlg> m_select;
    std::unique_ptr<CRouterInfoDlg> m_password;
    std::unique_ptr<CProgressWindow> m_progress;
};

}  // namespace dezadav
