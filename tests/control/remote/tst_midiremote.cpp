#include "coretestsupport.h"
#include "fixturelist.h"
#include "jackserver.h"
#include "midiremote.h"
#include "remoteactions.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <unistd.h>

// MIDI learn, bound actions and feedback through RtMidi's JACK backend, against a JACK
// server with the dummy driver (no sound card) that the test starts and stops itself.
class tst_midiremote : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void learnPlayStartsAndLights();
    void boundActions_data();
    void boundActions();
    void bindingsAreKeptAndChecked();
    void brokenMessagesAreCounted_data();
    void brokenMessagesAreCounted();
    void noServerIsQuietAndSaysWhy();

  private:
    QTemporaryDir m_settings;
    jackServer m_jack;
};

namespace
{
// The test's own controller: an output connected to "dmxplayer in" and an input connected
// to "dmxplayer out", whose messages it collects.
class controller
{
  public:
    controller()
    {
        m_out.openPort(unsigned(find(m_out, "dmxplayer in")), "pads");
        m_in.setCallback(collect, this);
        m_in.openPort(unsigned(find(m_in, "dmxplayer out")), "leds");
    }
    void send(std::vector<unsigned char> bytes) { m_out.sendMessage(&bytes); }
    // JACK makes connections at a later cycle: program changes nothing is bound to go out,
    // each another program, until the one sent last arrives. Then none is still on its way
    // to be learned in place of the control; both connections were asked for before it.
    bool connectedTo(const midiRemote &midi)
    {
        for (unsigned char i = 0; i < 100; ++i) {
            send({0xcf, i});
            const QString sent = QStringLiteral("MIDI program %1 ch 16").arg(i);
            if (QTest::qWaitFor([&midi, &sent] { return midi.lastMessage() == sent; }, 100))
                return true;
        }
        return false;
    }
    bool heard(const std::vector<unsigned char> &bytes)
    {
        const std::lock_guard<std::mutex> held(m_mutex);
        return std::find(m_heard.begin(), m_heard.end(), bytes) != m_heard.end();
    }
    // Anything heard for the control of this status byte and number.
    bool heardFrom(unsigned char status, unsigned char number)
    {
        const std::lock_guard<std::mutex> held(m_mutex);
        return std::any_of(m_heard.begin(), m_heard.end(), [&](const auto &bytes) {
            return bytes.size() > 1 && bytes[0] == status && bytes[1] == number;
        });
    }
    void forget()
    {
        const std::lock_guard<std::mutex> held(m_mutex);
        m_heard.clear();
    }

  private:
    // libjack names a client's socket after the client alone, shared by the servers of
    // tests that run at the same time.
    const std::string m_name = "tester " + std::to_string(::getpid());
    RtMidiOut m_out{RtMidi::UNIX_JACK, m_name};
    RtMidiIn m_in{RtMidi::UNIX_JACK, m_name};
    std::mutex m_mutex;
    std::vector<std::vector<unsigned char>> m_heard;

    static int find(RtMidi &midi, const std::string &name)
    {
        for (unsigned i = 0; i < midi.getPortCount(); ++i) {
            if (midi.getPortName(i).find(name) != std::string::npos)
                return int(i);
        }
        return 0;
    }
    static void collect(double, std::vector<unsigned char> *bytes, void *self)
    {
        auto *me = static_cast<controller *>(self);
        const std::lock_guard<std::mutex> held(me->m_mutex);
        me->m_heard.push_back(*bytes);
    }
};

QString stateOf(remoteActions &actions, const QString &name)
{
    for (const remoteActions::value &now : actions.state()) {
        if (now.name == name)
            return now.args.value(0).toString();
    }
    return QString();
}
} // namespace

void tst_midiremote::initTestCase()
{
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    qputenv("DMX_MIDI_API", "jack");
    m_jack.start();
}

void tst_midiremote::cleanupTestCase()
{
    m_jack.stop();
}

void tst_midiremote::init()
{
    if (!m_jack.up())
        QSKIP("jackd -d dummy could not be started here (package jackd2); MIDI untested");
    QSettings().clear();
    freshCore();
    for (int r = 0; r < 6; ++r)
        appendRow(1, 0, quint16(20 * r));
    coreModel()->setPlayerEndRow(5);
}

