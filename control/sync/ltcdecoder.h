#ifndef LTCDECODER_H
#define LTCDECODER_H

#include "syncsnapshot.h"

#include <atomic>
#include <cstddef>

struct LTCDecoder;
struct LTCFrameExt;

// Linear timecode in audio samples, decoded with libltc. Each frame is published with the
// moment its first sample arrived, the moment the time it carries began. The rate follows
// the drop-frame bit, else the count of frames in a second once a second has gone by, else
// the frame's length in samples. Silence publishes nothing.
// On LTC capture's thread (ltcInput's); published() and the counters from any.
class ltcDecoder
{
  public:
    explicit ltcDecoder(timecodeState &state, int sampleRate = 48000);
    ~ltcDecoder();
    ltcDecoder(const ltcDecoder &) = delete;
    ltcDecoder &operator=(const ltcDecoder &) = delete;

    // Mono samples following those written before; `firstNs` is when the first of them
    // arrived (steady clock).
    void write(const qint16 *samples, std::size_t n, qint64 firstNs);
    void write(const float *samples, std::size_t n, qint64 firstNs);

    qint64 published() const { return m_published.load(); }
    qint64 ignored() const { return m_ignored.load(); }

  private:
    timecodeState &m_state;
    int m_sampleRate;
    LTCDecoder *m_decoder;
    qint64 m_position = 0; // samples written so far
    qint64 m_bufferPosition = 0;
    qint64 m_bufferNs = 0;
    int m_lastSecond = -1;
    int m_lastFrame = -1;
    int m_countedFps = 0; // frames in the last whole second seen, 0 while unknown
    std::atomic<qint64> m_published{0};
    std::atomic<qint64> m_ignored{0};

    void written(std::size_t n, qint64 firstNs);
    void drain();
    void frame(const LTCFrameExt &read);
    qint64 rateOf(const LTCFrameExt &read, int second, int frameNumber);
};

#endif
