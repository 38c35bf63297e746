#include "coretestsupport.h"
#include "fixturelist.h"
#include "oscserver.h"
#include "remoteactions.h"
#include "remotecontrol.h"

#include <QSocketNotifier>
#include <QUdpSocket>
#include <QtTest>

#include <lo/lo.h>

#include <arpa/inet.h>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <netinet/in.h>
#include <set>

// OSC end to end over loopback: liblo sends, the server drives the core, the recording DMX
// library receives the frames and liblo receives the feedback.
class tst_oscserver : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void playRangeStepSpeedStop();
    void stateAndSubscription();
    void tapFeedsTheTapTempo();
    void refused_data();
    void refused();
    void outOfRangeChangesNothing_data();
    void outOfRangeChangesNothing();
    void subscribersUpToTheLimit();
    void floodLeavesItResponsive();
};

namespace
{
// Row r sends level 10 (r + 1) on every channel.
constexpr int kRows = 5;

int levelOf(int row)
{
    return 10 * (row + 1);
}

std::mutex g_slotsMutex;
std::set<int> g_slots;
std::atomic<unsigned long> g_frames{0};

void recordSlot(const unsigned char *frame, void *)
{
    const std::lock_guard<std::mutex> held(g_slotsMutex);
    g_slots.insert(frame[0]);
    ++g_frames;
}

std::set<int> slotsSeen()
{
    const std::lock_guard<std::mutex> held(g_slotsMutex);
    return g_slots;
}

constexpr int kMaxRepeat = 255;

QString describeArgs(const QVariantList &args)
{
    QStringList out;
    for (const QVariant &arg : args)
        out << arg.toString();
    return out.join(QLatin1Char(' '));
}

// A liblo server on loopback that sends the test's messages from its own port and collects
// what comes back, as "path arg arg".
class oscPeer
{
  public:
    explicit oscPeer(int serverPort) : m_port(serverPort)
    {
        m_server = lo_server_new_with_proto(nullptr, LO_UDP, nullptr);
        lo_server_add_method(m_server, nullptr, nullptr, collect, this);
        m_to = lo_address_new("127.0.0.1", QByteArray::number(serverPort).constData());
        m_notifier.reset(
            new QSocketNotifier(lo_server_get_socket_fd(m_server), QSocketNotifier::Read));
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            while (lo_server_recv_noblock(m_server, 0) > 0) {
            }
        });
    }
    ~oscPeer()
    {
        m_notifier.reset();
        lo_address_free(m_to);
        lo_server_free(m_server);
    }
    oscPeer(const oscPeer &) = delete;
    oscPeer &operator=(const oscPeer &) = delete;

    int port() const { return lo_server_get_port(m_server); }
    void send(const char *path) { lo_send_from(m_to, m_server, LO_TT_IMMEDIATE, path, ""); }
    void send(const char *path, int a)
    {
        lo_send_from(m_to, m_server, LO_TT_IMMEDIATE, path, "i", a);
    }
    void send(const char *path, int a, int b)
    {
        lo_send_from(m_to, m_server, LO_TT_IMMEDIATE, path, "ii", a, b);
    }
    void send(const char *path, float f)
    {
        lo_send_from(m_to, m_server, LO_TT_IMMEDIATE, path, "f", f);
    }
    // 'i' for an int, 'f' for a float, as each argument's type says.
    void send(const char *path, const QVariantList &args)
    {
        lo_message message = lo_message_new();
        for (const QVariant &arg : args) {
            if (arg.userType() == QMetaType::Float)
                lo_message_add_float(message, arg.toFloat());
            else
                lo_message_add_int32(message, arg.toInt());
        }
        lo_send_message_from(m_to, m_server, path, message);
        lo_message_free(message);
    }
    void sendString(const char *path, const char *s)
    {
        lo_send_from(m_to, m_server, LO_TT_IMMEDIATE, path, "s", s);
    }
    // Bytes as they stand, from the same port.
    void sendRaw(const QByteArray &bytes)
    {
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(m_port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(lo_server_get_socket_fd(m_server), bytes.constData(), size_t(bytes.size()), 0,
                 reinterpret_cast<const sockaddr *>(&to), sizeof to);
    }

    QStringList received;

  private:
    int m_port;
    lo_server m_server;
    lo_address m_to;
    std::unique_ptr<QSocketNotifier> m_notifier;

    static int collect(const char *path, const char *types, lo_arg **argv, int argc, lo_message,
                       void *self)
    {
        QString text = QString::fromUtf8(path);
        for (int i = 0; i < argc; ++i) {
            // 4-byte aligned: copied out, as the server does.
            qint32 i32 = 0;
            float f32 = 0;
            std::memcpy(&i32, argv[i], sizeof i32);
            std::memcpy(&f32, argv[i], sizeof f32);
            if (types[i] == LO_INT32)
                text += QStringLiteral(" %1").arg(i32);
            else if (types[i] == LO_FLOAT)
                text += QStringLiteral(" %1").arg(double(f32));
        }
        static_cast<oscPeer *>(self)->received << text;
        return 0;
    }
};

