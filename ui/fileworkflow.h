#ifndef FILEWORKFLOW_H
#define FILEWORKFLOW_H

#include <QObject>
#include <QString>
#include <QVariantList>

class dimList;
class dmxFile;
class fixtureList;
class QUrl;
class undoHistory;

// The window's save, open and close: which file a save writes and whether it asks first,
// the replace and close questions and what their answers do, the current file and what the
// status bar says about each. The dialogs are the window's; they show what this asks and
// hand back the answers. URLs are the text form the dialogs give ("file:///...").
// GUI thread only.
class fileWorkflow : public QObject
{
    Q_OBJECT
    // The file the title names and Ctrl+S writes: the last one saved or opened (empty: none).
    Q_PROPERTY(QString currentFile READ currentFile WRITE setCurrentFile NOTIFY currentFileChanged)
    // Channels the last save wrote or the last open read.
    Q_PROPERTY(int channelsInFile READ channelsInFile NOTIFY channelsInFileChanged)
    // The folder of the last file chosen, where the file dialog opens next (empty: none yet).
    Q_PROPERTY(QString lastFolder READ lastFolder NOTIFY lastFolderChanged)
    // The replace question for the save that waits on it.
    Q_PROPERTY(QString replaceQuestion READ replaceQuestion NOTIFY replaceQuestionChanged)
    // The file dialog's filters, as it names them.
    Q_PROPERTY(QString showFilter READ showFilter CONSTANT)
    Q_PROPERTY(QString cFilter READ cFilter CONSTANT)
    // The file service this reads and writes with; copy and paste use it too.
    Q_PROPERTY(QObject *files READ filesObject CONSTANT)

  public:
    explicit fileWorkflow(dimList *model, QObject *parent = nullptr);

    QString currentFile() const { return m_currentFile; }
    void setCurrentFile(const QString &url);
    int channelsInFile() const { return m_channelsInFile; }
    QString lastFolder() const { return m_lastFolder; }
    QString replaceQuestion() const { return m_replaceQuestion; }
    static QString showFilter();
    static QString cFilter();
    dmxFile *files() const { return m_files; }
    QObject *filesObject() const;

    // A save target chosen in the file dialog. A file there that the dialog did not ask
    // about (it asks only when the exact name was typed) is not replaced before the replace
    // question is answered. True when the file was written now.
    Q_INVOKABLE bool saveAccepted(const QString &url, const QString &filter);
    Q_INVOKABLE bool answerReplace(bool replace);
    // Ctrl+S: the current file again, or the file dialog when there is none.
    Q_INVOKABLE bool saveCurrent();
    // The file dialog went away without a choice: a close waiting for its save stays open.
    Q_INVOKABLE void fileChoiceCancelled();

    // Appends the rows of a show or a C export and, into a table without fixtures, the
    // show's fixtures, as one undo step. Refused, the table and the current file stay and
    // the status bar says why. True when it was read.
    Q_INVOKABLE bool open(const QString &url);
    // A recovery copy, opened as open() does and then named after the show's own file
    // (`showUrl`, empty for a new show), with its changes still to save.
    bool openRecovered(const QString &copyUrl, const QString &showUrl);

    // The window is closing: true when it may, otherwise the close question is asked.
    Q_INVOKABLE bool mayClose();
    // "save", "discard" or "cancel". A save closes the window once it is written.
    Q_INVOKABLE void answerClose(const QString &choice);

    // Every channel the table holds data for: the fixture columns and what files brought.
    Q_INVOKABLE int channelsToSave() const;
    // The last part of a URL or path, decoded.
    Q_INVOKABLE QString fileNameOf(const QString &url) const;

  signals:
    void currentFileChanged();
    void channelsInFileChanged();
    void lastFolderChanged();
    void replaceQuestionChanged();
    // The window shows the replace question, or the close question.
    void replaceAsked();
    void closeAsked();
    // The window lets the user choose where to save.
    void saveTargetWanted();
    // The window closes.
    void closeWindow();
    // A step that may lose the show is about to be taken: loading over it, closing.
    void riskAhead();

  private:
    bool writeFile(const QString &url, const QString &filter);
    int readFile(const QUrl &url, QString &note);
    QString restoreFixtures(const QVariantList &kinds);
    void say(const QString &text);
    void setChannelsInFile(int channels);
    void setLastFolder(const QString &url);

    dimList *m_model;
    undoHistory *m_history;
    fixtureList *m_fixtures;
    dmxFile *m_files;
    QString m_currentFile;
    int m_channelsInFile = 0;
    QString m_lastFolder;
    // The save that waits for the answer to the replace question.
    QString m_replaceQuestion;
    QString m_pendingUrl;
    QString m_pendingFilter;
    // Close the window once the save that the close question asked for is written.
    bool m_closeAfterSave = false;
    bool m_closeConfirmed = false;
};

#endif
