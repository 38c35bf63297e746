// Writes a .dmx show of the given size with varied speeds, fades and levels, for
// measuring the program under a realistic load.
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: makeshow OUT.dmx [rows=1000] [channels=512] [speed fadeLo fadeHi]\n");
        return 2;
    }
    const qint32 rows = args.size() > 2 ? args.at(2).toInt() : 1000;
    const qint32 channels = args.size() > 3 ? args.at(3).toInt() : 512;
    // A fixed speed and fades from fadeLo to fadeHi, instead of the varied default.
    const bool fixed = args.size() > 6;
    const int speed = fixed ? args.at(4).toInt() : 0;
    const int fadeLo = fixed ? args.at(5).toInt() : 0;
    const int fadeSpan = fixed ? qMax(1, args.at(6).toInt() - fadeLo + 1) : 1;
    QFile f(args.at(1));
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    QDataStream out(&f);
    const char tag[10] = {'Q', 'X'};
    const char name[10] = {'D', 'M', 'X', '5', '1', '2'};
    out.writeRawData(tag, 10);
    out.writeRawData(name, 10);
    out << qint8(1) << channels << rows;
    for (qint32 c = 0; c < channels; ++c)
        out << quint8(c % 37 == 0 ? 1 : 0);
    for (qint32 r = 0; r < rows; ++r) {
        if (fixed)
            out << qint16(speed) << qint16(fadeLo + (r * 3) % fadeSpan);
        else
            out << qint16(r % 7) << qint16((r * 3) % 11);
        for (qint32 c = 0; c < channels; ++c)
            out << quint8((r * 31 + c * 7) % 256);
    }
    return f.error() == QFile::NoError ? 0 : 1;
}
