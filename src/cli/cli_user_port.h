#pragma once

#include <optional>
#include <string>

#include "lang/message_port.h"
#include "workflow/user_port.h"

namespace dezadav::cli {

// The workflow's user, played by the command line: the router selection answers with the router
// given by --router (and the fields its discovery answer carried), the confirmation answers with the
// password once and cancels every later time (so a failed login ends the run instead of asking
// again), the file to save answers with --output; no file is chosen to open (apply loads --input
// directly). Messages go to stdout/stderr.
class CliUserPort : public UserPort {
public:
    CliUserPort(RouterInfo router, std::string password, MessagePort& messages)
        : m_router(std::move(router)), m_password(std::move(password)), m_messages(messages) {}

    void SetSaveFile(std::string path) { m_saveFile = std::move(path); }

    RouterSelection SelectRouter() override { return RouterSelection{SelectionOutcome::Ok, m_router}; }
    std::optional<std::string> ConfirmPassword(const RouterInfo&) override;
    MessagePort& Messages() override { return m_messages; }
    std::optional<std::string> ChooseFileToSave() override { return m_saveFile; }
    std::optional<std::string> ChooseFileToOpen() override { return std::nullopt; }
    void ShowProgress(const std::string&, ExchangeCause) override {}
    void HideProgress() override {}

private:
    RouterInfo m_router;
    std::string m_password;
    bool m_passwordGiven = false;
    MessagePort& m_messages;
    std::optional<std::string> m_saveFile;
};

}  // namespace dezadav::cli
