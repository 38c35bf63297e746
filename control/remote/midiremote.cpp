#include "midiremote.h"

#include "playengine.h"
#include "remoteactions.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSettings>

#include <rtmidi/RtMidi.h>

#include <jack/jack.h>

#include <chrono>
#include <cstdio>

#include <unistd.h>

namespace
{
const QString kBindingsKey = QStringLiteral("remote/midiBindings");
const QString kInputKey = QStringLiteral("remote/midiInput");
const QString kOutputKey = QStringLiteral("remote/midiOutput");
const std::string kClient = "dmxplayer";
const std::string kInPort = "dmxplayer in";
const std::string kOutPort = "dmxplayer out";
constexpr int kQueueSize = 1024;
constexpr int kOn = 127;

QString keyOf(const midiRemote::binding &bound)
{
    return QStringLiteral("%1 %2 %3").arg(bound.kind).arg(bound.channel).arg(bound.number);
}

// RtMidi reports later errors to this instead of throwing: the ports are unusable (JACK
// without a server, a device gone), which the settings dialog says.
void portError(RtMidiError::Type type, const std::string &text, void *context)
{
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    static_cast<midiRemote *>(context)->portFailed(QString::fromStdString(text));
}

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// SysEx, time code and clock have no bindings and come often: a clock's 24 a beat must not
// flood the GUI thread. They are the messages RtMidi held back before the sync listener.
bool staysOnInputThread(const std::vector<unsigned char> &bytes)
{
    if (bytes.empty())
        return false;
    const unsigned char status = bytes.front();
    return status == 0xF0 || status == 0xF1 || status == 0xF8 || status == 0xF9;
}

// libjack prints every failed connection attempt; the probe's failure is expected and said
// in the window instead.
void jackQuiet(const char *) {}

// As libjack's own printer, for whatever JACK reports once a server is there.
void jackToStderr(const char *text)
{
    std::fprintf(stderr, "%s\n", text);
}

// Whether a JACK server runs, asked without starting one and without a word printed.
bool jackServerRuns()
{
    jack_set_error_function(jackQuiet);
    jack_set_info_function(jackQuiet);
    // libjack names a client's socket after the client alone, in one directory for every
    // server of the user: two players probing at once, each its own server, must not meet.
    const QByteArray name = "dmxplayer probe " + QByteArray::number(qint64(::getpid()));
    jack_status_t status{};
    jack_client_t *probe = jack_client_open(name.constData(), JackNoStartServer, &status);
    if (probe)
        jack_client_close(probe);
    jack_set_error_function(jackToStderr);
    jack_set_info_function(jackToStderr);
    return probe != nullptr;
}

// RtMidi keeps its JACK client to itself; its API data begins with it (RtMidi 4 to 6). Both
// protected members are reached through classes derived for that alone.
struct rtMidiApiOf : RtMidi {
    static MidiApi *of(RtMidi &midi) { return midi.*(&rtMidiApiOf::rtapi_); }
};
struct jackClientOf : MidiApi {
    static jack_client_t *of(RtMidi &midi)
    {
        MidiApi *api = rtMidiApiOf::of(midi);
        void *data = api ? api->*(&jackClientOf::apiData_) : nullptr;
        return data ? *static_cast<jack_client_t **>(data) : nullptr;
    }
};

// A JACK client's process thread may be inside RtMidi's port when RtMidi unregisters it on
// closing; once deactivated, that thread has stopped and the port can go.
void quiesce(RtMidi *midi)
{
    if (!midi)
        return;
    if (jack_client_t *client = jackClientOf::of(*midi))
        jack_deactivate(client);
}

QStringList portNames(RtMidi *midi)
{
    QStringList out;
    if (!midi)
        return out;
    const unsigned count = midi->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        const QString name = QString::fromStdString(midi->getPortName(i));
        if (!name.contains(QString::fromStdString(kClient)))
            out << name;
    }
    return out;
}

