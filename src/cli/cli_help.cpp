// The help dezadav-cli prints: the global one, each command's, and the line after a usage error.
#include <algorithm>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/option_defaults.h"
#include "cli/password_source.h"
#include "lang/messages.h"

namespace dezadav::cli {

namespace {

// The help's prose with each "{fact}" replaced by the fact as the program has it.
std::string WithFacts(std::string_view text) {
    const std::pair<std::string_view, std::string> facts[] = {
        {"{broadcast}", std::string(kDefaultDiscoverTarget)},
        {"{password-variable}", kPasswordEnvironmentVariable},
        {"{router-side}", std::string(kRouterSidePrefix)},
        {"{record-side}", std::string(kRecordSidePrefix)},
        {"{before-last-apply}", kBeforeLastApply},
        {"{interrupted}", ApplyInterruptedText(6, 59)},
    };
    std::string filled(text);
    for (const auto& [name, value] : facts) {
        for (std::size_t at = filled.find(name); at != std::string::npos;
             at = filled.find(name, at + value.size()))
            filled.replace(at, name.size(), value);
    }
    return filled;
}

// "  --name VALUE          text", the text's further lines under its first.
std::string HelpLines(std::string head, std::string_view text) {
    constexpr std::size_t kTextColumn = 24;
    head.resize(std::max(kTextColumn, head.size() + 1), ' ');
    std::string lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines += (start == 0 ? head : std::string(kTextColumn, ' ')) +
                 std::string(text.substr(start, end - start)) + '\n';
        start = end + 1;
    }
    return lines;
}

std::string OptionLines(const OptionDescription& option) {
    std::string head = "  --" + std::string(option.name);
    if (*option.valueName != '\0') head += " " + std::string(option.valueName);
    return HelpLines(head, option.text);
}

// Words joined by single spaces into lines of at most 90 characters, each led by `indent`.
std::string Wrapped(std::string_view text, const std::string& indent = "  ") {
    constexpr std::size_t kWidth = 90;
    std::string lines;
    std::string line = indent;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, end - start);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
            lines += line + '\n';
            line = indent;
        }
        line += (line.size() > indent.size() ? " " : "") + std::string(word);
        start = end + 1;
    }
    return lines + line + '\n';
}

// Which options may be set outside the command line, and where, as option_defaults reads them.
std::string DefaultsHelp() {
    const auto& options = DefaultableOptions();
    std::string names;
    std::string variables;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const char* separator = i == 0 ? "" : i + 1 == options.size() ? " and " : ", ";
        names += separator + std::string("--") + options[i].name;
        variables += std::string(i == 0 ? "" : ", ") + options[i].environment;
    }
    return "Defaults and environment:\n" +
           Wrapped(names + " may also be set in the environment (" + variables + ") or as \"name=value\" lines (" +
                   kTelnetPortOptionName + "=2323) in " + CliConfigFilePath() +
                   ". The command line wins over the environment, which wins over the file; a command "
                   "ignores the defaults of options it does not take.");
}

std::string PasswordHelp() {
    return "Password:\n" +
           Wrapped(std::string("Taken from the environment variable ") + kPasswordEnvironmentVariable +
                   " when it is set, else from --" + kPasswordFileOptionName +
                   ", else asked for on the terminal without echo; never taken from the command line, never "
                   "printed. With --" + kPasswordsOptionName +
                   " FILE each router whose IP address or MAC address (learnt by discovery) has a line there "
                   "uses its own; '#' starts a comment line, and only FILE's owner may read it.");
}

std::string FilesHelp() {
    return "Files:\n  " + CliConfigFilePath() + "\n      the defaults above\n  " + DefaultHistoryFolder() +
           "\n      the history of every router's settings (the window keeps its records there too)\n";
}

constexpr std::string_view kExitHelp =
    "Exit status (each command's help gives its own):\n"
    "  0  success\n"
    "  1  a router or file operation failed, with several routers any of them, or standard output\n"
    "     could not be written; the message is printed on stderr (diff: A and B differ)\n"
    "  2  the command line is unusable (diff: also A or B cannot be read)\n"
    "  130, 143  an apply stopped by Ctrl-C or SIGTERM after the command being sent\n";

}  // namespace

std::string CliUsageText() {
    std::string text = "Usage:\n";
    for (const CommandRule& rule : Commands()) {
        text += "  dezadav-cli " + std::string(rule.word) + " " + std::string(rule.synopsis) + "\n";
    }
    text += "  dezadav-cli [COMMAND] -h|--help\n  dezadav-cli --version\n\nCommands:\n";
    for (const CommandRule& rule : Commands()) {
        std::string word(rule.word);
        word.resize(11, ' ');
        text += "  " + word + std::string(rule.summary) + "\n";
    }
    text += "\nOptions (each command takes those its own help lists):\n";
    for (const OptionDescription& option : OptionHelps()) text += OptionLines(option);
    text += HelpLines("  -h, --help", "print the help (of COMMAND when one is given) and end");
    text += HelpLines("  --version", "print the program's version and end") + "\n";
    text += PasswordHelp() + "\n" + DefaultsHelp() + "\n" + FilesHelp() + "\n" + std::string(kExitHelp);
    return text;
}

std::string CliCommandHelpText(CliCommand command) {
    const CommandRule* rule = FindCommand(command);
    if (rule == nullptr) return CliUsageText();
    std::string text = "Usage: dezadav-cli " + std::string(rule->word) + " " + std::string(rule->synopsis) +
                       "\n\n" + WithFacts(rule->description) + "\n\nOptions:\n";
    for (std::string_view name : rule->own) text += OptionLines(HelpOf(name));
    text += HelpLines("  -h, --help", "print this help and end");
    if (!rule->shared.empty()) {
        std::string names;
        for (std::string_view name : rule->shared) names += (names.empty() ? "" : " ") + Spelled(name.data());
        text += Wrapped("Also (see dezadav-cli --help): " + names).substr(2);
    }
    std::string exits = Wrapped("Exit status: " + WithFacts(rule->exits));
    return text + "\n" + exits.substr(2);
}

std::string CliVersionText() {
    return std::string("dezadav-cli ") + ProgramVersion() + "\n";
}

std::string UsageErrorText(const std::string& reason, const std::string& commandWord) {
    const std::string helpCommand =
        commandWord.empty() ? "dezadav-cli --help" : "dezadav-cli " + commandWord + " --help";
    return CliErrorLine(reason) + TryHelpLine(helpCommand);
}

}  // namespace dezadav::cli
