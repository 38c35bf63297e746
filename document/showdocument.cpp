#include "showdocument.h"

stepTable &showDocument::stepsForWriting()
{
    m_rowsWritten = true;
    return m_steps;
}

void showDocument::cellArea::add(int row, int column)
{
    firstRow = firstRow < 0 ? row : qMin(firstRow, row);
    lastRow = qMax(lastRow, row);
    firstColumn = firstColumn < 0 ? column : qMin(firstColumn, column);
    lastColumn = qMax(lastColumn, column);
}

void showDocument::appendFixture(int type, const fixtureDef::definition &placed)
{
    m_fixtures.append({type, placed});
}

void showDocument::setPlayRange(int start, int end)
{
    m_playStart = start;
    m_playEnd = end;
}

showDocument::range showDocument::coveredRows() const
{
    const int first = qMax(qMin(m_playStart, m_playEnd), 0);
    const int last = qMin(qMax(m_playStart, m_playEnd), m_steps.size() - 1);
    if (first > last)
        return {-1, -1};
    return {first, last};
}

void showDocument::insertRows(int at, int count, quint16 speed, quint16 fade, const uchar *levels,
                              int channels)
{
    stepsForWriting().insert(at, count, speed, fade, levels, channels);
    rowsMoved({rowMove::kind::inserted, at, count, 0});
}

void showDocument::insertRows(int at, const stepTable &rows)
{
    stepsForWriting().insert(at, rows);
    rowsMoved({rowMove::kind::inserted, at, rows.size(), 0});
}

stepTable showDocument::takeRows(int first, int count)
{
    stepTable taken = stepsForWriting().take(first, count);
    rowsMoved({rowMove::kind::removed, first, count, 0});
    return taken;
}

void showDocument::moveRows(int from, int count, int to)
{
    stepsForWriting().move(from, count, to);
    rowsMoved({rowMove::kind::moved, from, count, to});
}

void showDocument::rowsMoved(const rowMove &move)
{
    m_rowMoves.push_back(move);
    m_rowsWritten = true;
}

int showDocument::editRow() const
{
    if (m_editRowView && *m_editRowView != m_editRowShown)
        m_editRow = m_editRowShown = *m_editRowView;
    return m_editRow;
}

void showDocument::setEditRow(int row)
{
    m_editRow = row;
    if (m_editRowView)
        *m_editRowView = m_editRowShown = row;
}

void showDocument::showEditRowIn(int *view)
{
    m_editRowView = view;
    setEditRow(m_editRow);
}

void showDocument::keepInside()
{
    const int last = m_steps.size() - 1;
    if (last >= 0) {
        m_playStart = qBound(0, m_playStart, last);
        m_playEnd = qBound(0, m_playEnd, last);
    }
    setEditRow(rowInside(editRow()));
}

bool showDocument::toggleWholeTable()
{
    const int last = m_steps.size() - 1;
    if (!m_whole) {
        m_savedStart = m_playStart;
        m_savedEnd = m_playEnd;
        m_whole = true;
        m_playStart = 0;
        m_playEnd = qMax(0, last);
    } else {
        m_whole = false;
        m_playStart = qBound(0, m_savedStart, qMax(0, last));
        m_playEnd = qBound(0, m_savedEnd, qMax(0, last));
    }
    return last >= 0;
}

bool showDocument::publish()
{
    const playShow *was = m_published.get();
    if (was && !m_rowsWritten && was->playStart == m_playStart && was->playEnd == m_playEnd &&
        was->between == m_between)
        return false;
    auto show = std::make_shared<playShow>();
    show->rows = m_steps;
    show->playStart = m_playStart;
    show->playEnd = m_playEnd;
    show->between = m_between;
    show->moves.swap(m_rowMoves);
    m_published = std::move(show);
    m_rowsWritten = false;
    return true;
}