int portIndex(RtMidi *midi, const QString &name)
{
    const unsigned count = midi->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (QString::fromStdString(midi->getPortName(i)) == name)
            return int(i);
    }
    return -1;
}

// Our port connected to the named device, or a port of our own others connect to when the
// name is empty or unknown. False for an unknown name; `chosen` keeps the device in use.
bool openOwnPort(RtMidi *midi, const std::string &port, const QString &device, QString &chosen)
{
    midi->closePort();
    const int index = device.isEmpty() ? -1 : portIndex(midi, device);
    if (index < 0)
        midi->openVirtualPort(port);
    else
        midi->openPort(unsigned(index), port);
    chosen = index < 0 ? QString() : device;
    return index >= 0 || device.isEmpty();
}

// A fader's 0 to 127 over the whole speed range, as a double: bounded after the arithmetic
// and never rounded to a float, so that neither end can fall outside the range and be refused.
double speedOf(int value)
{
    const double span = playEngine::kFastest - playEngine::kSlowest;
    const double factor = playEngine::kSlowest + value * span / 127.0;
    return qBound(playEngine::kSlowest, factor, playEngine::kFastest);
}

QString describe(const midiRemote::binding &control, int value)
{
    QString text = QStringLiteral("MIDI %1 %2 ch %3")
                       .arg(control.kind)
                       .arg(control.number)
                       .arg(control.channel + 1);
    if (value >= 0)
        text += QStringLiteral(" = %1").arg(value);
    return text;
}
} // namespace

midiRemote::midiRemote(remoteActions *actions, QObject *parent)
    : QObject(parent), m_actions(actions)
{
    connect(actions, &remoteActions::changed, this, &midiRemote::sendFeedback);
    loadBindings();
}

midiRemote::~midiRemote()
{
    stop();
}

void midiRemote::start()
{
    const QByteArray wanted = qgetenv("DMX_MIDI_API").toLower();
    const bool alsa =
        wanted == "alsa" || (wanted != "jack" && QFileInfo::exists(QStringLiteral("/dev/snd/seq")));
    const int api = alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
    if (usable(api) && openPorts(api)) {
        QSettings settings;
        openInput(settings.value(kInputKey).toString());
        openOutput(settings.value(kOutputKey).toString());
        m_sent.clear();
        sendFeedback();
    }
    if (!m_problem.isEmpty())
        stop();
    emit portsChanged();
}