struct serverUnderTest {
    remoteActions actions{coreModel()};
    oscServer server{&actions};
    serverUnderTest() { server.listen(QHostAddress::LocalHost, 0); }
};

// Everything a message could change: the feedback values, the repeat count and the
// subscribers.
QStringList snapshot(serverUnderTest &under)
{
    QStringList out;
    for (const remoteActions::value &now : under.actions.state())
        out << now.name + QLatin1Char(' ') + describeArgs(now.args);
    out << QStringLiteral("repeat %1").arg(coreModel()->repeat())
        << QStringLiteral("subscribers %1").arg(under.server.subscriberCount());
    return out;
}
} // namespace

void tst_oscserver::init()
{
    freshCore();
    for (int r = 0; r < kRows; ++r)
        appendRow(1, 0, quint16(levelOf(r)));
    QVERIFY(advanceClock(std::chrono::milliseconds(15)));
    {
        const std::lock_guard<std::mutex> held(g_slotsMutex);
        g_slots.clear();
    }
    g_frames = 0;
    dmxbox_setFrameHook(recordSlot, nullptr);
}

void tst_oscserver::cleanup()
{
    dropCore();
    dmxbox_setFrameHook(nullptr, nullptr);
}

// What a show-control computer does: output on, a range, a step, play, faster, stop. The
// frames carry only the range's rows, and every change comes back to the subscriber.
void tst_oscserver::playRangeStepSpeedStop()
{
    serverUnderTest under;
    QVERIFY(under.server.listening());
    oscPeer peer(under.server.port());
    dimList *m = coreModel();
    peer.send("/dmxplayer/subscribe");
    QTRY_VERIFY(peer.received.contains("/dmxplayer/state/playing 0"));
    peer.send("/dmxplayer/output", 1);
    peer.send("/dmxplayer/range", 1, 3);
    peer.send("/dmxplayer/step", 2);
    QTRY_COMPARE(m->currentRow(), 2);
    QCOMPARE(m->playStart(), 2); // a step is a pick of the row, as a click is
    peer.send("/dmxplayer/range", 1, 3);
    QTRY_COMPARE(m->playStart(), 1);
    QCOMPARE(m->playEnd(), 3);
    {
        const std::lock_guard<std::mutex> held(g_slotsMutex);
        g_slots.clear();
    }
    peer.send("/dmxplayer/play");
    QTRY_VERIFY(m->playing());
    QVERIFY(runTicks(60));
    QCOMPARE(slotsSeen(), (std::set<int>{levelOf(1), levelOf(2), levelOf(3)}));
    peer.send("/dmxplayer/speed", 2.5f);
    QTRY_COMPARE(m->speedMaster(), 2.5);
    peer.send("/dmxplayer/stop");
    QTRY_VERIFY(!m->playing());
    for (const char *told :
         {"/dmxplayer/state/output 1", "/dmxplayer/state/range 1 3", "/dmxplayer/state/step 2",
          "/dmxplayer/state/playing 1", "/dmxplayer/state/speed 2.5", "/dmxplayer/state/playing 0"})
        QTRY_VERIFY2(peer.received.contains(told), told);
    QCOMPARE(under.server.errorCount(), 0);
    QCOMPARE(under.server.lastMessage(), QStringLiteral("/dmxplayer/stop"));
}

