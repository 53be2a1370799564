#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/recording_message_port.h"
#include "workflow/tick_timer.h"
#include "workflow/user_port.h"

namespace dezadav::testing {

// A user port that answers from a script and records what the workflow asked and showed. An
// unscripted selection answers Exit and an unscripted confirmation answers Cancel, so a test whose
// workflow asks more than expected ends at once instead of looping.
class ScriptedUserPort : public UserPort {
public:
    std::deque<RouterSelection> selections;
    std::deque<std::optional<std::string>> passwords;
    std::deque<std::optional<std::string>> saveChoices;
    std::deque<std::optional<std::string>> openChoices;
    std::deque<bool> applyDespiteAnswers;     // an unscripted question answers No
    std::vector<std::string> applyDespiteAsked;  // the warning of each question
    std::deque<bool> applyWithoutRecordAnswers;  // an unscripted question answers No
    std::vector<std::string> applyWithoutRecordAsked;
    std::deque<bool> confirmChangesAnswers;  // an unscripted confirmation answers Yes
    std::vector<std::vector<FieldDifference>> previews;  // the changes each confirmation showed

    int selectCalls = 0;
    std::vector<RouterInfo> confirmations;  // the router shown by each confirmation
    int confirmationsClosed = 0;
    std::vector<std::string> progressShown;
    std::vector<ExchangeCause> progressCauses;
    int progressHidden = 0;
    int fadeIns = 0;
    std::vector<bool> perModelCalls;
    std::vector<std::pair<bool, bool>> autoRefreshShown;  // (ticked, enabled)
    std::vector<RouterStrip> strips;
    int modelsChanged = 0;
    int endProgramCalls = 0;
    bool inDialog = false;  // what UserIsInDialog answers
    RecordingMessagePort messages;

    // Runs inside ApplyPerModelControls (to look at the models at that very moment).
    std::function<void(bool)> onPerModelControls;

    RouterSelection SelectRouter() override {
        ++selectCalls;
        if (selections.empty()) return RouterSelection{SelectionOutcome::Exit, {}};
        RouterSelection next = selections.front();
        selections.pop_front();
        return next;
    }
    std::optional<std::string> ConfirmPassword(const RouterInfo& router) override {
        confirmations.push_back(router);
        if (passwords.empty()) return std::nullopt;
        auto next = passwords.front();
        passwords.pop_front();
        return next;
    }
    void ClosePasswordConfirmation() override { ++confirmationsClosed; }
    MessagePort& Messages() override { return messages; }
    bool ApplyDespite(const std::string& warning) override {
        applyDespiteAsked.push_back(warning);
        if (applyDespiteAnswers.empty()) return false;
        const bool answer = applyDespiteAnswers.front();
        applyDespiteAnswers.pop_front();
        return answer;
    }
    bool ApplyWithoutRecord(const std::string& question) override {
        applyWithoutRecordAsked.push_back(question);
        if (applyWithoutRecordAnswers.empty()) return false;
        const bool answer = applyWithoutRecordAnswers.front();
        applyWithoutRecordAnswers.pop_front();
        return answer;
    }
    bool ConfirmChanges(const RouterStrip& /*router*/, const std::vector<FieldDifference>& changes) override {
        previews.push_back(changes);
        if (confirmChangesAnswers.empty()) return true;
        const bool answer = confirmChangesAnswers.front();
        confirmChangesAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseFileToSave() override { return Next(saveChoices); }
    std::optional<std::string> ChooseFileToOpen() override { return Next(openChoices); }
    void ShowProgress(const std::string& text, ExchangeCause cause) override {
        progressShown.push_back(text);
        progressCauses.push_back(cause);
    }
    void HideProgress() override { ++progressHidden; }
    void FadeInAndCaption() override { ++fadeIns; }
    void ApplyPerModelControls(bool twoPort) override {
        perModelCalls.push_back(twoPort);
        if (onPerModelControls) onPerModelControls(twoPort);
    }
    void ShowAutoRefresh(bool ticked, bool enabled) override {
        autoRefreshShown.emplace_back(ticked, enabled);
    }
    void ShowStrip(const RouterStrip& strip) override { strips.push_back(strip); }
    void ModelsChanged() override { ++modelsChanged; }
    void EndProgram() override { ++endProgramCalls; }
    bool UserIsInDialog() const override { return inDialog; }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : messages.shown) texts.push_back(shown.text);
        return texts;
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        auto next = queue.front();
        queue.pop_front();
        return next;
    }
};

// A refresh timer that never fires by itself: Tick() delivers one period when it is running, so a
// test steps through refresh ticks without any real time passing.
class ManualTickTimer : public TickTimer {
public:
    void Start(int periodMs) override {
        m_active = true;
        m_period = periodMs;
        ++starts;
    }
    void Stop() override {
        m_active = false;
        ++stops;
    }
    bool IsActive() const override { return m_active; }
    int PeriodMs() const override { return m_period; }

    // One period passes: fires when running; returns whether it fired.
    bool Tick() {
        if (!m_active) return false;
        Fire();
        return true;
    }

    int starts = 0;
    int stops = 0;

private:
    bool m_active = false;
    int m_period = 0;
};

}  // namespace dezadav::testing
