#ifndef SONGPLAYER_H
#define SONGPLAYER_H

#include "syncsnapshot.h"

#include <QString>

#include <atomic>
#include <memory>
class RtAudio;
class songStream;

// A song played through RtAudio from a playhead: DMX_AUDIO_API ("jack", "alsa" or "pulse")
// when set, else the first of JACK, ALSA and PulseAudio that has a device, on its default
// output. Without any device the song "plays" silently on the steady clock, so that the show
// still follows it. The song is read from its file while it plays, a second or two ahead
// (songStream), in its own rate and one or two channels; the device runs at the song's rate
// when it can, else at its own with the song resampled on the way out.
// The position leaves through the songClockState handed in: the position heard at a moment
// of the steady clock, which the output thread reads without waiting and guesses on from.
// Threads: every call is for one thread, the GUI thread. While an output is open the
// player owns a songStream, whose reader thread decodes ahead. The audio callback runs on
// RtAudio's thread (JACK's process thread, or the stream's own for ALSA and PulseAudio),
// takes the frames from the stream's ring and shares nothing else but atomics with the
// calls; it alone publishes while the stream runs, the calls only while it stands, so that
// neither ever waits for the other. Frames the reader has not read yet are silence, and the
// position stands until they come: the show waits with what is heard.
class songPlayer
{
  public:
    explicit songPlayer(std::shared_ptr<songClockState> publishTo);
    ~songPlayer();
    songPlayer(const songPlayer &) = delete;
    songPlayer &operator=(const songPlayer &) = delete;

    // A song checked for playback: its file, rate, channels and length.
    struct song;
    // Opens the song and reads its first block; null, with `error` saying why, when it
    // cannot. Touches nothing but the file: any thread may call it (the window reads on a
    // worker thread).
    static std::shared_ptr<song> decode(const QString &path, QString &error);
    // Checks the song and opens the output for it; false with error() saying why (the
    // player is then empty). A missing device is no error: see deviceProblem().
    bool load(const QString &path);
    // Plays `read` (from decode()) from now on, as load() does after reading.
    void take(std::shared_ptr<song> read, const QString &path);
    // Empties the player and keeps `why` as error().
    void refuse(const QString &why);
    void unload();
    bool loaded() const { return m_song != nullptr; }
    // The song loaded ("" for none).
    QString path() const { return m_path; }
    QString error() const { return m_error; }
    qint64 lengthMs() const;
    // Empty while the song goes out to a device; else why it plays silently.
    QString deviceProblem() const { return m_deviceProblem; }
    // The API and device the song goes out through ("" when silent).
    QString deviceName() const { return m_deviceName; }

    // From the playhead (from the start when the playhead stands at the end).
    void play();
    // Keeps the playhead where the song was heard last.
    void stop();
    // Moves the playhead (0 to the song's length); while playing the song goes on from there.
    void seek(qint64 ms);
    bool playing() const { return m_playing; }
    // Playing, and the position has reached the song's end.
    bool ended() const;
    // The position heard now, or at `ns` on the steady clock, in microseconds.
    qint64 positionUs() const;
    qint64 positionUsAt(qint64 ns) const;
    qint64 positionMs() const { return positionUs() / 1000; }

  private:
    std::shared_ptr<songClockState> m_publishTo;
    std::shared_ptr<song> m_song;
    std::unique_ptr<RtAudio> m_audio;
    // While the output is open.
    std::unique_ptr<songStream> m_stream;
    QString m_path;
    QString m_error;
    QString m_deviceProblem;
    QString m_deviceName;
    bool m_playing = false;
    qint64 m_playheadUs = 0;
    // Song frames per device frame, and the device's latency in its frames: set while the
    // stream stands, read by the callback.
    std::atomic<double> m_step{1.0};
    std::atomic<long> m_latencyFrames{0};
    // The callback's own: the song frame it reads next, and the position it may not publish
    // before (a seek's or a start's target, still behind the device's latency).
    std::atomic<double> m_at{0.0};
    std::atomic<qint64> m_floorUs{0};
    // Asked of the callback: where to go on from (-1: nowhere new).
    std::atomic<qint64> m_seekUs{-1};
    // The callback's own: the two song frames it interpolates between, the first at
    // m_pairAt, the stream's next frame being m_pairAt + 2.
    float m_pair[2][2] = {};
    qint64 m_pairAt = -2;

    void openOutput();
    void closeOutput();
    void publishStanding();
    static int callback(void *out, void *in, unsigned int frames, double streamTime,
                        unsigned int status, void *self);
    void fill(float *out, unsigned int frames);
    void cueAt(qint64 frame);
    void moveOn(qint64 frame);
    qint64 frameAt(qint64 us) const;
};

#endif
