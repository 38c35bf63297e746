#ifndef FIXTURELIBRARY_H
#define FIXTURELIBRARY_H

#include "fixturedef.h"

#include <QObject>
#include <QStringList>
#include <QVector>

class QThread;

// The fixture definitions on this machine: QLC+ files (.qxf) and Open Fixture Library files
// (.json, a whole tree or loose files). The index keeps of each file only what a picker
// lists, or the reason the file cannot be used; it is built in a worker thread.
// GUI thread only, except the static functions, which the worker runs and any thread may.
class fixtureLibrary : public QObject
{
    Q_OBJECT

  public:
    struct modeSummary {
        QString name;
        int channels = 0;
    };
    struct entry {
        QString file;
        QString error; // empty when the definition loaded
        QString manufacturer;
        QString model;
        QString type;
        QVector<modeSummary> modes;
    };

    // A library holds at most this many files; more are listed as skipped.
    static constexpr int kMaxFiles = 20000;

    explicit fixtureLibrary(QObject *parent = nullptr);
    ~fixtureLibrary() override;

    // The installed QLC+ definitions, the user's own QLC+ folder and the user's OFL folder.
    static QStringList defaultFolders();
    // Reads one definition, by its name's ending: .qxf or OFL .json.
    static fixtureDef::readResult readFile(const QString &path);
    // Indexes every definition under the folders (and files named directly), sorted by
    // manufacturer, model and file. Runs in any thread.
    static QVector<entry> scan(const QStringList &places);

    // Starts indexing in a worker thread; finished() follows once entries() holds the result.
    void start(const QStringList &places);
    bool isReady() const { return m_ready; }
    const QVector<entry> &entries() const { return m_entries; }

  signals:
    void finished();

  private:
    void take(const QVector<entry> &found);

    QThread *m_worker = nullptr;
    QVector<entry> m_entries;
    bool m_ready = false;
};

#endif
