#include "fixturedef.h"

#include <QIODevice>

bool fixtureDef::readBounded(QIODevice &in, QByteArray &out, QString &error)
{
    if (!in.isSequential() && in.size() - in.pos() > kMaxFileSize) {
        error = QStringLiteral("larger than %1 bytes").arg(kMaxFileSize);
        return false;
    }
    out = in.read(kMaxFileSize + 1);
    if (out.size() > kMaxFileSize) {
        out.clear();
        error = QStringLiteral("larger than %1 bytes").arg(kMaxFileSize);
        return false;
    }
    return true;
}

fixtureDef::readResult fixtureDef::resultOf(const definition &def, const QString &error)
{
    readResult result;
    if (error.isEmpty())
        result.def = def;
    else
        result.error = error;
    return result;
}

fixtureDef::definition fixtureDef::singleMode(const definition &def, int mode)
{
    definition placed;
    if (mode < 0 || mode >= def.modes.size())
        return placed;
    placed.manufacturer = def.manufacturer;
    placed.model = def.model;
    placed.type = def.type;
    fixtureDef::mode used;
    used.name = def.modes.at(mode).name;
    for (int index : def.modes.at(mode).channels) {
        if (index < 0 || index >= def.channels.size())
            return definition();
        used.channels.append(placed.channels.size());
        placed.channels.append(def.channels.at(index));
    }
    placed.modes.append(used);
    return placed;
}
