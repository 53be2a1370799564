#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"

namespace dezadav::cli {

// The one table of dezadav-cli's commands and options: what the parser accepts and what the helps
// and the manual page describe.

// Every option, in the order the global help lists them: dezadav-cli's own, then those it shares
// with the window (described once, in frontend/common_options).
const std::vector<OptionDescription>& OptionHelps();
const OptionDescription& HelpOf(std::string_view name);

// The options that take no value.
inline constexpr const char* kFlagOptionNames[] = {kDryRunOptionName, kForceOptionName, kShowSecretsOptionName,
                                                   kReplaceOptionName, kNoHistoryOptionName, kJsonOptionName};

// "--router HOST", or "--force" for a flag.
std::string Spelled(const char* name);

// One command: its word, its usage line, its help and the options it accepts.
struct CommandRule {
    std::string_view word;
    CliCommand command;
    std::string synopsis;                  // what follows "dezadav-cli WORD" in the usage line
    std::string_view summary;              // one line for the list of commands
    std::string_view description;          // two or three lines, its facts as WithFacts() fills them
    std::vector<std::string_view> own;     // options the command's help describes, in help order
    std::vector<std::string_view> shared;  // options it takes that only the global help describes
    std::set<std::string_view> repeatable;
    std::string_view exits;                // its exit statuses, one line or two
};

const std::vector<CommandRule>& Commands();
const CommandRule* FindCommand(std::string_view word);
const CommandRule* FindCommand(CliCommand command);
// True when `rule` accepts the option `name`.
bool Takes(const CommandRule& rule, std::string_view name);

}  // namespace dezadav::cli
