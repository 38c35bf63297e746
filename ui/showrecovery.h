#ifndef SHOWRECOVERY_H
#define SHOWRECOVERY_H

#include "recoverycopy.h"

#include <QObject>
#include <QTimer>
#include <QVariantList>

class dimList;
class fileWorkflow;
class undoHistory;

// The window's side of the recovery copies: keeps the copy of its own show while it has
// unsaved changes, and at start offers the copies that programs which ended without saving
// left behind (a damaged one is set aside and said in the status bar).
// GUI thread only.
class showRecovery : public QObject
{
    Q_OBJECT
    // The copies that can be opened, oldest first, each a map: path, show (the show's file
    // name, empty for a new show), written (date and time), steps, fixtures.
    Q_PROPERTY(QVariantList offered READ offered NOTIFY offeredChanged)

  public:
    showRecovery(dimList *model, fileWorkflow *flow, const QString &folder,
                 QObject *parent = nullptr);

    QVariantList offered() const;
    recoveryCopy *copy() { return &m_copy; }

    // Reads the folder again for copies left by programs that no longer run.
    Q_INVOKABLE void lookForCopies();
    // Opens the copy into the table as the unsaved show it was, under its own file name; the
    // copy itself goes once this program keeps its own.
    Q_INVOKABLE bool openOffered(int index);
    Q_INVOKABLE void discardOffered(int index);
    // Before a step that may lose the show: loading over it, closing, a library reload.
    Q_INVOKABLE bool keepNow();

  signals:
    void offeredChanged();

  private:
    void showChanged();
    void say(const QString &text);

    dimList *m_model;
    fileWorkflow *m_flow;
    undoHistory *m_history;
    QString m_folder;
    recoveryCopy m_copy;
    QTimer m_poll;
    QVector<recoveryCopy::orphan> m_offered;
};

#endif
