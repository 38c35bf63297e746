#include "fixturecommands.h"

#include "fixturelibrary.h"
#include "fixturesnap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

namespace
{
QString quote(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    // ["..."] without its brackets.
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Keys in the order a reader expects them, which QJsonObject would sort away.
QString channelJson(const fixtureDef::channel &channel)
{
    QStringList ranges;
    for (const fixtureDef::capability &range : channel.capabilities)
        ranges << QStringLiteral("{\"min\": %1, \"max\": %2, \"name\": %3}")
                      .arg(range.min)
                      .arg(range.max)
                      .arg(quote(range.name));
    return QStringLiteral("{\"name\": %1, \"fine\": %2, \"snap\": %3,\n"
                          "       \"capabilities\": [\n        %4]}")
        .arg(quote(channel.name), boolText(channel.fine), boolText(fixtureSnap::snaps(channel)),
             ranges.join(QStringLiteral(",\n        ")));
}

QString modeJson(const fixtureDef::definition &def, const fixtureDef::mode &mode)
{
    QStringList channels;
    for (int index : mode.channels)
        channels << channelJson(def.channels.at(index));
    return QStringLiteral("{\"name\": %1, \"channels\": [\n      %2]}")
        .arg(quote(mode.name), channels.join(QStringLiteral(",\n      ")));
}

int fail(const QString &file, const QString &reason)
{
    std::fprintf(stderr, "dmxplayer: %s: %s\n", qPrintable(file), qPrintable(reason));
    return 1;
}
} // namespace

int fixtureCommands::list(const QStringList &places, const QString &text)
{
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    for (const fixtureLibrary::entry &entry : fixtureLibrary::scan(places)) {
        if (!entry.error.isEmpty()) {
            if (entry.file.contains(text, Qt::CaseInsensitive))
                std::fprintf(stderr, "dmxplayer: %s: skipped: %s\n", qPrintable(entry.file),
                             qPrintable(entry.error));
            continue;
        }
        for (const fixtureLibrary::modeSummary &mode : entry.modes) {
            const QString line = QStringList{entry.manufacturer, entry.model, mode.name,
                                             QString::number(mode.channels), entry.file}
                                     .join(QLatin1Char('\t'));
            if (line.contains(text, Qt::CaseInsensitive))
                out << line << '\n';
        }
    }
    return 0;
}

int fixtureCommands::show(const QString &file, const QString &mode)
{
    const fixtureDef::readResult read = fixtureLibrary::readFile(file);
    if (!read.error.isEmpty())
        return fail(file, read.error);
    QStringList modes;
    QStringList names;
    for (const fixtureDef::mode &each : read.def.modes) {
        names << each.name;
        if (mode.isEmpty() || each.name == mode)
            modes << modeJson(read.def, each);
    }
    if (modes.isEmpty())
        return fail(file, QStringLiteral("has no mode \"%1\" (it has \"%2\")")
                              .arg(mode, names.join(QStringLiteral("\", \""))));
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    out << QStringLiteral(
               "{\"manufacturer\": %1, \"model\": %2, \"type\": %3, \"modes\": [\n    %4]}\n")
               .arg(quote(read.def.manufacturer), quote(read.def.model), quote(read.def.type),
                    modes.join(QStringLiteral(",\n    ")));
    return 0;
}
