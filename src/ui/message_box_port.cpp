#include "ui/message_box_port.h"

#include <QMessageBox>

namespace dezadav {

void MessageBoxPort::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon == MessageIcon::Exclamation) boxIcon = QMessageBox::Warning;
    if (icon == MessageIcon::Stop) boxIcon = QMessageBox::Critical;
    QMessageBox box(boxIcon, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace dezadav
