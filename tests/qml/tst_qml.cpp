#include "appwiring.h"
#include "coreprobe.h"
#include "recoverycopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QtQuickTest>

// Gives the documents under test the same core and wiring as the program, plus the
// test-only probe.
class qmlTestSetup : public QObject
{
    Q_OBJECT

  public slots:
    // Settings the documents write (added library places, MIDI bindings) go to Qt's test
    // location, not the user's own.
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName("Orvane");
        QStandardPaths::setTestModeEnabled(true);
        // Copies a killed run left would be offered to the next.
        QDir(recoveryCopy::defaultFolder()).removeRecursively();
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        registerQmlTypes();
        wireEngine(engine);
        m_probe.setEngine(engine);
        engine->rootContext()->setContextProperty("coreProbe", &m_probe);
    }

    void cleanupTestCase() { m_probe.dropCore(); }

  private:
    coreProbe m_probe;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qml, qmlTestSetup)

#include "tst_qml.moc"
