#include "oflreader.h"

#include <QHash>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QUrl>

namespace
{
using fixtureDef::capability;
using fixtureDef::channel;
using fixtureDef::definition;

QString cut(const QString &text)
{
    return text.simplified().left(fixtureDef::kMaxNameLength);
}

// Types whose range normally runs from one end to the other; a fixed value of their
// property ("brightness": "off", "speed": "stop") makes one of them a step.
bool continuousType(const QString &type)
{
    static const QSet<QString> types = {QStringLiteral("Intensity"),
                                        QStringLiteral("ColorIntensity"),
                                        QStringLiteral("ColorTemperature"),
                                        QStringLiteral("Pan"),
                                        QStringLiteral("Tilt"),
                                        QStringLiteral("PanContinuous"),
                                        QStringLiteral("TiltContinuous"),
                                        QStringLiteral("PanTiltSpeed"),
                                        QStringLiteral("StrobeSpeed"),
                                        QStringLiteral("StrobeDuration"),
                                        QStringLiteral("WheelRotation"),
                                        QStringLiteral("WheelSlotRotation"),
                                        QStringLiteral("EffectSpeed"),
                                        QStringLiteral("EffectDuration"),
                                        QStringLiteral("EffectParameter"),
                                        QStringLiteral("SoundSensitivity"),
                                        QStringLiteral("BeamAngle"),
                                        QStringLiteral("BeamPosition"),
                                        QStringLiteral("Focus"),
                                        QStringLiteral("Zoom"),
                                        QStringLiteral("Iris"),
                                        QStringLiteral("Frost"),
                                        QStringLiteral("PrismRotation"),
                                        QStringLiteral("BladeInsertion"),
                                        QStringLiteral("BladeRotation"),
                                        QStringLiteral("BladeSystemRotation"),
                                        QStringLiteral("FogOutput"),
                                        QStringLiteral("Rotation"),
                                        QStringLiteral("Speed"),
                                        QStringLiteral("Time")};
    return types.contains(type);
}

// The descriptive fields of a range, in the order they make its name.
const char *const kDescriptive[] = {
    "effectName",       "color",          "colorsName", "shutterEffect",
    "slotNumber",       "brightness",     "speed",      "angle",
    "colorTemperature", "fogType",        "parameter",  "distance",
    "openPercent",      "frostIntensity", "duration",   "time"};

QString valueText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    return QString();
}

bool hasStartEnd(const QJsonObject &range)
{
    for (auto it = range.begin(); it != range.end(); ++it)
        if (it.key().endsWith(QLatin1String("Start")) && it.key() != QLatin1String("menuStart"))
            return true;
    return false;
}

bool hasFixedValue(const QJsonObject &range)
{
    for (const char *field : kDescriptive)
        if (range.contains(QLatin1String(field)))
            return true;
    return false;
}

QString rangeName(const QJsonObject &range)
{
    const QString comment = range.value(QStringLiteral("comment")).toString();
    if (!comment.trimmed().isEmpty())
        return cut(comment);
    QStringList words{range.value(QStringLiteral("type")).toString()};
    for (const char *field : kDescriptive) {
        const QString key = QLatin1String(field);
        const QString start = valueText(range.value(key + QLatin1String("Start")));
        if (!start.isEmpty())
            words << start + QStringLiteral("…") +
                         valueText(range.value(key + QLatin1String("End")));
        else if (!valueText(range.value(key)).isEmpty())
            words << valueText(range.value(key));
    }
    return cut(words.join(QLatin1Char(' ')));
}

class reader
{
  public:
    reader(const QJsonObject &root, const QString &manufacturer)
        : m_root(root), m_manufacturer(manufacturer)
    {
    }
    fixtureDef::readResult run();

  private:
    bool fail(const QString &why);
    QString ownManufacturer() const;
    int channelFor(const QString &key);
    bool makeChannel(const QString &key, const QJsonObject &channelObject, channel &made);
    bool readRange(const QJsonObject &range, int shift, channel &made);
    void indexChannels();

    QJsonObject m_root;
    QString m_manufacturer;
    QString m_error;
    definition m_def;
    QJsonObject m_available;
    QHash<QString, QString> m_fineOf;   // fine alias -> its coarse channel's key
    QHash<QString, QString> m_switched; // switching alias -> its default channel's key
    QHash<QString, int> m_made;         // channel key as listed -> index in m_def.channels
};

bool reader::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
    return false;
}

