#include "songstream.h"

#include "songreader.h"

#include <algorithm>
#include <cerrno>

namespace
{
constexpr int kBlockFrames = 1024;
// Enough for a slow read to catch up, little enough to be nothing beside the window.
constexpr double kAheadSeconds = 1.5;
constexpr int kMinBlocks = 32;

// A wanted position: the generation in the top bits, the frame below (2^40 frames are
// longer than any song a reader accepts).
constexpr int kFrameBits = 40;
constexpr quint64 kFrameMask = (quint64(1) << kFrameBits) - 1;
constexpr quint32 kGenerationMask = (quint32(1) << (64 - kFrameBits)) - 1;

quint64 wanted(quint32 generation, qint64 frame)
{
    return (quint64(generation & kGenerationMask) << kFrameBits) | (quint64(frame) & kFrameMask);
}

quint32 generationOf(quint64 wanted)
{
    return quint32(wanted >> kFrameBits);
}

qint64 frameOf(quint64 wanted)
{
    return qint64(wanted & kFrameMask);
}
} // namespace

songStream::songStream(const QString &path, int channels, int rate)
    : m_path(path), m_channels(qBound(1, channels, 2))
{
    const int blocks = std::max(kMinBlocks, int(kAheadSeconds * rate / kBlockFrames) + 1);
    m_samples.resize(size_t(blocks) * kBlockFrames * size_t(m_channels));
    m_ring.resize(size_t(blocks));
    for (int b = 0; b < blocks; ++b)
        m_ring[size_t(b)].samples =
            m_samples.data() + size_t(b) * kBlockFrames * size_t(m_channels);
    sem_init(&m_wake, 0, 0);
    m_thread = std::thread(&songStream::run, this);
}

songStream::~songStream()
{
    m_stop.store(true, std::memory_order_release);
    sem_post(&m_wake);
    m_thread.join();
    sem_destroy(&m_wake);
}

// The reader thread: fills the ring from the wanted position on, and sleeps while it is full
// or the song has been read to its end.
void songStream::run()
{
    m_reader = std::make_unique<songReader>(m_path);
    const bool asFound = m_reader->isOpen() && m_reader->playedChannels() == m_channels;
    quint32 generation = kGenerationMask + 1; // none yet
    qint64 next = 0;
    bool readable = false;
    bool done = false;
    while (!m_stop.load(std::memory_order_acquire)) {
        const quint64 want = m_wanted.load(std::memory_order_acquire);
        if (generationOf(want) != generation) {
            generation = generationOf(want);
            next = frameOf(want);
            readable = asFound && m_reader->seek(next);
            done = false;
        }
        const quint64 tail = m_tail.load(std::memory_order_relaxed);
        if (!done && tail - m_head.load(std::memory_order_acquire) < m_ring.size()) {
            done = produce(generation, next, readable);
            continue;
        }
        while (sem_wait(&m_wake) != 0 && errno == EINTR) {
        }
    }
}

// The next block at the tail; one that falls short of a whole block is the song's last.
bool songStream::produce(quint32 generation, qint64 &next, bool readable)
{
    const quint64 tail = m_tail.load(std::memory_order_relaxed);
    block &b = m_ring[tail % m_ring.size()];
    const int got = readable ? m_reader->readPlayed(b.samples, kBlockFrames) : 0;
    b.generation = generation;
    b.start = next;
    b.count = std::max(0, got);
    b.last = b.count < kBlockFrames;
    next += b.count;
    const bool last = b.last;
    m_tail.store(tail + 1, std::memory_order_release);
    return last;
}

void songStream::seek(qint64 frame)
{
    quint64 was = m_wanted.load(std::memory_order_relaxed);
    while (!m_wanted.compare_exchange_weak(was, wanted(generationOf(was) + 1, frame),
                                           std::memory_order_acq_rel)) {
    }
    sem_post(&m_wake);
}

// The consumer takes on a seek made since it last looked.
void songStream::follow()
{
    const quint64 want = m_wanted.load(std::memory_order_acquire);
    if (generationOf(want) == m_generation)
        return;
    m_generation = generationOf(want);
    m_next = frameOf(want);
    m_atEnd = false;
}

// The head block while it has frames of the current generation left; blocks of older
// generations, and the current one's read to their end, are given back to the reader.
const songStream::block *songStream::current()
{
    follow();
    const quint64 tail = m_tail.load(std::memory_order_acquire);
    for (quint64 head = m_head.load(std::memory_order_relaxed); head < tail; ++head) {
        const block &b = m_ring[head % m_ring.size()];
        if (b.generation == m_generation && m_offset < b.count) {
            Q_ASSERT(b.start + m_offset == m_next);
            return &b;
        }
        if (b.generation == m_generation && b.last)
            m_atEnd = true;
        release();
    }
    return nullptr;
}

void songStream::release()
{
    m_offset = 0;
    m_head.store(m_head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    sem_post(&m_wake);
}

qint64 songStream::nextFrame()
{
    follow();
    return m_next;
}

bool songStream::ready(qint64 frames)
{
    if (current() == nullptr)
        return m_atEnd || frames <= 0;
    const quint64 tail = m_tail.load(std::memory_order_acquire);
    qint64 have = -m_offset;
    for (quint64 head = m_head.load(std::memory_order_relaxed); head < tail; ++head) {
        const block &b = m_ring[head % m_ring.size()];
        have += b.count;
        if (have >= frames || b.last)
            return true;
    }
    return false;
}

int songStream::read(float *out, int count)
{
    int done = 0;
    while (done < count) {
        const block *b = current();
        if (!b)
            break;
        const int take = std::min(count - done, b->count - m_offset);
        std::copy_n(b->samples + size_t(m_offset) * size_t(m_channels),
                    size_t(take) * size_t(m_channels), out + size_t(done) * size_t(m_channels));
        m_offset += take;
        m_next += take;
        done += take;
    }
    return done;
}

bool songStream::ended()
{
    current();
    return m_atEnd;
}
