#ifndef MIDIREMOTE_H
#define MIDIREMOTE_H

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;
class RtMidiOut;
class remoteActions;

// MIDI in and out through RtMidi (the ALSA sequencer, or JACK): the ports "dmxplayer in" and
// "dmxplayer out", optionally connected to a device, the bindings of notes, controllers and
// program changes to actions (learned, kept in the user's settings) and the feedback that
// lights the bound controls. RtMidi's input thread only hands the bytes over, or gives them
// to the sync listener; everything else runs on the GUI thread, which alone calls the class.
class midiRemote : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool available READ available NOTIFY portsChanged)
    Q_PROPERTY(QString api READ api NOTIFY portsChanged)
    Q_PROPERTY(QString problem READ problem NOTIFY portsChanged)
    Q_PROPERTY(QStringList inputs READ inputs NOTIFY portsChanged)
    Q_PROPERTY(QStringList outputs READ outputs NOTIFY portsChanged)
    Q_PROPERTY(QString input READ input NOTIFY portsChanged)
    Q_PROPERTY(QString output READ output NOTIFY portsChanged)
    Q_PROPERTY(QVariantList bindings READ bindings NOTIFY bindingsChanged)
    Q_PROPERTY(QString learning READ learning NOTIFY learningChanged)

  public:
    // Sees every message on RtMidi's input thread as it arrives, with the steady clock's
    // nanoseconds, before anything is queued to the GUI thread. True: the message is taken
    // (time code, clock) and goes no further.
    using syncListener = std::function<bool(const unsigned char *, std::size_t, qint64)>;

    // A control bound to an action. `number` is the note, controller or program; `args`
    // are the action's arguments for a press (a step's row, a speed, ...).
    struct binding {
        QString action;
        QString kind; // "note", "cc" or "program"
        int channel = 0;
        int number = 0;
        QVariantList args;
    };

    explicit midiRemote(remoteActions *actions, QObject *parent = nullptr);
    ~midiRemote() override;

    // Opens the own ports and the devices and bindings of the settings. The API is
    // DMX_MIDI_API ("alsa" or "jack") when set, else the ALSA sequencer when it is there,
    // else JACK. JACK is used only when its server already runs (none is started); otherwise
    // MIDI stays off with the reason in problem(), and nothing is printed.
    void start();
    // Closes the ports; RtMidi's input thread does not reach the object any more once this
    // has begun.
    void stop();
    // Set before start(): RtMidi's thread calls it without a lock.
    void setSyncListener(syncListener listener) { m_syncListener = std::move(listener); }

    bool available() const { return m_in != nullptr; }
    QString api() const;
    QString problem() const { return m_problem; }
    QStringList inputs() const;
    QStringList outputs() const;
    QString input() const { return m_inputDevice; }
    QString output() const { return m_outputDevice; }
    QVariantList bindings() const;
    QString learning() const { return m_learning; }
    int errorCount() const { return m_errors; }
    int messageCount() const { return m_messages; }
    QString lastMessage() const { return m_last; }
    qint64 lastMessageTime() const { return m_lastAt; }
    QVector<binding> bindingList() const { return m_bindings; }

    // The actions that can be learned.
    Q_INVOKABLE QStringList learnableActions() const;
    // The next note, controller or program change that comes in is bound to `action`, with
    // `args` for a press. False for an unknown action or arguments that do not fit it.
    Q_INVOKABLE bool learn(const QString &action, const QVariantList &args = {});
    Q_INVOKABLE void cancelLearn();
    Q_INVOKABLE void removeBinding(int index);
    // Connects "dmxplayer in" to the device port named (empty: none), and so "out".
    Q_INVOKABLE bool connectInput(const QString &device);
    Q_INVOKABLE bool connectOutput(const QString &device);

    // RtMidi found the ports unusable.
    void portFailed(const QString &text);
    // On RtMidi's input thread: the sync listener's turn; true when it took the message.
    bool offerToSync(const std::vector<unsigned char> &bytes, qint64 ns) const;
    // One MIDI message as if it had come in, on the GUI thread.
    void receive(const std::vector<unsigned char> &bytes);

  signals:
    void portsChanged();
    void bindingsChanged();
    void learningChanged();
    void activity();

  private:
    // What RtMidi's input thread holds instead of the object: stop() empties it under the
    // lock, so a message arriving during the teardown finds nobody to hand itself to.
    struct inputGate {
        std::mutex mutex;
        midiRemote *target = nullptr;
    };

    remoteActions *m_actions;
    inputGate m_gate;
    std::unique_ptr<RtMidiIn> m_in;
    std::unique_ptr<RtMidiOut> m_out;
    syncListener m_syncListener;
    int m_api = 0;
    QString m_problem;
    QString m_inputDevice;
    QString m_outputDevice;
    QVector<binding> m_bindings;
    QString m_learning;
    QVariantList m_learnArgs;
    int m_errors = 0;
    int m_messages = 0;
    QString m_last;
    qint64 m_lastAt = 0;
    // The last value sent to each bound control, so that only changes go out.
    QHash<QString, int> m_sent;

    static void fromInput(double, std::vector<unsigned char> *bytes, void *gate);
    void openGate();
    void closeGate();
    bool usable(int api);
    bool openPorts(int api);
    bool openInput(const QString &device);
    bool openOutput(const QString &device);
    void bind(const QString &kind, int channel, int number);
    void act(const binding &bound, int value);
    void loadBindings();
    void saveBindings() const;
    void sendFeedback();
    void send(const binding &bound, int value);
    int feedbackValue(const binding &bound) const;
};

#endif
