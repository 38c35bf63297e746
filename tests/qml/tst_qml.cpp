#include "appwiring.h"
#include "coreprobe.h"
#include "recoverycopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtQuickTest>

// Gives the documents under test the same core and wiring as the program, plus the
// test-only probe.
class qmlTestSetup : public QObject
{
    Q_OBJECT

  public slots:
    // Settings the documents write (added library places, MIDI bindings, the window's place)
    // go to a folder of this run's own, not the user's: ctest runs several documents at
    // once, and a window opens where the last one was closed.
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName("Orvane");
        QStandardPaths::setTestModeEnabled(true);
        // Copies a killed run left would be offered to the next.
        QDir(recoveryCopy::defaultFolder()).removeRecursively();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
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
    QTemporaryDir m_settings;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qml, qmlTestSetup)

#include "tst_qml.moc"
