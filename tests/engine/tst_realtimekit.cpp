#include "realtimekit.h"

#include "childprocess.h"

#include <QDBusContext>
#include <QDBusError>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <thread>

// The RealtimeKit request against a stand-in service on a private bus (never the system bus
// and never the real daemon): what is read, what is asked for, and every way it can fail.
class fakeRealtimeKit : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.RealtimeKit1")
    Q_PROPERTY(int MaxRealtimePriority MEMBER m_maxPriority)
    Q_PROPERTY(qlonglong RTTimeUSecMax MEMBER m_rtTime)

  public:
    fakeRealtimeKit(int maxPriority, bool refuse) : m_maxPriority(maxPriority), m_refuse(refuse) {}
    // What the last granted request asked for, and the RTTIME limit the service requires.
    qulonglong askedThread() const { return m_thread; }
    uint askedPriority() const { return m_priority; }
    qlonglong rtTimeMax() const { return m_rtTime; }

  public slots:
    void MakeThreadRealtime(qulonglong thread, uint priority)
    {
        if (m_refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused by the test"));
            return;
        }
        m_thread = thread;
        m_priority = priority;
    }

  private:
    int m_maxPriority = 20;
    qlonglong m_rtTime = 200000;
    bool m_refuse = false;
    qulonglong m_thread = 0;
    uint m_priority = 0;
};

class tst_realtimekit : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void noBus();
    void request_data();
    void request();

  private:
    childProcess m_bus;
    QString m_address;
};

namespace
{
struct outcome {
    int granted = -1;
    QString why;
    qint64 tid = 0;
};

// The request blocks; it runs on a thread of its own while this one serves the stand-in.
outcome askFromAnotherThread(const QDBusConnection &bus, int priority)
{
    outcome out;
    std::atomic<bool> done{false};
    std::thread asker([&] {
        realtimeKit kit(bus);
        out.tid = gettid();
        out.granted = kit.makeThreadRealtime(out.tid, priority);
        out.why = kit.why();
        done = true;
    });
    // Each call gives up after its own time-out, so the thread always ends.
    const bool answered = QTest::qWaitFor([&] { return done.load(); }, 10000);
    asker.join();
    if (!answered)
        out.why = QStringLiteral("no answer");
    return out;
}
} // namespace

void tst_realtimekit::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    m_bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address")});
    QVERIFY(m_bus.waitForStarted());
    QTRY_VERIFY(m_bus.canReadLine());
    m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
}

void tst_realtimekit::cleanupTestCase()
{
    m_bus.kill();
    m_bus.waitForFinished();
}

void tst_realtimekit::noBus()
{
    realtimeKit kit(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                  QStringLiteral("nobus")));
    QCOMPARE(kit.makeThreadRealtime(gettid(), 10), 0);
    QCOMPARE(kit.why(), QStringLiteral("no system bus"));
}

void tst_realtimekit::request_data()
{
    QTest::addColumn<bool>("served");
    QTest::addColumn<int>("maxPriority");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("granted");
    QTest::addColumn<QString>("why");

    QTest::newRow("granted as asked") << true << 20 << false << 10 << QString();
    QTest::newRow("capped by the service") << true << 5 << false << 5 << QString();
    QTest::newRow("none offered") << true << 0 << false << 0 << "no real-time priority offered";
    QTest::newRow("refused") << true << 20 << true << 0 << "refused by the test";
    QTest::newRow("no service on the bus") << false << 20 << false << 0 << "RealtimeKit1";
}

void tst_realtimekit::request()
{
    QFETCH(bool, served);
    QFETCH(int, maxPriority);
    QFETCH(bool, refuse);
    QFETCH(int, granted);
    QFETCH(QString, why);

    const QString side = QString::fromLatin1(QTest::currentDataTag());
    QDBusConnection service = QDBusConnection::connectToBus(m_address, side + " service");
    QDBusConnection client = QDBusConnection::connectToBus(m_address, side + " client");
    QVERIFY(service.isConnected() && client.isConnected());
    fakeRealtimeKit fake(maxPriority, refuse);
    const QString name = QStringLiteral("org.freedesktop.RealtimeKit1");
    if (served) {
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/RealtimeKit1"), &fake,
                                       QDBusConnection::ExportAllSlots |
                                           QDBusConnection::ExportAllProperties));
        QVERIFY(service.registerService(name));
    }

    const outcome out = askFromAnotherThread(client, 10);
    if (served)
        service.unregisterService(name);
    QDBusConnection::disconnectFromBus(side + " service");
    QDBusConnection::disconnectFromBus(side + " client");

    QCOMPARE(out.granted, granted);
    QVERIFY2(out.why.contains(why), qPrintable(out.why));
    if (granted > 0) {
        QCOMPARE(fake.askedThread(), qulonglong(out.tid));
        QCOMPARE(fake.askedPriority(), uint(granted));
        // The limit the service requires is in place before it is asked.
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_RTTIME, &limit), 0);
        QCOMPARE(qlonglong(limit.rlim_max), fake.rtTimeMax());
    } else {
        QCOMPARE(fake.askedPriority(), 0u);
    }
}

QTEST_GUILESS_MAIN(tst_realtimekit)
#include "tst_realtimekit.moc"
