#ifndef EFFECTFILL_H
#define EFFECTFILL_H

#include "steptable.h"

#include <QObject>
#include <QSet>
#include <QVariantList>
#include <QVariantMap>

class editWindow;

// A generated fill of table columns over the rows of the play range, shown and played before
// it is kept. While a fill is pending the table holds its values and the table as it was is
// kept aside: keep records the difference as one undo step, cancel puts the table back as it
// was, byte for byte. Also copies one fixture's programming onto others of its kind.
// GUI thread only.
class effectFill : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool pending READ pending NOTIFY changed)
    // The last preview held some value at the bound of its field.
    Q_PROPERTY(bool clamped READ clamped NOTIFY changed)
    // Rises with every preview, for bindings that mark previewed cells.
    Q_PROPERTY(int revision READ revision NOTIFY changed)

  public:
    // Speed in the table's speed column stays within this; fade and levels within 255.
    static constexpr int kSpeedTop = 9999;
    static constexpr int kLevelTop = 255;

    explicit effectFill(editWindow &window, QObject *parent = nullptr);

    bool pending() const { return m_pending; }
    bool clamped() const { return m_clamped; }
    int revision() const { return m_revision; }

    // Fills `columns` (table columns: 1 speed, 2 fade, 3 + c channel c) over the play range
    // with the generator `params` describes (shape, a, b, cycles, phase, easing, seed, spread,
    // values). False when there is no range or no column.
    Q_INVOKABLE bool preview(const QVariantMap &params);
    Q_INVOKABLE void keep();
    Q_INVOKABLE void cancel();
    Q_INVOKABLE bool isPreview(int row, int column) const;
    Q_INVOKABLE int freshSeed() const;

    // The columns of the same channel in every fixture of the same kind as the one holding
    // `column`, in table order (only `column` for a channel outside fixtures).
    Q_INVOKABLE QVariantList sameChannel(int column) const;
    // The starts of the named values of a table column, in order ({value, name} each).
    Q_INVOKABLE QVariantList namedValues(int column) const;
    // The fixture (position in the fixture list) whose channels hold `column`, or -1.
    Q_INVOKABLE int fixtureAt(int column) const;
    // The fixtures of the same kind as `fixture`, other than it.
    Q_INVOKABLE QVariantList sameKind(int fixture) const;
    // Copies the levels of fixture `from` over the play range onto each fixture of `to`, the
    // n-th of them `offset` × n steps behind (wrapping within the range), as one undo step.
    Q_INVOKABLE bool copyFixture(int from, const QVariantList &to, int offset);

  signals:
    void changed();

  private:
    struct span {
        int first = -1;
        int last = -1;
    };
    span range() const;
    int topOf(int column) const;
    int firstColumnOf(int fixture) const;
    void write(const QVector<int> &columns, const span &rows, const QVector<int> &values,
               int stride);
    void recordKept(const stepTable &before);

    editWindow &m_window;
    stepTable m_before;
    bool m_pending = false;
    bool m_clamped = false;
    int m_revision = 0;
    span m_rows;
    QVector<int> m_columns;
    QSet<int> m_columnSet;
};

#endif
