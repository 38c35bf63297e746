#include "editwindow.h"
#include "historywindow.h"
#include "showdocument.h"
#include "showfiles.h"
#include "stepediting.h"
#include "undohistory.h"

#include <QRandomGenerator>
#include <QtTest>

// The show's owner alone, without playback or the window: its rules and what it publishes.
class tst_showdocument : public QObject
{
    Q_OBJECT
  private slots:
    void positionsStayInside_data();
    void positionsStayInside();
    void publishedMovesFollowEachStep();
    void publishSharesWhatDidNotChange();
    void undoWritesTheShowBack();
    void rowOperationsWithoutTheWindow_data();
    void rowOperationsWithoutTheWindow();
    void linkedLevelsWithoutTheWindow();
    void filesWithoutTheWindow();
};

namespace
{
// Rows numbered by their hold, so that a step can be found wherever it went.
void appendSteps(showDocument &show, int count)
{
    for (int i = 0; i < count; ++i)
        show.stepsForWriting().append(quint16(show.steps().size()), 0, nullptr, 0);
}

// Hold, fade and the first channel of each row.
QVector<StepRow> cellsOf(const stepTable &rows)
{
    QVector<StepRow> cells;
    for (int r = 0; r < rows.size(); ++r)
        cells << rows.row(r, 4);
    return cells;
}
} // namespace

void tst_showdocument::positionsStayInside_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("row");
    QTest::addColumn<QVector<int>>("inside"); // start, end, row, first and last covered
    QTest::newRow("ends past the table") << 5 << 7 << 2 << 9 << QVector<int>{4, 2, 4, 2, 4};
    QTest::newRow("end never chosen") << 5 << 0 << -1 << -1 << QVector<int>{0, 0, -1, 0, 0};
    QTest::newRow("inside already") << 5 << 1 << 3 << 2 << QVector<int>{1, 3, 2, 1, 3};
    QTest::newRow("empty table keeps its range")
        << 0 << 3 << 5 << 2 << QVector<int>{3, 5, -1, -1, -1};
}

void tst_showdocument::positionsStayInside()
{
    QFETCH(int, rows);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, row);
    QFETCH(QVector<int>, inside);
    showDocument show;
    appendSteps(show, rows);
    show.setPlayRange(start, end);
    // The edit row as set under the process's name for it, and written back there.
    int view = -1;
    show.showEditRowIn(&view);
    view = row;
    show.keepInside();
    const int current = show.editRow();
    QCOMPARE(view, current);
    const showDocument::range covered = show.coveredRows();
    QCOMPARE((QVector<int>{show.playRange().start, show.playRange().end, current, covered.start,
                           covered.end}),
             inside);
    // "全选" takes the table and gives the range back as it was.
    QCOMPARE(show.toggleWholeTable(), rows > 0);
    QCOMPARE(show.playRange().end, qMax(0, rows - 1));
    show.toggleWholeTable();
    QCOMPARE(show.playRange().start, inside.at(0) < rows ? inside.at(0) : 0);
}

// Random row edits: the moves published with the show carry any row to where its step went,
// or, for a step taken out, to the row after the block.
void tst_showdocument::publishedMovesFollowEachStep()
{
    QRandomGenerator rng(43);
    showDocument show;
    appendSteps(show, 30);
    show.publish();
    for (int round = 0; round < 400; ++round) {
        const int size = show.steps().size();
        const int watched = rng.bounded(size);
        const quint16 step = show.steps().speed(watched);
        const int at = rng.bounded(size);
        const int count = 1 + rng.bounded(qMin(4, size - at));
        int takenAt = -1;
        switch (size > 20 ? rng.bounded(3) : 0) {
        case 0:
            show.insertRows(at, count, quint16(1000 + round), 0, nullptr, 0);
            break;
        case 1:
            show.takeRows(at, count);
            takenAt = watched >= at && watched < at + count ? at : -1;
            break;
        default:
            show.moveRows(at, count, rng.bounded(size - count + 1));
        }
        QVERIFY(show.publish());
        int row = watched;
        for (const rowMove &move : show.published()->moves)
            row = move.follow(row);
        if (takenAt >= 0)
            QCOMPARE(row, takenAt);
        else
            QCOMPARE(show.steps().speed(row), step);
    }
}

