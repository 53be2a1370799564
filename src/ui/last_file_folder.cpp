#include "ui/last_file_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "ui/language_choice.h"

namespace dezadav {

namespace {

const QString kLastFolderKey = QStringLiteral("Files/LastFolder");

}  // namespace

QString LastFileFolder() {
    const QString folder = OpenUserProfile()->value(kLastFolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void RememberFileFolder(const QString& chosenFile) {
    const auto profile = OpenUserProfile();
    profile->setValue(kLastFolderKey, QFileInfo(chosenFile).absolutePath());
    profile->sync();
}

}  // namespace dezadav
