#ifndef LIGHT_LIST_H
#define LIGHT_LIST_H

#include <QList>
#include <QObject>

// Walk state of mapChannel(): the fixture the walk is on and the channels passed in it.
extern int g_mapFixture;
extern int g_mapCount;

// The fixture patch: which channels are sent and into which frame slots they are packed.
// It is the table's fixtures in table order; while the table has none it is the start-up
// patch of six 18-channel fixtures.
// GUI thread only (mapChannel() walks globals); the output thread sees the patch
// only as the snapshots the engine takes on the GUI thread.
class light_list : public QObject
{
    Q_OBJECT

  public:
    explicit light_list(QObject *parent = nullptr);

    // The fixtures in patch order, as the window's list shows them.
    const QList<QObject *> &entries() const { return m_fixList; }
    Q_INVOKABLE int size() const { return m_fixList.size(); }
    // The entry at index, or null; current even while the window's copy of the list waits.
    Q_INVOKABLE QObject *at(int index) const { return m_fixList.value(index); }
    bool mapChannel(int channel);
    // The frame slot of the channel the last mapChannel() that answered true mapped.
    int mappedSlot() const { return m_mapSlot; }
    void debugList() const;

    // Appends a switched-on fixture of the table; the first one replaces the start-up patch.
    bool addFixture(int channels);
    // Removes the table's last fixture; without one left the start-up patch comes back.
    bool removeLastFixture();
    // The start-up patch, all switched on; the table's fixtures are dropped.
    void restoreStartUp();
    int addedCount() const { return m_added; }

  signals:
    // The entries of m_fixList were replaced, added or removed.
    void fixturesChanged();

  private:
    void restartWalk();

    int m_mapSlot = 0;
    QList<QObject *> m_fixList;
    int m_chBase = 0;
    int m_selBase = 0;

    // Kept for the whole run so that a table without fixtures sends what it sent at start.
    QList<QObject *> m_startUp;
    int m_added = 0;
};

#endif
