#include "appwiring.h"
#include "childprocess.h"
#include "coretestsupport.h"

#include <QProcess>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtTest>

namespace
{
void headless(QProcess &p)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    p.setProcessEnvironment(env);
}
} // namespace

class tst_startup : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void brokenMainDocumentExitsWithMinusOne();
    void mainDocumentLoadsWithoutWarnings();
    void contextPropertiesArePublished();
    void channelListIsInChannelOrder();
    void propertyChangesReachQmlThroughTheCopies();
};

void tst_startup::brokenMainDocumentExitsWithMinusOne()
{
    childProcess p;
    headless(p);
    p.start(QStringLiteral(BROKEN_PLAYER), QStringList());
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 255); // -1 as an exit status
}

void tst_startup::mainDocumentLoadsWithoutWarnings()
{
    childProcess p;
    headless(p);
    p.start(QStringLiteral(REAL_PLAYER), QStringList());
    QVERIFY(p.waitForStarted(30000));
    // Still running after two seconds means the window came up and the event loop runs.
    const bool stillRunning = !p.waitForFinished(2000);
    p.kill();
    p.waitForFinished(30000);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(stillRunning, qPrintable(err));
    QVERIFY2(!err.contains("qrc:/"), qPrintable(err));
    QVERIFY2(!err.contains("QQmlApplicationEngine failed"), qPrintable(err));
}

void tst_startup::contextPropertiesArePublished()
{
    QQmlEngine engine;
    wireEngine(&engine);
    QQmlContext *ctx = engine.rootContext();
    QCOMPARE(ctx->contextProperty("dmx_list").value<QObject *>(), g_dimList);
    QCOMPARE(ctx->contextProperty("dmx").value<QObject *>(), g_dimList->output());
    QCOMPARE(ctx->contextProperty("fix_list").value<QObject *>(), g_dimList->output()->patch());
    QVERIFY(engine.importPathList().contains("qrc:/"));
}

void tst_startup::channelListIsInChannelOrder()
{
    QQmlEngine engine;
    wireEngine(&engine);
    QQmlComponent c(&engine);
    c.setData("import QtQuick 2.10\n"
              "QtObject {\n"
              "  property int count: dmx_data.length\n"
              "  property bool ordered: { for (var i = 0; i < dmx_data.length; ++i)"
              "    if (dmx_data[i].dimNum !== i + 1) return false; return true }\n"
              "  property int fixtures: dmx_fix.length\n"
              "  property int lastFixtureId: dmx_fix[5].fixID\n"
              "}",
              QUrl());
    QScopedPointer<QObject> o(c.create());
    QVERIFY2(o, qPrintable(c.errorString()));
    QCOMPARE(o->property("count").toInt(), 512);
    QVERIFY(o->property("ordered").toBool());
    QCOMPARE(o->property("fixtures").toInt(), 6);
    QCOMPARE(o->property("lastFixtureId").toInt(), 5);
}

void tst_startup::propertyChangesReachQmlThroughTheCopies()
{
    QQmlEngine engine;
    wireEngine(&engine);
    QQmlComponent c(&engine);
    c.setData("import QtQuick 2.10\n"
              "QtObject {\n"
              "  property int level: dmx_data[9].dimValue\n"
              "  function flip() { dmx_fix[2].fixSelect = 0; return dmx_fix[2].fixSelect }\n"
              "}",
              QUrl());
    QScopedPointer<QObject> o(c.create());
    QVERIFY2(o, qPrintable(c.errorString()));
    channel(9)->setDimValue(77);
    QCOMPARE(o->property("level").toInt(), 77);
    QVariant r;
    QMetaObject::invokeMethod(o.data(), "flip", Q_RETURN_ARG(QVariant, r));
    QCOMPARE(r.toInt(), 0);
    QCOMPARE(int(fixture(2)->fixSelect()), 0);
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
