#ifndef REMOTECONTROL_H
#define REMOTECONTROL_H

#include "remoteoptions.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class dimList;
class oscServer;
class midiRemote;
class remoteActions;

// Remote control as the window sees it: the OSC server and the MIDI ports, their settings
// (kept in the user's settings) and what the activity indicator shows.
// GUI thread only.
class remoteControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int oscPort READ oscPort NOTIFY oscChanged)
    Q_PROPERTY(QString oscAddress READ oscAddress NOTIFY oscChanged)
    Q_PROPERTY(bool oscListening READ oscListening NOTIFY oscChanged)
    Q_PROPERTY(QString oscError READ oscError NOTIFY oscChanged)
    Q_PROPERTY(QString lastMessage READ lastMessage NOTIFY activityChanged)
    Q_PROPERTY(int errorCount READ errorCount NOTIFY activityChanged)
    Q_PROPERTY(int messageCount READ messageCount NOTIFY activityChanged)
    Q_PROPERTY(QObject *midi READ midiObject CONSTANT)

  public:
    static constexpr int kDefaultOscPort = 9000;

    explicit remoteControl(dimList *list, QObject *parent = nullptr);
    ~remoteControl() override;

    // Opens OSC as the settings say, or as `given` overrides for this run only.
    void start(const remoteOptions &given);

    int oscPort() const { return m_port; }
    QString oscAddress() const { return m_address; }
    bool oscListening() const;
    QString oscError() const;
    QString lastMessage() const;
    int errorCount() const;
    int messageCount() const;
    oscServer *osc() const { return m_osc; }
    remoteActions *actions() const { return m_actions; }
    midiRemote *midi() const { return m_midi; }
    QObject *midiObject() const;

    // The addresses OSC can listen on: loopback first, then all interfaces ("0.0.0.0"),
    // then each of this machine's own.
    Q_INVOKABLE QStringList listenAddresses() const;
    // Listens on `address`, `port` (0: OSC off) and keeps them in the settings; false when
    // the address is not one of listenAddresses() or the port cannot be bound.
    Q_INVOKABLE bool applyOsc(int port, const QString &address);

  signals:
    void oscChanged();
    void activityChanged();

  private:
    remoteActions *m_actions;
    oscServer *m_osc;
    midiRemote *m_midi;
    int m_port = 0;
    QString m_address;
    QString m_badAddress;
    // A flood of messages repaints the indicator at most this often.
    QTimer m_activityTimer;

    bool listen(int port, const QString &address);
};

#endif