// A tap is handed on for the tap tempo with the steady-clock moment it was taken; the speed
// master, which taps once set, stays where it is.
void tst_oscserver::tapFeedsTheTapTempo()
{
    serverUnderTest under;
    oscPeer peer(under.server.port());
    QSignalSpy taps(&under.actions, &remoteActions::tapped);
    const auto steadyNs = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const qint64 before = steadyNs();
    peer.send("/dmxplayer/tap");
    QVERIFY(taps.wait());
    peer.send("/dmxplayer/tap");
    QTRY_COMPARE(taps.size(), 2);
    const qint64 first = taps.at(0).at(0).toLongLong();
    const qint64 second = taps.at(1).at(0).toLongLong();
    QVERIFY(before <= first && first <= second && second <= steadyNs());
    QCOMPARE(coreModel()->speedMaster(), 1.0);
    QCOMPARE(under.server.errorCount(), 0);
}

// "state" answers once; only a subscriber hears of changes, until it unsubscribes.
void tst_oscserver::stateAndSubscription()
{
    serverUnderTest under;
    oscPeer peer(under.server.port());
    peer.send("/dmxplayer/state");
    QTRY_COMPARE(peer.received.size(), 6);
    QCOMPARE(peer.received,
             QStringList({"/dmxplayer/state/playing 0", "/dmxplayer/state/step -1",
                          "/dmxplayer/state/range 0 -1", "/dmxplayer/state/output 0",
                          "/dmxplayer/state/blackout 0", "/dmxplayer/state/speed 1"}));
    coreModel()->dmxOutputEnable(true);
    peer.send("/dmxplayer/subscribe");
    QTRY_COMPARE(peer.received.size(), 12);
    QCOMPARE(under.server.subscriberCount(), 1);
    coreModel()->dmxOutputEnable(false);
    QTRY_COMPARE(peer.received.size(), 13);
    QCOMPARE(peer.received.last(), QStringLiteral("/dmxplayer/state/output 0"));
    peer.send("/dmxplayer/unsubscribe");
    QTRY_COMPARE(under.server.subscriberCount(), 0);
    coreModel()->dmxOutputEnable(true);
    peer.send("/dmxplayer/blackout", 1);
    QTRY_VERIFY(coreModel()->fixtures()->blackout());
    QCOMPARE(peer.received.size(), 13);

    // A listener that sends nothing itself (as oscdump) subscribed by another program.
    oscPeer listener(under.server.port());
    peer.send("/dmxplayer/subscribe", listener.port());
    QTRY_COMPARE(listener.received.size(), 6);
    coreModel()->dmxOutputEnable(false);
    QTRY_COMPARE(listener.received.size(), 7);
    QCOMPARE(listener.received.last(), QStringLiteral("/dmxplayer/state/output 0"));
    QCOMPARE(peer.received.size(), 13);
}