void tst_midiremote::cleanup()
{
    dropCore();
}

// Learn a pad for play: pressing it plays the show and lights the pad; its LED was sent
// dark when it was learned.
void tst_midiremote::learnPlayStartsAndLights()
{
    remoteActions actions(coreModel());
    midiRemote midi(&actions);
    midi.start();
    QVERIFY2(midi.available(), qPrintable(midi.problem()));
    QCOMPARE(midi.api(), QStringLiteral("JACK"));
    controller pads;
    QVERIFY(pads.connectedTo(midi));
    QVERIFY(midi.learn(QStringLiteral("play")));
    pads.send({0x91, 60, 100});
    QTRY_COMPARE(midi.bindingList().size(), 1);
    QCOMPARE(midi.learning(), QString());
    QVERIFY(!coreModel()->playing()); // the learning press does nothing else
    const midiRemote::binding bound = midi.bindingList().at(0);
    QCOMPARE(bound.kind, QStringLiteral("note"));
    QCOMPARE(bound.channel, 1);
    QCOMPARE(bound.number, 60);
    QTRY_VERIFY(pads.heard({0x91, 60, 0}));
    pads.send({0x91, 60, 100});
    QTRY_VERIFY(coreModel()->playing());
    QTRY_VERIFY(pads.heard({0x91, 60, 127}));
    QCOMPARE(midi.errorCount(), 0);
}

void tst_midiremote::boundActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVariantList>("args");  // learned with the binding
    QTest::addColumn<QByteArray>("control"); // learned from this message, then sent again
    QTest::addColumn<QString>("state");      // the feedback value that changes
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("light"); // what the controller hears then ("": nothing)

    QTest::newRow("fader drives the speed master")
        << "speed" << QVariantList() << QByteArray("\xb0\x07\x7f", 3) << "speed"
        << "4" << QByteArray("\xb0\x07\x7f", 3);
    QTest::newRow("fader at 0 is the slowest speed, not refused")
        << "speed" << QVariantList() << QByteArray("\xb0\x07\x00", 3) << "speed"
        << QVariant(0.1f).toString() << QByteArray("\xb0\x07\x00", 3);
    QTest::newRow("fader selects a step")
        << "step" << QVariantList() << QByteArray("\xb0\x10\x03", 3) << "step"
        << "3" << QByteArray("\xb0\x10\x03", 3);
    QTest::newRow("fader past the table selects the last row")
        << "step" << QVariantList() << QByteArray("\xb0\x10\x7f", 3) << "step"
        << "5" << QByteArray("\xb0\x10\x05", 3);
    QTest::newRow("pad for step 2 lights on it")
        << "step" << QVariantList{2.0} << QByteArray("\x90\x24\x40", 3) << "step"
        << "2" << QByteArray("\x90\x24\x7f", 3);
    QTest::newRow("pad toggles the output")
        << "output" << QVariantList() << QByteArray("\x90\x25\x40", 3) << "output"
        << "1" << QByteArray("\x90\x25\x7f", 3);
    QTest::newRow("pad toggles the blackout")
        << "blackout" << QVariantList() << QByteArray("\x90\x26\x40", 3) << "blackout"
        << "1" << QByteArray("\x90\x26\x7f", 3);
    QTest::newRow("program change picks its step")
        << "step" << QVariantList() << QByteArray("\xc0\x04", 2) << "step"
        << "4" << QByteArray();
    QTest::newRow("button on a controller plays")
        << "play" << QVariantList() << QByteArray("\xb2\x40\x7f", 3) << "playing"
        << "1" << QByteArray("\xb2\x40\x7f", 3);
}

void tst_midiremote::boundActions()
{
    QFETCH(QString, action);
    QFETCH(QVariantList, args);
    QFETCH(QByteArray, control);
    QFETCH(QString, state);
    QFETCH(QString, value);
    QFETCH(QByteArray, light);
    remoteActions actions(coreModel());
    midiRemote midi(&actions);
    midi.start();
    QVERIFY2(midi.available(), qPrintable(midi.problem()));
    controller pads;
    QVERIFY(pads.connectedTo(midi));
    const std::vector<unsigned char> bytes(control.begin(), control.end());
    QVERIFY(midi.learn(action, args));
    pads.send(bytes);
    QTRY_COMPARE(midi.bindingList().size(), 1);
    // The light as it was when learned: the way back works, and nothing of it is still on
    // its way to be taken for the light of the press.
    if (!light.isEmpty())
        QTRY_VERIFY(pads.heardFrom(bytes[0], bytes[1]));
    pads.forget();
    pads.send(bytes);
    QTRY_COMPARE(stateOf(actions, state), value);
    if (!light.isEmpty())
        QTRY_VERIFY(pads.heard(std::vector<unsigned char>(light.begin(), light.end())));
    QCOMPARE(midi.errorCount(), 0);
}

