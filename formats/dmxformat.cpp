#include "dmxformat.h"

#include "fixtureblock.h"
#include "showlimits.h"
#include "songblock.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace
{
constexpr int kChannelObjects = showLimits::kMaxChannels;
constexpr int kHeaderSize = 29;
constexpr int kRecordHead = 4; // speed and fade, 16 bits each
constexpr qint8 kVersion = 1;
constexpr qint64 kSliceBytes = 16 * 1024;

bool writeHeader(QIODevice &out, int channels, int rows)
{
    static const char tag[10] = {'Q', 'X'};
    static const char format[10] = {'D', 'M', 'X', '5', '1', '2'};
    QDataStream stream(&out);
    stream.writeRawData(tag, sizeof tag);
    stream.writeRawData(format, sizeof format);
    stream << kVersion << qint32(channels) << qint32(rows);
    return stream.status() == QDataStream::Ok;
}

bool writeRecords(QIODevice &out, const stepTable &rows, int channels)
{
    QByteArray record(kRecordHead + channels, '\0');
    uchar *bytes = reinterpret_cast<uchar *>(record.data());
    bool written = true;
    for (int r = 0; r < rows.size(); ++r) {
        qToBigEndian<quint16>(rows.speed(r), bytes);
        qToBigEndian<quint16>(rows.fade(r), bytes + 2);
        for (int c = 0; c < channels; ++c)
            bytes[kRecordHead + c] = rows.level(r, c);
        written = out.write(record) == record.size() && written;
    }
    return written;
}

// Reads the records a slice at a time, so that no more than a slice of the file is held
// beside the rows. False when the input ends early.
bool readRows(QIODevice &in, qint32 rows, qint64 recordSize, int kept, stepTable &out)
{
    const qint64 perSlice = qMax<qint64>(1, kSliceBytes / recordSize);
    out.widen(kept);
    out.reserve(rows);
    QByteArray slice;
    for (qint64 k = 0; k < rows; k += perSlice) {
        const qint64 count = qMin<qint64>(perSlice, rows - k);
        slice.resize(int(count * recordSize));
        if (in.read(slice.data(), slice.size()) != slice.size())
            return false;
        const uchar *record = reinterpret_cast<const uchar *>(slice.constData());
        for (qint64 i = 0; i < count; ++i, record += recordSize)
            out.append(qFromBigEndian<quint16>(record), qFromBigEndian<quint16>(record + 2),
                       record + kRecordHead, kept);
    }
    return true;
}

bool isCurrentLayout(const char *tag, qint8 version)
{
    return tag[0] == 'Q' && tag[1] == 'X' && tag[2] == '\0' && version == kVersion;
}

// A block that is not whole or not ours is set aside; the rows before it are good. The song
// block follows the fixture block, whose head says where it ends even when its body is
// damaged; bytes that begin no song block there are read as older versions read them, as
// part of the fixture block.
void readBlocks(const QByteArray &rest, dmxFormat::readResult &result)
{
    QByteArray fixtures = rest;
    QByteArray song;
    if (songBlock::startsBlock(rest)) {
        fixtures.clear();
        song = rest;
    } else {
        const qint64 end = fixtureBlock::announcedSize(rest);
        if (end > 0 && end < rest.size() && songBlock::startsBlock(rest.mid(int(end)))) {
            fixtures = rest.left(int(end));
            song = rest.mid(int(end));
        }
    }
    if (!fixtures.isEmpty())
        result.fixturesDamaged =
            !fixtureBlock::decode(fixtures, result.show.fixtures, result.show.definitions);
    if (!song.isEmpty())
        result.songDamaged = !songBlock::decode(song, result.show.song);
}

dmxFormat::readResult refused(const QString &reason)
{
    dmxFormat::readResult result;
    result.error = reason;
    return result;
}

dmxFormat::readResult refused(const char *reason)
{
    return refused(QString::fromLatin1(reason));
}

// Why counts this large are not read; empty when they fit. Checked before the size, so a
// file that claims too much is named for that whatever its length.
QString countProblem(qint32 channels, qint32 rows, int rowsBefore)
{
    if (channels > showLimits::kMaxStoredChannels)
        return QStringLiteral("has %1 channels, more than the %2 of a show")
            .arg(channels)
            .arg(showLimits::kMaxChannels);
    if (qint64(rows) + qMax(0, rowsBefore) > showLimits::kMaxRows) {
        if (rowsBefore <= 0)
            return QStringLiteral("has %1 rows, more than the %2 of a table")
                .arg(rows)
                .arg(showLimits::kMaxRows);
        return QStringLiteral("has %1 rows, with the %2 in the table more than the %3 of a table")
            .arg(rows)
            .arg(rowsBefore)
            .arg(showLimits::kMaxRows);
    }
    return QString();
}
} // namespace

bool dmxFormat::write(QIODevice &out, const showData &show)
{
    const int channels = show.flags.size();
    QByteArray flags(channels, '\0');
    for (int i = 0; i < channels; ++i)
        flags[i] = show.flags.at(i) ? 1 : 0;
    bool written = writeHeader(out, channels, show.rows.size());
    written = out.write(flags) == flags.size() && written;
    written = writeRecords(out, show.rows, channels) && written;
    const QByteArray fixtures = fixtureBlock::encode(show.fixtures, show.definitions);
    written = out.write(fixtures) == fixtures.size() && written;
    const QByteArray song = songBlock::encode(show.song);
    return out.write(song) == song.size() && written;
}

dmxFormat::readResult dmxFormat::read(QIODevice &in, int columns, int firstId)
{
    const qint64 size = in.size() - in.pos();
    if (size <= 0)
        return refused("empty file");
    QDataStream stream(&in);
    char tag[10] = {};
    char format[10] = {};
    qint8 version = 0;
    stream.readRawData(tag, sizeof tag);
    stream.readRawData(format, sizeof format);
    stream >> version;
    if (!isCurrentLayout(tag, version)) {
        readResult result = refused("older layout or not a show file");
        result.olderLayout = true;
        return result;
    }

    qint32 channels = 0;
    qint32 rows = 0;
    stream >> channels >> rows;
    if (stream.status() != QDataStream::Ok)
        return refused("damaged, header cut short");
    if (channels < 0 || rows < 0)
        return refused("damaged, negative count");
    const QString tooMany = countProblem(channels, rows, firstId);
    if (!tooMany.isEmpty())
        return refused(tooMany);
    // Everything is checked against the input's length before anything is kept, so a
    // damaged file yields nothing and its counts never drive an allocation on their own.
    const qint64 recordSize = kRecordHead + qint64(channels);
    const qint64 bodySize = channels + qint64(rows) * recordSize;
    if (size - kHeaderSize < bodySize)
        return refused("damaged, shorter than its counts");

    const QByteArray flags = in.read(channels);
    columns = qMax(3, columns);
    const int kept = qMin(channels, qMin(kChannelObjects, columns - 3));
    readResult result;
    if (flags.size() != channels || !readRows(in, rows, recordSize, kept, result.show.rows))
        return refused("damaged, read failed");
    result.show.flags = flags.left(kept);
    // Whatever follows blocks of the largest sizes is no block either.
    readBlocks(in.read(fixtureBlock::kMaxSize + songBlock::kMaxSize + 1), result);
    return result;
}
