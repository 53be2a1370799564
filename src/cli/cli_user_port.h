#pragma once

#include <functional>

#include <optional>
#include <string>
#include <vector>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/settings_difference.h"
#include "workflow/user_port.h"

namespace dezadav::cli {

// The workflow's user, played by the command line: the router selection answers with the router
// given by --router (and the fields its discovery answer carried), the confirmation answers with the
// password once and cancels every later time (so a failed login ends the run instead of asking
// again), the file to save answers with --output; no file is chosen to open (apply loads --input
// directly); a file of the other router form is applied only with --force. Messages go to
// stdout/stderr.
class CliUserPort : public UserPort {
public:
    // `force`: the answer to every ApplyDespite question (--force). `language` is the one the
    // workflow asks its questions in.
    CliUserPort(RouterInfo router, std::string password, bool force, MessagePort& messages,
                const LanguageTable& language)
        : m_router(std::move(router)),
          m_password(std::move(password)),
          m_force(force),
          m_messages(messages),
          m_language(language) {}

    void SetSaveFile(std::string path) { m_saveFile = std::move(path); }
    // Where the router's MAC address may become known during the exchange (LearnedMacAddress).
    void SetMacSource(std::function<std::string()> source) { m_macSource = std::move(source); }
    std::string LearnedMacAddress() override { return m_macSource ? m_macSource() : std::string(); }
    // The next confirmation answers with the password once more (a second exchange of the same run).
    void AllowAnotherLogin() { m_passwordGiven = false; }

    RouterSelection SelectRouter() override { return RouterSelection{SelectionOutcome::Ok, m_router}; }
    std::optional<std::string> ConfirmPassword(const RouterInfo&) override;
    MessagePort& Messages() override { return m_messages; }
    // Without --force the run stops, saying why in the command line's own words.
    bool ApplyDespite(const std::string& warning) override;
    std::optional<std::string> ChooseFileToSave() override { return m_saveFile; }
    std::optional<std::string> ChooseFileToOpen() override { return std::nullopt; }
    // Nobody is asked: the fields are kept for the run's JSON result and the apply goes ahead.
    bool ConfirmChanges(const RouterStrip& /*router*/, const std::vector<FieldDifference>& changes) override {
        m_confirmedChanges = changes;
        return true;
    }
    // The fields the last apply was about to change, as ConfirmChanges was shown them.
    const std::vector<FieldDifference>& ConfirmedChanges() const { return m_confirmedChanges; }
    void ShowProgress(const std::string&, ExchangeCause) override {}
    void HideProgress() override {}

private:
    RouterInfo m_router;
    std::string m_password;
    bool m_passwordGiven = false;
    bool m_force = false;
    MessagePort& m_messages;
    const LanguageTable& m_language;
    std::optional<std::string> m_saveFile;
    std::vector<FieldDifference> m_confirmedChanges;
    std::function<std::string()> m_macSource;
};

}  // namespace dezadav::cli
