#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "lang/messages.h"

class QWidget;

namespace dezadav {

// Asks the user for a file; returns its path, or nothing when the user cancels. The pages hold one of
// these so that tests can answer in place of the dialog.
using FileChooser = std::function<std::optional<QString>()>;

// The save-file dialog of Save As and Save All: the name filter `filter` (File_Filter, "CSV file
// (*.csv)"), default suffix "csv", a confirmation before an existing file is overwritten. Modal over
// `parent`.
std::optional<QString> ChooseCsvFileToSave(QWidget* parent, const QString& filter);

// The open-file dialog of Load: the same filter and suffix; only existing files can be chosen.
std::optional<QString> ChooseCsvFileToOpen(QWidget* parent, const QString& filter);

}  // namespace dezadav