void reader::indexChannels()
{
    for (auto it = m_available.begin(); it != m_available.end(); ++it) {
        const QJsonObject channelObject = it.value().toObject();
        for (const QJsonValue alias :
             channelObject.value(QStringLiteral("fineChannelAliases")).toArray())
            m_fineOf.insert(alias.toString(), it.key());
        for (const QJsonValue range :
             channelObject.value(QStringLiteral("capabilities")).toArray()) {
            const QJsonObject switches =
                range.toObject().value(QStringLiteral("switchChannels")).toObject();
            for (auto sw = switches.begin(); sw != switches.end(); ++sw)
                if (!m_switched.contains(sw.key()))
                    m_switched.insert(sw.key(), sw.value().toString());
        }
    }
}

bool reader::readRange(const QJsonObject &range, int shift, channel &made)
{
    const QString where = QStringLiteral("channel \"%1\"").arg(made.name);
    if (made.capabilities.size() >= fixtureDef::kMaxCapabilities)
        return fail(QStringLiteral("%1 has more than %2 ranges")
                        .arg(where)
                        .arg(fixtureDef::kMaxCapabilities));
    const QString type = range.value(QStringLiteral("type")).toString();
    if (type.isEmpty())
        return fail(QStringLiteral("%1: a range has no type").arg(where));
    capability parsed;
    const QJsonValue dmx = range.value(QStringLiteral("dmxRange"));
    if (!dmx.isUndefined()) {
        const QJsonArray ends = dmx.toArray();
        const qint64 top = (qint64(fixtureDef::kMaxValue) + 1) << shift;
        if (ends.size() != 2 || !ends.at(0).isDouble() || !ends.at(1).isDouble() ||
            ends.at(0).toDouble() < 0 || ends.at(1).toDouble() >= double(top) ||
            ends.at(0).toDouble() > ends.at(1).toDouble())
            return fail(QStringLiteral("%1: a dmxRange is not two values from 0 to %2 in order")
                            .arg(where)
                            .arg(top - 1));
        parsed.min = int(qint64(ends.at(0).toDouble()) >> shift);
        parsed.max = int(qint64(ends.at(1).toDouble()) >> shift);
    }
    parsed.name = rangeName(range);
    parsed.stepped = !hasStartEnd(range) && (!continuousType(type) || hasFixedValue(range));
    made.capabilities << parsed;
    return true;
}

bool reader::makeChannel(const QString &key, const QJsonObject &channelObject, channel &made)
{
    made.name = cut(channelObject.value(QStringLiteral("name")).toString(key));
    const QJsonValue one = channelObject.value(QStringLiteral("capability"));
    const QJsonValue many = channelObject.value(QStringLiteral("capabilities"));
    // Ranges are written at the channel's finest resolution unless it says otherwise.
    int shift = 8 * channelObject.value(QStringLiteral("fineChannelAliases")).toArray().size();
    const QString resolution = channelObject.value(QStringLiteral("dmxValueResolution")).toString();
    if (resolution == QLatin1String("8bit"))
        shift = 0;
    else if (resolution == QLatin1String("16bit"))
        shift = 8;
    else if (resolution == QLatin1String("24bit"))
        shift = 16;
    shift = qMin(shift, 24);
    if (one.isObject()) {
        if (!readRange(one.toObject(), shift, made))
            return false;
    } else if (many.isArray() && !many.toArray().isEmpty()) {
        for (const QJsonValue range : many.toArray()) {
            if (!range.isObject())
                return fail(
                    QStringLiteral("channel \"%1\": a range is not an object").arg(made.name));
            if (!range.toObject().contains(QStringLiteral("dmxRange")))
                return fail(
                    QStringLiteral("channel \"%1\": a range has no dmxRange").arg(made.name));
            if (!readRange(range.toObject(), shift, made))
                return false;
        }
    } else {
        return fail(
            QStringLiteral("channel \"%1\" has neither capability nor capabilities").arg(key));
    }
    made.kind = one.isObject()
                    ? one.toObject().value(QStringLiteral("type")).toString()
                    : many.toArray().at(0).toObject().value(QStringLiteral("type")).toString();
    return true;
}

int reader::channelFor(const QString &listed)
{
    if (m_made.contains(listed))
        return m_made.value(listed);
    if (m_def.channels.size() >= fixtureDef::kMaxChannels) {
        fail(QStringLiteral("more than %1 channels").arg(fixtureDef::kMaxChannels));
        return -1;
    }
    channel made;
    const QString key = m_switched.value(listed, listed);
    if (listed.isEmpty()) {
        made.name = QStringLiteral("(unused)");
        made.capabilities << capability();
    } else if (m_available.value(key).isObject()) {
        if (!makeChannel(key, m_available.value(key).toObject(), made))
            return -1;
        if (key != listed)
            made.name = cut(listed);
    } else if (m_fineOf.contains(key)) {
        made.name = cut(key);
        made.fine = true;
        made.kind = QStringLiteral("Fine");
        capability whole;
        whole.name = made.name;
        made.capabilities << whole;
    } else {
        fail(QStringLiteral("a mode names the unknown channel \"%1\"").arg(listed));
        return -1;
    }
    m_made.insert(listed, m_def.channels.size());
    m_def.channels << made;
    return m_def.channels.size() - 1;
}

