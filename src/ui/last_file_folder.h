#pragma once

#include <QString>

namespace dezadav {

// The folder every settings-file dialog opens in: the folder of the file last chosen in any of them,
// kept in the user's profile (OpenUserProfile) so the next run opens there too; the home folder
// before any file was chosen or when that folder is gone.
QString LastFileFolder();

// Keeps the folder of `chosenFile` for the next dialog.
void RememberFileFolder(const QString& chosenFile);

}  // namespace dezadav