void tst_showdocument::publishSharesWhatDidNotChange()
{
    showDocument show;
    appendSteps(show, 3);
    QVERIFY(show.publish());
    const std::shared_ptr<const playShow> first = show.published();
    QVERIFY(!show.publish());
    QCOMPARE(show.published(), first);
    show.stepsForWriting().setCell(1, 3, 200);
    show.setBetween(2);
    QVERIFY(show.publish());
    QCOMPARE(int(show.published()->rows.level(1, 0)), 200);
    QCOMPARE(show.published()->between, 2u);
    QCOMPARE(int(first->rows.level(1, 0)), 0);
}

namespace
{
// The window's side of the history, as a log.
struct loggingWindow final : historyWindow {
    showDocument &document() override { return show; }
    bool playing() const override { return isPlaying; }
    void beginReplay() override { log << "begin"; }
    void replayApplied() override { log << "applied"; }
    void endReplay() override { log << "end"; }
    void cellWritten(int row, int column, int) override
    {
        log << QStringLiteral("cell %1,%2").arg(row).arg(column);
    }
    void cellsWritten(const showDocument::cellArea &) override { log << "cells"; }
    void setSnapFlags(const QByteArray &) override {}
    void restoreFixture(const QVariant &, bool) override {}
    showDocument show;
    bool isPlaying = false;
    QStringList log;
};
} // namespace

// The history writes cells, rows and moves back into the show and forward again, telling the
// window once per step, and refuses while playback runs.
void tst_showdocument::undoWritesTheShowBack()
{
    loggingWindow window;
    appendSteps(window.show, 4);
    undoHistory history(&window);
    const QVector<StepRow> start = cellsOf(window.show.steps());
    window.show.stepsForWriting().setCell(1, 3, 50);
    history.cellsChanged({{1, 3, 0, 50}});
    window.show.insertRows(2, 2, 9, 9, nullptr, 0);
    history.rowsInserted(2, 2);
    history.rowsRemoved(0, window.show.takeRows(0, 1));
    window.show.moveRows(0, 1, 3);
    history.rowsMoved(0, 1, 3);
    const QVector<StepRow> end = cellsOf(window.show.steps());
    window.isPlaying = true;
    QVERIFY(!history.undo());
    window.isPlaying = false;
    while (history.undo()) {
    }
    QCOMPARE(cellsOf(window.show.steps()), start);
    QCOMPARE(window.log.mid(0, 3), (QStringList{"begin", "applied", "end"}));
    QVERIFY(window.log.contains("cell 1,3") && window.log.count("begin") == 4);
    while (history.redo()) {
    }
    QCOMPARE(cellsOf(window.show.steps()), end);
}

