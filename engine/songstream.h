#ifndef SONGSTREAM_H
#define SONGSTREAM_H

#include <QString>
#include <QtGlobal>

#include <semaphore.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class songReader;

// A song read from its file a little ahead of the one who plays it, so that a long song never
// sits whole in memory: a reader thread of its own decodes blocks into a ring that holds
// about a second and a half, and the player takes frames out of it.
// Threads: the reader thread, started and joined here, owns the file. The consumer (the
// audio callback) reads, drops and seeks without ever waiting, locking or allocating: only
// atomics pass between the two, and the consumer wakes the reader with sem_post. A seek
// starts a new generation; the blocks of older ones left in the ring are dropped unread.
class songStream
{
  public:
    // Reads `path` from its first frame on, in `channels` played channels at `rate` (as a
    // songReader found them). The file is opened on the reader thread, since some formats take
    // a while to open; one that cannot be read, or no longer as found, gives a stream that has
    // ended.
    songStream(const QString &path, int channels, int rate);
    ~songStream();
    songStream(const songStream &) = delete;
    songStream &operator=(const songStream &) = delete;

    // Samples to a frame: the song's played channels (one or two).
    int channels() const { return m_channels; }

    // The consumer's calls, from one thread at a time: the audio callback while it runs,
    // else any.
    // Reads on from `frame`.
    void seek(qint64 frame);
    // The frame read next.
    qint64 nextFrame();
    // `frames` frames are in the ring to be read, or all that is left of the song is.
    bool ready(qint64 frames);
    // Up to `count` frames into `out`, channels() samples each; fewer when the reader is
    // behind or the song ends.
    int read(float *out, int count);
    // Read to the song's end (or to a read error).
    bool ended();

  private:
    struct block {
        quint32 generation = 0;
        qint64 start = 0;
        int count = 0;
        // The song ends after this block.
        bool last = false;
        float *samples = nullptr;
    };

    void run();
    bool produce(quint32 generation, qint64 &next, bool readable);
    void follow();
    const block *current();
    void release();

    // The reader thread's own.
    std::unique_ptr<songReader> m_reader;
    const QString m_path;
    const int m_channels;
    std::vector<float> m_samples;
    std::vector<block> m_ring;
    // Blocks written and blocks released, counted from the start: the reader alone moves the
    // tail, the consumer alone the head.
    std::atomic<quint64> m_tail{0};
    std::atomic<quint64> m_head{0};
    // The generation and the frame to read from, in one word so that they change together.
    std::atomic<quint64> m_wanted{0};
    std::atomic<bool> m_stop{false};
    sem_t m_wake;
    std::thread m_thread;

    // The consumer's own: the generation it reads, its next frame, how far into the head
    // block it is, and whether it read the generation's last block.
    quint32 m_generation = 0;
    qint64 m_next = 0;
    int m_offset = 0;
    bool m_atEnd = false;
};

#endif
