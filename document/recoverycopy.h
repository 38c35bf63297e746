#ifndef RECOVERYCOPY_H
#define RECOVERYCOPY_H

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

// Keeps a copy of a show with unsaved changes where a crash, a kill or a power cut cannot
// take it: written whole (write, fsync, rename) into the user's data folder, at most
// `kDelayMs` after the first change it does not hold yet, and at once before a risky step.
// A save or a clean exit removes it. Each running program has its own copy, locked while it
// runs, so that a copy whose program died can be told from one in use.
// GUI thread only; the static functions (listing, setting aside) from any thread.
class recoveryCopy : public QObject
{
    Q_OBJECT

  public:
    static constexpr qint64 kDelayMs = 30000;

    // A copy left by a program that no longer runs, as read back: `error` says why it cannot
    // be opened (it is then never loaded).
    struct orphan {
        QString path;
        QString showName;
        QDateTime written;
        int steps = 0;
        int fixtures = 0;
        QString error;
        bool operator==(const orphan &other) const;
    };

    // Writes the show as a show file would be written; false when it could not.
    using showWriter = std::function<QByteArray()>;
    // Milliseconds of a steady clock; tests give their own.
    using clockSource = std::function<qint64()>;

    recoveryCopy(const QString &folder, showWriter writer, QObject *parent = nullptr);
    // Removes the copy: a program that ends normally leaves none.
    ~recoveryCopy() override;

    // $XDG_DATA_HOME/<program>/recovery.
    static QString defaultFolder();
    // Copies in `folder` whose programs no longer run, oldest first.
    static QVector<orphan> orphans(const QString &folder);
    // Moves a copy that cannot be opened out of the way (".damaged"), so that it is not
    // offered again but is still there to look at.
    static bool setAside(const QString &path);
    // Removes a copy the user discarded, with its notes.
    static bool discard(const QString &path);

    void setClock(clockSource now);
    // The show's own file name, recorded with the copy; empty for a new show.
    void setShowName(const QString &name);
    // After every change set: whether the show now differs from its file.
    void showChanged(bool unsaved);
    // Writes the copy when it is due; the owner calls it on a timer.
    void poll();
    // At once, before loading over the show, closing or reloading the library; true when a
    // copy holds the show now (or none is needed).
    bool writeNow();
    // The show was saved or discarded: its copy goes.
    void remove();

    QString path() const { return m_dataPath; }
    bool pending() const { return m_pending; }

  signals:
    // Once for a run of failed writes; the next success ends the run.
    void writeFailed(const QString &reason);

  private:
    bool write();
    bool takeLock();

    QString m_folder;
    showWriter m_writer;
    clockSource m_now;
    QString m_showName;
    QString m_dataPath;
    QString m_notesPath;
    QString m_lockPath;
    int m_lockFd = -1;
    bool m_pending = false;
    qint64 m_pendingSince = 0;
    bool m_failing = false;
};

#endif
