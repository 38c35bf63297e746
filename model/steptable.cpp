#include "steptable.h"

#include <cstring>

namespace
{
// Edits widen the rows in steps, so that walking up the faders does not copy the table at
// every channel.
constexpr int kWidenStep = 16;

int editWidth(int channels)
{
    return qMin(stepTable::kMaxChannels, (channels + kWidenStep - 1) / kWidenStep * kWidenStep);
}

quint16 clampCell(int column, int value)
{
    const int top = column >= stepTable::kFixedCells ? stepTable::kMaxLevel : 0xffff;
    return static_cast<quint16>(qBound(0, value, top));
}
} // namespace

quint16 stepTable::cell(int row, int column) const
{
    switch (column) {
    case 0:
        return static_cast<quint16>(row);
    case 1:
        return speed(row);
    case 2:
        return fade(row);
    default:
        return level(row, column - kFixedCells);
    }
}

quint8 stepTable::level(int row, int channel) const
{
    if (channel < 0 || channel >= m_channels)
        return 0;
    return static_cast<quint8>(m_levels.at(qint64(row) * m_channels + channel));
}

StepRow stepTable::row(int row, int count) const
{
    StepRow cells(count, 0);
    for (int c = 0; c < count && c < kFixedCells + m_channels; ++c)
        cells[c] = cell(row, c);
    return cells;
}

void stepTable::setCell(int row, int column, int value)
{
    const quint16 v = clampCell(column, value);
    if (column == 1 || column == 2) {
        m_timing[2 * row + column - 1] = v;
        return;
    }
    const int channel = column - kFixedCells;
    if (column < kFixedCells || channel >= kMaxChannels)
        return;
    if (channel >= m_channels) {
        if (v == 0)
            return;
        widen(editWidth(channel + 1));
    }
    levelsOf(row)[channel] = static_cast<uchar>(v);
}

void stepTable::setRow(int row, const StepRow &cells)
{
    for (int c = 1; c < cells.size(); ++c)
        setCell(row, c, cells.at(c));
}

void stepTable::reserve(int rows)
{
    m_timing.reserve(2 * rows);
    m_levels.reserve(int(qint64(rows) * m_channels));
}

void stepTable::widen(int channels)
{
    channels = qMin(channels, kMaxChannels);
    if (channels <= m_channels)
        return;
    const int rows = size();
    QByteArray wider(int(qint64(rows) * channels), '\0');
    for (int r = 0; r < rows && m_channels > 0; ++r)
        std::memcpy(wider.data() + qint64(r) * channels,
                    m_levels.constData() + qint64(r) * m_channels, size_t(m_channels));
    m_levels = wider;
    m_channels = channels;
}

int stepTable::usedChannels() const
{
    const auto *levels = reinterpret_cast<const uchar *>(m_levels.constData());
    int used = 0;
    for (int r = 0; r < size() && used < m_channels; ++r)
        used = qMax(used, usedWidth(levels + qint64(r) * m_channels, m_channels));
    return used;
}

int stepTable::usedWidth(const uchar *levels, int count)
{
    while (count > 0 && levels[count - 1] == 0)
        --count;
    return count;
}

void stepTable::append(quint16 speed, quint16 fade, const uchar *levels, int count)
{
    count = qMin(count, kMaxChannels);
    const int used = usedWidth(levels, count);
    if (used > m_channels)
        widen(isEmpty() ? used : editWidth(used));
    m_timing.append(speed);
    m_timing.append(fade);
    const int kept = qMin(count, m_channels);
    if (kept > 0)
        m_levels.append(reinterpret_cast<const char *>(levels), kept);
    if (kept < m_channels)
        m_levels.append(m_channels - kept, '\0');
}

void stepTable::append(const StepRow &cells)
{
    const int r = size();
    m_timing.append(0);
    m_timing.append(0);
    m_levels.append(m_channels, '\0');
    setRow(r, cells);
}

void stepTable::insert(int position, int count, quint16 speed, quint16 fade, const uchar *levels,
                       int channels)
{
    channels = qMin(channels, kMaxChannels);
    const int used = usedWidth(levels, channels);
    if (used > m_channels)
        widen(size() == 0 ? used : editWidth(used));
    QByteArray one(m_channels, '\0');
    if (used > 0)
        std::memcpy(one.data(), levels, size_t(used));
    QVector<quint16> timing;
    QByteArray block;
    block.reserve(int(qint64(count) * m_channels));
    for (int i = 0; i < count; ++i) {
        timing << speed << fade;
        block.append(one);
    }
    m_timing.insert(2 * position, timing.size(), 0);
    std::copy(timing.cbegin(), timing.cend(), m_timing.begin() + 2 * position);
    m_levels.insert(int(qint64(position) * m_channels), block);
}

void stepTable::insert(int position, const stepTable &rows)
{
    if (rows.isEmpty())
        return;
    if (isEmpty()) {
        *this = rows;
        return;
    }
    stepTable same = rows;
    same.widen(m_channels);
    widen(same.m_channels);
    m_timing.insert(2 * position, same.m_timing.size(), 0);
    std::copy(same.m_timing.cbegin(), same.m_timing.cend(), m_timing.begin() + 2 * position);
    m_levels.insert(int(qint64(position) * m_channels), same.m_levels);
}

stepTable stepTable::take(int position, int count)
{
    stepTable out;
    out.m_channels = m_channels;
    out.m_timing = m_timing.mid(2 * position, 2 * count);
    out.m_levels =
        m_levels.mid(int(qint64(position) * m_channels), int(qint64(count) * m_channels));
    m_timing.remove(2 * position, 2 * count);
    m_levels.remove(int(qint64(position) * m_channels), int(qint64(count) * m_channels));
    return out;
}

void stepTable::move(int from, int count, int to)
{
    if (from == to || count <= 0)
        return;
    insert(to, take(from, count));
}

void stepTable::clear()
{
    *this = stepTable();
}

qint64 stepTable::bytes() const
{
    return qint64(m_timing.capacity()) * qint64(sizeof(quint16)) + m_levels.capacity();
}
