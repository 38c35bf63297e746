#ifndef LIGHT_LIST_H
#define LIGHT_LIST_H

#include <QList>
#include <QObject>

// Walk state of mapChannel(): the fixture the walk is on and the channels passed in it.
extern int g_mapFixture;
extern int g_mapCount;

// The fixture patch: which channels are sent and into which frame slots they are packed.
class light_list : public QObject
{
    Q_OBJECT

  public:
    explicit light_list(QObject *parent = nullptr);

    int m_mapSlot = 0;
    QList<QObject *> m_fixList;
    int m_chBase = 0;
    int m_selBase = 0;

    Q_INVOKABLE int size() const { return m_fixList.size(); }
    bool mapChannel(int channel);
    void debugList() const;
};

#endif
