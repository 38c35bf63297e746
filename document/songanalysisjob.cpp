#include "songanalysisjob.h"

#include "songanalyser.h"

#include <QThread>

songAnalysisJob::songAnalysisJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<songAnalysis>();
}

songAnalysisJob::~songAnalysisJob()
{
    if (!m_worker)
        return;
    m_stop = true;
    m_worker->wait();
    delete m_worker;
}

bool songAnalysisJob::start(const QString &path)
{
    if (m_worker)
        return false;
    m_stop = false;
    m_worker = QThread::create([this, path] {
        const auto report = [this](double done) {
            QMetaObject::invokeMethod(
                this, [this, done] { emit progressChanged(done); }, Qt::QueuedConnection);
            return !m_stop.load();
        };
        songAnalysis analysis;
        QString error;
        songAnalyser::analyse(path, analysis, error, report);
        QMetaObject::invokeMethod(
            this, [this, path, analysis, error] { take(path, analysis, error); },
            Qt::QueuedConnection);
    });
    m_worker->start();
    return true;
}

void songAnalysisJob::take(const QString &path, const songAnalysis &analysis, const QString &error)
{
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    emit finished(path, analysis, error);
}
