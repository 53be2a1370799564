#pragma once

#include <ostream>
#include <string>

#include "lang/message_port.h"

namespace dezadav::cli {

// Messages of dezadav-cli: a plain message (no icon, such as the apply's success text) goes to
// `out`, an error or warning (exclamation or stop icon) to `err`, each as its text alone on one
// line. The caption ("Error", "Success") is dropped: the exit status carries that.
class StreamMessagePort : public MessagePort {
public:
    StreamMessagePort(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;

private:
    std::ostream& m_out;
    std::ostream& m_err;
};

}  // namespace dezadav::cli
