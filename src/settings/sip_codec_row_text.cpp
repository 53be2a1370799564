#include "settings/sip_codec_row_text.h"

#include "settings/settings_file_fields.h"

namespace dezadav {

std::string JoinRowFields(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) row += ',';
        row += SettingsFileField(fields[i]);
    }
    row += "\r\n";
    return row;
}

}  // namespace dezadav
