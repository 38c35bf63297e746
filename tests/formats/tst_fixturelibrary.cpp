#include "fixturelibrary.h"
#include "fixturesnap.h"

#include "testfiles.h"
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QtTest>

class tst_fixturelibrary : public QObject
{
    Q_OBJECT

  private slots:
    void everyInstalledDefinition();
    void snapOnInstalledDefinitions_data();
    void snapOnInstalledDefinitions();
    void scansTreesAndLooseFiles();
    void indexesInAWorkerThread();

  private:
    void writeTree(const QString &root);
};

namespace
{
const QString kQlcFolder = QStringLiteral("/usr/share/qlcplus/fixtures");

const QByteArray kSpot =
    "{\"name\": \"Spot\", \"categories\": [\"Moving Head\"], "
    "\"availableChannels\": {\"Gobo\": {\"capabilities\": ["
    "{\"dmxRange\": [0, 99], \"type\": \"WheelSlot\", \"slotNumber\": 1}, "
    "{\"dmxRange\": [100, 255], \"type\": \"WheelSlot\", \"slotNumber\": 2}]}}, "
    "\"modes\": [{\"name\": \"1ch\", \"channels\": [\"Gobo\"]}]}";
} // namespace

// Every definition qlcplus-data installs, read as the window's index reads them. The package
// is a test dependency: without it this fails rather than passing on nothing.
void tst_fixturelibrary::everyInstalledDefinition()
{
    QVERIFY2(QDir(kQlcFolder).exists(), "install qlcplus-data (tools/install-deps.sh)");
    const QVector<fixtureLibrary::entry> found = fixtureLibrary::scan({kQlcFolder});
    int loaded = 0;
    int lasers = 0;
    QMap<QString, QStringList> reasons;
    for (const fixtureLibrary::entry &entry : found) {
        if (entry.error.isEmpty()) {
            ++loaded;
            lasers += entry.type == QLatin1String("Laser") ? 1 : 0;
            QVERIFY2(!entry.modes.isEmpty(), qPrintable(entry.file));
        } else {
            reasons[entry.error] << QFileInfo(entry.file).fileName();
        }
    }
    qInfo("%d definitions: %d loaded (%d lasers), %d skipped", int(found.size()), loaded, lasers,
          int(found.size()) - loaded);
    for (auto it = reasons.begin(); it != reasons.end(); ++it)
        qInfo("  %d skipped: %s (%s)", int(it.value().size()), qPrintable(it.key()),
              qPrintable(it.value().join(QStringLiteral(", "))));
    // 1358 definitions (44 lasers) in Debian 12's package, all of which load.
    QVERIFY2(found.size() >= 1300, qPrintable(QString::number(found.size())));
    QCOMPARE(loaded, int(found.size()));
    QVERIFY(lasers >= 40);
}

void tst_fixturelibrary::snapOnInstalledDefinitions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<bool>("snaps");
    const QString laser = kQlcFolder + "/UKing/UKing-ZQ-B370-Laser.qxf";
    const QString spot = kQlcFolder + "/Clay_Paky/Clay-Paky-Alpha-Spot-575-HPE.qxf";
    QTest::newRow("laser: pattern") << laser << "Pattern Selection" << true;
    QTest::newRow("laser: off, static, dynamic, sound, auto") << laser << "Mode" << true;
    QTest::newRow("laser: pan") << laser << "Pan" << false;
    QTest::newRow("laser: speed") << laser << "Scanning Speed" << false;
    QTest::newRow("laser: size") << laser << "Static Pattern Size" << false;
    QTest::newRow("spot: colour wheel") << spot << "Colour wheel" << true;
    QTest::newRow("spot: gobos") << spot << "Fixed gobo change" << true;
    QTest::newRow("spot: prisms") << spot << "Prisms lens change" << true;
    QTest::newRow("spot: gobo rotation") << spot << "Gobo 1 rotation" << false;
    QTest::newRow("spot: dimmer") << spot << "Dimmer" << false;
    QTest::newRow("spot: iris") << spot << "Iris" << false;
    QTest::newRow("spot: fine pan") << spot << "Pan fine" << false;
    QTest::newRow("spot: time, presets around a range") << spot << "Gobo time" << true;
}

