#ifndef ROWTESTER_H
#define ROWTESTER_H

#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>

// Watches a step table for breaches of the item model rules. A step's number is its position
// and changes with every row inserted above it, so the tester, which follows rows by their
// first column, sees the table from the speed column on.
class rowTester
{
  public:
    rowTester(QAbstractItemModel *model, QAbstractItemModelTester::FailureReportingMode mode)
        : m_tester((m_columns.setSourceModel(model), &m_columns), mode)
    {
    }

  private:
    class withoutNumbers : public QSortFilterProxyModel
    {
      protected:
        bool filterAcceptsColumn(int column, const QModelIndex &) const override
        {
            return column > 0;
        }
    };

    withoutNumbers m_columns;
    QAbstractItemModelTester m_tester;
};

#endif
