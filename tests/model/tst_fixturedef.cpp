#include "fixturesnap.h"
#include "oflreader.h"
#include "qxfreader.h"

#include <QBuffer>
#include <QtTest>

class tst_fixturedef : public QObject
{
    Q_OBJECT

  private slots:
    void qxfReads_data();
    void qxfReads();
    void oflReads_data();
    void oflReads();
    void oversizedFilesAreRefused_data();
    void oversizedFilesAreRefused();
    void snapRule_data();
    void snapRule();
    void oflManufacturers();
};

namespace
{
// A definition in one line: "maker|model|type" then per mode "name: channel ...", each
// channel as name[flags]{min-max name;...}, flags f for fine and s for snap.
QString summary(const fixtureDef::definition &def)
{
    QStringList parts{def.manufacturer + '|' + def.model + '|' + def.type};
    for (const fixtureDef::mode &mode : def.modes) {
        QStringList channels;
        for (int index : mode.channels) {
            const fixtureDef::channel &channel = def.channels.at(index);
            QStringList ranges;
            for (const fixtureDef::capability &range : channel.capabilities)
                ranges << QStringLiteral("%1-%2 %3").arg(range.min).arg(range.max).arg(range.name);
            const QString flags =
                QString(channel.fine ? "f" : "") + QString(fixtureSnap::snaps(channel) ? "s" : "");
            channels << QStringLiteral("%1[%2]{%3}").arg(channel.name, flags, ranges.join(';'));
        }
        parts << mode.name + ": " + channels.join(' ');
    }
    return parts.join(QStringLiteral(" / "));
}

fixtureDef::readResult readQxf(const QByteArray &text)
{
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return qxfReader::read(buffer);
}

fixtureDef::readResult readOfl(const QByteArray &text)
{
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return oflReader::read(buffer, QStringLiteral("Maker"));
}

QByteArray qxf(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE FixtureDefinition>\n"
           "<FixtureDefinition xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
           " <Manufacturer>Maker</Manufacturer><Model>Beam 1</Model><Type>Laser</Type>\n" +
           body + "</FixtureDefinition>\n";
}

const QByteArray kQxfChannels =
    " <Channel Name=\"Pattern\"><Group Byte=\"0\">Effect</Group>\n"
    "  <Capability Min=\"0\" Max=\"9\">Laser Off</Capability>\n"
    "  <Capability Min=\"10\" Max=\"99\">Circle</Capability>\n"
    "  <Capability Min=\"100\" Max=\"255\">Triangle 1</Capability></Channel>\n"
    " <Channel Name=\"Pan\" Preset=\"PositionPan\"/>\n"
    " <Channel Name=\"Pan fine\" Preset=\"PositionPanFine\"/>\n"
    " <Channel Name=\"Zoom\"><Group Byte=\"1\">Beam</Group>\n"
    "  <Capability Min=\"0\" Max=\"255\">Zoom fine</Capability></Channel>\n"
    " <Channel Name=\"Rotation\"><Group Byte=\"0\">Speed</Group>\n"
    "  <Capability Min=\"0\" Max=\"9\">Stop</Capability>\n"
    "  <Capability Min=\"10\" Max=\"127\">Clockwise slow to fast</Capability>\n"
    "  <Capability Min=\"128\" Max=\"255\">CCW 0-100%</Capability></Channel>\n";

// Ranges of 1 byte each from 0 on; `count` of them.
QByteArray manyCapabilities(int count)
{
    QByteArray ranges;
    for (int i = 0; i < count; ++i)
        ranges += QByteArray("<Capability Min=\"") + QByteArray::number(i % 256) + "\" Max=\"" +
                  QByteArray::number(i % 256) + "\">P</Capability>";
    return " <Channel Name=\"A\">" + ranges + "</Channel>\n";
}

const QByteArray kOflHead = R"({"$schema": "https://example/fixture.json", "name": "Spot 2",
  "categories": ["Laser", "Effect"], "meta": {"authors": ["t"], "createDate": "2024-01-01",
  "lastModifyDate": "2024-01-01"},)";
} // namespace

