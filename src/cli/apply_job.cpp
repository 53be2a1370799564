#include "cli/apply_job.h"

#include "cli/cli_options.h"
#include "cli/history_listing.h"
#include "cli/located_messages.h"
#include "lang/messages.h"
#include "session/apply_commands.h"
#include "settings/settings_file.h"
#include "settings/settings_json.h"

namespace dezadav::cli {

bool JobFailed(MessagePort& messages, const std::string& text) {
    messages.ShowMessage(std::string(kMsgErrorCaption.englishDefault), text, MessageIcon::Stop);
    return false;
}

std::string PrintedCommand(std::string_view text, bool showSecrets) {
    return showSecrets ? std::string(text) : HideSecretValue(text);
}

namespace {

// The id of the record --to names among the router's records; nothing (its message shown) when there
// is no such single record.
std::optional<std::string> RecordToRestore(const RouterJobRequest& request, const RouterWorkflow& workflow,
                                           MessagePort& messages) {
    const HistoryRouter router = workflow.Connected().HistoryKey();
    if (request.restoreTo == kBeforeLastApply) {
        // The one rule the window's Undo follows too.
        std::string why;
        std::optional<std::string> id = workflow.Recorder().UndoRecord(router, &why);
        if (!id) JobFailed(messages, why);
        return id;
    }
    std::optional<std::string> problem;
    const std::vector<HistoryEntry> entries = workflow.Recorder().Records(router, &problem);
    if (problem) {
        JobFailed(messages, *problem);
        return std::nullopt;
    }
    std::string reason;
    std::optional<std::string> id = RecordIdNamed(entries, request.restoreTo, router.Name(), reason);
    if (!id) JobFailed(messages, reason);
    return id;
}

// The settings the apply writes into the pages: the input file, or the record --to names.
FileOutcome LoadSettingsToApply(const RouterJobRequest& request, const std::string& inputFile,
                                RouterWorkflow& workflow, MessagePort& messages) {
    if (request.restoreTo.empty()) {
        const bool given = request.inputText && request.fromBackupDir.empty();
        std::string reason;
        std::optional<std::string> text = given ? request.inputText : ReadSettingsFile(inputFile, &reason);
        const std::string source = given ? request.inputSource : inputFile;
        if (!text) return workflow.Files().LoadSettingsFile(inputFile);  // says why, as for any file
        if (!IsSettingsJson(*text)) return workflow.Files().LoadSettingsText(std::move(*text), source);
        // A document is merged into what this router holds now.
        const std::optional<bool> documentTwoPort = SettingsJsonIsTwoPort(*text);
        if (documentTwoPort && *documentTwoPort != workflow.Connected().IsTwoPort() && !request.force) {
            JobFailed(messages, OtherFormRefusedText(*documentTwoPort));
            return FileOutcome::Refused;
        }
        const SettingsJsonRead read =
            ReadSettingsJson(*text, workflow.Files().SettingsFileText(), workflow.Connected().IsTwoPort(),
                             request.replace, AllSettingsFileWords(workflow.Pages().Language()));
        if (read.problem) {
            JobFailed(messages, source + ": " + *read.problem);
            return FileOutcome::Refused;
        }
        return workflow.Files().LoadSettingsText(read.text, source);
    }
    const std::optional<std::string> id = RecordToRestore(request, workflow, messages);
    if (!id) return FileOutcome::Cancelled;
    const FileOutcome outcome = workflow.RestoreRecord(*id);
    if (outcome == FileOutcome::OpenFailed) {
        JobFailed(messages, workflow.Files().LastFileProblem());
        return FileOutcome::Cancelled;
    }
    return outcome;
}

}  // namespace

bool LoadAndApply(const RouterJobRequest& request, const std::string& inputFile,
                  const LanguageTable& language, RouterWorkflow& workflow, RouterJobOutput& output,
                  MessagePort& messages, RouterJobResult& result) {
    switch (LoadSettingsToApply(request, inputFile, workflow, messages)) {
        case FileOutcome::Done:
            break;
        case FileOutcome::OpenFailed:
            // The window ends a load it cannot open silently; a script must learn that nothing was
            // loaded, so the load failure's own text is printed.
            ShowMessageText(language, messages, kMsgFileFail);
            return false;
        case FileOutcome::NotSettings:  // its message, with the file and why, has been shown
            return false;
        default:
            return false;  // each failing section has shown its message
    }

    if (request.kind == RouterJobKind::DryRun) {
        const std::optional<ApplyPlan> plan = workflow.PlanApply();
        if (!plan) return false;
        if (plan->refusal) {
            ShowMessageWithDetail(language, output, plan->refusal->message, plan->refusal->Detail(language));
            return false;
        }
        result.changes =
            workflow.Recorder().ApplyPreview(workflow.Router(), *plan, workflow.Connected().IsTwoPort());
        for (const ApplyCommand& command : plan->commands) {
            result.commands.push_back(PrintedCommand(command.text, request.showSecrets));
            output.PrintLine(result.commands.back());
        }
        // The end of this router's output, as an apply ends with its success text.
        output.ShowMessage({}, DryRunText(std::to_string(plan->commands.size())), MessageIcon::None);
        return true;
    }

    // Nothing to send is no failure: the router already holds what the file says.
    const ApplyOutcome outcome = workflow.ApplyFlow();
    return outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NoChanges;
}

}  // namespace dezadav::cli
