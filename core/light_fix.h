#ifndef LIGHT_FIX_H
#define LIGHT_FIX_H

#include <QObject>

// One fixture block of the patch: its number, channel count and output switch.
class light_fix : public QObject
{
    Q_OBJECT
    Q_PROPERTY(uchar fixID READ fixID WRITE setFixID NOTIFY fixIDChanged)
    Q_PROPERTY(uchar fixSelect READ fixSelect WRITE setFixSelect NOTIFY fixSelectChanged)

  public:
    light_fix(int id, int chNum, QObject *parent = nullptr);

    uchar m_select = 1;
    int m_id;
    int m_chNum;

    uchar fixID() const { return static_cast<uchar>(m_id); }
    void setFixID(uchar id) { m_id = id; }
    uchar fixSelect() const { return m_select; }
    void setFixSelect(uchar select);

  signals:
    void fixIDChanged();
    void fixSelectChanged();
};

#endif
