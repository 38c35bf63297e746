#ifndef FRAMEHASH_H
#define FRAMEHASH_H

#include <QByteArray>

// FNV-1a over frame bytes, as the host player prints it for each frame.
inline quint64 frameHash(const QByteArray &frames)
{
    quint64 h = 1469598103934665603ULL;
    for (const char c : frames) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

#endif
