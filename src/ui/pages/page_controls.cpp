#include "ui/pages/page_controls.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTableWidget>

#include "ui/pictures.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

// Refuses an input longer than the limit. QLineEdit keeps a text the program set even when the
// validator would refuse it, and only checks what the user changes.
class TypedLengthValidator : public QValidator {
public:
    TypedLengthValidator(int maxChars, QObject* parent) : QValidator(parent), m_max(maxChars) {}
    State validate(QString& input, int&) const override {
        return input.size() > m_max ? Invalid : Acceptable;
    }

private:
    int m_max;
};

}  // namespace

void MakeDigitsOnly(QLineEdit* box) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
}

void LimitTypedLength(QLineEdit* box, int maxChars) {
    box->setValidator(new TypedLengthValidator(maxChars, box));
}

CSkinButton* MakePageButton(QWidget* parent, int x, int y) {
    auto* button = new CSkinButton(parent);
    button->SetBitmaps(PageButtonBitmaps());
    button->setGeometry(x, y, kPageButtonWidth, kPageButtonHeight);
    button->setAutoDefault(false);
    return button;
}

void SetUpReportList(QTableWidget* list) {
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->verticalHeader()->setVisible(false);
    list->verticalHeader()->setDefaultSectionSize(18);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list->horizontalHeader()->setMinimumSectionSize(0);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
}

void SetColumnWidthPx(QTableWidget* list, int column, int width) {
    list->horizontalHeader()->resizeSection(column, width);
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
