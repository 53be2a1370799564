#include "ui/pages/page_save.h"

#include <QFile>
#include <filesystem>

#include "lang/messages.h"
#include "settings/settings_file.h"

namespace dezadav {

bool WritePageFile(const QString& path, std::string_view bytes, const LanguageTable& language,
                   MessagePort& port) {
    const std::filesystem::path target(QFile::encodeName(path).toStdString());
    if (WriteSettingsFile(target, bytes)) return true;
    // A save that silently writes nothing would let the user believe the settings are kept.
    ShowMessageText(language, port, kMsgSaveFail);
    return false;
}

}  // namespace dezadav
