#ifndef HEADLESS_H
#define HEADLESS_H

#include <QList>
#include <QString>
#include <QVariantList>

class QCommandLineParser;

// The conversions that run without a display: a show (or an export) to the player's C
// source, and a C export back to a show; and a song's analysis. Everything goes through the
// same file service and patch objects as the window, so the output is the window's to the
// byte.
class headless
{
  public:
    // Parses the arguments with the program's one command line, converts and returns the exit
    // status: 0 only when the output was written completely.
    static int run(int argc, char **argv);

  private:
    struct job {
        QString input;
        QString output;
        bool toC = true;
        bool hasRange = false;
        int first = 0;
        int last = 0;
        uint stride = 1;
        QList<int> fixturesOff;
    };

    static bool readJob(const QCommandLineParser &parser, job &out, QString &error);
    static int convert(const job &work);
    static int fixtureCommand(const QCommandLineParser &parser);
    static int listRecovery();
    static int analyseAudio(const QCommandLineParser &parser);
    static int restoreFixtures(const QVariantList &types);
    static bool switchFixturesOff(const QList<int> &numbers, QString &error);
    static int fail(const QString &file, const QString &reason);
};

#endif
