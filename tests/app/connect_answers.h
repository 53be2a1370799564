#pragma once

// The answers a user gives to the window's Connect sequence, for the probe programs: the router at
// 127.0.0.2 in Select Router (once it is listed) and the password "admin".

#include <QTableWidget>

#include "ui/router_info_dlg.h"
#include "ui/select_router_dlg.h"
#include "ui/skin_button.h"

namespace dezadav::testing {

// Answers `modal` when it is Select Router (only when `chooseRouter`) or Confirm Password; true when
// it was one of them.
inline bool AnswerConnect(QWidget* modal, bool chooseRouter = true) {
    if (auto* select = qobject_cast<CSelectRouterDlg*>(modal); select != nullptr && chooseRouter) {
        const auto found = select->RouterTable()->findItems(QStringLiteral("127.0.0.2"), Qt::MatchExactly);
        if (found.isEmpty()) return true;
        select->RouterTable()->selectRow(found.front()->row());
        select->OkButton()->click();
        return true;
    }
    if (auto* password = qobject_cast<CRouterInfoDlg*>(modal)) {
        password->PasswordBox()->setText(QStringLiteral("admin"));
        password->OkButton()->click();
        return true;
    }
    return false;
}

}  // namespace dezadav::testing