void tst_fixturelibrary::snapOnInstalledDefinitions()
{
    QFETCH(QString, file);
    QFETCH(QString, channel);
    QFETCH(bool, snaps);
    const fixtureDef::readResult read = fixtureLibrary::readFile(file);
    QCOMPARE(read.error, QString());
    int found = 0;
    for (const fixtureDef::channel &each : read.def.channels) {
        if (each.name == channel) {
            ++found;
            QCOMPARE(fixtureSnap::snaps(each), snaps);
        }
    }
    QCOMPARE(found, 1);
}

// An OFL tree with its manufacturers.json, a loose OFL file, a QLC+ file and things that are
// not definitions, some of them named like one.
void tst_fixturelibrary::writeTree(const QString &root)
{
    writeTestFile(root + "/ofl/manufacturers.json",
                  "{\"$schema\": \"x\", \"cameo\": {\"name\": \"Cameo\"}}");
    writeTestFile(root + "/ofl/register.json", "{\"filesystem\": {}}");
    writeTestFile(root + "/ofl/cameo/spot.json", kSpot);
    writeTestFile(root + "/ofl/cameo/pixel.json",
                  "{\"name\": \"Bar\", \"matrix\": {\"pixelCount\": [8, 1, 1]}, \"modes\": []}");
    writeTestFile(root + "/ofl/unknown/wash.json", kSpot);
    writeTestFile(root + "/loose/own.json", "{\"manufacturerKey\": \"acme\"," + kSpot.mid(1));
    writeTestFile(root + "/loose/page.json",
                  "{\"oflURL\": \"https://open-fixture-library.org/laserworld/el-400\"," +
                      kSpot.mid(1));
    writeTestFile(root + "/loose/notes.txt", "not a fixture");
    writeTestFile(root + "/loose/big.qxf", QByteArray(int(fixtureDef::kMaxFileSize) + 1, ' '));
    writeTestFile(root + "/qlc/Maker/Laser.qxf",
                  "<FixtureDefinition><Manufacturer>Maker</Manufacturer><Model>Beam</Model>"
                  "<Channel Name=\"A\"><Capability Min=\"0\" Max=\"255\">A</Capability></Channel>"
                  "<Mode Name=\"M\"><Channel Number=\"0\">A</Channel></Mode></FixtureDefinition>");
}

void tst_fixturelibrary::scansTreesAndLooseFiles()
{
    QTemporaryDir dir;
    writeTree(dir.path());
    const QString root = dir.path();
    // A folder that does not exist adds nothing; a file named directly is read.
    const QVector<fixtureLibrary::entry> found = fixtureLibrary::scan(
        {root + "/ofl", root + "/loose", root + "/none", root + "/qlc/Maker/Laser.qxf"});
    QStringList lines;
    for (const fixtureLibrary::entry &entry : found) {
        QStringList modes;
        for (const fixtureLibrary::modeSummary &mode : entry.modes)
            modes << mode.name + ':' + QString::number(mode.channels);
        lines << QStringList{QDir(root).relativeFilePath(entry.file),
                             entry.manufacturer,
                             entry.model,
                             entry.type,
                             modes.join(','),
                             entry.error}
                     .join('|');
    }
    const QStringList expected = {
        "loose/big.qxf|||||larger than 1048576 bytes",
        "ofl/cameo/pixel.json|||||a matrix (pixel) fixture, which is not supported",
        "loose/own.json|acme|Spot|Moving Head|1ch:1|",
        "ofl/cameo/spot.json|Cameo|Spot|Moving Head|1ch:1|",
        "loose/page.json|laserworld|Spot|Moving Head|1ch:1|",
        "qlc/Maker/Laser.qxf|Maker|Beam||M:1|",
        // A folder the list does not name is its own name.
        "ofl/unknown/wash.json|unknown|Spot|Moving Head|1ch:1|"};
    QCOMPARE(lines, expected);
}

void tst_fixturelibrary::indexesInAWorkerThread()
{
    QTemporaryDir dir;
    writeTree(dir.path());
    fixtureLibrary library;
    QSignalSpy done(&library, &fixtureLibrary::finished);
    QVERIFY(!library.isReady());
    library.start({dir.path()});
    QVERIFY(done.wait());
    QVERIFY(library.isReady());
    const QVector<fixtureLibrary::entry> direct = fixtureLibrary::scan({dir.path()});
    QCOMPARE(library.entries().size(), direct.size());
    for (int i = 0; i < direct.size(); ++i)
        QCOMPARE(library.entries().at(i).file, direct.at(i).file);
    QCOMPARE(done.count(), 1);
}

QTEST_GUILESS_MAIN(tst_fixturelibrary)
#include "tst_fixturelibrary.moc"
