#ifndef JACKSERVER_H
#define JACKSERVER_H

#include "childprocess.h"

#include <QCoreApplication>

// A JACK server with the dummy driver (no sound card) under a name of the test's own, for
// RtMidi's JACK backend. Started and stopped by the test, and killed with it when it dies;
// up() is false where jackd is missing or does not come up, and the test then skips.
class jackServer
{
  public:
    jackServer()
        : m_name(QStringLiteral("dmxplayer-test-%1").arg(QCoreApplication::applicationPid()))
    {
    }
    ~jackServer() { stop(); }

    // Points the JACK clients of this process at the server, then waits for it.
    bool start()
    {
        qputenv("JACK_DEFAULT_SERVER", m_name.toUtf8());
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        // Synchronous, with a generous client time-out: the server waits for a client the
        // loaded machine runs late. Asynchronous, it goes on to the next cycle without it,
        // and what that client sends or receives in the cycle is lost (a press, a light).
        m_jack.start(QStringLiteral("jackd"),
                     {QStringLiteral("--no-realtime"), QStringLiteral("--sync"),
                      QStringLiteral("--timeout"), QStringLiteral("10000"), QStringLiteral("-n"),
                      m_name, QStringLiteral("-d"), QStringLiteral("dummy")});
        if (!m_jack.waitForStarted(5000))
            return false;
        // Under a name of its own: libjack names a client's socket after the client alone,
        // in the directory of the servers' own, and the waits of two tests starting together
        // would meet (a client named as the server would even take the server's socket).
        childProcess wait;
        wait.start(QStringLiteral("jack_wait"),
                   {QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("10"),
                    QStringLiteral("-s"), m_name, QStringLiteral("-n"),
                    QStringLiteral("wait ") + m_name});
        m_up = wait.waitForFinished(15000) && wait.exitCode() == 0;
        return m_up;
    }
    void stop()
    {
        if (m_jack.state() == QProcess::NotRunning)
            return;
        m_jack.terminate();
        if (!m_jack.waitForFinished(5000))
            m_jack.kill();
        m_jack.waitForFinished(1000);
        m_up = false;
    }
    bool up() const { return m_up; }

  private:
    QString m_name;
    childProcess m_jack;
    bool m_up = false;
};

#endif
