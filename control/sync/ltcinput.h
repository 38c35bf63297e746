#ifndef LTCINPUT_H
#define LTCINPUT_H

#include "ltcdecoder.h"

#include <QString>

#include <atomic>
#include <thread>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

// LTC from an audio input: ALSA capture at 48 kHz, mono, 16 bits, read on a thread of its
// own into an ltcDecoder.
// start(), stop() and the setters on the owner's thread; the counters from any.
class ltcInput
{
  public:
    static constexpr int kSampleRate = 48000;

    explicit ltcInput(timecodeState &state);
    ~ltcInput();
    ltcInput(const ltcInput &) = delete;
    ltcInput &operator=(const ltcInput &) = delete;

    // Before start(): an ALSA device name ("default" unless set, e.g. "hw:1" or
    // "plughw:CARD=USB").
    void setDevice(const QString &device) { m_device = device; }
    QString device() const { return m_device; }

    // False with problem() set when the device cannot be opened for this format.
    bool start();
    // Returns within the capture thread's wait interval.
    void stop();
    bool running() const { return m_thread.joinable(); }
    QString problem() const { return m_problem; }
    // Read errors the capture recovered from (overruns).
    qint64 overruns() const { return m_overruns.load(); }
    // The device failed for good while capturing (unplugged).
    bool lost() const { return m_lost.load(); }
    qint64 published() const { return m_decoder.published(); }

  private:
    ltcDecoder m_decoder;
    QString m_device = QStringLiteral("default");
    QString m_problem;
    snd_pcm_t *m_pcm = nullptr;
    std::vector<qint16> m_samples;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_overruns{0};
    std::atomic<bool> m_lost{false};

    bool open();
    void run();
    int readAvailable();
};

#endif
