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