// Kept in the user's settings; entries edited into something else are left out; a removed
// binding is gone from the settings too.
void tst_midiremote::bindingsAreKeptAndChecked()
{
    remoteActions actions(coreModel());
    {
        midiRemote midi(&actions);
        QVERIFY(!midi.learn(QStringLiteral("eject")));
        QVERIFY(!midi.learn(QStringLiteral("range"), {1}));
        QVERIFY(!midi.learn(QStringLiteral("speed"), {QStringLiteral("fast")}));
        QCOMPARE(midi.learning(), QString());
        QVERIFY(midi.learn(QStringLiteral("stop")));
        midi.receive({0x90, 61, 1});
        QVERIFY(midi.learn(QStringLiteral("next")));
        midi.receive({0xb0, 20, 127});
    }
    QVariantList stored = QSettings().value(QStringLiteral("remote/midiBindings")).toList();
    QCOMPARE(stored.size(), 2);
    stored << QVariantMap{{"action", "eject"}, {"kind", "note"}, {"channel", 0}, {"number", 1}}
           << QVariantMap{{"action", "play"}, {"kind", "note"}, {"channel", 16}, {"number", 1}}
           << QVariantMap{{"action", "play"}, {"kind", "sysex"}, {"channel", 0}, {"number", 1}};
    QSettings().setValue(QStringLiteral("remote/midiBindings"), stored);
    midiRemote again(&actions);
    QCOMPARE(again.bindings().size(), 2);
    QCOMPARE(again.bindingList().at(1).action, QStringLiteral("next"));
    again.removeBinding(0);
    QCOMPARE(midiRemote(&actions).bindingList().size(), 1);
}

void tst_midiremote::brokenMessagesAreCounted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("errors");
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("no status byte") << QByteArray("\x3c\x40", 2) << 1;
    QTest::newRow("note cut short") << QByteArray("\x90\x3c", 2) << 1;
    QTest::newRow("data byte above 127") << QByteArray("\xb0\x07\x90", 3) << 1;
    QTest::newRow("note off is no press") << QByteArray("\x80\x3c\x40", 3) << 0;
    QTest::newRow("system message ignored") << QByteArray("\xf8", 1) << 0;
}

void tst_midiremote::brokenMessagesAreCounted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, errors);
    remoteActions actions(coreModel());
    midiRemote midi(&actions);
    QVERIFY(midi.learn(QStringLiteral("play")));
    midi.receive(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    QCOMPARE(midi.errorCount(), errors);
    QCOMPARE(midi.bindingList().size(), 0);
    QCOMPARE(midi.learning(), QStringLiteral("play"));
}

// With JACK asked for and no server under that name, MIDI stays off and says why, and not a
// line reaches the terminal: libjack would print each failed connection, RtMidi its own.
void tst_midiremote::noServerIsQuietAndSaysWhy()
{
    const QByteArray server = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", "dmxplayer-test-no-such-server");
    QTemporaryFile printed;
    QVERIFY(printed.open());
    std::fflush(stderr);
    const int terminal = ::dup(STDERR_FILENO);
    ::dup2(printed.handle(), STDERR_FILENO);
    remoteActions actions(coreModel());
    midiRemote midi(&actions);
    midi.start();
    std::fflush(stderr);
    ::dup2(terminal, STDERR_FILENO);
    ::close(terminal);
    qputenv("JACK_DEFAULT_SERVER", server);
    QVERIFY(!midi.available());
    QVERIFY(midi.problem().contains(QStringLiteral("JACK")));
    QVERIFY(printed.seek(0)); // the offset is shared with the descriptor written through
    QCOMPARE(printed.readAll(), QByteArray());
}

QTEST_MAIN(tst_midiremote)
#include "tst_midiremote.moc"
