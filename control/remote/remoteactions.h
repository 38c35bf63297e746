#ifndef REMOTEACTIONS_H
#define REMOTEACTIONS_H

#include <QHash>
#include <QObject>
#include <QVariantList>
#include <QVector>

class dimList;

// What a controller may do to the show and what it is told back. Every action goes through
// the same core calls as the window's buttons, so undo, the edit row, the range and the
// status line behave as if the user had clicked; nothing here reaches a file.
// GUI thread only, like the list it drives.
class remoteActions : public QObject
{
    Q_OBJECT

  public:
    // One feedback value: its name ("playing", "step", ...) and its arguments.
    struct value {
        QString name;
        QVariantList args;
    };

    explicit remoteActions(dimList *list, QObject *parent = nullptr);

    // The actions by name, with the argument types each takes ('i' int, 'f' float).
    static const QHash<QString, QByteArray> &signatures();
    // Performs `action`; false (nothing done) when the name is unknown, the arguments do
    // not have the action's types or a value is out of its range.
    bool perform(const QString &action, const QVariantList &args);
    // Whether perform() would take these arguments, judged before anything is done so that a
    // refused value has no effect at all (no clamping, no half of a range).
    bool accepts(const QString &action, const QVariantList &args) const;
    // Every feedback value as it stands now, in a fixed order.
    QVector<value> state() const;
    // Rows in the table, for controls that pick one.
    int rowCount() const;

  signals:
    // A feedback value changed.
    void changed(const QString &name, const QVariantList &args);
    // A tap for the tap tempo, at `ns` on the steady clock.
    void tapped(qint64 ns);

  private:
    dimList *m_list;
    QHash<QString, QVariantList> m_told;

    bool argumentsFit(const QString &action, const QVariantList &args) const;
    bool validRow(const QVariant &row) const;
    static bool inRange(const QString &action, const QVariant &value);
    void setBlackout(bool on);
    void tap();
    void refresh();
};

#endif
