#ifndef LIGHT_FIX_H
#define LIGHT_FIX_H

#include <QObject>
#include <QString>

// One fixture block of the patch: its number, channel count and output switch.
// GUI thread only; the output thread sees the patch only as the engine's snapshots.
class light_fix : public QObject
{
    Q_OBJECT
    Q_PROPERTY(uchar fixID READ fixID WRITE setFixID NOTIFY fixIDChanged)
    Q_PROPERTY(uchar fixSelect READ fixSelect WRITE setFixSelect NOTIFY fixSelectChanged)
    Q_PROPERTY(int fixChannels READ fixChannels CONSTANT)
    Q_PROPERTY(QString fixType READ fixType WRITE setFixType NOTIFY fixTypeChanged)

  public:
    light_fix(int id, int chNum, QObject *parent = nullptr);

    // The fixture's number in the patch, whole.
    int id() const { return m_id; }
    uchar fixID() const { return static_cast<uchar>(m_id); }
    void setFixID(uchar id) { m_id = id; }
    uchar fixSelect() const { return m_select; }
    void setFixSelect(uchar select);
    // Without fixSelectChanged, so that nobody takes it for the user's switch: the patch
    // puts its own fixtures back on.
    void setSelectUnannounced(bool on) { m_select = on ? 1 : 0; }
    int fixChannels() const { return m_chNum; }
    QString fixType() const;
    void setFixType(const QString &type);

  signals:
    void fixIDChanged();
    void fixSelectChanged();
    void fixTypeChanged();

  private:
    uchar m_select = 1;
    int m_id;
    int m_chNum;
    QString m_type;
};

#endif
