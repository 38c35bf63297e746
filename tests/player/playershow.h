#ifndef PLAYERSHOW_H
#define PLAYERSHOW_H

#include "coretestsupport.h"
#include "dmxfile.h"
#include "enginetime.h"
#include "framehash.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUrl>

// What the desktop plays and the export writes: rows first..last of the table, every
// stride-th one, the first `channels` channels, with some fixtures switched off.
struct showPlan {
    int first = 0;
    int last = 0;
    uint stride = 1;
    int channels = 512;
    uint fixturesOff = 0;
};

// The channels the export writes: within C and in a fixture that is switched on.
inline QVector<bool> exportedChannels(const showPlan &plan)
{
    light_list *patch = coreModel()->output()->patch();
    QVector<bool> sent(512);
    for (int c = 0; c < 512; ++c)
        sent[c] = patch->mapChannel(c) && c < plan.channels;
    return sent;
}

// The records the export writes for the plan's range, the closing one included.
inline int recordCount(const showPlan &plan)
{
    const int span = plan.last - plan.first;
    return 1 + span / int(plan.stride) + (span % int(plan.stride) != 0 ? 1 : 0);
}

inline void switchOff(uint fixturesOff)
{
    for (int f = 0; f < 6; ++f)
        fixture(f)->setSelectUnannounced(((fixturesOff >> f) & 1u) == 0);
}

// A random show in the model. The channels the export leaves out stay at 0 in every row,
// as the player's rule asks; everything else is random: holds, fades (0 and 1 often),
// levels with small and no moves, some cells above 255, snap flags anywhere.
inline showPlan randomShow(QRandomGenerator &random)
{
    showPlan plan;
    const int rows = random.bounded(1, 11);
    plan.first = random.bounded(rows);
    plan.last = random.bounded(plan.first, rows);
    // A one-row range enters from the row above, which the export does not hold.
    if (plan.first == plan.last && plan.first > 0)
        plan.first = plan.last - 1;
    plan.stride = uint(random.bounded(1, 5));
    const int channelChoice = random.bounded(4);
    plan.channels = channelChoice == 0 ? 0 : channelChoice == 1 ? 512 : random.bounded(1, 121);
    plan.fixturesOff = random.bounded(4) == 0 ? uint(random.bounded(64)) : 0u;
    switchOff(plan.fixturesOff);
    const QVector<bool> sent = exportedChannels(plan);
    for (int c = 0; c < 512; ++c)
        channel(c)->setDimEn(random.bounded(10) == 0);
    int before = -1;
    for (int r = 0; r < rows; ++r) {
        const quint16 speed = quint16(random.bounded(3) == 0 ? 0 : random.bounded(1, 5));
        const quint16 fade =
            quint16(random.bounded(3) == 0 ? random.bounded(2) : random.bounded(7));
        tableRow row = appendRow(speed, fade, 0);
        for (int c = 0; c < 512; ++c) {
            if (!sent[c])
                continue;
            const int kind = random.bounded(20);
            const int was = before >= 0 ? coreModel()->steps().cell(before, c + 3) : 0;
            int cell = random.bounded(256);
            if (kind < 4)
                cell = was;
            else if (kind < 8)
                cell = qBound(0, was + random.bounded(-2, 3), 255);
            else if (kind == 8)
                cell = random.bounded(256, 1000);
            row[c + 3] = quint16(cell);
        }
        before = row.row;
    }
    return plan;
}

// Writes the export of the plan's range through the program's own save, as `name`.c.
inline bool exportShow(dmxFile &files, const QString &dir, const QString &name,
                       const showPlan &plan)
{
    coreModel()->setDmxDataBetween(plan.stride);
    return files.saveData(QUrl::fromLocalFile(dir + '/' + name + ".c"), plan.channels, plan.first,
                          plan.last, QStringLiteral("Dmx-c files (*.c )"));
}

// One frame the desktop sent, and when: in 10 ms units from the start of playback.
struct desktopFrame {
    qint64 at;
    QByteArray frame;
};

// The desktop engine playing the plan's range from its first row for `loads` row loads:
// every frame it sends until the next load would come. The output thread runs on the test's
// clock, moved from deadline to deadline, holds included, so nothing waits in real time.
inline QVector<desktopFrame> playDesktop(const showPlan &plan, int loads, qint64 *end)
{
    dimList *m = coreModel();
    m->dmxOutputEnable(true);
    m->dmxRowToDim(ushort(plan.first));
    m->setPlayerEndRow(ushort(plan.last));
    m->setDmxDataBetween(plan.stride);
    int loaded = 0;
    QObject context;
    QObject::connect(m, &dimList::currentRowChanged, &context, [&loaded] { ++loaded; });
    manualClock *clock = testClock();
    settleEngine();
    const auto start = clock->now();
    const auto tenths = [start](engineClock::time_point t) {
        return qint64((t - start) / std::chrono::milliseconds(10));
    };
    m->sendDmxEnable(true);
    QVector<desktopFrame> frames;
    while (frames.size() < 100000) {
        const unsigned long sent = dmxbox_callCount();
        if (!runTicks(1) || dmxbox_callCount() != sent + 1)
            break;
        frames.append({tenths(clock->now()),
                       QByteArray(reinterpret_cast<const char *>(dmxbox_lastFrame()), 512)});
        if (g_advanceRow && loaded == loads)
            break;
    }
    // The next tick comes 30 ms after a hold, or at its deadline.
    playEngine *engine = testEngine();
    *end = tenths(engine->nextWake() + (engine->isHolding() ? std::chrono::milliseconds(30)
                                                            : std::chrono::milliseconds(0)));
    m->sendDmxEnable(false);
    return frames;
}

// What a player ticking every 30 ms from the start shows before `end`: on each tick the
// latest frame the desktop had sent by then.
inline QVector<QByteArray> sampled(const QVector<desktopFrame> &frames, qint64 end)
{
    QVector<QByteArray> out;
    int next = 0;
    for (qint64 at = 3; at < end; at += 3) {
        while (next < frames.size() && frames.at(next).at <= at)
            ++next;
        out.append(next > 0 ? frames.at(next - 1).frame : QByteArray(512, '\0'));
    }
    return out;
}

// Runs a tool to its end; its standard error when it failed, else empty.
inline QString runTool(const QString &program, const QStringList &arguments, const QString &dir,
                       QByteArray *output = nullptr, int timeoutMs = 120000)
{
    QProcess tool;
    tool.setWorkingDirectory(dir);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return program + QStringLiteral(": no end within the time limit");
    }
    if (output)
        *output = tool.readAllStandardOutput();
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return program + ": " + QString::fromLocal8Bit(tool.readAllStandardError());
    return {};
}

#endif
