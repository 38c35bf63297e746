#include "songreader.h"

#include "songanalysis.h"

#include <QFile>

#include <algorithm>

#include <sndfile.h>

namespace
{
QString minutesText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The length when the header gives it; a song found too long while reading has none.
QString tooLong(qint64 ms = -1)
{
    const QString limit = QString::number(songLimits::kMaxLengthMs / 60000);
    if (ms < 0)
        return QStringLiteral("lasts longer than the %1 minutes a song may last").arg(limit);
    return QStringLiteral("lasts %1, longer than the %2 minutes a song may last")
        .arg(minutesText(ms), limit);
}

qint64 framesToMs(qint64 frames, int rate)
{
    return rate > 0 ? frames * 1000 / rate : 0;
}
} // namespace

songReader::songReader(const QString &path)
{
    SF_INFO info = {};
    m_file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!m_file) {
        m_error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return;
    }
    m_sampleRate = info.samplerate;
    m_channels = info.channels;
    m_frames = info.frames;
    if (m_sampleRate <= 0 || m_channels <= 0)
        close(QStringLiteral("no sample rate or no channels"));
    else if (m_frames < 0 || m_frames == SF_COUNT_MAX) // a stream, such as a pipe
        close(QStringLiteral("its length is not known"));
    else if (framesToMs(m_frames, m_sampleRate) > songLimits::kMaxLengthMs)
        close(tooLong(framesToMs(m_frames, m_sampleRate)));
}

songReader::~songReader()
{
    if (m_file)
        sf_close(m_file);
}

void songReader::close(const QString &reason)
{
    m_error = reason;
    sf_close(m_file);
    m_file = nullptr;
}

int songReader::readBlock(int count)
{
    if (!m_file || count <= 0)
        return 0;
    m_interleaved.resize(size_t(count) * size_t(m_channels));
    const sf_count_t got = sf_readf_float(m_file, m_interleaved.data(), count);
    if (got <= 0) {
        if (sf_error(m_file) != SF_ERR_NO_ERROR)
            close(QString::fromLocal8Bit(sf_strerror(m_file)));
        return 0;
    }
    m_framesRead += got;
    // A header that understated the length is caught here, before the song is read whole.
    if (framesToMs(m_framesRead, m_sampleRate) > songLimits::kMaxLengthMs) {
        close(tooLong());
        return 0;
    }
    return int(got);
}

int songReader::readMono(float *out, int count)
{
    const int got = readBlock(count);
    const float share = 1.0f / float(m_channels);
    const float *frame = m_interleaved.data();
    for (int i = 0; i < got; ++i, frame += m_channels) {
        float sum = 0.0f;
        for (int c = 0; c < m_channels; ++c)
            sum += frame[c];
        out[i] = sum * share;
    }
    return got;
}

int songReader::readPlayed(float *out, int count)
{
    if (playedChannels() == 1)
        return readMono(out, count);
    const int got = readBlock(count);
    std::copy(m_interleaved.begin(), m_interleaved.begin() + 2 * got, out);
    return got;
}

bool songReader::seek(qint64 frame)
{
    if (!m_file || sf_seek(m_file, frame, SEEK_SET) < 0)
        return false;
    // The limit counts frames from the start, wherever reading went on from.
    m_framesRead = frame;
    return true;
}
