#include "qxfreader.h"

#include <QHash>
#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>

namespace
{
using fixtureDef::capability;
using fixtureDef::channel;
using fixtureDef::definition;
using fixtureDef::mode;

QString cut(const QString &text)
{
    return text.simplified().left(fixtureDef::kMaxNameLength);
}

// An attribute's line breaks can only come from a character reference (&#10;), so they are
// meant: a title stacked in lines keeps them.
QString cutKeepingLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.simplified();
    return lines.join(QLatin1Char('\n')).left(fixtureDef::kMaxNameLength);
}

// QLC+ names a range only in words; these say the range runs from one end to the other.
bool runsContinuously(const QString &name, const QString &preset)
{
    static const QRegularExpression presetWords(
        QStringLiteral("SlowToFast|FastToSlow|NearToFar|FarToNear|BigToSmall|SmallToBig"));
    static const QRegularExpression nameWords(
        QStringLiteral("\\b(slow|fast|speed|dim\\w*|intensity|fade|increas\\w*|decreas\\w*|"
                       "small|big|near|far|low|high|min|max|clockwise|ccw|cw|size|zoom|"
                       "position\\w*|adjust\\w*|degree\\w*)\\b|%|\\x{00b0}|->|\\x{2192}|"
                       "<>|\\d\\w*\\s*[-~\\x{2026}]\\s*\\d"),
        QRegularExpression::CaseInsensitiveOption);
    return presetWords.match(preset).hasMatch() || nameWords.match(name).hasMatch();
}

class reader
{
  public:
    explicit reader(const QByteArray &data) : m_xml(data) {}
    fixtureDef::readResult run();

  private:
    void readChannel();
    void readCapability(channel &target);
    void readMode();
    bool fail(const QString &why);
    int number(const QString &field, const QString &where);

    QXmlStreamReader m_xml;
    definition m_def;
    QString m_error;
    QHash<QString, int> m_channelIndex;
    // Modes name channels that may come later in the file.
    QVector<QVector<QPair<int, QString>>> m_modeChannels;
};

bool reader::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
    return false;
}

int reader::number(const QString &field, const QString &where)
{
    bool ok = false;
    const int value = m_xml.attributes().value(field).toInt(&ok);
    if (!ok || value < 0 || value > fixtureDef::kMaxValue) {
        fail(QStringLiteral("%1: %2 is missing or not 0 to %3")
                 .arg(where, field)
                 .arg(fixtureDef::kMaxValue));
        return -1;
    }
    return value;
}

void reader::readCapability(channel &target)
{
    const QString where = QStringLiteral("channel \"%1\"").arg(target.name);
    if (target.capabilities.size() >= fixtureDef::kMaxCapabilities) {
        fail(QStringLiteral("%1 has more than %2 ranges")
                 .arg(where)
                 .arg(fixtureDef::kMaxCapabilities));
        return;
    }
    capability range;
    range.min = number(QStringLiteral("Min"), where);
    range.max = number(QStringLiteral("Max"), where);
    const QString preset = m_xml.attributes().value(QStringLiteral("Preset")).toString();
    range.name = cut(m_xml.readElementText(QXmlStreamReader::SkipChildElements));
    if (range.min < 0 || range.max < 0)
        return;
    if (range.min > range.max) {
        fail(QStringLiteral("%1: a range runs from %2 down to %3")
                 .arg(where)
                 .arg(range.min)
                 .arg(range.max));
        return;
    }
    range.stepped = !runsContinuously(range.name, preset);
    target.capabilities << range;
}

void reader::readChannel()
{
    channel made;
    made.name = cutKeepingLines(m_xml.attributes().value(QStringLiteral("Name")).toString());
    const QString preset = m_xml.attributes().value(QStringLiteral("Preset")).toString();
    if (cut(made.name).isEmpty()) {
        fail(QStringLiteral("a channel has no name"));
        return;
    }
    if (m_def.channels.size() >= fixtureDef::kMaxChannels) {
        fail(QStringLiteral("more than %1 channels").arg(fixtureDef::kMaxChannels));
        return;
    }
    made.kind = preset;
    made.fine = preset.endsWith(QLatin1String("Fine"));
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("Group")) {
            made.fine =
                made.fine || m_xml.attributes().value(QStringLiteral("Byte")) == QLatin1String("1");
            made.kind = m_xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (m_xml.name() == QLatin1String("Capability")) {
            readCapability(made);
        } else {
            m_xml.skipCurrentElement();
        }
    }
    // A preset channel describes itself: one range over the whole byte.
    if (made.capabilities.isEmpty()) {
        capability whole;
        whole.name = made.name;
        made.capabilities << whole;
    }
    // Modes name their channels in element text, where white space is only layout.
    m_channelIndex.insert(cut(made.name), m_def.channels.size());
    m_def.channels << made;
}

