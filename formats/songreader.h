#ifndef SONGREADER_H
#define SONGREADER_H

#include <QString>
#include <QtGlobal>

#include <vector>

struct sf_private_tag;

// A song file read through libsndfile (WAV, FLAC, Ogg Vorbis, Opus, MP3) a block at a time,
// mixed to mono for its analysis, so that a long song never sits whole in memory, or as it
// sounds for its playback. Any one thread at a time.
class songReader
{
  public:
    // Opens the file. A file that cannot be read, or that lasts longer than
    // songLimits::kMaxLengthMs, leaves the reader closed with error() saying why.
    explicit songReader(const QString &path);
    ~songReader();
    songReader(const songReader &) = delete;
    songReader &operator=(const songReader &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // libsndfile's reason, or the song's length against the limit; empty while all is well.
    QString error() const { return m_error; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // As the file's header says; the frames read may fall short of it.
    qint64 frames() const { return m_frames; }
    qint64 framesRead() const { return m_framesRead; }

    // Up to `count` frames, each the mean of its channels, into `out`; 0 at the end. A read
    // error or a file longer than its header claimed past the limit closes the reader with
    // error().
    int readMono(float *out, int count);
    // The channels playback keeps: one or two as the file has them, more mixed to one.
    int playedChannels() const { return m_channels <= 2 ? m_channels : 1; }
    // As readMono(), with playedChannels() samples to a frame, interleaved.
    int readPlayed(float *out, int count);
    // Reads on from `frame` (from the start); false, the reader left as it was, when the
    // file cannot be sought.
    bool seek(qint64 frame);

  private:
    void close(const QString &reason);
    // Into m_interleaved; the frames read.
    int readBlock(int count);

    sf_private_tag *m_file = nullptr;
    QString m_error;
    int m_sampleRate = 0;
    int m_channels = 0;
    qint64 m_frames = 0;
    qint64 m_framesRead = 0;
    std::vector<float> m_interleaved;
};

#endif