void tst_oscserver::refused_data()
{
    QTest::addColumn<QByteArray>("raw"); // sent as it stands when not empty
    QTest::addColumn<QString>("path");   // else a message to this path
    QTest::addColumn<QString>("types");  // with arguments of these types ('s': "x")

    QTest::newRow("not OSC") << QByteArray("hello world!") << ""
                             << "";
    QTest::newRow("cut short") << QByteArray("/dmxplayer/play\0\0,i\0\0\0\0", 22) << ""
                               << "";
    QTest::newRow("bundle with a lying size")
        << QByteArray("#bundle\0\0\0\0\0\0\0\0\1\0\0\0\x40/dmx", 24) << ""
        << "";
    QTest::newRow("unknown address") << QByteArray() << "/dmxplayer/eject"
                                     << "";
    QTest::newRow("outside the prefix") << QByteArray() << "/other/play"
                                        << "";
    QTest::newRow("save is no address") << QByteArray() << "/dmxplayer/save"
                                        << "s";
    QTest::newRow("play with an argument") << QByteArray() << "/dmxplayer/play"
                                           << "i";
    QTest::newRow("step as a float") << QByteArray() << "/dmxplayer/step"
                                     << "f";
    QTest::newRow("step past the table") << QByteArray() << "/dmxplayer/step"
                                         << "I";
    QTest::newRow("range with one end") << QByteArray() << "/dmxplayer/range"
                                        << "i";
    QTest::newRow("output as a string") << QByteArray() << "/dmxplayer/output"
                                        << "s";
    QTest::newRow("repeat below 0") << QByteArray() << "/dmxplayer/repeat"
                                    << "N";
    QTest::newRow("tap with an argument") << QByteArray() << "/dmxplayer/tap"
                                          << "i";
    QTest::newRow("speed as an int") << QByteArray() << "/dmxplayer/speed"
                                     << "i";
    QTest::newRow("subscribe to port -1") << QByteArray() << "/dmxplayer/subscribe"
                                          << "N";
    QTest::newRow("subscribe with a float") << QByteArray() << "/dmxplayer/subscribe"
                                            << "f";
}

// Each is ignored and counted, and nothing plays or moves.
void tst_oscserver::refused()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, path);
    QFETCH(QString, types);
    serverUnderTest under;
    oscPeer peer(under.server.port());
    const QByteArray to = path.toUtf8();
    if (!raw.isEmpty())
        peer.sendRaw(raw);
    else if (types.isEmpty())
        peer.send(to.constData());
    else if (types == "i")
        peer.send(to.constData(), 1);
    else if (types == "I")
        peer.send(to.constData(), kRows);
    else if (types == "N")
        peer.send(to.constData(), -1);
    else if (types == "f")
        peer.send(to.constData(), 1.0f);
    else
        peer.sendString(to.constData(), "/etc/passwd");
    QTRY_COMPARE(under.server.errorCount(), 1);
    QCOMPARE(under.server.messageCount(), 0);
    QCOMPARE(coreModel()->currentRow(), -1);
    QVERIFY(!coreModel()->playing());
    QVERIFY(!coreModel()->outputEnabled());
    QCOMPARE(coreModel()->repeat(), 0u);
}

void tst_oscserver::outOfRangeChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariantList>("args");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto f = [](float value) { return QVariant(value); };
    const auto row = [](const char *name, const QVariantList &args) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(name, describeArgs(args))))
            << QString::fromLatin1(name) << args;
    };
    row("speed", {f(std::nextafter(4.0f, 5.0f))});
    row("speed", {f(std::nextafter(0.1f, 0.0f))});
    for (const float speed : {9.0f, 0.05f, 0.0f, -1.0f, nan, inf, -inf})
        row("speed", {f(speed)});
    for (const char *name : {"output", "blackout"}) {
        for (const int value : {2, -1})
            row(name, {value});
        row(name, {f(nan)});
    }
    for (const int value : {kRows, -1})
        row("step", {value});
    row("step", {f(nan)});
    for (const QVariantList &ends :
         {QVariantList{0, kRows}, QVariantList{kRows, 0}, QVariantList{-1, 2}, QVariantList{1, -1},
          QVariantList{f(nan), 2}})
        row("range", ends);
    for (const int times : {kMaxRepeat + 1, -1})
        row("repeat", {times});
    row("repeat", {f(nan)});
    for (const char *name : {"subscribe", "unsubscribe", "state"}) {
        for (const int port : {0, -1, 65536})
            row(name, {port});
        row(name, {f(nan)});
    }
    for (const char *name : {"play", "stop", "next", "previous", "tap"})
        row(name, {0});
}

