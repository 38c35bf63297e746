#ifndef SHOWFILES_H
#define SHOWFILES_H

#include "showdata.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>

#include <functional>

class editWindow;
class QFile;
class QSaveFile;
class songState;

// Saves and loads the step program: the binary show file and the C source for the player.
// It gathers what the formats write from the show and puts what they read into it.
// GUI thread only.
class showFiles : public QObject
{
    Q_OBJECT

  public:
    // Works on the show of the window `window` gives at each call.
    explicit showFiles(std::function<editWindow &()> window, QObject *parent = nullptr);
    ~showFiles() override;

    Q_INVOKABLE bool saveData(QUrl name, int col, int start_row, int end_row,
                              QString selectedNameFilter);
    // Appends the rows of a show or a C export and returns its channel count; the table's
    // views and the window hear of the new rows and the play range ending at the last row.
    Q_INVOKABLE int loadData(QUrl name);

    // The local path saveData writes for this choice: a typed ".dmx" or ".c" decides the
    // format, otherwise the filter does and adds its extension. Empty when neither applies.
    Q_INVOKABLE QString saveTarget(QUrl name, QString selectedNameFilter) const;
    Q_INVOKABLE bool fileExists(QString path) const;
    // Why the last save or open failed or was refused; empty after a success. A failed save
    // names its path first.
    Q_INVOKABLE QString lastError() const { return m_lastError; }
    // Fixture types (the table's type indexes, in the order they were added) that the next
    // show file save records, and those the last opened show file recorded.
    Q_INVOKABLE void setFixtureTypes(const QVariantList &types);
    Q_INVOKABLE QVariantList loadedFixtureTypes() const;
    // The show as a save of it writes it, with the fixtures it has now; empty when the table
    // is too long for a show file.
    QByteArray showBytes() const;
    // The last opened show carried a fixture block that could not be read; its rows loaded.
    Q_INVOKABLE bool fixtureBlockDamaged() const { return m_fixtureBlockDamaged; }
    // The last show file read had a song block that could not be read: its song was not taken.
    bool songBlockDamaged() const { return m_songBlockDamaged; }
    // The show's song: a show file's link goes into it on load and comes from it on save.
    // Without one the link of the last show loaded is saved again (conversions).
    void setSong(songState *song) { m_song = song; }

    // Rows first..last as text, one line per step: speed, fade and the levels of at least
    // `channels` channels, tab-separated. Empty when the table has no rows.
    Q_INVOKABLE QString stepsText(int first, int last, int channels) const;
    // Inserts the steps of such text at table position `at` as one undo step and returns
    // their number, the table's views told; -1 with lastError() (naming the line and field)
    // when the text is not steps or would take the table past its row limit. The table is
    // then left as it was.
    Q_INVOKABLE int pasteSteps(const QString &text, int at);

  private:
    editWindow &window() const { return m_window(); }
    void viewsReread();
    songLink songFor(const QString &showFile) const;
    void takeSong(const songLink &link);
    bool saveDmxFile(QString path, int col);
    int loadDmxFile();
    bool saveCFile(QString path, QString name, int col, int start_row, int end_row);
    int loadCFile();

    void replaceFile(const QString &path);
    bool finishSave(QSaveFile &out, const char *successText, const char *failureText);
    int refuseDmxFile(const QString &reason);
    bool failSave(const QString &reason);

    std::function<editWindow &()> m_window;
    QFile *m_file = nullptr;
    QString m_lastError;
    QByteArray m_fixtureTypes;
    QVector<fixtureDef::definition> m_fixtureDefinitions;
    QByteArray m_loadedFixtureTypes;
    QVector<fixtureDef::definition> m_loadedDefinitions;
    bool m_fixtureBlockDamaged = false;
    bool m_songBlockDamaged = false;
    songState *m_song = nullptr;
    // The last loaded show's link, its path absolute, while no songState keeps it.
    songLink m_loadedSong;
};

#endif
