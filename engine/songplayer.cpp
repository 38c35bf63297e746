#include "songplayer.h"

#include "songreader.h"
#include "songstream.h"

#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr int kOutChannels = 2;
// Read when a song is checked: a file that gives none of it is refused at once.
constexpr int kCheckFrames = 4096;
// Between two callbacks the position is guessed on for at most this long: audio that stops
// coming (an xrun, a server gone) must not drag the show along without it.
constexpr qint64 kGuessNs = 250LL * 1000 * 1000;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RtAudio::Api wantedApi()
{
    const QByteArray name = qgetenv("DMX_AUDIO_API").toLower();
    if (name == "jack")
        return RtAudio::UNIX_JACK;
    if (name == "alsa")
        return RtAudio::LINUX_ALSA;
    if (name == "pulse")
        return RtAudio::LINUX_PULSE;
    return RtAudio::UNSPECIFIED;
}
} // namespace

struct songPlayer::song {
    QString path;
    int channels = 1;
    int rate = 0;
    qint64 frames = 0;
};

songPlayer::songPlayer(std::shared_ptr<songClockState> publishTo)
    : m_publishTo(std::move(publishTo))
{
}

songPlayer::~songPlayer()
{
    unload();
}

qint64 songPlayer::lengthMs() const
{
    return m_song ? m_song->frames * 1000 / m_song->rate : 0;
}

std::shared_ptr<songPlayer::song> songPlayer::decode(const QString &path, QString &error)
{
    songReader reader(path);
    if (!reader.isOpen()) {
        error = reader.error();
        return nullptr;
    }
    std::vector<float> block(size_t(kCheckFrames) * size_t(reader.playedChannels()));
    const int got = reader.readPlayed(block.data(), kCheckFrames);
    if (got <= 0) {
        error = reader.error().isEmpty() ? QStringLiteral("no samples") : reader.error();
        return nullptr;
    }
    auto read = std::make_shared<song>();
    read->path = path;
    read->channels = reader.playedChannels();
    read->rate = reader.sampleRate();
    read->frames = qMax<qint64>(reader.frames(), got);
    return read;
}

bool songPlayer::load(const QString &path)
{
    QString error;
    std::shared_ptr<song> read = decode(path, error);
    if (!read) {
        refuse(error);
        return false;
    }
    take(std::move(read), path);
    return true;
}

void songPlayer::refuse(const QString &why)
{
    unload();
    m_error = why;
}

void songPlayer::take(std::shared_ptr<song> read, const QString &path)
{
    unload();
    m_song = std::move(read);
    m_path = path;
    m_error.clear();
    m_playheadUs = 0;
    openOutput();
    publishStanding();
}

void songPlayer::unload()
{
    stop();
    closeOutput();
    m_song.reset();
    m_path.clear();
    m_playheadUs = 0;
    if (m_publishTo)
        m_publishTo->clear();
}

// The default output of the API asked for, else of the first that has one; at the song's
// rate, else at the device's own.
void songPlayer::openOutput()
{
    m_deviceName.clear();
    m_deviceProblem.clear();
    try {
        m_audio = std::make_unique<RtAudio>(wantedApi());
        m_audio->showWarnings(false);
        if (m_audio->getDeviceCount() == 0) {
            m_deviceProblem = QStringLiteral("no audio device");
            m_audio.reset();
            return;
        }
        RtAudio::StreamParameters out;
        out.deviceId = m_audio->getDefaultOutputDevice();
        out.nChannels = kOutChannels;
        const RtAudio::DeviceInfo device = m_audio->getDeviceInfo(out.deviceId);
        RtAudio::StreamOptions options;
        options.streamName = "dmxplayer song";
        std::vector<unsigned int> rates = {unsigned(m_song->rate)};
        if (device.preferredSampleRate > 0 && device.preferredSampleRate != rates.front())
            rates.push_back(device.preferredSampleRate);
        std::string why;
        unsigned int openRate = 0;
        for (const unsigned int rate : rates) {
            unsigned int frames = 512;
            try {
                m_audio->openStream(&out, nullptr, RTAUDIO_FLOAT32, rate, &frames,
                                    &songPlayer::callback, this, &options);
                openRate = rate;
                break;
            } catch (const RtAudioError &e) {
                why = e.getMessage();
            }
        }
        if (!m_audio->isStreamOpen()) {
            m_deviceProblem = QString::fromStdString(why);
            m_audio.reset();
            return;
        }
        m_stream = std::make_unique<songStream>(m_song->path, m_song->channels, m_song->rate);
        m_step.store(double(m_song->rate) / double(openRate));
        m_latencyFrames.store(qMax(0L, m_audio->getStreamLatency()));
        m_deviceName = QStringLiteral("%1: %2").arg(
            QString::fromStdString(RtAudio::getApiDisplayName(m_audio->getCurrentApi())),
            QString::fromStdString(device.name));
    } catch (const RtAudioError &e) {
        m_deviceProblem = QString::fromStdString(e.getMessage());
        m_audio.reset();
    }
}

// The stream's reader goes once the callback that reads from it can no longer run.
void songPlayer::closeOutput()
{
    if (m_audio) {
        try {
            if (m_audio->isStreamOpen())
                m_audio->closeStream();
        } catch (const RtAudioError &) {
            // Closing what could not be closed leaves nothing else to do.
        }
        m_audio.reset();
    }
    m_stream.reset();
}

