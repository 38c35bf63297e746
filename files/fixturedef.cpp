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
