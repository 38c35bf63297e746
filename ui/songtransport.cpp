#include "songtransport.h"
#include "changeset.h"

#include <QThread>

#include "dimlist.h"
#include "playengine.h"
#include "showchase.h"
#include "showtimeline.h"
#include "songplayer.h"
#include "songstate.h"
#include "songtaps.h"
#include "undohistory.h"

#include <QSettings>

#include <algorithm>

namespace
{
const QString kLatencyKey = QStringLiteral("song/latencyMs");
// How often the window hears of the position while the song plays.
constexpr int kPollMs = 40;
constexpr int kMaxLatencyMs = 2000;
} // namespace

songTransport::songTransport(dimList *list, QObject *parent)
    : QObject(parent), m_list(list),
      m_player(std::make_unique<songPlayer>(list->engine()->songClockShared())),
      m_chase(new showChase(list, this, playEngine::chaseSource::song))
{
    m_latencyMs = qBound(-kMaxLatencyMs, QSettings().value(kLatencyKey, 0).toInt(), kMaxLatencyMs);
    m_chase->setOffsetMs(m_latencyMs);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &songTransport::poll);
    // Playback stopped by other means (the table emptied, a load) stops the song too.
    connect(list, &dimList::playingChanged, this, [this] {
        if (m_player->playing() && !m_list->playing())
            stop();
    });
}

// The model may be gone already (its children go after it): only the player is stopped.
songTransport::~songTransport()
{
    for (QThread *reader : qAsConst(m_readers))
        reader->wait();
    qDeleteAll(m_readers);
    m_player->unload();
}

void songTransport::followSong(songState *song)
{
    if (m_song)
        disconnect(m_song, nullptr, this, nullptr);
    m_song = song;
    if (song) {
        connect(song, &songState::linkChanged, this, &songTransport::loadShowSong);
        connect(song, &songState::analysisChanged, this, &songTransport::loadShowSong);
    }
    loadShowSong();
}

// The song is played once it has been read whole; a song that cannot be read leaves
// playback to the table.
void songTransport::loadShowSong()
{
    const QString path = m_song && m_song->readable() ? m_song->path() : QString();
    if (!path.isEmpty() && path == m_reading)
        return;
    if (path == m_player->path()) {
        // Already the one played: a read of another song under way is stale.
        ++m_readTicket;
        m_reading.clear();
        return;
    }
    if (path.isEmpty())
        load(path);
    else
        readInBackground(path);
}

bool songTransport::active() const
{
    return m_player->loaded();
}

qint64 songTransport::lengthMs() const
{
    return m_player->lengthMs();
}

qint64 songTransport::positionMs() const
{
    return m_player->positionMs();
}

bool songTransport::playing() const
{
    return m_player->playing();
}

void songTransport::setLatencyMs(int ms)
{
    ms = qBound(-kMaxLatencyMs, ms, kMaxLatencyMs);
    if (ms == m_latencyMs)
        return;
    m_latencyMs = ms;
    QSettings().setValue(kLatencyKey, ms);
    m_chase->setOffsetMs(ms);
    emit latencyChanged();
}

void songTransport::setProblem(const QString &text)
{
    if (text == m_problem)
        return;
    m_problem = text;
    emit problemChanged();
}

bool songTransport::load(const QString &path)
{
    // A read under way for the show's song is overtaken by this one.
    ++m_readTicket;
    m_reading.clear();
    stop();
    const bool was = active();
    if (path.isEmpty())
        m_player->unload();
    else
        m_player->load(path);
    tellLoaded(was);
    return path.isEmpty() || active();
}

void songTransport::tellLoaded(bool wasActive)
{
    if (!m_player->error().isEmpty())
        setProblem(tr("歌曲无法读取：%1").arg(m_player->error()));
    else if (active() && !m_player->deviceProblem().isEmpty())
        setProblem(tr("没有音频设备，歌曲无声播放"));
    else
        setProblem(QString());
    if (wasActive || active())
        emit activeChanged();
    emit positionChanged();
}