namespace
{
// The window's side of the row operations: how often it hears of one, and whether the rows
// changed inside the model's brackets.
struct editingWindow final : historyWindow, editWindow {
    showDocument &document() override { return show; }
    bool playing() const override { return false; }
    void beginReplay() override {}
    void replayApplied() override {}
    void endReplay() override {}
    void cellWritten(int, int, int) override {}
    void cellsWritten(const showDocument::cellArea &) override {}
    void setSnapFlags(const QByteArray &to) override { readSnapFlags(to); }
    void restoreFixture(const QVariant &, bool) override {}
    undoHistory *changeHistory() const override { return history; }
    const fixtureLayout &fixtureColumns() const override { return fixtures; }
    const uchar *faderLevels() const override { return levels; }
    bool channelLinked(int channel) const override { return linked.contains(channel); }
    void storeCell(int row, int column, int value) override
    {
        show.stepsForWriting().setCell(row, column, value);
    }
    bool beginRowsChange(const rowMove &) override
    {
        rowsBefore = show.steps().size();
        return true;
    }
    void endRowsChange(const rowMove &move) override
    {
        const int grew = move.what == rowMove::kind::inserted  ? move.count
                         : move.what == rowMove::kind::removed ? -move.count
                                                               : 0;
        bracketsHold = bracketsHold && show.steps().size() == rowsBefore + grew;
    }
    void rowsRewritten() override {}
    void settle(bool) override { batchDepth > 0 ? void(pending = true) : void(++told); }
    void setStatusMessage(const QString &) override {}
    void readSnapFlags(const QByteArray &read) override
    {
        for (int i = 0; i < read.size(); ++i)
            show.setSnaps(i, read.at(i) != 0);
    }
    QVector<bool> sentChannels(int) override { return {}; }
    void beginBatch() override { ++batchDepth; }
    void endBatch() override
    {
        if (--batchDepth == 0 && pending)
            ++told;
        pending = batchDepth > 0 && pending;
    }
    struct noFixtures final : fixtureLayout {
        QVariantList types() const override { return {}; }
        QVariantList channelCounts() const override { return {}; }
        QVariantList ends() const override { return {}; }
        int columnEnd() const override { return 3; }
        QVariantList capabilities(int) const override { return {}; }
    } fixtures;
    showDocument show;
    undoHistory *history = nullptr;
    uchar levels[stepTable::kMaxChannels] = {};
    QVector<int> linked{0, 2, 5};
    int rowsBefore = 0, batchDepth = 0, told = 0;
    bool pending = false, bracketsHold = true;
};

using rowOperation = std::function<void(stepEditing &)>;

QVector<int> holdsOf(const stepTable &rows)
{
    QVector<int> holds;
    for (int r = 0; r < rows.size(); ++r)
        holds << rows.speed(r);
    return holds;
}
} // namespace
Q_DECLARE_METATYPE(rowOperation)

void tst_showdocument::rowOperationsWithoutTheWindow_data()
{
    QTest::addColumn<rowOperation>("operation");
    QTest::addColumn<QVector<int>>("holds"); // a new row takes the hold of the row before it
    QTest::addColumn<QVector<int>>("after"); // edit row, range start and end
    using op = rowOperation;
    QTest::newRow("insert after the edit row")
        << op([](stepEditing &e) { e.insertCurrRows(); }) << QVector<int>{0, 1, 2, 2, 3, 4}
        << QVector<int>{3, 1, 4};
    QTest::newRow("insert at the end") << op([](stepEditing &e) { e.insertEndRows(); })
                                       << QVector<int>{0, 1, 2, 3, 4, 4} << QVector<int>{2, 1, 3};
    QTest::newRow("remove the edit row") << op([](stepEditing &e) { e.removeCurrRows(); })
                                         << QVector<int>{0, 1, 3, 4} << QVector<int>{2, 1, 3};
    QTest::newRow("remove the shaded rows") << op([](stepEditing &e) { e.removeSelectRows(); })
                                            << QVector<int>{0, 4} << QVector<int>{0, 0, 0};
    QTest::newRow("remove all") << op([](stepEditing &e) { e.removeAll(); }) << QVector<int>{}
                                << QVector<int>{-1, 1, 0};
    QTest::newRow("move up") << op([](stepEditing &e) { e.moveUpRows(); })
                             << QVector<int>{0, 2, 1, 3, 4} << QVector<int>{1, 1, 3};
    QTest::newRow("move down") << op([](stepEditing &e) { e.moveDownRows(); })
                               << QVector<int>{0, 1, 3, 2, 4} << QVector<int>{3, 1, 3};
    QTest::newRow("block past itself") << op([](stepEditing &e) { e.moveRows(1, 2, 4); })
                                       << QVector<int>{0, 3, 1, 2, 4} << QVector<int>{2, 1, 3};
    QTest::newRow("block into itself") << op([](stepEditing &e) { e.moveRows(1, 2, 2); })
                                       << QVector<int>{0, 1, 2, 3, 4} << QVector<int>{2, 1, 3};
    QTest::newRow("hold typed") << op([](stepEditing &e) { e.writeCell(99, 1, 4); })
                                << QVector<int>{0, 1, 2, 3, 99} << QVector<int>{4, 1, 3};
    QTest::newRow("hold typed past the table")
        << op([](stepEditing &e) { e.writeCell(99, 1, 5); }) << QVector<int>{0, 1, 2, 3, 4}
        << QVector<int>{2, 1, 3};
}