// The playhead, standing.
void songPlayer::publishStanding()
{
    if (m_publishTo)
        m_publishTo->publish({m_song ? m_playheadUs : -1, steadyNs(), 0, 0});
}

void songPlayer::play()
{
    if (!m_song || m_playing)
        return;
    if (m_playheadUs >= lengthMs() * 1000)
        m_playheadUs = 0;
    m_playing = true;
    if (!m_audio) {
        if (m_publishTo)
            m_publishTo->publish({m_playheadUs, steadyNs(), 1, std::numeric_limits<qint64>::max()});
        return;
    }
    publishStanding();
    // The reader fills the ring from the playhead while the device starts.
    m_stream->seek(frameAt(m_playheadUs));
    m_seekUs.store(m_playheadUs);
    try {
        m_audio->startStream();
    } catch (const RtAudioError &e) {
        m_deviceProblem = QString::fromStdString(e.getMessage());
        closeOutput();
        m_playing = false;
        play();
    }
}

void songPlayer::stop()
{
    if (!m_playing)
        return;
    m_playheadUs = qBound<qint64>(0, positionUs(), lengthMs() * 1000);
    m_playing = false;
    if (m_audio) {
        try {
            if (m_audio->isStreamRunning())
                m_audio->abortStream();
        } catch (const RtAudioError &e) {
            m_deviceProblem = QString::fromStdString(e.getMessage());
        }
    }
    m_seekUs.store(-1);
    publishStanding();
}

void songPlayer::seek(qint64 ms)
{
    if (!m_song)
        return;
    m_playheadUs = qBound<qint64>(0, ms, lengthMs()) * 1000;
    if (!m_playing) {
        publishStanding();
    } else if (!m_audio) {
        if (m_publishTo)
            m_publishTo->publish({m_playheadUs, steadyNs(), 1, std::numeric_limits<qint64>::max()});
    } else {
        m_seekUs.store(m_playheadUs);
    }
}

bool songPlayer::ended() const
{
    return m_playing && positionUs() >= lengthMs() * 1000;
}

qint64 songPlayer::positionUs() const
{
    return positionUsAt(steadyNs());
}

qint64 songPlayer::positionUsAt(qint64 ns) const
{
    if (!m_song)
        return 0;
    if (!m_publishTo || !m_playing)
        return m_playheadUs;
    return qBound<qint64>(0, m_publishTo->read().usAt(ns), lengthMs() * 1000);
}

int songPlayer::callback(void *out, void *, unsigned int frames, double, unsigned int, void *self)
{
    static_cast<songPlayer *>(self)->fill(static_cast<float *>(out), frames);
    return 0;
}

qint64 songPlayer::frameAt(qint64 us) const
{
    return qint64(double(us) * m_song->rate / 1e6);
}

// On the audio thread: the next buffer, read from the stream with linear interpolation
// between the song's frames, and the position its first frame will be heard at. While the
// reader is behind, the buffer is silence and the position stands.
void songPlayer::fill(float *out, unsigned int frames)
{
    const int rate = m_song->rate;
    const qint64 seek = m_seekUs.exchange(-1);
    double at = m_at.load(std::memory_order_relaxed);
    if (seek >= 0) {
        at = double(seek) * rate / 1e6;
        m_floorUs.store(seek, std::memory_order_relaxed);
        cueAt(qint64(at));
    }
    const double first = at;
    const double step = m_step.load(std::memory_order_relaxed);
    // Computed as in the loop below, so that the frames checked are those taken.
    const qint64 lastFrame = qint64(first + double(qint64(frames) - 1) * step);
    const bool inRing = m_stream->ready(lastFrame - m_pairAt);
    const int channels = m_stream->channels();
    for (unsigned int f = 0; f < frames; ++f) {
        if (!inRing) {
            out[2 * f] = out[2 * f + 1] = 0.0f;
            continue;
        }
        at = first + double(f) * step;
        moveOn(qint64(at));
        const float frac = float(at - double(m_pairAt));
        for (int c = 0; c < kOutChannels; ++c) {
            const int from = channels == 1 ? 0 : c;
            out[2 * f + c] = m_pair[0][from] + (m_pair[1][from] - m_pair[0][from]) * frac;
        }
    }
    m_at.store(inRing ? first + double(frames) * step : first, std::memory_order_relaxed);
    const double heard = first - double(m_latencyFrames.load(std::memory_order_relaxed)) * step;
    const qint64 us =
        qMax(m_floorUs.load(std::memory_order_relaxed), qint64(std::llround(heard * 1e6 / rate)));
    const qint64 now = steadyNs();
    m_publishTo->publish({us, now, 1, inRing ? now + kGuessNs : now});
}

// The callback goes on from `frame`: the stream reads from there unless it already does.
void songPlayer::cueAt(qint64 frame)
{
    if (m_stream->nextFrame() != frame)
        m_stream->seek(frame);
    m_pairAt = frame - 2;
}

// Takes frames from the stream until the pair starts at `frame`; past the song's end they
// are silence.
void songPlayer::moveOn(qint64 frame)
{
    for (; m_pairAt < frame; ++m_pairAt) {
        std::copy_n(m_pair[1], 2, m_pair[0]);
        if (m_stream->read(m_pair[1], 1) == 0)
            m_pair[1][0] = m_pair[1][1] = 0.0f;
        for (float &sample : m_pair[1])
            sample = qBound(-1.0f, sample, 1.0f);
    }
}
