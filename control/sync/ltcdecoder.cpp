#include "ltcdecoder.h"

#include "timecode.h"

#include <ltc.h>

namespace
{
constexpr int kQueue = 32;
constexpr int kGuessFps = 25;
} // namespace

ltcDecoder::ltcDecoder(timecodeState &state, int sampleRate)
    : m_state(state), m_sampleRate(sampleRate),
      m_decoder(ltc_decoder_create(sampleRate / kGuessFps, kQueue))
{
}

ltcDecoder::~ltcDecoder()
{
    ltc_decoder_free(m_decoder);
}

// libltc takes the buffers as non-const but only reads them.
void ltcDecoder::write(const qint16 *samples, std::size_t n, qint64 firstNs)
{
    written(n, firstNs);
    ltc_decoder_write_s16(m_decoder, const_cast<short *>(samples), n, m_bufferPosition);
    drain();
}

void ltcDecoder::write(const float *samples, std::size_t n, qint64 firstNs)
{
    written(n, firstNs);
    ltc_decoder_write_float(m_decoder, const_cast<float *>(samples), n, m_bufferPosition);
    drain();
}

void ltcDecoder::written(std::size_t n, qint64 firstNs)
{
    m_bufferPosition = m_position;
    m_bufferNs = firstNs;
    m_position += qint64(n);
}

void ltcDecoder::drain()
{
    LTCFrameExt read;
    while (ltc_decoder_read(m_decoder, &read))
        frame(read);
}

void ltcDecoder::frame(const LTCFrameExt &read)
{
    SMPTETimecode stime;
    LTCFrame bits = read.ltc;
    ltc_frame_to_time(&stime, &bits, 0);
    const timecode::hmsf time{stime.hours, stime.mins, stime.secs, stime.frame};
    const qint64 start = read.reverse ? read.off_end : read.off_start;
    const qint64 ns = m_bufferNs + (start - m_bufferPosition) * qint64(1000000000) / m_sampleRate;
    const timecodeSnapshot tc =
        timecode::snapshot(time, rateOf(read, time.seconds, time.frames), ns);
    m_lastSecond = time.seconds;
    m_lastFrame = time.frames;
    if (tc.ms < 0) {
        ++m_ignored;
        return;
    }
    m_state.publish(tc);
    ++m_published;
}

qint64 ltcDecoder::rateOf(const LTCFrameExt &read, int second, int frameNumber)
{
    if (read.ltc.dfbit)
        return timecodeSnapshot::fps2997drop;
    const bool rolledOver =
        frameNumber == 0 && m_lastSecond >= 0 && (m_lastSecond + 1) % 60 == second;
    const int counted = m_lastFrame + 1;
    if (rolledOver && (counted == 24 || counted == 25 || counted == 30))
        m_countedFps = counted;
    if (frameNumber >= m_countedFps)
        m_countedFps = 0; // the rate changed
    int fps = m_countedFps;
    if (fps == 0) {
        const double samples = double(read.off_end - read.off_start + 1);
        const double measured = samples > 0 ? m_sampleRate / samples : kGuessFps;
        fps = measured < 24.5 ? 24 : measured < 27.5 ? 25 : 30;
        if (frameNumber >= fps)
            fps = frameNumber >= 25 ? 30 : 25;
    }
    return fps == 24   ? timecodeSnapshot::fps24
           : fps == 25 ? timecodeSnapshot::fps25
                       : timecodeSnapshot::fps30;
}
