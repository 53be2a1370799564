#include "ui/list_columns.h"

#include <QEvent>
#include <QHeaderView>
#include <QListView>
#include <QTableView>
#include <algorithm>
#include <numeric>

namespace dezadav {

namespace {

constexpr char kObjectName[] = "columnFit";

}  // namespace

ColumnFit* ColumnFit::Of(QTableView* list) {
    if (auto* fit = list->findChild<ColumnFit*>(QLatin1String(kObjectName), Qt::FindDirectChildrenOnly)) {
        return fit;
    }
    return new ColumnFit(list);
}

ColumnFit::ColumnFit(QTableView* list) : QObject(list), m_list(list), m_viewport(list->viewport()) {
    setObjectName(QLatin1String(kObjectName));
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_soon, &QTimer::timeout, this, &ColumnFit::Refit);
    list->installEventFilter(this);
    m_viewport->installEventFilter(this);
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &ColumnFit::RefitSoon);
    connect(model, &QAbstractItemModel::dataChanged, this, &ColumnFit::RefitSoon);
    connect(model, &QAbstractItemModel::modelReset, this, &ColumnFit::RefitSoon);
    connect(model, &QAbstractItemModel::headerDataChanged, this, &ColumnFit::RefitSoon);
}

void ColumnFit::SetWantedWidth(int column, int width) {
    if (column < 0) return;
    if (static_cast<std::size_t>(column) >= m_wanted.size())
        m_wanted.resize(static_cast<std::size_t>(column) + 1, 0);
    m_wanted[static_cast<std::size_t>(column)] = std::max(width, 0);
    if (m_list->isVisible()) {
        Refit();
    } else {
        m_list->horizontalHeader()->resizeSection(column, width);
    }
}

int ColumnFit::WantedWidth(int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= m_wanted.size()) return 0;
    return m_wanted[static_cast<std::size_t>(column)];
}

void ColumnFit::RefitSoon() {
    if (m_list->isVisible()) m_soon.start();
}

bool ColumnFit::eventFilter(QObject* watched, QEvent* event) {
    // Pointers only: the list's own events keep coming while it is being destroyed.
    const bool listShown = watched == m_list && event->type() == QEvent::Show;
    const bool viewportResized = watched == m_viewport && event->type() == QEvent::Resize;
    if (listShown || viewportResized) RefitSoon();
    return QObject::eventFilter(watched, event);
}

void ColumnFit::Refit() {
    if (m_fitting || !m_list->isVisible()) return;
    m_fitting = true;
    QHeaderView* header = m_list->horizontalHeader();
    const int columns = m_list->model()->columnCount();
    std::vector<long> wanted(static_cast<std::size_t>(columns), 0);
    std::vector<long> needed(static_cast<std::size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) {
        const auto i = static_cast<std::size_t>(c);
        wanted[i] = WantedWidth(c);
        if (wanted[i] == 0 || m_list->isColumnHidden(c)) {
            wanted[i] = 0;
            continue;
        }
        const QAbstractItemView* view = m_list;
        needed[i] = std::max(header->sectionSizeHint(c), view->sizeHintForColumn(c));
    }
    const long totalWanted = std::accumulate(wanted.begin(), wanted.end(), 0L);
    const long available = m_list->viewport()->width();
    if (totalWanted == 0 || available <= 0) {
        m_fitting = false;
        return;
    }

    std::vector<long> width(wanted.size(), 0);
    for (std::size_t i = 0; i < width.size(); ++i) {
        if (wanted[i] > 0) width[i] = std::max(needed[i], wanted[i] * available / totalWanted);
    }
    // Columns that had to grow to fit their texts take the room from those with room to spare.
    long excess = std::accumulate(width.begin(), width.end(), 0L) - available;
    if (excess > 0) {
        long spare = 0;
        for (std::size_t i = 0; i < width.size(); ++i)
            spare += width[i] - needed[i] > 0 ? width[i] - needed[i] : 0;
        if (spare > 0) {
            const long taken = std::min(excess, spare);
            for (std::size_t i = 0; i < width.size(); ++i) {
                const long room = width[i] - needed[i];
                if (room > 0 && wanted[i] > 0) width[i] -= (room * taken + spare - 1) / spare;
            }
        }
    }
    // Rounding leftovers go to the last visible column, so the columns end at the list's edge.
    const long total = std::accumulate(width.begin(), width.end(), 0L);
    for (std::size_t i = width.size(); i-- > 0;) {
        if (wanted[i] == 0) continue;
        if (total < available) width[i] += available - total;
        break;
    }
    for (int c = 0; c < columns; ++c)
        header->resizeSection(c, static_cast<int>(width[static_cast<std::size_t>(c)]));
    m_fitting = false;
}

void WrapLongLines(QListView* list) {
    list->setWordWrap(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(false);
}

}  // namespace dezadav
