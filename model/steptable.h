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
// position. Copies share their storage until one of them is written, and the levels are
// kept in blocks of kBlockRows rows that are shared each on its own: a copy handed to
// another thread costs a reference, and a cell written after it copies one block, not the
// table.
// Not thread-safe as an object: each thread writes only its own copy.
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
    quint8 level(int row, int channel) const { return levelsIn(row)[channel]; }
    // One row's levels by channel (0 past the stored width), for loops over a row's channels:
    // the row is found once. Valid until the table is written.
    class rowLevels
    {
      public:
        quint8 operator[](int channel) const
        {
            return channel >= 0 && channel < m_width ? m_levels[channel] : 0;
        }

      private:
        friend class stepTable;
        rowLevels(const uchar *levels, int width) : m_levels(levels), m_width(width) {}
        const uchar *m_levels;
        int m_width;
    };
    rowLevels levelsIn(int row) const
    {
        return m_channels > 0 ? rowLevels(levelsOf(row), m_channels) : rowLevels(nullptr, 0);
    }
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

    static constexpr int kBlockShift = 9;
    static constexpr int kBlockRows = 1 << kBlockShift;

  private:
    static constexpr int kRowMask = kBlockRows - 1;

    const uchar *levelsOf(int row) const
    {
        return reinterpret_cast<const uchar *>(m_blocks.at(row >> kBlockShift).constData()) +
               (row & kRowMask) * m_channels;
    }
    uchar *levelsOf(int row)
    {
        return reinterpret_cast<uchar *>(m_blocks[row >> kBlockShift].data()) +
               (row & kRowMask) * m_channels;
    }
    static int usedWidth(const uchar *levels, int count);
    int blockBytes() const { return kBlockRows * m_channels; }
    void appendLevels(const char *levels, int bytes);
    // The levels of the rows from `row`, which starts a block, to the end, as one run.
    QByteArray levelsFrom(int row) const;
    // Replaces the rows from `row`, which starts a block, with those of `levels`.
    void setLevelsFrom(int row, const QByteArray &levels);
    // Removes `count` rows' levels at `position` (into `removed`) and puts `inserted` there.
    void spliceLevels(int position, int count, const QByteArray &inserted,
                      QByteArray *removed = nullptr);

    QVector<quint16> m_timing;
    // Rows in order: every block holds kBlockRows rows but the last; none without channels.
    QVector<QByteArray> m_blocks;
    int m_channels = 0;
};

#endif
