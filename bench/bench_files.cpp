// Save and load of a 10000-row, 512-channel show (about 5 MB), next to a plain read of the
// same file: loading should stay within five times the cost of reading the bytes. The
// format alone, over a buffer, shows what the disk and the table add to that.
#include "coretestsupport.h"
#include "dmxfile.h"
#include "dmxformat.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace
{
constexpr int kRows = 10000;
constexpr int kChannels = 512;

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

QTemporaryDir &benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

QUrl showUrl()
{
    return QUrl::fromLocalFile(benchDir().filePath(QStringLiteral("bench.dmx")));
}

void fillTable()
{
    freshCore(modelCheck::none);
    for (int r = 0; r < kRows; ++r) {
        tableRow row = appendRow(quint16(r), quint16(r % 7));
        for (int c = 3; c < row.size(); ++c)
            row[c] = quint16((r * 31 + c) & 0xff);
    }
}

// An empty table: the one of a new graph.
void clearRows()
{
    freshCore(modelCheck::none);
}

showData tableShow()
{
    showData show;
    show.flags = QByteArray(kChannels, '\0');
    show.rows = coreModel()->steps();
    return show;
}

void prepare()
{
    static bool done = false;
    if (done)
        return;
    qInstallMessageHandler(dropMessage);
    // Rows freed between iterations would otherwise go back to the system whenever nothing
    // newer sits above them, and that run alone would pay every page fault again.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    fillTable();
    QFile file(showUrl().toLocalFile());
    if (!file.open(QIODevice::WriteOnly) || !dmxFormat::write(file, tableShow()))
        qFatal("cannot write the show");
    done = true;
}

qint64 showSize()
{
    return QFile(showUrl().toLocalFile()).size();
}

void BM_SaveShow(benchmark::State &state)
{
    prepare();
    fillTable();
    dmxFile files;
    for (auto _ : state) {
        if (!files.saveData(showUrl(), kChannels, 0, kRows - 1,
                            QStringLiteral("Dmx files (*.dmx )")))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_SaveShow)->Unit(benchmark::kMillisecond);

void BM_LoadShow(benchmark::State &state)
{
    prepare();
    clearRows();
    dmxFile files;
    for (auto _ : state) {
        if (files.loadData(showUrl()) != kChannels)
            state.SkipWithError("load failed");
        state.PauseTiming();
        clearRows();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_LoadShow)->Unit(benchmark::kMillisecond);

void BM_WriteShowFormat(benchmark::State &state)
{
    prepare();
    fillTable();
    const showData show = tableShow();
    QByteArray bytes;
    bytes.reserve(int(showSize()));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!dmxFormat::write(buffer, show))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_WriteShowFormat)->Unit(benchmark::kMillisecond);

void BM_ReadShowFormat(benchmark::State &state)
{
    prepare();
    QFile file(showUrl().toLocalFile());
    QByteArray bytes(int(showSize()), Qt::Uninitialized);
    if (!file.open(QIODevice::ReadOnly) || file.read(bytes.data(), bytes.size()) != bytes.size())
        state.SkipWithError("cannot read the show");
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const dmxFormat::readResult read = dmxFormat::read(buffer, coreModel()->columnCount(), 0);
        if (read.show.flags.size() != kChannels)
            state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_ReadShowFormat)->Unit(benchmark::kMillisecond);

void BM_PlainReadAll(benchmark::State &state)
{
    prepare();
    for (auto _ : state) {
        QFile file(showUrl().toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_PlainReadAll)->Unit(benchmark::kMillisecond);
// What the model's own row layout costs before a byte is read: speed, fade and one byte per
// channel for each row. The load cannot get below this.
void BM_RowAllocationOnly(benchmark::State &state)
{
    prepare();
    clearRows();
    for (auto _ : state) {
        stepTable &data = coreModel()->stepsForWriting();
        data.widen(kChannels);
        data.reserve(kRows);
        for (int r = 0; r < kRows; ++r)
            data.append(0, 0, nullptr, 0);
        state.PauseTiming();
        clearRows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RowAllocationOnly)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
