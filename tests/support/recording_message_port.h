#pragma once

#include <string>
#include <vector>

#include "lang/message_port.h"

namespace dezadav::testing {

// Keeps every message shown, in order, so a test can check that exactly one was shown and what.
class RecordingMessagePort : public MessagePort {
public:
    struct Shown {
        std::string caption;
        std::string text;
        MessageIcon icon;
    };

    void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
        shown.push_back({caption, text, icon});
    }

    std::vector<Shown> shown;
};

}  // namespace dezadav::testing
