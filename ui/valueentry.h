#ifndef VALUEENTRY_H
#define VALUEENTRY_H

#include <QObject>
#include <QString>
#include <QVariantMap>

class dimList;
class dmx;
class undoHistory;

// The panel's number fields: what a key does to a field's text, and the level shortcuts
// (Init, START, END) that write every channel as one undo step.
// GUI thread only.
class valueEntry : public QObject
{
    Q_OBJECT

  public:
    // A field's text after a key, and whether the key committed it.
    struct entry {
        QString text;
        bool commit = false;
    };

    valueEntry(dimList *model, dmx *out, QObject *parent = nullptr);

    // Delete clears the field. Keypad Enter commits it, and so does Return where
    // `returnCommits`; a committed number above `top` becomes `top`. Other keys leave it.
    static entry afterKey(int key, const QString &text, int top, bool returnCommits);
    // The same as {text, commit} for QML.
    Q_INVOKABLE QVariantMap keyed(int key, const QString &text, int top, bool returnCommits) const;

    // Every channel at `value` on the faders and in the edit row, playback stopped first.
    Q_INVOKABLE void setAllLevels(int value);
    // Every channel at its default level (Init).
    Q_INVOKABLE void setDefaultLevels();

  private:
    dimList *m_model;
    dmx *m_out;
    undoHistory *m_history;
};

#endif
