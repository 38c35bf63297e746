// Writes a .dmx show of the given size with varied speeds, fades and levels, for
// measuring the program under a realistic load; or one of the two playback shows the
// window's CPU is measured with ("a", "b"), every channel snapping.
#include "dmxformat.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace
{
struct rowPattern {
    // A fixed speed and fades from fadeLo to fadeHi, instead of the varied default.
    bool fixed = false;
    int speed = 0;
    int fadeLo = 0;
    int fadeSpan = 1;
};

// The playback shows: a, 8 steps of fade 10 where every channel changes at every step; b,
// 1000 steps of fades 2..10.
StepRow makeNamedRow(int r, int channels, char name)
{
    StepRow row(channels + 3);
    row[1] = 0;
    row[2] = quint16(name == 'a' ? 10 : 2 + r % 9);
    for (int c = 0; c < channels; ++c)
        row[c + 3] = quint16(name == 'a' ? 1 + (37 * c + 97 * r) % 255 : (31 * c + 57 * r) % 256);
    return row;
}

int writeShow(const QString &path, showData &show)
{
    QFile f(path);
    const bool written = f.open(QIODevice::WriteOnly) && dmxFormat::write(f, show);
    return written ? 0 : 1;
}

int writeNamedShow(const QString &path, char name)
{
    showData show;
    show.flags = QByteArray(512, 1);
    for (int r = 0; r < (name == 'a' ? 8 : 1000); ++r)
        show.rows.append(makeNamedRow(r, 512, name));
    return writeShow(path, show);
}

StepRow makeRow(int r, int channels, const rowPattern &pattern)
{
    StepRow row(channels + 3);
    row[1] = quint16(pattern.fixed ? pattern.speed : r % 7);
    row[2] = quint16(pattern.fixed ? pattern.fadeLo + (r * 3) % pattern.fadeSpan : (r * 3) % 11);
    for (int c = 0; c < channels; ++c)
        row[c + 3] = quint16((r * 31 + c * 7) % 256);
    return row;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: makeshow OUT.dmx [rows=1000] [channels=512] [speed fadeLo fadeHi]\n"
                     "       makeshow OUT.dmx a|b\n");
        return 2;
    }
    if (args.size() == 3 && (args.at(2) == "a" || args.at(2) == "b"))
        return writeNamedShow(args.at(1), args.at(2).at(0).toLatin1());
    const int rows = qMax(0, args.size() > 2 ? args.at(2).toInt() : 1000);
    const int channels = qMax(0, args.size() > 3 ? args.at(3).toInt() : 512);
    rowPattern pattern;
    pattern.fixed = args.size() > 6;
    if (pattern.fixed) {
        pattern.speed = args.at(4).toInt();
        pattern.fadeLo = args.at(5).toInt();
        pattern.fadeSpan = qMax(1, args.at(6).toInt() - pattern.fadeLo + 1);
    }
    showData show;
    show.flags.resize(channels);
    for (int c = 0; c < channels; ++c)
        show.flags[c] = c % 37 == 0 ? 1 : 0;
    for (int r = 0; r < rows; ++r)
        show.rows.append(makeRow(r, channels, pattern));
    return writeShow(args.at(1), show);
}
