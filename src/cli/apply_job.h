#pragma once

#include <string>
#include <string_view>

#include "cli/router_job.h"
#include "lang/language_table.h"
#include "lang/message_port.h"
#include "workflow/router_workflow.h"

namespace dezadav::cli {

// A job's failure: `text` shown as an error through `messages`; false, for the caller to return.
bool JobFailed(MessagePort& messages, const std::string& text);

// A command as an apply prints it: scripts keep their output, so secret values stay hidden unless
// the user asked to see them.
std::string PrintedCommand(std::string_view text, bool showSecrets);

// The apply and the dry run of a router `workflow` is connected to: the input file (`inputFile`, or
// the bytes the request carries, a JSON document merged into what the router holds) or the record
// --to names loaded into the pages, then applied, or for a dry run its changes and commands put
// into `result` and printed. False when nothing (or not all) went through; its message has been shown.
bool LoadAndApply(const RouterJobRequest& request, const std::string& inputFile,
                  const LanguageTable& language, RouterWorkflow& workflow, RouterJobOutput& output,
                  MessagePort& messages, RouterJobResult& result);

}  // namespace dezadav::cli