// Asked before RtMidi is, which would print the ALSA library's or JACK's complaints on the
// terminal for every port it tried.
bool midiRemote::usable(int api)
{
    if (api == RtMidi::LINUX_ALSA && !QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
        m_problem = tr("没有 ALSA 音序器 (/dev/snd/seq)");
    else if (api == RtMidi::UNIX_JACK && !jackServerRuns())
        m_problem = tr("没有 ALSA 音序器，也没有运行中的 JACK 服务器");
    else
        return true;
    return false;
}

void midiRemote::portFailed(const QString &text)
{
    m_problem = text;
}

bool midiRemote::offerToSync(const std::vector<unsigned char> &bytes, qint64 ns) const
{
    return m_syncListener && !bytes.empty() && m_syncListener(bytes.data(), bytes.size(), ns);
}

// The gate first, so that the input thread stops reaching the object; then the input's JACK
// process thread is stopped before RtMidi unregisters the port under it. The callback stays
// set: RtMidi's cancelCallback() is not safe while its thread runs. The output port is closed
// while its client still runs: RtMidi's closePort() waits for one process cycle to hand the
// port over (and sends what is queued), and with the client deactivated it would wait its
// full second for a cycle that never comes. Its client is stopped before RtMidi frees the
// queue that the process thread reads.
void midiRemote::stop()
{
    closeGate();
    if (m_api == RtMidi::UNIX_JACK) {
        quiesce(m_in.get());
        if (m_out)
            m_out->closePort();
        quiesce(m_out.get());
    }
    m_in.reset();
    m_out.reset();
}

void midiRemote::openGate()
{
    const std::lock_guard<std::mutex> held(m_gate.mutex);
    m_gate.target = this;
}

void midiRemote::closeGate()
{
    const std::lock_guard<std::mutex> held(m_gate.mutex);
    m_gate.target = nullptr;
}

// On RtMidi's input thread: only the bytes cross over to the GUI thread. The gate stays
// locked while the object is used, so stop() waits for a message being handed over.
void midiRemote::fromInput(double, std::vector<unsigned char> *bytes, void *gate)
{
    auto *mine = static_cast<inputGate *>(gate);
    const std::lock_guard<std::mutex> held(mine->mutex);
    midiRemote *self = mine->target;
    if (!self || self->offerToSync(*bytes, steadyNs()) || staysOnInputThread(*bytes))
        return;
    const std::vector<unsigned char> copy = *bytes;
    QMetaObject::invokeMethod(
        self, [self, copy] { self->receive(copy); }, Qt::QueuedConnection);
}

// RtMidi throws when a system cannot be opened at all; after that its error callback is
// set and nothing is thrown any more.
bool midiRemote::openPorts(int api)
{
    stop();
    m_api = api;
    try {
        auto in = std::make_unique<RtMidiIn>(RtMidi::Api(api), kClient, kQueueSize);
        auto out = std::make_unique<RtMidiOut>(RtMidi::Api(api), kClient);
        in->setErrorCallback(portError, this);
        out->setErrorCallback(portError, this);
        in->setCallback(fromInput, &m_gate);
        in->ignoreTypes(false, false, true); // SysEx and timing in; active sensing not
        m_in = std::move(in);
        m_out = std::move(out);
    } catch (const RtMidiError &error) {
        m_problem = QString::fromStdString(error.getMessage());
        return false;
    }
    m_problem.clear();
    openGate();
    return true;
}

QString midiRemote::api() const
{
    if (!m_in)
        return QString();
    return m_api == RtMidi::UNIX_JACK ? QStringLiteral("JACK") : QStringLiteral("ALSA");
}

QStringList midiRemote::inputs() const
{
    return portNames(m_in.get());
}

QStringList midiRemote::outputs() const
{
    return portNames(m_out.get());
}

bool midiRemote::openInput(const QString &device)
{
    return openOwnPort(m_in.get(), kInPort, device, m_inputDevice);
}

bool midiRemote::openOutput(const QString &device)
{
    return openOwnPort(m_out.get(), kOutPort, device, m_outputDevice);
}

bool midiRemote::connectInput(const QString &device)
{
    if (!m_in)
        return false;
    const bool ok = openInput(device);
    QSettings().setValue(kInputKey, m_inputDevice);
    emit portsChanged();
    return ok;
}

bool midiRemote::connectOutput(const QString &device)
{
    if (!m_out)
        return false;
    const bool ok = openOutput(device);
    QSettings().setValue(kOutputKey, m_outputDevice);
    m_sent.clear();
    sendFeedback();
    emit portsChanged();
    return ok;
}

QStringList midiRemote::learnableActions() const
{
    QStringList names = remoteActions::signatures().keys();
    names.sort();
    return names;
}

bool midiRemote::learn(const QString &action, const QVariantList &args)
{
    const auto types = remoteActions::signatures().constFind(action);
    if (types == remoteActions::signatures().constEnd())
        return false;
    if (!args.isEmpty() && args.size() != types->size())
        return false;
    // Numbers from the dialog arrive as whatever JavaScript made of them.
    QVariantList typed;
    for (int i = 0; i < args.size(); ++i) {
        bool number = false;
        const double value = args.at(i).toDouble(&number);
        if (!number)
            return false;
        typed << (types->at(i) == 'f' ? QVariant(float(value)) : QVariant(qRound(value)));
    }
    m_learning = action;
    m_learnArgs = typed;
    emit learningChanged();
    return true;
}

void midiRemote::cancelLearn()
{
    if (m_learning.isEmpty())
        return;
    m_learning.clear();
    emit learningChanged();
}

void midiRemote::removeBinding(int index)
{
    if (index < 0 || index >= m_bindings.size())
        return;
    m_bindings.remove(index);
    saveBindings();
    emit bindingsChanged();
}

// A note on with velocity 0 is a note off, as most controllers send it.
void midiRemote::receive(const std::vector<unsigned char> &bytes)
{
    emit activity();
    if (bytes.empty() || bytes[0] < 0x80) {
        ++m_errors;
        return;
    }
    const int status = bytes[0] & 0xF0;
    const int channel = bytes[0] & 0x0F;
    const size_t needed = status == 0xC0 || status == 0xD0 ? 2 : 3;
    if (status == 0xF0)
        return;
    if (bytes.size() < needed || bytes[1] > 0x7F || (needed == 3 && bytes[2] > 0x7F)) {
        ++m_errors;
        return;
    }
    binding control;
    control.channel = channel;
    control.number = bytes[1];
    int value = -1;
    if (status == 0x90 && bytes[2] > 0) {
        control.kind = QStringLiteral("note");
        value = bytes[2];
    } else if (status == 0xB0) {
        control.kind = QStringLiteral("cc");
        value = bytes[2];
    } else if (status == 0xC0) {
        control.kind = QStringLiteral("program");
    } else {
        return; // releases, pressure, pitch bend: nothing is bound to them
    }
    ++m_messages;
    m_last = describe(control, value);
    m_lastAt = QDateTime::currentMSecsSinceEpoch();
    if (!m_learning.isEmpty()) {
        bind(control.kind, channel, control.number);
        return;
    }
    for (const binding &bound : qAsConst(m_bindings)) {
        if (keyOf(bound) == keyOf(control))
            act(bound, value);
    }
}

// One control, one action: learning a control again replaces what it did.
void midiRemote::bind(const QString &kind, int channel, int number)
{
    binding added{m_learning, kind, channel, number, m_learnArgs};
    for (int i = m_bindings.size() - 1; i >= 0; --i) {
        if (keyOf(m_bindings.at(i)) == keyOf(added))
            m_bindings.remove(i);
    }
    m_bindings << added;
    m_learning.clear();
    m_learnArgs.clear();
    saveBindings();
    emit learningChanged();
    emit bindingsChanged();
    m_sent.remove(keyOf(added));
    sendFeedback();
}

// A controller gives its value to the actions that take one; as a button (a note, a
// program change, a controller going to 64 or above) it does the action with the learned
// arguments, or toggles, or takes its own number as the step or repeat count.
void midiRemote::act(const binding &bound, int value)
{
    const QString &action = bound.action;
    QVariantList args = bound.args;
    const bool cc = bound.kind == QLatin1String("cc");
    const bool toggle = action == QLatin1String("output") || action == QLatin1String("blackout");
    if (cc && action == QLatin1String("speed")) {
        args = {speedOf(value)};
    } else if (cc && action == QLatin1String("step")) {
        args = {qMin(value, qMax(0, m_actions->rowCount() - 1))};
    } else if (cc && action == QLatin1String("repeat")) {
        args = {value};
    } else if (cc && toggle) {
        args = {value >= 64 ? 1 : 0};
    } else if (cc && value < 64) {
        return; // the button let go
    } else if (args.isEmpty() && toggle) {
        for (const remoteActions::value &now : m_actions->state()) {
            if (now.name == action)
                args = {now.args.value(0).toInt() == 0 ? 1 : 0};
        }
    } else if (args.isEmpty() &&
               (action == QLatin1String("step") || action == QLatin1String("repeat"))) {
        args = {bound.number};
    } else if (args.isEmpty() && action == QLatin1String("speed")) {
        args = {1.0f};
    }
    if (!m_actions->perform(action, args))
        ++m_errors;
}

QVariantList midiRemote::bindings() const
{
    QVariantList out;
    for (const binding &bound : m_bindings) {
        out << QVariantMap{{QStringLiteral("action"), bound.action},
                           {QStringLiteral("kind"), bound.kind},
                           {QStringLiteral("channel"), bound.channel},
                           {QStringLiteral("number"), bound.number},
                           {QStringLiteral("args"), bound.args}};
    }
    return out;
}

// Only well-formed entries come back; the settings file is the user's to edit.
void midiRemote::loadBindings()
{
    m_bindings.clear();
    const QVariantList stored = QSettings().value(kBindingsKey).toList();
    const QStringList kinds{QStringLiteral("note"), QStringLiteral("cc"),
                            QStringLiteral("program")};
    for (const QVariant &entry : stored) {
        const QVariantMap map = entry.toMap();
        binding bound{map.value(QStringLiteral("action")).toString(),
                      map.value(QStringLiteral("kind")).toString(),
                      map.value(QStringLiteral("channel")).toInt(),
                      map.value(QStringLiteral("number")).toInt(),
                      map.value(QStringLiteral("args")).toList()};
        if (remoteActions::signatures().contains(bound.action) && kinds.contains(bound.kind) &&
            bound.channel >= 0 && bound.channel < 16 && bound.number >= 0 && bound.number < 128)
            m_bindings << bound;
    }
}

void midiRemote::saveBindings() const
{
    QSettings().setValue(kBindingsKey, bindings());
}

// -1: the control shows nothing.
int midiRemote::feedbackValue(const binding &bound) const
{
    QHash<QString, QVariantList> now;
    for (const remoteActions::value &each : m_actions->state())
        now.insert(each.name, each.args);
    const QString &action = bound.action;
    const bool cc = bound.kind == QLatin1String("cc");
    if (action == QLatin1String("play"))
        return now.value(QStringLiteral("playing")).value(0).toInt() ? kOn : 0;
    if (action == QLatin1String("stop"))
        return now.value(QStringLiteral("playing")).value(0).toInt() ? 0 : kOn;
    if (action == QLatin1String("output") || action == QLatin1String("blackout"))
        return now.value(action).value(0).toInt() ? kOn : 0;
    const int row = now.value(QStringLiteral("step")).value(0).toInt();
    if (action == QLatin1String("step") && cc)
        return qBound(0, row, kOn);
    if (action == QLatin1String("step") && bound.kind == QLatin1String("note")) {
        const int mine = bound.args.isEmpty() ? bound.number : bound.args.at(0).toInt();
        return row == mine ? kOn : 0;
    }
    if (action == QLatin1String("speed") && cc) {
        const double speed = now.value(QStringLiteral("speed")).value(0).toDouble();
        const double span = playEngine::kFastest - playEngine::kSlowest;
        return qBound(0, qRound((speed - playEngine::kSlowest) * 127.0 / span), kOn);
    }
    return -1;
}

void midiRemote::sendFeedback()
{
    if (!m_out)
        return;
    for (const binding &bound : qAsConst(m_bindings)) {
        if (bound.kind == QLatin1String("program"))
            continue;
        const int value = feedbackValue(bound);
        const QString key = keyOf(bound);
        if (value < 0 || m_sent.value(key, -1) == value)
            continue;
        m_sent.insert(key, value);
        send(bound, value);
    }
}

// A note's light is its note on with the velocity as brightness (0: off).
void midiRemote::send(const binding &bound, int value)
{
    const unsigned char status =
        (bound.kind == QLatin1String("cc") ? 0xB0 : 0x90) | (bound.channel & 0x0F);
    const unsigned char bytes[3] = {status, static_cast<unsigned char>(bound.number & 0x7F),
                                    static_cast<unsigned char>(value & 0x7F)};
    m_out->sendMessage(bytes, sizeof bytes);
}
