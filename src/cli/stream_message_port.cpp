#include "cli/stream_message_port.h"

namespace dezadav::cli {

void StreamMessagePort::ShowMessage(const std::string& /*caption*/, const std::string& text,
                                    MessageIcon icon) {
    if (icon == MessageIcon::None) {
        m_out << text << '\n' << std::flush;
        return;
    }
    m_err << text << '\n' << std::flush;
}

}  // namespace dezadav::cli
