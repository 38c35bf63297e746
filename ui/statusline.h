#ifndef STATUSLINE_H
#define STATUSLINE_H

#include <QObject>
#include <QString>

// What the status bar says about the last action. A message tells of the action that set it:
// the next action ends it, unless it came in the same pass of the event loop, which belongs to
// the action that says it.
// GUI thread only.
class statusLine : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    QString text() const { return m_text; }
    void setText(const QString &text);
    // Clears a message told before the action under way.
    void end();

  signals:
    void textChanged();

  private:
    QString m_text;
    bool m_fresh = false;
};

#endif
