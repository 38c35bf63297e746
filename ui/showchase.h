#ifndef SHOWCHASE_H
#define SHOWCHASE_H

#include "playengine.h"

#include <QObject>
#include <QTimer>

#include <memory>

class dimList;
class showTimeline;

// Timecode chase (or the song's, from its own instance) as the core keeps it: on or off, the
// offset, and the laid-out show the output thread reads, laid out again whenever the table, the
// range, the snap flags or the speed master change (once per pass of the event loop, however many
// changes came). GUI thread only; the output thread sees only the timeline it hands over.
class showChase : public QObject
{
    Q_OBJECT

  public:
    explicit showChase(dimList *list, QObject *parent = nullptr,
                       playEngine::chaseSource from = playEngine::chaseSource::timecode);

    // On: playback follows the timecode from now on, the repeat count as it stands now
    // being the one the range starts with.
    void setEnabled(bool on);
    bool enabled() const { return m_enabled; }
    // The timecode at which the range starts.
    void setOffsetMs(qint64 offset);
    qint64 offsetMs() const { return m_offset; }
    // Lays the show out again now.
    void refresh();
    // The show as the output follows it now (null while off or on an empty table).
    std::shared_ptr<const showTimeline> timeline();
    // The show as the table, the range and the flags stand now, laid out whether on or off.
    std::shared_ptr<const showTimeline> layOut() const;

  signals:
    void changed();

  private:
    dimList *m_list;
    playEngine::chaseSource m_from;
    std::shared_ptr<const showTimeline> m_line;
    bool m_enabled = false;
    qint64 m_offset = 0;
    uint m_repeat = 0;
    QTimer m_later;
};

#endif
