#ifndef DMXFILE_H
#define DMXFILE_H

#include <QObject>
#include <QString>
#include <QUrl>

class QFile;
class QSaveFile;

// Saves and loads the step program: the binary show file and the C source for the player.
class dmxFile : public QObject
{
    Q_OBJECT

  public:
    explicit dmxFile(QObject *parent = nullptr);
    ~dmxFile() override;

    Q_INVOKABLE bool saveData(QUrl name, int col, int start_row, int end_row,
                              QString selectedNameFilter);
    Q_INVOKABLE int loadData(QUrl name);

  private:
    bool saveDmxFile(QString path, int col);
    int loadDmxFile();
    bool saveCFile(QString path, QString name, int col, int start_row, int end_row);
    int loadCFile();

    void replaceFile(const QString &path);
    bool finishSave(QSaveFile &out, const char *successText, const char *failureText);
    int refuseDmxFile(const char *reason);

    QFile *m_file = nullptr;
};

#endif