void reader::readMode()
{
    mode made;
    made.name = cut(m_xml.attributes().value(QStringLiteral("Name")).toString());
    if (m_def.modes.size() >= fixtureDef::kMaxModes) {
        fail(QStringLiteral("more than %1 modes").arg(fixtureDef::kMaxModes));
        return;
    }
    QVector<QPair<int, QString>> listed;
    const QString where = QStringLiteral("mode \"%1\"").arg(made.name);
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("Channel")) {
            m_xml.skipCurrentElement();
            continue;
        }
        if (listed.size() >= fixtureDef::kMaxChannels) {
            fail(QStringLiteral("%1 has more than %2 channels")
                     .arg(where)
                     .arg(fixtureDef::kMaxChannels));
            return;
        }
        bool ok = false;
        const int at = m_xml.attributes().value(QStringLiteral("Number")).toInt(&ok);
        if (!ok || at < 0 || at >= fixtureDef::kMaxChannels) {
            fail(QStringLiteral("%1: a channel's Number is missing or not 0 to %2")
                     .arg(where)
                     .arg(fixtureDef::kMaxChannels - 1));
            return;
        }
        listed << qMakePair(at, cut(m_xml.readElementText(QXmlStreamReader::SkipChildElements)));
    }
    if (made.name.isEmpty())
        fail(QStringLiteral("a mode has no name"));
    m_def.modes << made;
    m_modeChannels << listed;
}

fixtureDef::readResult reader::run()
{
    fixtureDef::readResult result;
    if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("FixtureDefinition")) {
        result.error = m_xml.hasError() ? QStringLiteral("not XML: %1").arg(m_xml.errorString())
                                        : QStringLiteral("not a QLC+ fixture definition");
        return result;
    }
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("Manufacturer"))
            m_def.manufacturer = cut(m_xml.readElementText(QXmlStreamReader::SkipChildElements));
        else if (name == QLatin1String("Model"))
            m_def.model = cut(m_xml.readElementText(QXmlStreamReader::SkipChildElements));
        else if (name == QLatin1String("Type"))
            m_def.type = cut(m_xml.readElementText(QXmlStreamReader::SkipChildElements));
        else if (name == QLatin1String("Channel"))
            readChannel();
        else if (name == QLatin1String("Mode"))
            readMode();
        else
            m_xml.skipCurrentElement();
    }
    if (m_error.isEmpty() && m_xml.hasError())
        fail(QStringLiteral("broken XML at line %1: %2")
                 .arg(m_xml.lineNumber())
                 .arg(m_xml.errorString()));
    if (m_error.isEmpty() && (m_def.manufacturer.isEmpty() || m_def.model.isEmpty()))
        fail(QStringLiteral("no manufacturer or model"));
    if (m_error.isEmpty() && m_def.modes.isEmpty())
        fail(QStringLiteral("no modes"));
    for (int m = 0; m_error.isEmpty() && m < m_def.modes.size(); ++m) {
        QVector<QPair<int, QString>> &listed = m_modeChannels[m];
        std::stable_sort(listed.begin(), listed.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &entry : listed) {
            const int index = m_channelIndex.value(entry.second, -1);
            if (index < 0) {
                fail(QStringLiteral("mode \"%1\" names the unknown channel \"%2\"")
                         .arg(m_def.modes.at(m).name, entry.second));
                break;
            }
            m_def.modes[m].channels << index;
        }
        if (m_error.isEmpty() && m_def.modes.at(m).channels.isEmpty())
            fail(QStringLiteral("mode \"%1\" has no channels").arg(m_def.modes.at(m).name));
    }
    return fixtureDef::resultOf(m_def, m_error);
}
} // namespace

fixtureDef::readResult qxfReader::read(QIODevice &in)
{
    QByteArray data;
    fixtureDef::readResult result;
    if (!fixtureDef::readBounded(in, data, result.error))
        return result;
    reader parse(data);
    return parse.run();
}
