#include "ui/pages/page_save.h"

#include <QFile>

#include "lang/messages.h"
#include "settings/save_file_writer.h"

namespace dezadav {

bool WritePageFile(const QString& path, std::string_view bytes, FileSecrecy secrecy, const LanguageTable& language,
                   MessagePort& port) {
    SaveFileWriter writer;
    if (writer.WriteWhole(QFile::encodeName(path).toStdString(), bytes, secrecy).ok) return true;
    // A save that silently writes nothing would let the user believe the settings are kept.
    ShowMessageText(language, port, kMsgSaveFail);
    return false;
}

}  // namespace dezadav
