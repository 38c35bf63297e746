#include "timecode.h"

#include <QRegularExpression>

namespace timecode
{
namespace
{
constexpr qint64 kDropPerMinute = 2;
constexpr qint64 kDropFramesPerMinute = 60 * 30 - kDropPerMinute;         // 1798
constexpr qint64 kDropFramesPer10Minutes = 10 * kDropFramesPerMinute + 2; // 17982

bool inRange(const hmsf &time)
{
    return time.hours >= 0 && time.hours < 24 && time.minutes >= 0 && time.minutes < 60 &&
           time.seconds >= 0 && time.seconds < 60 && time.frames >= 0;
}

qint64 nominalFrame(const hmsf &time, int fps)
{
    return (qint64(time.hours) * 3600 + time.minutes * 60 + time.seconds) * fps + time.frames;
}
} // namespace

bool validRate(qint64 rate)
{
    return rate >= timecodeSnapshot::fps24 && rate <= timecodeSnapshot::fps30;
}

int nominalFps(qint64 rate)
{
    switch (rate) {
    case timecodeSnapshot::fps24:
        return 24;
    case timecodeSnapshot::fps25:
        return 25;
    case timecodeSnapshot::fps2997drop:
    case timecodeSnapshot::fps30:
        return 30;
    default:
        return 0;
    }
}

qint64 framesPerDay(qint64 rate)
{
    if (rate == timecodeSnapshot::fps2997drop)
        return 24 * 6 * kDropFramesPer10Minutes;
    return qint64(24) * 3600 * nominalFps(rate);
}

bool valid(const hmsf &time, qint64 rate)
{
    if (!validRate(rate) || !inRange(time) || time.frames >= nominalFps(rate))
        return false;
    const bool dropped =
        time.seconds == 0 && time.frames < kDropPerMinute && time.minutes % 10 != 0;
    return rate != timecodeSnapshot::fps2997drop || !dropped;
}

qint64 toFrame(const hmsf &time, qint64 rate)
{
    if (!valid(time, rate))
        return -1;
    const qint64 frame = nominalFrame(time, nominalFps(rate));
    if (rate != timecodeSnapshot::fps2997drop)
        return frame;
    const qint64 minutes = qint64(time.hours) * 60 + time.minutes;
    return frame - kDropPerMinute * (minutes - minutes / 10);
}

hmsf fromFrame(qint64 frame, qint64 rate)
{
    if (!validRate(rate))
        return hmsf{};
    const qint64 day = framesPerDay(rate);
    frame = ((frame % day) + day) % day;
    if (rate == timecodeSnapshot::fps2997drop) {
        // Put the left-out numbers back: 18 for every whole ten minutes, 2 for each minute
        // begun after the first of the ten.
        const qint64 tens = frame / kDropFramesPer10Minutes;
        const qint64 rest = frame % kDropFramesPer10Minutes;
        frame += 18 * tens;
        if (rest >= kDropPerMinute)
            frame += kDropPerMinute * ((rest - kDropPerMinute) / kDropFramesPerMinute);
    }
    const int fps = nominalFps(rate);
    hmsf time;
    time.frames = int(frame % fps);
    time.seconds = int(frame / fps % 60);
    time.minutes = int(frame / fps / 60 % 60);
    time.hours = int(frame / fps / 3600);
    return time;
}

qint64 frameToMs(qint64 frame, qint64 rate)
{
    if (rate == timecodeSnapshot::fps2997drop)
        return frame * 1001 / 30;
    const int fps = nominalFps(rate);
    return fps > 0 ? frame * 1000 / fps : -1;
}

timecodeSnapshot snapshot(const hmsf &time, qint64 rate, qint64 arrivedNs)
{
    timecodeSnapshot out;
    const qint64 frame = toFrame(time, rate);
    out.fps = rate;
    out.arrivedNs = arrivedNs;
    if (frame >= 0) {
        out.frame = frame;
        out.ms = frameToMs(frame, rate);
    }
    return out;
}

bool parse(const QString &text, hmsf &time, bool *drop)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2})([:;])(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    const hmsf read{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                    match.captured(5).toInt()};
    if (!inRange(read) || read.frames >= 30)
        return false;
    time = read;
    if (drop)
        *drop = match.captured(4) == QLatin1String(";");
    return true;
}

QString format(const hmsf &time, qint64 rate)
{
    const QChar separator = rate == timecodeSnapshot::fps2997drop ? u';' : u':';
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(time.hours, 2, 10, QLatin1Char('0'))
        .arg(time.minutes, 2, 10, QLatin1Char('0'))
        .arg(time.seconds, 2, 10, QLatin1Char('0'))
        .arg(separator)
        .arg(time.frames, 2, 10, QLatin1Char('0'));
}

QString format(qint64 frame, qint64 rate)
{
    return format(fromFrame(frame, rate), rate);
}
} // namespace timecode
