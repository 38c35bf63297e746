#ifndef FIXTUREDEF_H
#define FIXTUREDEF_H

#include <QMetaType>
#include <QString>
#include <QVector>

class QIODevice;

// A fixture definition as read from a QLC+ (.qxf) or Open Fixture Library (JSON) file: only
// what the program uses of it. Modes refer to the definition's channels by index, so a file
// with many modes takes no more memory than its channels.
namespace fixtureDef
{
// What one definition may hold; a file beyond any count is refused. Longer names are cut.
constexpr qint64 kMaxFileSize = 1024 * 1024;
constexpr int kMaxModes = 64;
constexpr int kMaxChannels = 512; // of the definition and of each mode: one universe
constexpr int kMaxCapabilities = 256;
constexpr int kMaxNameLength = 200;
constexpr int kMaxValue = 255;

struct capability {
    int min = 0;
    int max = kMaxValue;
    QString name;
    // True for a named preset (a pattern, a gobo, "Laser Off"), false for a range whose
    // effect runs from one end to the other (intensity, position, speed).
    bool stepped = false;
};

struct channel {
    QString name;
    // The library's own word for what the channel does: a QLC+ group or preset, or the
    // OFL type of its first capability.
    QString kind;
    bool fine = false;
    QVector<capability> capabilities;
};

struct mode {
    QString name;
    QVector<int> channels; // indexes into definition::channels, in DMX order
};

struct definition {
    QString manufacturer;
    QString model;
    QString type;
    QVector<channel> channels;
    QVector<mode> modes;
};

// What a read found. When it refused the input, error says why and the definition is empty.
struct readResult {
    QString error;
    definition def;
};

// The definition read, or only the reason when there is one.
readResult resultOf(const definition &def, const QString &error);

// The definition as a fixture placed in a show uses it: its channels those of one mode, in
// DMX order, and that mode its only one. Empty for a mode it does not have.
definition singleMode(const definition &def, int mode);

// Reads at most kMaxFileSize bytes from the device's position; false, with the reason in
// error, when there are more.
bool readBounded(QIODevice &in, QByteArray &out, QString &error);
} // namespace fixtureDef

Q_DECLARE_METATYPE(fixtureDef::definition)

#endif
