#include "beatplacing.h"
#include "changeset.h"

#include "beatplacement.h"
#include "editwindow.h"
#include "historystep.h"
#include "undohistory.h"

namespace
{
// Each row after the levels of the row before it; the first after the last, as a wrap
// brings them.
beatPlacement::step stepAt(const stepTable &rows, int row, const QByteArray &snap)
{
    return beatPlacement::stepOf(rows, row, row > 0 ? row - 1 : rows.size() - 1, snap);
}
} // namespace

int beatPlacing::place(editWindow &window, const QVector<double> &beats, int stride)
{
    showDocument &show = window.document();
    const int first = show.coveredRows().start;
    const int last = show.coveredRows().end;
    if (first < 0 || last < first || beats.isEmpty() || stride <= 0)
        return 0;
    undoHistory *history = window.changeHistory();
    const QByteArray snap = history->snapFlags();
    const stepTable &rows = show.steps();
    // Where the first step of the range starts on the song's time line.
    double start = 0.0;
    for (int row = 0; row < first; ++row) {
        const beatPlacement::step before = stepAt(rows, row, snap);
        start += double(before.fadeMs + before.holdMs);
    }
    QVector<beatPlacement::step> steps;
    for (int row = first; row <= last; ++row)
        steps.append(stepAt(rows, row, snap));
    const QVector<qint64> holds = beatPlacement::holds(steps, start, beats, stride);

    const historyStep step(history);
    QVector<cellChange> changes;
    {
        const changeSet edit;
        stepTable &table = show.stepsForWriting();
        for (int i = 0; i < holds.size(); ++i) {
            const int row = first + i;
            const auto speed = quint16(holds.at(i) / beatPlacement::kHoldUnitMs);
            if (table.speed(row) == speed)
                continue;
            changes.append({row, 1, table.speed(row), speed});
            table.setCell(row, 1, speed);
        }
    }
    history->cellsChanged(std::move(changes));
    window.rowsRewritten();
    return holds.size();
}
