#include "playershow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The example firmware with an export, built for the LM3S6965 (Cortex-M3) and run in QEMU:
// the frames on its UART are the desktop's, and the records stay in flash.
class tst_playerqemu : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup() { dropCore(); }
    void uartFramesAsOnTheDesktop();
    void recordsStayInFlash();

  private:
    QString buildFirmware(const QString &show, int frames, uint fixturesOff, QByteArray *sizes);

    QScopedPointer<QTemporaryDir> m_dir;
    dmxFile m_files;
};

namespace
{
// Flash and RAM a firmware takes, from the line after arm-none-eabi-size's "text data bss".
struct footprint {
    qint64 flash = -1;
    qint64 ram = -1;
};

footprint footprintOf(const QByteArray &makeOutput)
{
    const QList<QByteArray> lines = makeOutput.split('\n');
    footprint out;
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).simplified().split(' ');
        if (lines.at(i - 1).simplified().startsWith("text data bss") && fields.size() >= 3) {
            out.flash = fields.at(0).toLongLong() + fields.at(1).toLongLong();
            out.ram = fields.at(1).toLongLong() + fields.at(2).toLongLong();
        }
    }
    return out;
}

// Rows with every kind of step: holds, fades of 0, 1 and more, none of either.
void eightSteps(int rows)
{
    const quint16 speeds[] = {3, 0, 5, 1, 0, 2, 4, 1};
    const quint16 fades[] = {5, 2, 0, 10, 1, 4, 3, 0};
    for (int r = 0; r < rows; ++r) {
        tableRow cells = appendRow(speeds[r % 8], fades[r % 8], 0);
        for (int c = 0; c < 512; ++c)
            cells[c + 3] = quint16((c * 29 + r * 67) % 256);
    }
}
} // namespace

void tst_playerqemu::initTestCase()
{
    // From gcc-arm-none-eabi, qemu-system-arm and make (tools/install-deps.sh).
    for (const char *tool : {"arm-none-eabi-gcc", "arm-none-eabi-size", "qemu-system-arm", "make"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
}

void tst_playerqemu::init()
{
    freshCore(modelCheck::none);
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

// The example firmware built by its own Makefile, as the player's README does it, with
// warnings as errors; what arm-none-eabi-size printed goes to `sizes`.
QString tst_playerqemu::buildFirmware(const QString &show, int frames, uint fixturesOff,
                                      QByteArray *sizes)
{
    for (const char *file : {"Makefile", "main.c", "startup.c", "lm3s6965.ld"}) {
        const QString name = QString::fromLatin1(file);
        QFile::remove(m_dir->filePath(name));
        if (!QFile::copy(PLAYER_DIR "/example/" + name, m_dir->filePath(name)))
            return "cannot copy " + name;
    }
    return runTool(QStandardPaths::findExecutable("make"),
                   {"SHOW=" + show, "FRAMES=" + QString::number(frames),
                    "FIXTURES_OFF=" + QString::number(fixturesOff), "PLAYER=" PLAYER_DIR,
                    "CC=arm-none-eabi-gcc -Werror"},
                   m_dir->path(), sizes);
}

void tst_playerqemu::uartFramesAsOnTheDesktop()
{
    // Rows 2 to 11 of twelve, stride 4 with its closing record, fixture 2 off, two snaps.
    eightSteps(12);
    showPlan plan;
    plan.first = 2;
    plan.last = 11;
    plan.stride = 4;
    plan.channels = 120;
    plan.fixturesOff = 4u;
    switchOff(plan.fixturesOff);
    channel(3)->setDimEn(true);
    channel(40)->setDimEn(true);
    QVERIFY(exportShow(m_files, m_dir->path(), "show", plan));
    qint64 end = 0;
    const QVector<desktopFrame> desktop = playDesktop(plan, 3 * recordCount(plan), &end);
    const QVector<QByteArray> expected = sampled(desktop, end);
    QVERIFY2(expected.size() >= 100, qPrintable(QString::number(expected.size())));
    const QString built = buildFirmware("show", expected.size(), plan.fixturesOff, nullptr);
    QVERIFY2(built.isEmpty(), qPrintable(built));

    // Emulated time follows the instructions (-icount) and skips the idle waits, so the
    // seconds of show take a fraction of a second here; the firmware ends QEMU itself.
    const QStringList qemu{"-M",         "lm3s6965evb",
                           "-nographic", "-monitor",
                           "none",       "-nic",
                           "none",       "-semihosting",
                           "-icount",    "shift=0,sleep=off",
                           "-serial",    "file:" + m_dir->filePath("uart.bin"),
                           "-kernel",    m_dir->filePath("show.elf")};
    const QString ran = runTool(QStandardPaths::findExecutable("qemu-system-arm"), qemu,
                                m_dir->path(), nullptr, 60000);
    QVERIFY2(ran.isEmpty(), qPrintable(ran));
    QFile uart(m_dir->filePath("uart.bin"));
    QVERIFY(uart.open(QIODevice::ReadOnly));
    const QByteArray stream = uart.readAll();
    QCOMPARE(stream.size(), 512 * expected.size());
    for (int t = 0; t < expected.size(); ++t) {
        const QByteArray frame = stream.mid(512 * t, 512);
        if (frame != expected.at(t)) {
            int slot = 0;
            while (frame.at(slot) == expected.at(t).at(slot))
                ++slot;
            QFAIL(qPrintable(QStringLiteral("tick %1, slot %2: UART %3, desktop %4")
                                 .arg(t + 1)
                                 .arg(slot)
                                 .arg(int(uchar(frame.at(slot))))
                                 .arg(int(uchar(expected.at(t).at(slot))))));
        }
    }
    qInfo("%d frames (%.2f s of emulated show) on the UART as on the desktop", int(expected.size()),
          expected.size() * 0.03);
}

// The arrays are read in flash: 192 more steps cost flash, 1028 bytes each, and no RAM.
void tst_playerqemu::recordsStayInFlash()
{
    QMap<int, footprint> sizes;
    for (const int steps : {8, 200}) {
        freshCore(modelCheck::none);
        eightSteps(steps);
        showPlan plan;
        plan.last = steps - 1;
        const QString show = QStringLiteral("steps%1").arg(steps);
        QVERIFY(exportShow(m_files, m_dir->path(), show, plan));
        QByteArray out;
        const QString built = buildFirmware(show, 0, 0, &out);
        QVERIFY2(built.isEmpty(), qPrintable(built));
        sizes[steps] = footprintOf(out);
        QVERIFY(sizes[steps].flash > 0);
        qInfo("%d steps: flash %lld bytes, RAM %lld bytes (without the stack)", steps,
              sizes[steps].flash, sizes[steps].ram);
    }
    QCOMPARE(sizes[200].ram, sizes[8].ram);
    QCOMPARE(sizes[200].flash - sizes[8].flash, qint64(192 * 2 * (2 + 512)));
}

QTEST_GUILESS_MAIN(tst_playerqemu)
#include "tst_playerqemu.moc"
