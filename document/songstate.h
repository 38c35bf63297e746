#ifndef SONGSTATE_H
#define SONGSTATE_H

#include "songanalysis.h"

#include <QObject>
#include <QString>
#include <QVector>

class editWindow;
class songAnalysisJob;
class undoHistory;

// The song the show is set to: the link the show file keeps (path, tempo, first beat, beats,
// the "set by hand" flags) and the song as last read (length, waveform, beats found), with
// the reason when it could not be read. The link is part of the show and is saved, loaded
// and kept in recovery copies with it; the analysis is derived and never saved.
// GUI thread only.
class songState : public QObject
{
    Q_OBJECT
    // Whether the show has a song at all (its link is not empty).
    Q_PROPERTY(bool attached READ attached NOTIFY linkChanged)
    // The song's file, absolute, as found from the show's folder; its name alone.
    Q_PROPERTY(QString path READ path NOTIFY linkChanged)
    Q_PROPERTY(QString fileName READ fileName NOTIFY linkChanged)
    // The song was read: its length, waveform and beats are known.
    Q_PROPERTY(bool readable READ readable NOTIFY analysisChanged)
    // Why the song could not be read; empty when it was, or while it is read.
    Q_PROPERTY(QString problem READ problem NOTIFY analysisChanged)
    Q_PROPERTY(qint64 lengthMs READ lengthMs NOTIFY analysisChanged)
    // The grid: as found, or as set by hand.
    Q_PROPERTY(double tempoBpm READ tempoBpm NOTIFY beatsChanged)
    Q_PROPERTY(double firstBeatMs READ firstBeatMs NOTIFY beatsChanged)
    Q_PROPERTY(bool analysing READ analysing NOTIFY analysingChanged)
    // The share of the song read by the running analysis, 0 to 1.
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    // There are beats to place steps on.
    Q_PROPERTY(bool hasBeats READ hasBeats NOTIFY beatsChanged)

  public:
    explicit songState(QObject *parent = nullptr);
    // Records its changes in the show's history (one undo step each) and tells the status
    // bar of the table that history belongs to why a song could not be read.
    explicit songState(undoHistory *history, QObject *parent = nullptr);

    bool attached() const { return !m_link.path.isEmpty(); }
    QString path() const { return m_path; }
    QString fileName() const;
    bool readable() const { return m_analysis.lengthMs > 0; }
    QString problem() const { return m_problem; }
    qint64 lengthMs() const
    {
        return m_analysis.lengthMs > 0 ? m_analysis.lengthMs : m_link.lengthMs;
    }
    double tempoBpm() const { return m_link.tempoBpm; }
    double firstBeatMs() const { return m_link.firstBeatMs; }
    bool analysing() const { return m_analysing; }
    double progress() const { return m_progress; }

    // The link as the show file keeps it, and the song as last read (its peaks are the
    // waveform the timeline draws).
    const songLink &link() const { return m_link; }
    const songAnalysis &analysis() const { return m_analysis; }
    // The beats the grid stands for, in ms from the song's start, ascending.
    const QVector<double> &beats() const { return m_link.beats; }
    bool hasBeats() const { return !m_link.beats.isEmpty(); }

    // Sets the show to the song in `file` (a path or a file URL) and reads it in the
    // background; false for an empty name.
    Q_INVOKABLE bool attach(const QString &file);
    // The grid set by hand: it stays through new analyses. False for a value outside
    // songLimits, or without a song.
    Q_INVOKABLE bool setTempo(double bpm);
    Q_INVOKABLE bool setFirstBeat(double ms);
    Q_INVOKABLE void detach();
    // Sets the holds of the play range's steps so each starts on a beat, every `stride`
    // beats, as one undo step; the number of steps placed.
    Q_INVOKABLE int placeOnBeats(int stride);

    // The show's own file (a local path; empty for a show not saved yet): a kept path is
    // relative to its folder when the song lies in or below it.
    void setShowFile(const QString &showFile);
    // The link as a show saved at `showFile` keeps it (absolute paths for an empty name).
    songLink linkFor(const QString &showFile) const;
    // A show file's link, its path already resolved to the song's file: recorded like a
    // change (a load's undo step holds it) and the song read in the background.
    void open(const songLink &link);
    // The show has no song any more, and no undo step says so (a new show).
    void clear();
    // Puts back a link as an undo step held it (absolute path), without recording it.
    void restore(const songLink &link);

  signals:
    void linkChanged();
    void analysisChanged();
    void beatsChanged();
    void analysingChanged();
    void progressChanged();

  private:
    void change(const songLink &link, bool reread = false);
    void take(const songLink &link, bool reread = false);
    void analyse();
    void analysed(const QString &path, const songAnalysis &analysis, const QString &error);
    void fill();
    void setAnalysing(bool on);
    songLink absoluteLink() const;

    editWindow *m_window = nullptr;
    undoHistory *m_history = nullptr;
    songAnalysisJob *m_job;
    QString m_showFile;
    // The analysis was stopped to read another song (or the same one again).
    bool m_restart = false;
    // The file m_analysis was read from.
    QString m_analysed;
    songLink m_link;
    QString m_path;
    songAnalysis m_analysis;
    QString m_problem;
    bool m_analysing = false;
    double m_progress = 0.0;

    // Tests fill the song without a file.
    friend class songStateFiller;
};

#endif
