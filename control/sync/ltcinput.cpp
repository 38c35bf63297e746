#include "ltcinput.h"

#include <alsa/asoundlib.h>

#include <chrono>

namespace
{
constexpr int kWaitMs = 50;
constexpr unsigned kLatencyUs = 100000;
constexpr snd_pcm_uframes_t kChunk = 1024;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ALSA prints on stderr why a device cannot be opened; problem() tells it instead.
void quiet(const char *, int, const char *, int, const char *, ...) {}
} // namespace

ltcInput::ltcInput(timecodeState &state) : m_decoder(state, kSampleRate) {}

ltcInput::~ltcInput()
{
    stop();
}

bool ltcInput::start()
{
    stop();
    m_problem.clear();
    if (!open())
        return false;
    m_samples.resize(kChunk);
    m_stopping = false;
    m_lost = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void ltcInput::stop()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        m_thread.join();
    }
    if (m_pcm)
        snd_pcm_close(m_pcm);
    m_pcm = nullptr;
}

bool ltcInput::open()
{
    snd_lib_error_set_handler(quiet);
    int error = snd_pcm_open(&m_pcm, m_device.toLocal8Bit().constData(), SND_PCM_STREAM_CAPTURE,
                             SND_PCM_NONBLOCK);
    if (error == 0)
        error = snd_pcm_set_params(m_pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                                   kSampleRate, 1, kLatencyUs);
    if (error == 0)
        error = snd_pcm_start(m_pcm);
    snd_lib_error_set_handler(nullptr); // the handler is the whole process's
    if (error == 0)
        return true;
    m_problem = QStringLiteral("Audio input \"%1\" cannot be opened: %2")
                    .arg(m_device, QString::fromLocal8Bit(snd_strerror(error)));
    if (m_pcm)
        snd_pcm_close(m_pcm);
    m_pcm = nullptr;
    return false;
}

// An overrun is recovered from; a device gone ends the capture, which lost() tells.
void ltcInput::run()
{
    while (!m_stopping) {
        int error = snd_pcm_wait(m_pcm, kWaitMs);
        if (error >= 0)
            error = readAvailable();
        if (error >= 0)
            continue;
        ++m_overruns;
        if (snd_pcm_recover(m_pcm, error, 1) != 0 || snd_pcm_start(m_pcm) != 0) {
            m_lost = true;
            return;
        }
    }
}

// One chunk at most a turn, so that stop() is seen however fast the device delivers. The
// samples read end now, less what still waits in the device's buffer.
int ltcInput::readAvailable()
{
    const snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, m_samples.data(), kChunk);
    if (got == -EAGAIN)
        return 0;
    if (got < 0)
        return int(got);
    snd_pcm_sframes_t waiting = 0;
    if (snd_pcm_delay(m_pcm, &waiting) != 0 || waiting < 0)
        waiting = 0;
    const qint64 firstNs = nowNs() - (qint64(got) + waiting) * qint64(1000000000) / kSampleRate;
    m_decoder.write(m_samples.data(), std::size_t(got), firstNs);
    return 0;
}
