#include "ui/pages/page_controls.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>
#include <limits>
#include <QSignalBlocker>
#include <QTableWidget>

#include "ui/list_columns.h"
#include "ui/pictures.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

// Refuses typing that breaks a box's rule (characters it takes, a length) but never locks a box
// whose text came from a router or a file and breaks the rule already: an edit that adds no refused
// character and does not grow the text past the longer of the limit and the text before is taken, so
// such a value can be corrected and shortened character by character.
class TypedInputValidator : public QValidator {
public:
    TypedInputValidator(QLineEdit* box, bool digitsOnly, int maxChars)
        : QValidator(box), m_box(box), m_digitsOnly(digitsOnly), m_max(maxChars) {}

    State validate(QString& input, int&) const override {
        // The box keeps no undo step for a text the program set: that text is taken as given.
        const bool typed = m_box->isUndoAvailable();
        const bool taken = !typed || (Refused(input) <= Refused(m_last) &&
                                      input.size() <= std::max<qsizetype>(m_max, m_last.size()));
        if (taken) m_last = input;
        return taken ? Acceptable : Invalid;
    }

private:
    qsizetype Refused(const QString& text) const {
        if (!m_digitsOnly) return 0;
        return std::count_if(text.begin(), text.end(), [](QChar c) { return c < u'0' || c > u'9'; });
    }

    QLineEdit* m_box;
    bool m_digitsOnly;
    qsizetype m_max;
    mutable QString m_last;  // the text the box held after the last change it took
};

}  // namespace

void MakeDigitsOnly(QLineEdit* box) {
    box->setValidator(new TypedInputValidator(box, true, std::numeric_limits<int>::max()));
}

void LimitTypedLength(QLineEdit* box, int maxChars) {
    box->setValidator(new TypedInputValidator(box, false, maxChars));
}

CSkinButton* MakePageButton(QWidget* parent, int x, int y) {
    auto* button = new CSkinButton(parent);
    button->SetBitmaps(PageButtonBitmaps());
    button->setGeometry(x, y, kPageButtonWidth, kPageButtonHeight);
    return button;
}

void SetUpReportList(QTableWidget* list) {
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control; the arrow keys move within it.
    list->setTabKeyNavigation(false);
    list->setWordWrap(false);
    list->verticalHeader()->setVisible(false);
    list->verticalHeader()->setDefaultSectionSize(18);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list->horizontalHeader()->setMinimumSectionSize(0);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
}

void SetColumnWidthPx(QTableWidget* list, int column, int width) {
    ColumnFit::Of(list)->SetWantedWidth(column, width);
}

void ShowChoices(QComboBox* box, const std::vector<std::string>& entries, int selected) {
    const QSignalBlocker blocker(box);
    bool same = box->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < box->count(); ++i) {
        same = box->itemText(i) == QString::fromStdString(entries[static_cast<std::size_t>(i)]);
    }
    if (!same) {
        box->clear();
        for (const std::string& entry : entries) box->addItem(QString::fromStdString(entry));
    }
    box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : -1);
}

void ShowText(QLineEdit* box, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (box->text() == shown) return;
    const QSignalBlocker blocker(box);
    box->setText(shown);
}

}  // namespace dezadav
