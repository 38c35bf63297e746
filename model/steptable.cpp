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
    m_blocks.reserve((rows + kRowMask) >> kBlockShift);
}

void stepTable::widen(int channels)
{
    channels = qMin(channels, kMaxChannels);
    if (channels <= m_channels)
        return;
    const int rows = size();
    QByteArray wider(int(qint64(rows) * channels), '\0');
    for (int r = 0; r < rows && m_channels > 0; ++r)
        std::memcpy(wider.data() + qint64(r) * channels, levelsOf(r), size_t(m_channels));
    m_channels = channels;
    setLevelsFrom(0, wider);
}

int stepTable::usedChannels() const
{
    int used = 0;
    for (int r = 0; r < size() && used < m_channels; ++r)
        used = qMax(used, usedWidth(levelsOf(r), m_channels));
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
    if (kept < m_channels) {
        QByteArray row(m_channels, '\0');
        if (kept > 0)
            std::memcpy(row.data(), levels, size_t(kept));
        appendLevels(row.constData(), m_channels);
    } else {
        appendLevels(reinterpret_cast<const char *>(levels), m_channels);
    }
}

// Level bytes after the last row's, filling the last block before starting the next.
void stepTable::appendLevels(const char *levels, int bytes)
{
    while (bytes > 0) {
        if (m_blocks.isEmpty() || m_blocks.last().size() >= blockBytes()) {
            // A full block keeps no room to grow.
            if (!m_blocks.isEmpty())
                m_blocks.last().squeeze();
            m_blocks.append(QByteArray());
        }
        QByteArray &last = m_blocks.last();
        const int taken = qMin(bytes, blockBytes() - last.size());
        last.append(levels, taken);
        levels += taken;
        bytes -= taken;
    }
}

void stepTable::append(const StepRow &cells)
{
    const int r = size();
    m_timing.append(0);
    m_timing.append(0);
    appendLevels(QByteArray(m_channels, '\0').constData(), m_channels);
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
    spliceLevels(position, 0, block);
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
    spliceLevels(position, 0, same.levelsFrom(0));
}

stepTable stepTable::take(int position, int count)
{
    stepTable out;
    out.m_channels = m_channels;
    out.m_timing = m_timing.mid(2 * position, 2 * count);
    QByteArray levels;
    spliceLevels(position, count, QByteArray(), &levels);
    out.setLevelsFrom(0, levels);
    m_timing.remove(2 * position, 2 * count);
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
    qint64 levels = 0;
    for (const QByteArray &block : m_blocks)
        levels += block.capacity();
    return qint64(m_timing.capacity()) * qint64(sizeof(quint16)) + levels;
}

QByteArray stepTable::levelsFrom(int row) const
{
    QByteArray out;
    const int first = row >> kBlockShift;
    qint64 total = 0;
    for (int b = first; b < m_blocks.size(); ++b)
        total += m_blocks.at(b).size();
    out.reserve(int(total));
    for (int b = first; b < m_blocks.size(); ++b)
        out.append(m_blocks.at(b));
    return out;
}

void stepTable::setLevelsFrom(int row, const QByteArray &levels)
{
    m_blocks.resize(row >> kBlockShift);
    if (m_channels > 0)
        appendLevels(levels.constData(), levels.size());
}

// The blocks before the one `position` falls in stay as they are, shared with any copy; the
// ones after are made anew, each row copied once.
void stepTable::spliceLevels(int position, int count, const QByteArray &inserted,
                             QByteArray *removed)
{
    if (m_channels == 0)
        return;
    const QVector<QByteArray> old = m_blocks;
    const int stored =
        old.isEmpty() ? 0 : (old.size() - 1) * kBlockRows + old.last().size() / m_channels;
    // Rows `from` to `from + rows` of the old blocks, a run of whole rows at a time.
    const auto eachRun = [&](int from, int rows, const auto &take) {
        while (rows > 0) {
            const QByteArray &block = old.at(from >> kBlockShift);
            const int offset = from & kRowMask;
            const int run = qMin(rows, block.size() / m_channels - offset);
            take(block.constData() + offset * m_channels, run * m_channels);
            from += run;
            rows -= run;
        }
    };
    const auto keep = [this](const char *levels, int bytes) { appendLevels(levels, bytes); };
    if (removed) {
        removed->clear();
        eachRun(position, count,
                [removed](const char *levels, int bytes) { removed->append(levels, bytes); });
    }
    const int first = position & ~kRowMask;
    m_blocks.resize(first >> kBlockShift);
    eachRun(first, position - first, keep);
    appendLevels(inserted.constData(), inserted.size());
    eachRun(position + count, stored - position - count, keep);
}
