#pragma once

#include <string>

namespace dezadav {

// How a message box looks: the exclamation (warning) icon, the stop (critical) icon, or none.
enum class MessageIcon { None, Exclamation, Stop };

// Where user-facing messages go. The window shows a modal message box, the command-line tool
// prints to stderr, tests record. Every failure toward the user passes through one of these.
class MessagePort {
public:
    virtual ~MessagePort() = default;
    virtual void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};

// Shows nothing: for work whose failure is told otherwise (text this program wrote itself read back,
// a question that may go unanswered).
class SilentMessagePort : public MessagePort {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

}  // namespace dezadav
