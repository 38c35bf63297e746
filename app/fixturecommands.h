#ifndef FIXTURECOMMANDS_H
#define FIXTURECOMMANDS_H

#include <QString>
#include <QStringList>

// The command-line views of the fixture libraries; both run without a display.
class fixtureCommands
{
  public:
    // One tab-separated line per definition and mode in the libraries (manufacturer, model,
    // mode, channel count, file), only those whose line contains `text` (any case). Files
    // that cannot be used go to stderr with their reason. Returns the exit status.
    static int list(const QStringList &places, const QString &text);

    // What the program understood of one definition, as JSON on stdout; only the mode named
    // `mode` when it is not empty. Exit status 1, with the reason on stderr, when the file or
    // the mode cannot be used.
    static int show(const QString &file, const QString &mode);
};

#endif