void tst_fixturedef::qxfReads_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected"); // the summary, or "!" and a part of the error

    QTest::newRow("modes, fine bytes, presets and order by number")
        << qxf(kQxfChannels + " <Mode Name=\"Full\"><Channel Number=\"1\">Pan</Channel>"
                              "<Channel Number=\"0\">Pattern</Channel>"
                              "<Channel Number=\"2\">Pan fine</Channel>"
                              "<Channel Number=\"3\">Zoom</Channel>"
                              "<Channel Number=\"4\">Rotation</Channel></Mode>\n"
                              " <Mode Name=\"Small\"><Channel Number=\"0\">Pattern</Channel>"
                              "<Physical/></Mode>\n")
        << "Maker|Beam 1|Laser / Full: Pattern[s]{0-9 Laser Off;10-99 Circle;100-255 Triangle 1} "
           "Pan[]{0-255 Pan} Pan fine[f]{0-255 Pan fine} Zoom[f]{0-255 Zoom fine} "
           "Rotation[]{0-9 Stop;10-127 Clockwise slow to fast;128-255 CCW 0-100%} / "
           "Small: Pattern[s]{0-9 Laser Off;10-99 Circle;100-255 Triangle 1}";
    QTest::newRow("capability without Max")
        << qxf(" <Channel Name=\"A\"><Capability Min=\"0\">x</Capability></Channel>\n")
        << "!channel \"A\": Max is missing";
    QTest::newRow("capability above a byte")
        << qxf(" <Channel Name=\"A\"><Capability Min=\"0\" Max=\"256\">x</Capability></Channel>")
        << "!Max is missing or not 0 to 255";
    QTest::newRow("range running down")
        << qxf(" <Channel Name=\"A\"><Capability Min=\"9\" Max=\"3\">x</Capability></Channel>")
        << "!runs from 9 down to 3";
    QTest::newRow("unknown channel in a mode")
        << qxf(kQxfChannels + " <Mode Name=\"M\"><Channel Number=\"0\">Tilt</Channel></Mode>")
        << "!mode \"M\" names the unknown channel \"Tilt\"";
    QTest::newRow("channel without a name")
        << qxf(" <Channel><Capability Min=\"0\" Max=\"3\">x</Capability></Channel>")
        << "!a channel has no name";
    QTest::newRow("no modes") << qxf(kQxfChannels) << "!no modes";
    QTest::newRow("empty mode") << qxf(kQxfChannels + " <Mode Name=\"M\"></Mode>")
                                << "!mode \"M\" has no channels";
    QTest::newRow("no model") << QByteArray("<FixtureDefinition><Manufacturer>A</Manufacturer>"
                                            "<Mode Name=\"M\"/></FixtureDefinition>")
                              << "!no manufacturer or model";
    QTest::newRow("broken XML") << qxf(kQxfChannels).left(300) << "!broken XML at line";
    QTest::newRow("another document")
        << QByteArray("<show><row/></show>") << "!not a QLC+ fixture definition";
    QTest::newRow("not XML") << QByteArray("{\"name\": 1}") << "!not XML";
    QTest::newRow("empty") << QByteArray() << "!not XML";
    QTest::newRow("too many ranges")
        << qxf(manyCapabilities(fixtureDef::kMaxCapabilities + 1)) << "!more than 256 ranges";
    QStringList most;
    for (int i = 0; i < fixtureDef::kMaxCapabilities; ++i)
        most << QStringLiteral("%1-%1 P").arg(i);
    QTest::newRow("most ranges")
        << qxf(manyCapabilities(fixtureDef::kMaxCapabilities) +
               " <Mode Name=\"M\"><Channel Number=\"0\">A</Channel></Mode>")
        << "Maker|Beam 1|Laser / M: A[s]{" + most.join(';') + "}";
    QByteArray modes;
    for (int i = 0; i <= fixtureDef::kMaxModes; ++i)
        modes += "<Mode Name=\"m\"><Channel Number=\"0\">Pan</Channel></Mode>";
    QTest::newRow("too many modes") << qxf(kQxfChannels + modes) << "!more than 64 modes";
    QTest::newRow("channel number past a universe")
        << qxf(kQxfChannels + "<Mode Name=\"M\"><Channel Number=\"512\">Pan</Channel></Mode>")
        << "!a channel's Number is missing or not 0 to 511";
}