// Each row operation works on the show alone: the rows and positions it leaves, the window
// told once with the rows changed inside the model's brackets, and one undo step back.
void tst_showdocument::rowOperationsWithoutTheWindow()
{
    QFETCH(rowOperation, operation);
    QFETCH(QVector<int>, holds);
    QFETCH(QVector<int>, after);
    editingWindow window;
    undoHistory history(&window);
    window.history = &history;
    appendSteps(window.show, 5);
    window.show.setPlayRange(1, 3);
    window.show.setEditRow(2);
    stepEditing editing(window);
    operation(editing);
    QCOMPARE(holdsOf(window.show.steps()), holds);
    const showDocument::range ends = window.show.playRange();
    QCOMPARE((QVector<int>{window.show.editRow(), ends.start, ends.end}), after);
    QVERIFY(window.bracketsHold);
    const bool changed = holds != QVector<int>{0, 1, 2, 3, 4};
    QCOMPARE(window.told, changed ? 1 : 0);
    QCOMPARE(history.undo(), changed);
    QCOMPARE(holdsOf(window.show.steps()), (QVector<int>{0, 1, 2, 3, 4}));
}

// A level written on a linked channel goes to the linked channels before it too, the others
// keep theirs, and one undo step puts the row back.
void tst_showdocument::linkedLevelsWithoutTheWindow()
{
    editingWindow window;
    undoHistory history(&window);
    window.history = &history;
    appendSteps(window.show, 2);
    stepEditing editing(window);
    editing.writeCell(200, 3 + 5, 1);
    QCOMPARE(window.show.steps().row(1).mid(3, 7), (StepRow{200, 0, 200, 0, 0, 200, 0}));
    QCOMPARE(window.show.steps().row(0).mid(3, 7), StepRow(7, 0));
    QCOMPARE(window.show.editRow(), 1);
    QVERIFY(history.undo());
    QCOMPARE(window.show.steps().row(1).mid(3, 7), StepRow(7, 0));
    QVERIFY(!history.undo());
}

// A show saved from one show's owner and opened into another, with no window or playback:
// the rows and snap flags come back, recorded for undo, the range ending on the last row.
void tst_showdocument::filesWithoutTheWindow()
{
    QTemporaryDir dir;
    const QUrl file = QUrl::fromLocalFile(dir.filePath("show.dmx"));
    editingWindow from;
    appendSteps(from.show, 3);
    from.show.stepsForWriting().setCell(2, 3 + 4, 77);
    from.show.setSnaps(1, true);
    showFiles saving([&from]() -> editWindow & { return from; });
    QVERIFY2(saving.saveData(file, 8, 0, 2, QString()), qPrintable(saving.lastError()));

    editingWindow into;
    undoHistory history(&into);
    into.history = &history;
    showFiles loading([&into]() -> editWindow & { return into; });
    QCOMPARE(loading.loadData(file), 8);
    QCOMPARE(cellsOf(into.show.steps()), cellsOf(from.show.steps()));
    QCOMPARE(int(into.show.steps().level(2, 4)), 77);
    QCOMPARE(into.show.snapFlags().left(8), from.show.snapFlags().left(8));
    QCOMPARE(into.show.playRange().end, 2);
    QCOMPARE(into.told, 1);
    while (history.undo()) {
    }
    QVERIFY(into.show.steps().isEmpty());
    QCOMPARE(into.show.snapFlags(), QByteArray(stepTable::kMaxChannels, '\0'));
}

QTEST_GUILESS_MAIN(tst_showdocument)
#include "tst_showdocument.moc"
