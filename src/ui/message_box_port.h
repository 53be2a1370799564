#pragma once

#include "lang/message_port.h"

namespace dezadav {

// Shows each message as a modal message box without an owner window: exclamation as a warning box,
// stop as a critical box, none as a plain box with an OK button.
class MessageBoxPort : public MessagePort {
public:
    void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
};

}  // namespace dezadav
