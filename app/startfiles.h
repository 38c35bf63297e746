#ifndef STARTFILES_H
#define STARTFILES_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QObject;

// Opens the shows named on the command line in the window, one after another, the way the
// panel's "打开" does (appending). Files that cannot be read are named with the reason in
// the status line and on stderr; the window stays up either way.
class startFiles
{
    Q_DECLARE_TR_FUNCTIONS(startFiles)

  public:
    // Why a path cannot be loaded at all (missing, a folder, unreadable, neither a .dmx show
    // nor a .c export), in words for the user; empty when it can be tried.
    static QString unreadable(const QString &path);

    // Returns one message per file that was not opened.
    static QStringList open(QObject *window, const QStringList &paths);

    // Sets the show to the song at `path` (read in the background; a song that cannot be read
    // is said in the status line, the show stays). False without a window's core.
    static bool attachSong(const QString &path);

  private:
    static QString openOne(QObject *panel, const QString &path);
};

#endif
