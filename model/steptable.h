#ifndef STEPTABLE_H
#define STEPTABLE_H

#include <QByteArray>
#include <QVector>

// One step as cells, as readers and tests see it: 0 the step number, 1 the speed, 2 the
// fade, 3 onwards the channel levels.
using StepRow = QVector<quint16>;

// The steps of a program in flat storage, so that memory follows the show: speed and fade of
// every row side by side, and one byte per level for the channels the table holds data for
// (the same width for every row; a channel past it reads 0). A step's number is its
// position. Copies share their storage until one of them is written.
// No lock of its own: the model's table is written on the GUI thread and read by the
// output thread, both under playEngine::lock().
class stepTable
{
  public:
    static constexpr int kFixedCells = 3;
    static constexpr int kMaxChannels = 512;
    static constexpr int kMaxLevel = 255;

    int size() const { return m_timing.size() / 2; }
    bool isEmpty() const { return m_timing.isEmpty(); }
    // The level bytes each row stores.
    int channels() const { return m_channels; }
    // Channels up to the last one that holds a level in any row: what a save must keep.
    int usedChannels() const;

    // Column 0 the row's number, 1 speed, 2 fade, 3 + c the level of channel c (from 0).
    quint16 cell(int row, int column) const;
    quint16 speed(int row) const { return m_timing.at(2 * row); }
    quint16 fade(int row) const { return m_timing.at(2 * row + 1); }
    quint8 level(int row, int channel) const;
    // The first `count` cells of a row.
    StepRow row(int row, int count = kFixedCells + kMaxChannels) const;

    // Levels are kept within 0..255 and speed and fade within 0..65535; a level past the
    // stored width widens every row. Column 0 is the position and not written.
    void setCell(int row, int column, int value);
    void setRow(int row, const StepRow &cells);

    void reserve(int rows);
    // Rows are never narrower than this afterwards.
    void widen(int channels);
    void append(quint16 speed, quint16 fade, const uchar *levels, int count);
    void append(const StepRow &cells);
    // `count` copies of one step at `position`.
    void insert(int position, int count, quint16 speed, quint16 fade, const uchar *levels,
                int channels);
    void insert(int position, const stepTable &rows);
    stepTable take(int position, int count);
    void move(int from, int count, int to);
    void clear();

    // What the storage holds in memory, in bytes.
    qint64 bytes() const;

  private:
    uchar *levelsOf(int row)
    {
        return reinterpret_cast<uchar *>(m_levels.data()) + qint64(row) * m_channels;
    }
    static int usedWidth(const uchar *levels, int count);

    QVector<quint16> m_timing;
    QByteArray m_levels;
    int m_channels = 0;
};

#endif
