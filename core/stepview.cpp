#include "stepview.h"

namespace
{
constexpr int kFirstRole = Qt::UserRole + 1; // source role of cell 0; the role names the cell
constexpr int kValueRole = Qt::UserRole;
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
    if (source) {
        connect(source, &QAbstractItemModel::modelReset, this, [this] {
            takeSourceRowCount();
            changeAll();
        });
        connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this](const QModelIndex &, int first, int last) {
                    beginInsertRows(QModelIndex(), first, last);
                });
        connect(source, &QAbstractItemModel::rowsInserted, this, [this] {
            setRows(m_source->rowCount());
            endInsertRows();
        });
        connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) {
                    beginRemoveRows(QModelIndex(), first, last);
                });
        connect(source, &QAbstractItemModel::rowsRemoved, this, [this] {
            setRows(m_source->rowCount());
            endRemoveRows();
        });
        connect(source, &QAbstractItemModel::rowsAboutToBeMoved, this,
                [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                    beginMoveRows(QModelIndex(), first, last, QModelIndex(), to);
                });
        connect(source, &QAbstractItemModel::rowsMoved, this, [this] { endMoveRows(); });
        connect(source, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) {
                    changeRows(from.row(), to.row());
                });
    }
    endResetModel();
    emit sourceChanged();
}

void stepView::setColumns(int columns)
{
    columns = qMax(0, columns);
    if (columns == m_columns)
        return;
    const int shownBefore = columnCount();
    const int shownAfter = qMin(columns, sourceColumns());
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

int stepView::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int stepView::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : qMin(m_columns, sourceColumns());
}

QVariant stepView::data(const QModelIndex &index, int role) const
{
    // Between a source reset and its announcement here the source may have fewer rows.
    if (role != kValueRole || !m_source || !index.isValid() || index.row() >= m_source->rowCount())
        return QVariant();
    return m_source->data(m_source->index(index.row(), index.column()),
                          kFirstRole + index.column());
}

QHash<int, QByteArray> stepView::roleNames() const
{
    return {{kValueRole, "value"}};
}

void stepView::refreshRow(int row)
{
    if (row >= 0 && row < m_rows)
        changeRows(row, row);
}

void stepView::takeSourceRowCount()
{
    const int rows = m_source->rowCount();
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        setRows(rows);
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        setRows(rows);
        endRemoveRows();
    }
}

void stepView::changeAll()
{
    changeRows(0, m_rows - 1);
}

void stepView::changeRows(int first, int last)
{
    first = qMax(first, 0);
    last = qMin(last, m_rows - 1);
    const int left = m_lastShown < 0 ? 0 : qMax(m_firstShown, 0);
    const int right = m_lastShown < 0 ? columnCount() - 1 : qMin(m_lastShown, columnCount() - 1);
    if (first > last || left > right)
        return;
    emit dataChanged(index(first, left), index(last, right), {kValueRole});
}

void stepView::setRows(int rows)
{
    if (rows == m_rows)
        return;
    m_rows = rows;
    emit rowsChanged();
}
