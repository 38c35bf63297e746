#include "mtcdecoder.h"

#include "timecode.h"

namespace
{
constexpr unsigned char kQuarterFrame = 0xF1;
constexpr unsigned char kSysEx = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr std::size_t kFullFrameSize = 10;
constexpr int kPieces = 8;
constexpr int kAhead = 2; // frames the eight pieces take to arrive

timecode::hmsf assembled(const std::array<int, 8> &p)
{
    return timecode::hmsf{p[6] | (p[7] & 0x1) << 4, p[4] | (p[5] & 0x3) << 4,
                          p[2] | (p[3] & 0x3) << 4, p[0] | (p[1] & 0x1) << 4};
}
} // namespace

bool mtcDecoder::feed(const unsigned char *bytes, std::size_t n, qint64 ns)
{
    bool timecode = false;
    std::size_t i = 0;
    while (i < n) {
        if (bytes[i] == kQuarterFrame && i + 1 < n && bytes[i + 1] < 0x80) {
            quarterFrame(bytes[i + 1], ns);
            timecode = true;
            i += 2;
        } else if (bytes[i] == kSysEx) {
            std::size_t end = i + 1;
            while (end < n && bytes[end] != kSysExEnd)
                ++end;
            const std::size_t size = end < n ? end - i + 1 : n - i;
            timecode = fullFrame(bytes + i, size, ns) || timecode;
            i += size;
        } else {
            ++i;
        }
    }
    return timecode;
}

void mtcDecoder::quarterFrame(unsigned char data, qint64 ns)
{
    const int piece = data >> 4;
    if (piece != m_next && piece != 0) {
        m_next = 0;
        ++m_ignored;
        return;
    }
    m_pieces[std::size_t(piece)] = data & 0x0F;
    m_next = piece + 1;
    if (m_next < kPieces)
        return;
    m_next = 0;
    const qint64 rate = (m_pieces[7] >> 1) & 0x3;
    const qint64 frame = timecode::toFrame(assembled(m_pieces), rate);
    if (frame < 0) {
        ++m_ignored;
        return;
    }
    const qint64 now = (frame + kAhead) % timecode::framesPerDay(rate);
    publish(timecode::snapshot(timecode::fromFrame(now, rate), rate, ns));
}

// Universal real time, MIDI time code, full message; the device byte may be anything (7F:
// to all).
bool mtcDecoder::fullFrame(const unsigned char *bytes, std::size_t n, qint64 ns)
{
    if (n != kFullFrameSize || bytes[1] != 0x7F || bytes[3] != 0x01 || bytes[4] != 0x01 ||
        bytes[9] != kSysExEnd)
        return false;
    m_next = 0;
    const timecode::hmsf time{bytes[5] & 0x1F, bytes[6], bytes[7], bytes[8]};
    const qint64 rate = (bytes[5] >> 5) & 0x3;
    const timecodeSnapshot tc = timecode::snapshot(time, rate, ns);
    if (tc.ms < 0 || bytes[5] > 0x7F)
        ++m_ignored;
    else
        publish(tc);
    return true;
}

void mtcDecoder::publish(const timecodeSnapshot &tc)
{
    m_state.publish(tc);
    ++m_published;
}