namespace
{
// `expected` is the summary of what was read, or "!" and a part of the refusal.
void checkRead(const fixtureDef::readResult &result, const QString &expected)
{
    if (expected.startsWith('!')) {
        QVERIFY2(result.error.contains(expected.mid(1)), qPrintable(result.error));
        QVERIFY(result.def.modes.isEmpty() && result.def.channels.isEmpty());
    } else {
        QCOMPARE(result.error, QString());
        QCOMPARE(summary(result.def), expected);
    }
}

} // namespace

void tst_fixturedef::qxfReads()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    checkRead(readQxf(text), expected);
}

void tst_fixturedef::oflReads_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");

    const QByteArray channels = R"("availableChannels": {
      "Effect": {"capabilities": [
        {"dmxRange": [0, 9], "type": "NoFunction"},
        {"dmxRange": [10, 99], "type": "Effect", "effectName": "Circle"},
        {"dmxRange": [100, 199], "type": "Effect", "effectName": "Wave", "comment": "Wave 1"},
        {"dmxRange": [200, 255], "type": "ColorPreset", "color": "Red"}]},
      "Pan": {"fineChannelAliases": ["Pan fine"], "capability": {"type": "Pan",
        "angleStart": "0deg", "angleEnd": "540deg"}},
      "Dimmer": {"fineChannelAliases": ["Dimmer fine"], "capabilities": [
        {"dmxRange": [0, 2559], "type": "Intensity", "brightness": "off"},
        {"dmxRange": [2560, 65535], "type": "Intensity", "brightnessStart": "0%",
         "brightnessEnd": "100%"}]},
      "Speed": {"name": "Scan speed", "dmxValueResolution": "8bit", "capabilities": [
        {"dmxRange": [0, 0], "type": "Speed", "speed": "stop"},
        {"dmxRange": [1, 255], "type": "Speed", "speedStart": "slow", "speedEnd": "fast"}]},
      "Program": {"defaultValue": 0, "capabilities": [
        {"dmxRange": [0, 127], "type": "Generic", "comment": "Manual",
         "switchChannels": {"Program Param": "Size"}},
        {"dmxRange": [128, 255], "type": "Generic", "comment": "Auto",
         "switchChannels": {"Program Param": "Auto speed"}}]},
      "Size": {"capability": {"type": "Zoom", "angleStart": "narrow", "angleEnd": "wide"}},
      "Auto speed": {"capability": {"type": "EffectSpeed", "speedStart": "slow",
        "speedEnd": "fast"}}
    },)";
    const QByteArray modes = R"("modes": [
      {"name": "10-channel", "channels": ["Effect", "Pan", "Pan fine", "Dimmer", "Dimmer fine",
        "Speed", null, "Program", "Program Param"]},
      {"name": "1-channel", "channels": ["Effect"]}]})";
    QTest::newRow("modes, fine channels, resolutions, names, switching")
        << kOflHead + channels + modes
        << "Maker|Spot 2|Laser / 10-channel: "
           "Effect[s]{0-9 NoFunction;10-99 Effect Circle;100-199 Wave 1;200-255 ColorPreset Red} "
           "Pan[]{0-255 Pan 0deg…540deg} Pan fine[f]{0-255 Pan fine} "
           "Dimmer[]{0-9 Intensity off;10-255 Intensity 0%…100%} Dimmer fine[f]{0-255 Dimmer fine} "
           "Scan speed[]{0-0 Speed stop;1-255 Speed slow…fast} (unused)[]{0-255 } "
           "Program[s]{0-127 Manual;128-255 Auto} "
           "Program Param[]{0-255 Zoom narrow…wide} / 1-channel: "
           "Effect[s]{0-9 NoFunction;10-99 Effect Circle;100-199 Wave 1;200-255 ColorPreset Red}";
    QTest::newRow("matrix fixture")
        << kOflHead + R"("matrix": {"pixelCount": [4, 1, 1]}, "availableChannels": {},
             "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!a matrix (pixel) fixture";
    QTest::newRow("template channels")
        << kOflHead + R"("templateChannels": {"Red $pixelKey": {"capability":
             {"type": "ColorIntensity", "color": "Red"}}}, "modes": []})"
        << "!a matrix (pixel) fixture";
    QTest::newRow("matrix insert in a mode")
        << kOflHead + channels + R"("modes": [{"name": "m", "channels": ["Effect",
             {"insert": "matrixChannels", "repeatFor": "eachPixelXYZ"}]}]})"
        << "!mode \"m\" inserts matrix channels";
    QTest::newRow("redirect") << QByteArray(R"({"name": "Old", "redirectTo": "maker/new",
                                           "reason": "FixtureRenamed"})")
                              << "!a redirect to maker/new";
    QTest::newRow("range without dmxRange")
        << kOflHead + R"("availableChannels": {"A": {"capabilities": [{"type": "Effect"}]}},
             "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!channel \"A\": a range has no dmxRange";
    QTest::newRow("range without type")
        << kOflHead + R"("availableChannels": {"A": {"capability": {"comment": "x"}}},
             "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!channel \"A\": a range has no type";
    QTest::newRow("range past the byte")
        << kOflHead + R"("availableChannels": {"A": {"capabilities": [{"dmxRange": [0, 256],
             "type": "Effect"}]}}, "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!a dmxRange is not two values from 0 to 255";
    QTest::newRow("range running down")
        << kOflHead + R"("availableChannels": {"A": {"capabilities": [{"dmxRange": [9, 3],
             "type": "Effect"}]}}, "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!a dmxRange is not two values";
    QTest::newRow("channel without ranges")
        << kOflHead + R"("availableChannels": {"A": {"defaultValue": 0}},
             "modes": [{"name": "m", "channels": ["A"]}]})"
        << "!channel \"A\" has neither capability nor capabilities";
    QTest::newRow("unknown channel") << kOflHead + channels + R"("modes": [{"name": "m",
                                            "channels": ["Effect", "Tilt"]}]})"
                                     << "!a mode names the unknown channel \"Tilt\"";
    QTest::newRow("no modes") << kOflHead + channels + R"("modes": []})"
                              << "!no modes";
    QTest::newRow("mode without name") << kOflHead + channels + R"("modes": [{"channels":
                                               ["Effect"]}]})"
                                       << "!a mode has no name";
    QTest::newRow("no name") << QByteArray(R"({"modes": []})") << "!no name";
    QTest::newRow("broken JSON") << (kOflHead + channels).left(200) << "!broken JSON at byte";
    QTest::newRow("array") << QByteArray("[1, 2]") << "!not an Open Fixture Library fixture";
    QTest::newRow("XML") << qxf(kQxfChannels) << "!broken JSON";
}