// The show's song is read on a worker thread: a long song takes seconds, which the window
// must not stand still for. The worker touches only the file and its own result, which it
// posts back; a newer read or load in between makes the result stale.
void songTransport::readInBackground(const QString &path)
{
    m_reading = path;
    const quint64 ticket = ++m_readTicket;
    QThread *reader = QThread::create([this, path, ticket] {
        auto read = std::make_shared<readResult>();
        read->song = songPlayer::decode(path, read->error);
        QMetaObject::invokeMethod(
            this, [this, path, ticket, read] { takeRead(path, ticket, *read); },
            Qt::QueuedConnection);
    });
    m_readers.append(reader);
    connect(reader, &QThread::finished, this, [this, reader] {
        m_readers.removeOne(reader);
        reader->deleteLater();
    });
    reader->start();
}

void songTransport::takeRead(const QString &path, quint64 ticket, readResult &read)
{
    if (ticket != m_readTicket)
        return;
    m_reading.clear();
    stop();
    const bool was = active();
    if (read.song)
        m_player->take(std::move(read.song), path);
    else
        m_player->refuse(read.error);
    tellLoaded(was);
}

void songTransport::play()
{
    if (!active() || m_player->playing())
        return;
    m_holdsBefore.clear();
    m_chase->setEnabled(true);
    m_player->play();
    m_list->sendDmxEnable(true);
    if (!m_list->playing()) {
        // An empty table does not play: neither does the song.
        stop();
        return;
    }
    if (!m_problem.isEmpty())
        m_list->setStatusMessage(m_problem);
    m_poll.start();
    emit playingChanged();
    emit positionChanged();
}

void songTransport::stop()
{
    if (!m_player->playing())
        return;
    m_player->stop();
    m_poll.stop();
    if (m_list->playing())
        m_list->sendDmxEnable(false);
    m_chase->setEnabled(false);
    // Both chases hand their show to the one engine: the timecode's goes on where it was on.
    if (m_list->chase()->enabled())
        m_list->chase()->refresh();
    recordTaps();
    emit playingChanged();
    emit positionChanged();
}

void songTransport::seek(qint64 ms)
{
    if (!active())
        return;
    m_player->seek(ms);
    if (!m_player->playing())
        followPlayhead();
    emit positionChanged();
}

// Standing, the step under the playhead is the table's current row, as it is while playing.
void songTransport::followPlayhead()
{
    const auto line = m_chase->layOut();
    if (!line)
        return;
    const int row = line->locate(m_player->positionMs() - m_latencyMs).row;
    {
        const changeSet edit;
        m_list->document().setEditRow(row);
    }
    m_list->settle(true);
}

void songTransport::poll()
{
    if (m_player->ended())
        stop();
    else
        emit positionChanged();
}

void songTransport::tap(qint64 ns)
{
    if (m_player->playing())
        tapAtSong(m_player->positionUsAt(ns) / 1000);
}

// The table changes at once, so that the output moves on to the next step at the tap; the
// history hears of it when the song stops.
void songTransport::tapAtSong(qint64 songMs)
{
    if (!m_player->playing())
        return;
    const auto line = m_chase->timeline();
    if (!line)
        return;
    const songTaps::holdChange change =
        songTaps::tap(*line, songMs - m_latencyMs, m_list->engine()->speed());
    if (change.row < 0)
        return;
    const quint16 before = m_list->steps().speed(change.row);
    if (!m_holdsBefore.contains(change.row))
        m_holdsBefore.insert(change.row, before);
    if (before == change.hold)
        return;
    {
        const changeSet edit;
        m_list->stepsForWriting().setCell(change.row, 1, change.hold);
    }
    dimList::cellArea area;
    area.add(change.row, 1);
    m_list->cellsChanged(area);
}

// All the holds this playback's taps set, as one step of the history.
void songTransport::recordTaps()
{
    QVector<cellChange> changes;
    QList<int> rows = m_holdsBefore.keys();
    std::sort(rows.begin(), rows.end());
    for (const int row : rows) {
        const quint16 before = m_holdsBefore.value(row);
        if (row < m_list->steps().size() && m_list->steps().speed(row) != before)
            changes.append({row, 1, before, m_list->steps().speed(row)});
    }
    m_holdsBefore.clear();
    if (changes.isEmpty())
        return;
    undoHistory *history = m_list->changeHistory();
    history->beginStep();
    history->cellsChanged(std::move(changes));
    history->endStep();
}
