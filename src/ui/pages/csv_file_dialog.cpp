#include "ui/pages/csv_file_dialog.h"

#include <QFileDialog>

#include "ui/last_file_folder.h"

namespace dezadav {
namespace {

std::optional<QString> RunCsvDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter) {
    QFileDialog dialog(parent, QString(), LastFileFolder());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    RememberFileFolder(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> ChooseCsvFileToSave(QWidget* parent, const QString& filter) {
    return RunCsvDialog(parent, QFileDialog::AcceptSave, filter);
}

std::optional<QString> ChooseCsvFileToOpen(QWidget* parent, const QString& filter) {
    return RunCsvDialog(parent, QFileDialog::AcceptOpen, filter);
}

}  // namespace dezadav
