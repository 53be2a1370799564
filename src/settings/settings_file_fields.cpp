#include "settings/settings_file_fields.h"

#include <algorithm>

namespace dezadav {

std::vector<SettingsFileLine> SplitSettingsFileLines(std::string_view text, std::size_t start,
                                                     std::size_t end) {
    end = std::min(end, text.size());
    std::vector<SettingsFileLine> lines;
    std::size_t lineStart = start;
    while (lineStart < end) {
        const std::string_view rest = text.substr(lineStart, end - lineStart);
        const std::size_t pair = rest.find("\r\n");
        const std::string_view line = pair == std::string_view::npos ? rest : rest.substr(0, pair + 2);
        lineStart += line.size();

        SettingsFileLine cut;
        std::size_t fieldStart = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != ',' && line[i] != '\r') continue;
            if (cut.fields.empty()) cut.firstFieldEndsAtCr = line[i] == '\r';
            cut.fields.push_back(line.substr(fieldStart, i - fieldStart));
            fieldStart = i + 1;
        }
        lines.push_back(std::move(cut));
    }
    return lines;
}

}  // namespace dezadav
