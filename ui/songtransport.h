#ifndef SONGTRANSPORT_H
#define SONGTRANSPORT_H

#include <QHash>
#include <QObject>
#include <QTimer>

#include "songplayer.h"

#include <memory>

class dimList;
class showChase;

class songState;
class QThread;

// The show's song as a media player the window drives ("song_player"): Play plays the song
// from the playhead and the output follows it (the song's own chase: each tick shows the
// frame of the position heard less the latency offset), Stop stops both and keeps the
// playhead, seek() moves it. While the song plays, taps end the step under way at the tap;
// all the taps of one playback are one undo step, recorded when it stops. Without a readable
// song it is inactive and playback is the table's own.
// GUI thread only; the audio thread reaches only the player's atomics and the song's clock.
class songTransport : public QObject
{
    Q_OBJECT
    // A song is loaded: Play and Space drive it.
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    Q_PROPERTY(qint64 lengthMs READ lengthMs NOTIFY activeChanged)
    Q_PROPERTY(qint64 positionMs READ positionMs NOTIFY positionChanged)
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)
    // How much later than the song the lights come (ms; negative: earlier), for the delay
    // between the audio leaving and being heard. A setting, kept across runs.
    Q_PROPERTY(int latencyMs READ latencyMs WRITE setLatencyMs NOTIFY latencyChanged)
    // Why the song is not heard (no audio device, or the song could not be read); empty when
    // all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

  public:
    explicit songTransport(dimList *list, QObject *parent = nullptr);
    ~songTransport() override;

    // Loads the show's song whenever its link or analysis changes (null: none).
    void followSong(songState *song);

    bool active() const;
    qint64 lengthMs() const;
    qint64 positionMs() const;
    bool playing() const;
    int latencyMs() const { return m_latencyMs; }
    void setLatencyMs(int ms);
    QString problem() const { return m_problem; }

    // The song at `path`; an empty path unloads it. False when it cannot be read.
    Q_INVOKABLE bool load(const QString &path);
    Q_INVOKABLE void play();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void seek(qint64 ms);
    // A tap at `ns` on the steady clock (the window's T, remote control's "tap").
    void tap(qint64 ns);
    // A tap where the song stands `songMs` into it.
    void tapAtSong(qint64 songMs);

  signals:
    void activeChanged();
    void positionChanged();
    void playingChanged();
    void latencyChanged();
    void problemChanged();

  private:
    dimList *m_list;
    std::unique_ptr<songPlayer> m_player;
    showChase *m_chase;
    songState *m_song = nullptr;
    int m_latencyMs = 0;
    QString m_problem;
    // While playing: the position for the window, and the song's end.
    QTimer m_poll;
    // The holds this playback's taps replaced, as they were before it.
    QHash<int, quint16> m_holdsBefore;

    // A song read on a worker thread, handed back to the GUI thread.
    struct readResult {
        std::shared_ptr<songPlayer::song> song;
        QString error;
    };
    // The show's song being read, and the ticket of the newest read or load.
    QString m_reading;
    quint64 m_readTicket = 0;
    QList<QThread *> m_readers;

    void setProblem(const QString &text);
    void tellLoaded(bool wasActive);
    void readInBackground(const QString &path);
    void takeRead(const QString &path, quint64 ticket, readResult &read);
    void loadShowSong();
    void poll();
    void followPlayhead();
    void recordTaps();
};

#endif
