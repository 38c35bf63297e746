#include "songstate.h"

#include "beatplacing.h"
#include "editwindow.h"
#include "historywindow.h"
#include "songanalysisjob.h"
#include "songblock.h"
#include "undohistory.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

songState::songState(QObject *parent) : songState(nullptr, parent) {}

// The window the history writes back into is the one the beats are placed in.
songState::songState(undoHistory *history, QObject *parent)
    : QObject(parent),
      m_window(history && history->window() ? history->window()->editing() : nullptr),
      m_history(m_window ? history : nullptr), m_job(new songAnalysisJob(this))
{
    connect(m_job, &songAnalysisJob::progressChanged, this, [this](double done) {
        m_progress = done;
        emit progressChanged();
    });
    connect(m_job, &songAnalysisJob::finished, this, &songState::analysed);
}

QString songState::fileName() const
{
    return m_path.isEmpty() ? QString() : QFileInfo(m_path).fileName();
}

bool songState::attach(const QString &file)
{
    const QString path = file.startsWith(QLatin1String("file:")) ? QUrl(file).toLocalFile() : file;
    if (path.isEmpty())
        return false;
    const QString song = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The same song again is read again; a grid set by hand for it stays.
    songLink link = song == m_path ? absoluteLink() : songLink();
    link.path = song;
    change(link, true);
    return true;
}

bool songState::setTempo(double bpm)
{
    if (!attached() || !(bpm >= songLimits::kMinBpm && bpm <= songLimits::kMaxBpm))
        return false;
    songLink link = absoluteLink();
    link.tempoBpm = bpm;
    link.tempoCorrected = true;
    link.beats = beatGrid::beats(bpm, link.firstBeatMs, lengthMs());
    change(link);
    return true;
}

bool songState::setFirstBeat(double ms)
{
    if (!attached() || !(ms >= 0.0 && ms <= double(songLimits::kMaxLengthMs)))
        return false;
    songLink link = absoluteLink();
    link.firstBeatMs = ms;
    link.firstBeatCorrected = true;
    link.beats = beatGrid::beats(link.tempoBpm, ms, lengthMs());
    change(link);
    return true;
}

void songState::detach()
{
    if (attached())
        change(songLink());
}

int songState::placeOnBeats(int stride)
{
    if (!m_history || !hasBeats())
        return 0;
    return beatPlacing::place(*m_window, beats(), stride);
}

void songState::setShowFile(const QString &showFile)
{
    m_showFile = showFile;
    if (!attached())
        return;
    // The song stays where it is; only the way the show names it follows the show.
    m_link.path = linkFor(m_showFile).path;
    emit linkChanged();
}

songLink songState::linkFor(const QString &showFile) const
{
    songLink link = m_link;
    if (attached())
        link.path = showFile.isEmpty() ? m_path : songBlock::linkPath(m_path, showFile);
    return link;
}

void songState::open(const songLink &link)
{
    change(link, true);
}

void songState::clear()
{
    take(songLink());
}

void songState::restore(const songLink &link)
{
    take(link);
}

songLink songState::absoluteLink() const
{
    return linkFor(QString());
}

// One undo step from the link as it is to `link`.
void songState::change(const songLink &link, bool reread)
{
    const songLink before = absoluteLink();
    take(link, reread);
    if (m_history)
        m_history->recordSong([this](const songLink &back) { restore(back); }, before,
                              absoluteLink());
}

void songState::take(const songLink &link, bool reread)
{
    // A song still being read is read on; a correction meanwhile waits for it.
    const bool readAgain =
        reread || link.path != m_path || (m_analysed != link.path && !m_analysing);
    m_path = link.path;
    m_link = link;
    if (!m_path.isEmpty() && !m_showFile.isEmpty())
        m_link.path = songBlock::linkPath(m_path, m_showFile);
    if (readAgain) {
        m_analysis = songAnalysis();
        m_analysed.clear();
        m_problem.clear();
        emit analysisChanged();
        analyse();
    } else {
        fill();
    }
    emit linkChanged();
    emit beatsChanged();
}

void songState::analyse()
{
    if (m_job->isRunning()) {
        m_restart = true;
        m_job->stop();
    } else if (!m_path.isEmpty()) {
        m_progress = 0.0;
        emit progressChanged();
        m_job->start(m_path);
    }
    setAnalysing(!m_path.isEmpty());
}

void songState::analysed(const QString &path, const songAnalysis &analysis, const QString &error)
{
    if (m_restart) {
        m_restart = false;
        analyse();
        return;
    }
    setAnalysing(false);
    if (path != m_path)
        return;
    m_analysed = path;
    if (!error.isEmpty()) {
        m_analysis = songAnalysis();
        m_problem = tr("无法读取歌曲 %1：%2").arg(QDir::toNativeSeparators(path), error);
        if (m_history)
            m_window->setStatusMessage(m_problem);
        emit analysisChanged();
        return;
    }
    m_analysis = analysis;
    m_problem.clear();
    fill();
    emit analysisChanged();
    emit linkChanged();
    emit beatsChanged();
}

// What the song says, where the user did not say otherwise; a grid set by hand gives the
// beats, the song's own beats follow its tempo where it drifts.
void songState::fill()
{
    if (m_analysis.lengthMs <= 0)
        return;
    m_link.lengthMs = m_analysis.lengthMs;
    if (!m_link.tempoCorrected)
        m_link.tempoBpm = m_analysis.tempoBpm;
    if (!m_link.firstBeatCorrected)
        m_link.firstBeatMs = m_analysis.firstBeatMs;
    if (m_link.tempoCorrected || m_link.firstBeatCorrected)
        m_link.beats = beatGrid::beats(m_link.tempoBpm, m_link.firstBeatMs, m_link.lengthMs);
    else
        m_link.beats = m_analysis.beats;
}

void songState::setAnalysing(bool on)
{
    if (on == m_analysing)
        return;
    m_analysing = on;
    emit analysingChanged();
}
