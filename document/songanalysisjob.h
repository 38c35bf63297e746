#ifndef SONGANALYSISJOB_H
#define SONGANALYSISJOB_H

#include "songanalysis.h"

#include <QObject>
#include <QString>

#include <atomic>

class QThread;

// Reads a song and finds its beats without holding up the window. The object lives on the
// GUI thread; the analysis runs on a worker thread of its own (QThread::create), which runs
// only songAnalyser::analyse and hands progress and the result back through queued calls.
// Deleting the object stops the analysis and waits for its thread.
class songAnalysisJob : public QObject
{
    Q_OBJECT

  public:
    explicit songAnalysisJob(QObject *parent = nullptr);
    ~songAnalysisJob() override;

    // Starts on the song; false, with nothing started, while an analysis runs.
    bool start(const QString &path);
    bool isRunning() const { return m_worker != nullptr; }
    // Ends the running analysis early; finished() follows with the error "stopped".
    void stop() { m_stop = true; }

  signals:
    // The share of the song read, 0 to 1, in steps of a hundredth.
    void progressChanged(double done);
    // The analysis of the song at `path`, or the reason it has none.
    void finished(const QString &path, const songAnalysis &analysis, const QString &error);

  private:
    void take(const QString &path, const songAnalysis &analysis, const QString &error);

    QThread *m_worker = nullptr;
    std::atomic<bool> m_stop{false};
};

#endif
