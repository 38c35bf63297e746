#include "songblock.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace
{
constexpr char kTag[8] = {'S', 'O', 'N', 'G', 'L', 'I', 'N', 'K'};
constexpr int kHead = 12;
constexpr quint8 kTempoByHand = 1;
constexpr quint8 kFirstBeatByHand = 2;

bool isTime(double ms)
{
    return std::isfinite(ms) && ms >= 0.0;
}

bool isTempo(double bpm)
{
    return bpm == 0.0 || (bpm >= songLimits::kMinBpm && bpm <= songLimits::kMaxBpm);
}

// The beats, ascending; a count larger than the bytes left is refused before anything is
// allocated for it.
bool readBeats(QDataStream &in, qint64 left, QVector<double> &beats)
{
    quint32 count = 0;
    in >> count;
    if (count > quint32(songBlock::kMaxBeats) || qint64(count) * 8 != left - 4)
        return false;
    beats.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        double at = 0.0;
        in >> at;
        if (!isTime(at) || (!beats.isEmpty() && at < beats.last()))
            return false;
        beats.append(at);
    }
    return in.status() == QDataStream::Ok;
}

bool readBody(const QByteArray &body, songLink &song)
{
    QDataStream in(body);
    quint8 version = 0;
    quint8 flags = 0;
    quint16 pathBytes = 0;
    in >> version >> flags >> pathBytes;
    if (in.status() != QDataStream::Ok || version != songBlock::kVersion ||
        (flags & ~(kTempoByHand | kFirstBeatByHand)) != 0 || pathBytes == 0 ||
        pathBytes > songBlock::kMaxPathBytes || pathBytes > body.size() - 4)
        return false;
    song.path = QString::fromUtf8(body.constData() + 4, pathBytes);
    in.skipRawData(pathBytes);
    in >> song.lengthMs >> song.tempoBpm >> song.firstBeatMs;
    song.tempoCorrected = flags & kTempoByHand;
    song.firstBeatCorrected = flags & kFirstBeatByHand;
    if (in.status() != QDataStream::Ok || song.lengthMs < 0 ||
        song.lengthMs > songLimits::kMaxLengthMs || !isTempo(song.tempoBpm) ||
        !isTime(song.firstBeatMs))
        return false;
    return readBeats(in, body.size() - in.device()->pos(), song.beats);
}
} // namespace

QByteArray songBlock::encode(const songLink &song)
{
    const QByteArray path = song.path.toUtf8();
    if (path.isEmpty() || path.size() > kMaxPathBytes)
        return QByteArray();
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    const quint8 flags =
        (song.tempoCorrected ? kTempoByHand : 0) | (song.firstBeatCorrected ? kFirstBeatByHand : 0);
    // Only what a reader takes back: nonsense becomes "not known".
    QVector<double> beats;
    for (double at : song.beats)
        if (isTime(at) && (beats.isEmpty() || at >= beats.last()) && beats.size() < kMaxBeats)
            beats.append(at);
    out << kVersion << flags << quint16(path.size());
    out.writeRawData(path.constData(), path.size());
    out << qBound<qint64>(0, song.lengthMs, songLimits::kMaxLengthMs)
        << (isTempo(song.tempoBpm) ? song.tempoBpm : 0.0)
        << (isTime(song.firstBeatMs) ? song.firstBeatMs : 0.0) << quint32(beats.size());
    for (double at : beats)
        out << at;
    char size[4];
    qToBigEndian<qint32>(body.size(), size);
    return QByteArray(kTag, sizeof kTag) + QByteArray(size, sizeof size) + body;
}

bool songBlock::decode(const QByteArray &block, songLink &song)
{
    song = songLink();
    if (block.size() < kHead || block.size() > kMaxSize ||
        !block.startsWith(QByteArray(kTag, sizeof kTag)) ||
        qFromBigEndian<qint32>(block.constData() + sizeof kTag) != block.size() - kHead)
        return false;
    songLink read;
    if (!readBody(block.mid(kHead), read))
        return false;
    song = read;
    return true;
}

bool songBlock::startsBlock(const QByteArray &bytes)
{
    const QByteArray tag(kTag, sizeof kTag);
    return !bytes.isEmpty() && (bytes.startsWith(tag) || tag.startsWith(bytes));
}

QString songBlock::linkPath(const QString &songFile, const QString &showFile)
{
    const QString song = QFileInfo(songFile).absoluteFilePath();
    const QString relative = QFileInfo(showFile).absoluteDir().relativeFilePath(song);
    if (relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative))
        return QDir::cleanPath(song);
    return relative;
}

QString songBlock::songFile(const QString &linkPath, const QString &showFile)
{
    if (QDir::isAbsolutePath(linkPath))
        return QDir::cleanPath(linkPath);
    return QDir::cleanPath(QFileInfo(showFile).absoluteDir().absoluteFilePath(linkPath));
}
