#include "stepview.h"

namespace
{
constexpr int kFirstRole = Qt::UserRole + 1; // source role of cell 0; the role names the cell
constexpr int kValueRole = Qt::UserRole;
// Steps that can be added before the view hears of a new row count and rebuilds its cells.
constexpr int kSpareRows = 64;
} // namespace

void stepView::setSource(QAbstractItemModel *source)
{
    if (m_source == source)
        return;
    beginResetModel();
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    setRows(source ? source->rowCount() : 0);
    m_offered = m_rows + kSpareRows;
    if (source) {
        connect(source, &QAbstractItemModel::modelReset, this, [this] { takeSourceRowCount(0); });
        connect(source, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first) { takeSourceRowCount(first); });
        connect(source, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first) { takeSourceRowCount(first); });
        connect(source, &QAbstractItemModel::rowsMoved, this,
                [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                    changeRows(qMin(first, to), qMax(last, to));
                });
        connect(source, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) {
                    changeRows(from.row(), to.row());
                });
    }
    endResetModel();
    emit offeredRowsChanged();
    emit sourceChanged();
}

// Set once, when the view is made: every cell changes its place.
void stepView::setFirstColumn(int column)
{
    column = qMax(0, column);
    if (column == m_firstColumn)
        return;
    beginResetModel();
    m_firstColumn = column;
    endResetModel();
    emit columnsChanged();
}

void stepView::setColumns(int columns)
{
    columns = qMax(0, columns);
    if (columns == m_columns)
        return;
    const int shownBefore = columnCount();
    const int shownAfter = shownColumns(columns);
    if (shownAfter > shownBefore) {
        beginInsertColumns(QModelIndex(), shownBefore, shownAfter - 1);
        m_columns = columns;
        endInsertColumns();
    } else if (shownAfter < shownBefore) {
        beginRemoveColumns(QModelIndex(), shownAfter, shownBefore - 1);
        m_columns = columns;
        endRemoveColumns();
    } else {
        m_columns = columns;
    }
    emit columnsChanged();
}

int stepView::sourceColumns() const
{
    return m_source ? m_source->columnCount() : 0;
}

int stepView::shownColumns(int columns) const
{
    return qBound(0, sourceColumns() - m_firstColumn, columns);
}

int stepView::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_offered;
}

int stepView::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : shownColumns(m_columns);
}

QVariant stepView::data(const QModelIndex &index, int role) const
{
    // Spare rows have no value. Between a source change and its announcement here the
    // source may have fewer rows.
    if (role != kValueRole || !m_source || !index.isValid() || index.row() >= m_rows ||
        index.row() >= m_source->rowCount())
        return QVariant();
    const int column = m_firstColumn + index.column();
    return m_source->data(m_source->index(index.row(), column), kFirstRole + column);
}

QHash<int, QByteArray> stepView::roleNames() const
{
    return {{kValueRole, "value"}};
}

// Rows from firstChanged on show other steps, or none, after a change of the source.
void stepView::takeSourceRowCount(int firstChanged)
{
    const int before = m_rows;
    setRows(m_source->rowCount());
    fitOfferedRows();
    changeRows(firstChanged, qMax(before, m_rows) - 1);
}

void stepView::fitOfferedRows()
{
    const int offered = m_rows + kSpareRows;
    if (m_rows > m_offered) {
        beginInsertRows(QModelIndex(), m_offered, offered - 1);
        m_offered = offered;
        endInsertRows();
        emit offeredRowsChanged();
    } else if (m_offered - m_rows > 2 * kSpareRows) {
        beginRemoveRows(QModelIndex(), offered, m_offered - 1);
        m_offered = offered;
        endRemoveRows();
        emit offeredRowsChanged();
    }
}

void stepView::changeRows(int first, int last)
{
    first = qMax(first, 0);
    last = qMin(last, m_offered - 1);
    const int left = m_lastShown < 0 ? 0 : qMax(m_firstShown, 0);
    const int right = m_lastShown < 0 ? columnCount() - 1 : qMin(m_lastShown, columnCount() - 1);
    if (first > last || left > right)
        return;
    constexpr int manyCells = 100;
    if ((last - first + 1) * (right - left + 1) >= manyCells)
        emit manyCellsChanged();
    emit dataChanged(index(first, left), index(last, right), {kValueRole});
}

void stepView::setRows(int rows)
{
    if (rows == m_rows)
        return;
    m_rows = rows;
    emit rowsChanged();
}