void tst_fixturedef::oflReads()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    checkRead(readOfl(text), expected);
}

void tst_fixturedef::oversizedFilesAreRefused_data()
{
    QTest::addColumn<bool>("qlc");
    QTest::addColumn<bool>("sequential");
    QTest::newRow("qxf file") << true << false;
    QTest::newRow("qxf stream") << true << true;
    QTest::newRow("ofl file") << false << false;
    QTest::newRow("ofl stream") << false << true;
}

// A process's pipe has no size: the reader must stop after its limit all the same.
class streamBuffer : public QBuffer
{
  public:
    using QBuffer::QBuffer;
    bool isSequential() const override { return true; }
};

void tst_fixturedef::oversizedFilesAreRefused()
{
    QFETCH(bool, qlc);
    QFETCH(bool, sequential);
    // A valid definition padded with white space to one byte past the limit.
    QByteArray text = qlc ? qxf(kQxfChannels + "<Mode Name=\"M\"><Channel Number=\"0\">Pan"
                                               "</Channel></Mode>")
                          : kOflHead + R"("availableChannels": {"A": {"capability":
                                {"type": "Effect"}}}, "modes": [{"name": "m", "channels": ["A"]}]})";
    text += QByteArray(int(fixtureDef::kMaxFileSize) - text.size(), ' ');
    for (const QByteArray &bytes : {text, text + ' '}) {
        QByteArray copy = bytes;
        streamBuffer stream(&copy);
        QBuffer plain(&copy);
        QIODevice &in = sequential ? static_cast<QIODevice &>(stream) : plain;
        QVERIFY(in.open(QIODevice::ReadOnly));
        const fixtureDef::readResult result =
            qlc ? qxfReader::read(in) : oflReader::read(in, QStringLiteral("M"));
        if (bytes.size() > fixtureDef::kMaxFileSize)
            QCOMPARE(result.error, QStringLiteral("larger than 1048576 bytes"));
        else
            QCOMPARE(result.error, QString());
    }
}

