#include "appwiring.h"
#include "coreprobe.h"

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
        // The documents ctest runs at once are processes of one name. Each keeps its recovery
        // copies apart: a window offers every copy whose owner has ended, and Enter typed
        // into a cell would open another run's copy.
        QCoreApplication::setApplicationName(
            QStringLiteral("tst_qml-%1").arg(QCoreApplication::applicationPid()));
        // Copies a killed run of the same number left would be offered to this one.
        removeData();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        registerQmlTypes();
        wireEngine(engine);
        m_probe.setEngine(engine);
        engine->rootContext()->setContextProperty("coreProbe", &m_probe);
    }

    void cleanupTestCase()
    {
        m_probe.dropCore();
        removeData();
    }

  private:
    static void removeData()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    }

    coreProbe m_probe;
    QTemporaryDir m_settings;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qml, qmlTestSetup)

#include "tst_qml.moc"
