#ifndef CHILDPROCESS_H
#define CHILDPROCESS_H

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

// A QProcess whose child the kernel kills when the test process ends, however it ends (a
// failed check, a crash, the SIGKILL of a time-out): a helper server or a program under test
// never outlives its test. Start it from the test's main thread, which lives as long as the
// test: the kernel ties the child to the thread that forked it.
class childProcess : public QProcess
{
  public:
    using QProcess::QProcess;

  protected:
    void setupChildProcess() override
    {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The test may have died between the fork and the prctl.
        if (::getppid() != m_parent)
            ::_exit(127);
    }

  private:
    const pid_t m_parent = ::getpid();
};

#endif