void tst_fixturedef::snapRule_data()
{
    QTest::addColumn<bool>("fine");
    QTest::addColumn<QString>("ranges"); // s for a named preset, c for a continuous range
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("snaps");
    QTest::newRow("patterns") << false << "sssss"
                              << "" << true;
    QTest::newRow("off beside one pattern") << false << "ss"
                                            << "" << true;
    QTest::newRow("one range") << false << "s"
                               << "" << false;
    QTest::newRow("one continuous range") << false << "c"
                                          << "" << false;
    QTest::newRow("dimmer with an off step") << false << "sc"
                                             << "" << false;
    QTest::newRow("rotation: stop, cw, stop, ccw") << false << "scsc"
                                                   << "" << false;
    QTest::newRow("shutter: closed, strobe, open") << false << "scs"
                                                   << "" << true;
    QTest::newRow("gobos with shake ranges") << false << "ssssccc"
                                             << "" << true;
    QTest::newRow("fine byte of presets") << true << "sss"
                                          << "" << false;
    QTest::newRow("nothing") << false << ""
                             << "" << false;
    QTest::newRow("one range of 128 patterns") << false << "s"
                                               << "Effect" << true;
    QTest::newRow("one gobo range") << false << "s"
                                    << "gobo" << true;
    QTest::newRow("effect speed") << false << "c"
                                  << "Effect" << false;
    QTest::newRow("fine effect byte") << true << "s"
                                      << "Effect" << false;
}

void tst_fixturedef::snapRule()
{
    QFETCH(bool, fine);
    QFETCH(QString, ranges);
    QFETCH(QString, kind);
    QFETCH(bool, snaps);
    fixtureDef::channel channel;
    channel.fine = fine;
    channel.kind = kind;
    for (QChar letter : ranges) {
        fixtureDef::capability range;
        range.stepped = letter == 's';
        channel.capabilities << range;
    }
    QCOMPARE(fixtureSnap::snaps(channel), snaps);
}

void tst_fixturedef::oflManufacturers()
{
    QByteArray text = R"({"$schema": "x", "cameo": {"name": "Cameo", "website": "w"},
                          "broken": 3, "adj": {"name": "American DJ"}})";
    QBuffer buffer(&text);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const QHash<QString, QString> names = oflReader::readManufacturers(buffer);
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.value("cameo"), QStringLiteral("Cameo"));
    QCOMPARE(names.value("adj"), QStringLiteral("American DJ"));
}

QTEST_APPLESS_MAIN(tst_fixturedef)
#include "tst_fixturedef.moc"
