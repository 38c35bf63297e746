// The program under the crash test: random edits of a real table, each logged as
// "<test clock ms> <hash of the show>" before the recovery copy may take it, until killed.
// Arguments: the random seed and the recovery folder.
#include "dimlist.h"
#include "dmxfile.h"
#include "recoverycopy.h"
#include "undohistory.h"

#include <QCryptographicHash>
#include <QGuiApplication>

#include <cstdio>
#include <random>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    std::mt19937 random(unsigned(std::atoi(argv[1])));
    g_dimList = new dimList;
    dmxFile file;
    qint64 now = 0;
    recoveryCopy copy(QString::fromLocal8Bit(argv[2]), [&file] { return file.showBytes(); });
    copy.setClock([&now] { return now; });
    copy.setShowName(QStringLiteral("crash.dmx"));
    for (;;) {
        const int rows = g_dimList->rowCount();
        const unsigned kind = random() % 10;
        if (rows == 0 || kind == 0)
            g_dimList->insertEndRows();
        else if (kind == 1 && rows > 1)
            g_dimList->removeEndRows();
        else
            g_dimList->setDmxData(ushort(random() % 256), ushort(3 + random() % 40),
                                  ushort(random() % unsigned(rows)));
        copy.showChanged(!g_dimList->changeHistory()->isClean());
        const QByteArray hash =
            QCryptographicHash::hash(file.showBytes(), QCryptographicHash::Md5).toHex();
        std::printf("%lld %s\n", now, hash.constData());
        std::fflush(stdout);
        now += qint64(random() % 10000);
        copy.poll();
    }
}
