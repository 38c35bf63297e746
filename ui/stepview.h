#ifndef STEPVIEW_H
#define STEPVIEW_H

#include <QAbstractTableModel>
#include <QPointer>

// The step table as a table view shows it: `columns` cells of each step from firstColumn
// on, each read through the step model's role for its cell and offered under the one role
// "value".
// The step model announces cell changes with full resets, and a view rebuilds every cell in
// view on a reset and on any row insertion, removal or move. So every change reaches the
// view as a change of the cells it shows (columns firstShown to lastShown) from the first
// row that changed: the view is offered up to kSpareRows rows past the last step, whose
// cells have no value, and only when these run out or grow too many is the row count
// announced to it. A view that is handed a cell again re-reads every role of it, which is
// why there is only one.
// GUI thread only.
class stepView : public QAbstractTableModel
{
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel *source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(int firstColumn READ firstColumn WRITE setFirstColumn NOTIFY columnsChanged)
    Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY columnsChanged)
    // The number of steps as announced so far, for bindings.
    Q_PROPERTY(int rows READ rows NOTIFY rowsChanged)
    // The rows the view is told of: the steps and the spare rows after them.
    Q_PROPERTY(int offeredRows READ offeredRows NOTIFY offeredRowsChanged)
    // Columns the view has cells for; a reset announces changes of these only.
    Q_PROPERTY(int firstShown MEMBER m_firstShown NOTIFY shownChanged)
    Q_PROPERTY(int lastShown MEMBER m_lastShown NOTIFY shownChanged)

  public:
    using QAbstractTableModel::QAbstractTableModel;

    QAbstractItemModel *source() const { return m_source; }
    void setSource(QAbstractItemModel *source);
    int firstColumn() const { return m_firstColumn; }
    void setFirstColumn(int column);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    int rows() const { return m_rows; }
    int offeredRows() const { return m_offered; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

  signals:
    void sourceChanged();
    void columnsChanged();
    void rowsChanged();
    void offeredRowsChanged();
    void shownChanged();
    // Many cells in the columns shown changed at once: a view repaints its area as one
    // rectangle then, cheaper than merging hundreds of small ones.
    void manyCellsChanged();

  private:
    int sourceColumns() const;
    int shownColumns(int columns) const;
    void takeSourceRowCount(int firstChanged);
    void fitOfferedRows();
    void changeRows(int first, int last);
    void setRows(int rows);

    QPointer<QAbstractItemModel> m_source;
    int m_rows = 0;
    int m_offered = 0;
    int m_firstColumn = 0;
    int m_columns = 0;
    int m_firstShown = 0;
    int m_lastShown = -1; // none given: every column
};

#endif