// A file downloaded on its own names its manufacturer by key, or only in the address of its
// page (https://open-fixture-library.org/<manufacturer>/<fixture>).
QString reader::ownManufacturer() const
{
    const QString key = m_root.value(QStringLiteral("manufacturerKey")).toString();
    if (!key.isEmpty())
        return key;
    const QUrl page(m_root.value(QStringLiteral("oflURL")).toString());
    const QStringList path = page.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return path.size() == 2 ? path.first() : QString();
}

fixtureDef::readResult reader::run()
{
    fixtureDef::readResult result;
    if (m_root.contains(QStringLiteral("redirectTo"))) {
        result.error = QStringLiteral("a redirect to %1, not a fixture")
                           .arg(m_root.value(QStringLiteral("redirectTo")).toString());
        return result;
    }
    if (m_root.contains(QStringLiteral("matrix")) ||
        m_root.contains(QStringLiteral("templateChannels"))) {
        result.error = QStringLiteral("a matrix (pixel) fixture, which is not supported");
        return result;
    }
    m_def.manufacturer = cut(m_manufacturer.isEmpty() ? ownManufacturer() : m_manufacturer);
    m_def.model = cut(m_root.value(QStringLiteral("name")).toString());
    const QJsonArray categories = m_root.value(QStringLiteral("categories")).toArray();
    m_def.type = cut(categories.isEmpty() ? QString() : categories.at(0).toString());
    m_available = m_root.value(QStringLiteral("availableChannels")).toObject();
    const QJsonValue modes = m_root.value(QStringLiteral("modes"));
    if (m_def.model.isEmpty())
        fail(QStringLiteral("no name"));
    else if (!modes.isArray() || modes.toArray().isEmpty())
        fail(QStringLiteral("no modes"));
    else if (modes.toArray().size() > fixtureDef::kMaxModes)
        fail(QStringLiteral("more than %1 modes").arg(fixtureDef::kMaxModes));
    indexChannels();
    for (const QJsonValue modeValue : modes.toArray()) {
        if (!m_error.isEmpty())
            break;
        const QJsonObject channelObject = modeValue.toObject();
        fixtureDef::mode made;
        made.name = cut(channelObject.value(QStringLiteral("name")).toString());
        const QJsonArray listed = channelObject.value(QStringLiteral("channels")).toArray();
        if (made.name.isEmpty())
            fail(QStringLiteral("a mode has no name"));
        else if (listed.isEmpty())
            fail(QStringLiteral("mode \"%1\" has no channels").arg(made.name));
        else if (listed.size() > fixtureDef::kMaxChannels)
            fail(QStringLiteral("mode \"%1\" has more than %2 channels")
                     .arg(made.name)
                     .arg(fixtureDef::kMaxChannels));
        for (const QJsonValue entry : listed) {
            if (!m_error.isEmpty())
                break;
            if (entry.isObject()) {
                fail(QStringLiteral("mode \"%1\" inserts matrix channels, which are not supported")
                         .arg(made.name));
                break;
            }
            // null is a channel the fixture leaves unused; it still takes its address.
            const QString key = entry.isNull() ? QString() : entry.toString();
            if (key.isEmpty() && !entry.isNull()) {
                fail(QStringLiteral("mode \"%1\" lists a channel that is not a name")
                         .arg(made.name));
                break;
            }
            made.channels << channelFor(key);
        }
        m_def.modes << made;
    }
    return fixtureDef::resultOf(m_def, m_error);
}
} // namespace

fixtureDef::readResult oflReader::read(QIODevice &in, const QString &manufacturer)
{
    fixtureDef::readResult result;
    QByteArray data;
    if (!fixtureDef::readBounded(in, data, result.error))
        return result;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = QStringLiteral("broken JSON at byte %1: %2")
                           .arg(parseError.offset)
                           .arg(parseError.errorString());
        return result;
    }
    if (!document.isObject()) {
        result.error = QStringLiteral("not an Open Fixture Library fixture");
        return result;
    }
    reader parse(document.object(), manufacturer);
    return parse.run();
}

QHash<QString, QString> oflReader::readManufacturers(QIODevice &in)
{
    QHash<QString, QString> names;
    QByteArray data;
    QString error;
    if (!fixtureDef::readBounded(in, data, error))
        return names;
    const QJsonObject root = QJsonDocument::fromJson(data).object();
    for (auto it = root.begin(); it != root.end(); ++it)
        if (it.value().isObject())
            names.insert(it.key(),
                         cut(it.value().toObject().value(QStringLiteral("name")).toString()));
    return names;
}
