#ifndef SYNCSNAPSHOT_H
#define SYNCSNAPSHOT_H

#include <QtGlobal>

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>

// A few 64-bit words that one thread writes and others read without ever waiting on it: a
// sequence lock over atomic words. A reader that meets a write under way reads again; a
// write takes a handful of stores, so that retry is all the waiting there is. Writers are
// serialised among themselves (tap on the GUI thread, a clock on the MIDI thread).
template <std::size_t N> class seqWords
{
  public:
    using words = std::array<qint64, N>;

    void write(const words &value)
    {
        const std::lock_guard<std::mutex> writers(m_writers);
        const unsigned seq = m_seq.load(std::memory_order_relaxed);
        m_seq.store(seq + 1, std::memory_order_relaxed);
        // Release stores rather than a fence, which ThreadSanitizer cannot follow: a reader
        // that sees a new word also sees the odd sequence stored before it.
        for (std::size_t i = 0; i < N; ++i)
            m_words[i].store(value[i], std::memory_order_release);
        m_seq.store(seq + 2, std::memory_order_release);
    }

    words read() const
    {
        words out{};
        for (;;) {
            const unsigned before = m_seq.load(std::memory_order_acquire);
            for (std::size_t i = 0; i < N; ++i)
                out[i] = m_words[i].load(std::memory_order_acquire);
            if ((before & 1u) == 0 && m_seq.load(std::memory_order_relaxed) == before)
                return out;
        }
    }

  private:
    std::mutex m_writers;
    std::atomic<unsigned> m_seq{0};
    std::array<std::atomic<qint64>, N> m_words{};
};

// Times are nanoseconds of the steady clock (std::chrono::steady_clock, the engine's clock).

// The tempo as the output thread sees it: the length of a beat and a moment a beat fell on,
// with that beat's number, so that later beats lie at beatNs + k * periodNs.
struct tempoSnapshot {
    qint64 periodNs = 0; // 0: no tempo known
    qint64 beatNs = 0;
    qint64 beat = 0;

    double bpm() const { return periodNs > 0 ? 60e9 / double(periodNs) : 0.0; }
};

// Any thread: the tap (GUI thread) and the MIDI clock (RtMidi's thread) publish, taking turns;
// the output thread and the window read without waiting.
class tempoState
{
  public:
    void publish(const tempoSnapshot &tempo)
    {
        m_words.write({tempo.periodNs, tempo.beatNs, tempo.beat});
    }
    tempoSnapshot read() const
    {
        const auto w = m_words.read();
        return tempoSnapshot{w[0], w[1], w[2]};
    }

  private:
    seqWords<3> m_words;
};

// The last timecode received: its position in milliseconds from 00:00:00:00 (real time,
// drop-frame counted out), the frame as sent, its rate and when it arrived.
struct timecodeSnapshot {
    enum rate : qint64 { fps24 = 0, fps25 = 1, fps2997drop = 2, fps30 = 3 };
    qint64 ms = -1;   // -1: nothing received yet
    qint64 frame = 0; // frames since 00:00:00:00 as counted on the wire
    qint64 fps = fps25;
    qint64 arrivedNs = 0;
};

// Any thread: the open source's thread publishes and the GUI thread clears, taking turns; the
// output thread and the window read without waiting.
class timecodeState
{
  public:
    timecodeState() { clear(); } // reads as nothing received, not as 00:00:00:00
    void publish(const timecodeSnapshot &tc)
    {
        m_words.write({tc.ms, tc.frame, tc.fps, tc.arrivedNs});
    }
    timecodeSnapshot read() const
    {
        const auto w = m_words.read();
        return timecodeSnapshot{w[0], w[1], w[2], w[3]};
    }
    void clear() { publish(timecodeSnapshot{}); }

  private:
    seqWords<4> m_words;
};

// The song as its player last told: the position heard at a moment of the steady clock, and
// whether it moves on from there (at the song's own pace) and until when that guess holds.
struct songClockSnapshot {
    qint64 us = -1; // -1: no song
    qint64 atNs = 0;
    qint64 moving = 0;
    // Past this a position is not guessed further: the audio that would move it on is late.
    qint64 untilNs = 0;

    // The position at `ns` on the steady clock, in microseconds; -1 for no song.
    qint64 usAt(qint64 ns) const
    {
        if (us < 0 || !moving)
            return us;
        return us + (qMin(ns, untilNs) - atNs) / 1000;
    }
};

// Any thread: the player's audio callback publishes while the song plays, the GUI thread
// while it stands; the output thread reads without waiting.
class songClockState
{
  public:
    songClockState() { clear(); }
    void publish(const songClockSnapshot &song)
    {
        m_words.write({song.us, song.atNs, song.moving, song.untilNs});
    }
    songClockSnapshot read() const
    {
        const auto w = m_words.read();
        return songClockSnapshot{w[0], w[1], w[2], w[3]};
    }
    void clear() { publish(songClockSnapshot{}); }

  private:
    seqWords<4> m_words;
};

#endif