// A value outside its range is refused and counted once, and nothing changes: no clamped
// speed, no output switched by a 2, no range start moved by a range whose end is refused.
void tst_oscserver::outOfRangeChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QVariantList, args);
    serverUnderTest under;
    oscPeer peer(under.server.port());
    dimList *m = coreModel();
    m->dmxRowToDim(2);
    m->setPlayerEndRow(3);
    m->setRepeat(7);
    peer.send("/dmxplayer/subscribe");
    QTRY_COMPARE(under.server.messageCount(), 1);
    const QStringList before = snapshot(under);
    peer.send(qPrintable(QStringLiteral("/dmxplayer/") + name), args);
    QTRY_COMPARE(under.server.errorCount(), 1);
    QCOMPARE(under.server.messageCount(), 1);
    QCOMPARE(snapshot(under), before);
}

// 32 listeners are told of changes; the 33rd is refused, counted and hears nothing.
void tst_oscserver::subscribersUpToTheLimit()
{
    constexpr int kLimit = 32;
    serverUnderTest under;
    oscPeer peer(under.server.port());
    std::vector<std::unique_ptr<oscPeer>> listeners;
    for (int i = 0; i <= kLimit; ++i) {
        listeners.push_back(std::make_unique<oscPeer>(under.server.port()));
        peer.send("/dmxplayer/subscribe", listeners.back()->port());
    }
    QTRY_COMPARE(under.server.messageCount() + under.server.errorCount(), kLimit + 1);
    QCOMPARE(under.server.errorCount(), 1);
    QCOMPARE(under.server.subscriberCount(), kLimit);
    coreModel()->dmxOutputEnable(true);
    QTRY_VERIFY(listeners.at(kLimit - 1)->received.contains("/dmxplayer/state/output 1"));
    QCOMPARE(listeners.at(kLimit)->received, QStringList());
}

// Ten thousand messages, most of them refused, as fast as liblo sends them: the program
// still answers at once, and nothing played.
void tst_oscserver::floodLeavesItResponsive()
{
    serverUnderTest under;
    oscPeer peer(under.server.port());
    QSignalSpy playing(coreModel(), &dimList::playingChanged);
    QElapsedTimer sending;
    sending.start();
    for (int i = 0; i < 10000; ++i) {
        if (i % 3 == 0)
            peer.send("/dmxplayer/repeat", i % 200);
        else if (i % 3 == 1)
            peer.send("/dmxplayer/play", i);
        else
            peer.sendRaw(QByteArray("\xff\xfe garbage", 10));
        if (i % 500 == 0)
            QCoreApplication::processEvents();
    }
    QVERIFY(sending.elapsed() < 1000);
    // The kernel drops what overflows the socket's buffer, so the question may need asking
    // again; the answer comes as soon as the backlog is read.
    const auto answered = [&peer] { return peer.received.contains("/dmxplayer/state/playing 0"); };
    for (int ask = 0; ask < 20 && !answered(); ++ask) {
        peer.send("/dmxplayer/state");
        if (QTest::qWaitFor(answered, 250))
            break;
    }
    QVERIFY(answered());
    qInfo("messages read: %d understood, %d refused", under.server.messageCount(),
          under.server.errorCount());
    QVERIFY(under.server.errorCount() > 0);
    QCOMPARE(playing.count(), 0);
    QVERIFY(!coreModel()->playing());
    QCOMPARE(slotsSeen(), std::set<int>());
}

QTEST_MAIN(tst_oscserver)
#include "tst_oscserver.moc"
