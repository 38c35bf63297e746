#ifndef MTCDECODER_H
#define MTCDECODER_H

#include "syncsnapshot.h"

#include <array>
#include <atomic>
#include <cstddef>

// MIDI Time Code: quarter frames (F1 0n..7n), assembled after all eight pieces, and the
// full-frame message (F0 7F <device> 01 01 hh mm ss ff F7) that a sender uses for a jump or
// a stop. Pieces 0-7 span two frames and carry the time of the frame piece 0 began, so
// when the eighth arrives the current frame is that time + 2: that is published. A piece out
// of order starts the assembly over. Called on the MIDI input thread; no locks, no Qt.
class mtcDecoder
{
  public:
    explicit mtcDecoder(timecodeState &state) : m_state(state) {}

    // One or more whole MIDI messages received at `ns`. True when they were time code.
    bool feed(const unsigned char *bytes, std::size_t n, qint64 ns);

    qint64 published() const { return m_published.load(); }
    qint64 ignored() const { return m_ignored.load(); }

  private:
    timecodeState &m_state;
    std::array<int, 8> m_pieces{};
    int m_next = 0; // the piece expected next; piece 0 always starts over
    std::atomic<qint64> m_published{0};
    std::atomic<qint64> m_ignored{0};

    void quarterFrame(unsigned char data, qint64 ns);
    bool fullFrame(const unsigned char *bytes, std::size_t n, qint64 ns);
    void publish(const timecodeSnapshot &tc);
};

#endif
