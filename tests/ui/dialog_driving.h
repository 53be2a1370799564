#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "ui/progress_window.h"

namespace dezadav::testing {

// Plays the user: every 20 ms it looks at the modal window on top and hands it to the next step.
// Message boxes are recorded and confirmed wherever they come. Steps run in order, each once; after
// `maxTicks` ticks whatever is open is rejected, so a test that goes wrong still ends.
class UserScript : public QObject {
public:
    using Step = std::function<bool(QWidget* modal)>;  // true: done with this step

    explicit UserScript(std::vector<Step> steps = {}, int maxTicks = 2000)
        : m_steps(std::move(steps)), m_left(maxTicks) {
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        m_timer.start(20);
    }
    void Add(Step step) { m_steps.push_back(std::move(step)); }
    std::size_t StepsDone() const { return m_next; }
    bool AllDone() const { return m_next == m_steps.size(); }
    const std::vector<QString>& Messages() const { return m_messages; }

private:
    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || qobject_cast<CProgressWindow*>(modal) != nullptr) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_messages.push_back(box->text());
            box->accept();
            return;
        }
        if (--m_left <= 0) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            return;
        }
        if (m_next < m_steps.size() && m_steps[m_next](modal)) ++m_next;
    }

    QTimer m_timer;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_left;
    std::vector<QString> m_messages;
};

// The row of a Select Router table whose IP cell reads `ip`, or -1.
inline int RowWithIp(const QTableWidget& table, const QString& ip) {
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.item(row, 1) != nullptr && table.item(row, 1)->text() == ip) return row;
    }
    return -1;
}

}  // namespace dezadav::testing
