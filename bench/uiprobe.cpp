// Drives the real window with a large show and measures what a user feels: start-up to the
// first frame, fader latency, edits, load/save, playback frame timing and memory.
// Run under a display (Xvfb): uiprobe SHOW.dmx [playback seconds] [play-only|play-bare|scroll|
// follow-latency|play-minimised|page-only|beat-clock] (play-bare: no fixtures added, straight to
// playback; play-only: fixtures of types 0..19; play-minimised: as play-only with the window
// minimised; scroll: 512 channel columns, seconds 0; follow-latency: how soon the window shows
// the output's state; page-only: the CPU of a page turn of the table, seconds = turns;
// beat-clock: steps of one beat, output on, playback left to a MIDI clock's Start; resize-only:
// the window resized between its default size and the screen's, needs a 1920 x 1080 screen;
// play-song: as play-bare, the output following the song at UIPROBE_SONG as it plays)
#include "appwiring.h"
#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxbox.h"
#include "dmxbox_trace.h"
#include "dmxfile.h"
#include "playengine.h"
#include "remotecontrol.h"
#include "songtransport.h"
#include "synccontrol.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

QElapsedTimer g_clock;

double msSince(qint64 startNs)
{
    return (g_clock.nsecsElapsed() - startNs) / 1e6;
}

// Waits for the next frame the window puts on screen; returns false on a timeout.
bool waitFrame(QQuickWindow *window, int timeoutMs = 3000)
{
    QEventLoop loop;
    bool swapped = false;
    auto c = QObject::connect(window, &QQuickWindow::frameSwapped, &loop, [&] {
        swapped = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    window->update();
    loop.exec();
    QObject::disconnect(c);
    return swapped;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

// Time from an action to the next frame on screen, median of several runs; the part spent
// inside the action itself goes to *inAction.
double timeToFrame(QQuickWindow *window, int runs, const std::function<void(int)> &action,
                   double *inAction = nullptr)
{
    std::vector<double> samples, sync;
    for (int i = 0; i < runs; ++i) {
        waitFrame(window, 200); // start from an idle window
        const qint64 t = g_clock.nsecsElapsed();
        action(i);
        sync.push_back(msSince(t));
        if (waitFrame(window))
            samples.push_back(msSince(t));
    }
    if (inAction)
        *inAction = median(sync);
    return median(samples);
}

// Time from a resize to the first frame drawn at the new size (the platform confirms the
// size later than it is asked for), median of several runs between two sizes.
double resizeToFrame(QQuickWindow *window, int runs, const QSize &a, const QSize &b)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const QSize size = i % 2 ? a : b;
        waitFrame(window, 200);
        QEventLoop loop;
        bool shown = false;
        auto c = QObject::connect(window, &QQuickWindow::frameSwapped, &loop, [&] {
            if (window->contentItem()->size() == QSizeF(size)) {
                shown = true;
                loop.quit();
            }
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        const qint64 t = g_clock.nsecsElapsed();
        window->resize(size);
        loop.exec();
        QObject::disconnect(c);
        if (shown)
            samples.push_back(msSince(t));
    }
    return median(samples);
}

long rssKiB()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// CPU time of the process so far, all threads.
double processCpuMs()
{
    timespec used;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return used.tv_sec * 1e3 + used.tv_nsec / 1e6;
}

// Milliseconds since the kernel started this process (tick resolution).
double msSinceProcessStart()
{
    QFile f("/proc/self/stat");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

QObject *find(QObject *root, const char *name)
{
    QObject *o = root->findChild<QObject *>(QString::fromLatin1(name));
    if (!o)
        std::fprintf(stderr, "uiprobe: no element %s\n", name);
    return o;
}

void report(const char *what, double value, const char *unit)
{
    std::printf("%-34s %10.2f %s\n", what, value, unit);
    std::fflush(stdout);
}

// Frame times while the table scrolls by a few rows (or columns) per frame, as a flick or
// a held arrow of the scroll bar does.
void reportScroll(QQuickWindow *window, QObject *view, const char *property, double step,
                  double end, const char *what)
{
    std::vector<double> frames;
    for (double at = 0; at <= end; at += step) {
        const qint64 t = g_clock.nsecsElapsed();
        view->setProperty(property, at);
        if (waitFrame(window))
            frames.push_back(msSince(t));
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s, frame median", what);
    report(name, median(frames), "ms");
    std::snprintf(name, sizeof name, "%s, frame p99", what);
    report(name, percentile(frames, 0.99), "ms");
}

// The show with every channel as a column: 18 fixtures of 27 and one of 26 channels.
int scrollFigures(QQuickWindow *window, QObject *table, QObject *chType, QObject *addLight)
{
    QObject *view = table->findChild<QObject *>(QStringLiteral("cells"));
    QObject *deleteLight = find(window, "deleteLight");
    if (!view || !deleteLight)
        return 1;
    for (int i = 0; i < 20; ++i)
        QMetaObject::invokeMethod(deleteLight, "clicked");
    waitFrame(window);
    const qint64 t = g_clock.nsecsElapsed();
    for (int i = 0; i < 19; ++i) {
        chType->setProperty("currentIndex", i < 18 ? 24 : 17);
        QMetaObject::invokeMethod(addLight, "clicked");
    }
    waitFrame(window);
    report("add 19 fixtures (512 ch) + frame", msSince(t), "ms");
    report("table columns", window->property("posCount").toInt(), "");
    report("memory, 512 channel columns", rssKiB() / 1024.0, "MiB");
    settle(200);
    const double height = view->property("height").toDouble();
    const double width = view->property("width").toDouble();
    const double rowsDown = view->property("contentHeight").toDouble() +
                            view->property("bottomMargin").toDouble() - height;
    const double columnsRight = view->property("contentWidth").toDouble() - width;
    reportScroll(window, view, "contentY", 75, qMin(rowsDown, 75.0 * 400), "scroll down 3 rows");
    reportScroll(window, view, "contentY", rowsDown / 50, rowsDown, "scroll down by 1/50");
    reportScroll(window, view, "contentX", 100, columnsRight, "scroll right 4 columns");
    report("memory after scrolling", rssKiB() / 1024.0, "MiB");
    return 0;
}

// How long the window takes to show what the output thread has sent: a sampler thread
// notes every change of channel 2's level and of the current row (with the table lock, as
// the output thread changes them just before it sends); on every frame the window swaps,
// a newly shown fader value or marked row is matched to the change that brought it.
struct outputChange {
    qint64 ns;
    int level;
    int row;
};

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Time from the output's change to `shown` (the last one before `at`) to `at`; -1 if the
// output never had it in the last second.
double followMs(const std::vector<outputChange> &changes, int outputChange::*what, int shown,
                qint64 at)
{
    for (auto i = changes.rbegin(); i != changes.rend(); ++i) {
        if (i->ns > at)
            continue;
        if (at - i->ns > 1000000000)
            return -1;
        if ((*i).*what != shown)
            continue;
        auto before = std::next(i);
        if (before == changes.rend() || (*before).*what != shown)
            return (at - i->ns) / 1e6;
    }
    return -1;
}

void followLatency(QQuickWindow *window, QObject *table, int seconds)
{
    auto *strip = window->findChild<QQuickItem *>(QStringLiteral("dimChannel"));
    // The second fader: channel 1 snaps at every step, channel 2 fades.
    QList<QQuickItem *> faders;
    for (QQuickItem *d : strip->property("contentItem").value<QQuickItem *>()->childItems()) {
        if (d->objectName() == QLatin1String("dimmer"))
            faders << d;
    }
    std::sort(faders.begin(), faders.end(),
              [](const QQuickItem *a, const QQuickItem *b) { return a->x() < b->x(); });
    QObject *fader = faders.value(1)->findChild<QObject *>(QStringLiteral("sizeSlider"));
    std::vector<outputChange> changes;
    changes.reserve(200000);
    std::atomic<bool> quit{false};
    std::mutex guard;
    std::thread sampler([&] {
        // Below the output thread, above the window, so that its stamps are not late.
        sched_param param{};
        param.sched_priority = 5;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        outputChange last{0, -1, -2};
        while (!quit) {
            const playEngine::outputNow out = g_dimList->engine()->now(1);
            const outputChange now{steadyNs(), out.level, out.row};
            if (now.level != last.level || now.row != last.row) {
                const std::lock_guard<std::mutex> lock(guard);
                changes.push_back(now);
                last = now;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
    });
    std::vector<double> levels, rows;
    int shownLevel = -1, shownRow = -2;
    auto c = QObject::connect(window, &QQuickWindow::frameSwapped, [&] {
        const qint64 at = steadyNs();
        const int level = qRound(fader->property("value").toDouble());
        const int row = table->property("markedRow").toInt();
        const std::lock_guard<std::mutex> lock(guard);
        if (level != shownLevel) {
            const double ms = followMs(changes, &outputChange::level, level, at);
            if (ms >= 0 && shownLevel >= 0)
                levels.push_back(ms);
            shownLevel = level;
        }
        if (row != shownRow) {
            const double ms = followMs(changes, &outputChange::row, row, at);
            if (ms >= 0 && shownRow >= -1)
                rows.push_back(ms);
            shownRow = row;
        }
    });
    settle(seconds * 1000);
    QObject::disconnect(c);
    quit = true;
    sampler.join();
    report("fader follows output, median", median(levels), "ms");
    report("fader follows output, p99", percentile(levels, 0.99), "ms");
    report("fader follows output, samples", levels.size(), "");
    report("row mark follows output, median", median(rows), "ms");
    report("row mark follows output, p99", percentile(rows, 0.99), "ms");
    report("row mark follows output, samples", rows.size(), "");
}

// As the program is started, with remote control's MIDI ports open: steps of one beat over the
// whole table, output on, and playback left to the clock's Start and Stop.
int beatClock(QObject *window, int seconds)
{
    dimList *model = g_dimList;
    auto *remote = model->findChild<remoteControl *>();
    auto *sync = model->findChild<syncControl *>();
    if (!remote || !sync)
        return 1;
    remoteOptions noOsc;
    noOsc.oscPort = 0;
    remote->start(noOsc);
    sync->start({});
    sync->setBeatSteps(1.0);
    QMetaObject::invokeMethod(window, "startPos", Q_ARG(QVariant, 0));
    QMetaObject::invokeMethod(window, "endPos", Q_ARG(QVariant, model->rowCount() - 1));
    model->dmxOutputEnable(true);
    std::fprintf(stderr, "uiprobe: waiting for the clock's Start\n");
    settle(seconds * 1000);
    report("tempo at the end", sync->bpm(), "BPM");
    report("steps of beats", sync->beatSteps(), "");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    g_clock.start();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setOrganizationName("Orvane");
    redrawAtOnce();
    QApplication app(argc, argv);
    // Whichever return ends the probe, the DMX library is closed as the program closes it.
    qAddPostRoutine([] { DMXCloseBox(); });
    chooseSceneGraphBackend();
    if (argc < 2) {
        std::fprintf(stderr, "usage: uiprobe SHOW.dmx [playback seconds]\n");
        return 2;
    }
    const QString show = QString::fromLocal8Bit(argv[1]);
    const int playSeconds = argc > 2 ? atoi(argv[2]) : 20;

    registerQmlTypes();
    QQmlApplicationEngine engine;
    wireEngine(&engine);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!waitFrame(window, 10000))
        return 1;
    // UIPROBE_SIZE=WxH: the window spread to that size, as a user on a larger screen has it.
    const QList<QByteArray> size = qgetenv("UIPROBE_SIZE").split('x');
    if (size.size() == 2) {
        window->setGeometry(0, 0, size.at(0).toInt(), size.at(1).toInt());
        waitFrame(window, 10000);
    }
    report("start-up, main() to first frame", msSince(0), "ms");
    report("start-up, exec to first frame", msSinceProcessStart(), "ms");
    report("memory, empty program", rssKiB() / 1024.0, "MiB");

    dmxFile files;
    dimList *model = g_dimList;
    QObject *table = find(window, "dmxList");
    QObject *panel = find(window, "text_control");
    QObject *addLight = find(window, "addLight");
    QObject *chType = find(window, "ch_type");
    if (!table || !panel || !addLight || !chType)
        return 1;

    // Load: the panel's open handler appends, renumbers and moves the play end.
    qint64 t = g_clock.nsecsElapsed();
    files.loadData(QUrl::fromLocalFile(show));
    model->refrushIndex();
    waitFrame(window);
    report("load show + first frame", msSince(t), "ms");
    const int rows = model->rowCount();

    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    // 20 fixtures through the window's own "添加灯具" handler, about 400 channels.
    const int types[] = {0, 1, 2, 14, 15, 16, 17, 18, 19, 20, 23, 24, 26, 7, 3, 25, 6, 9, 12, 10};
    const bool playing = only == "play-only" || only == "play-minimised" || only == "page-only";
    t = g_clock.nsecsElapsed();
    for (int i = 0; i < 20; ++i) {
        if (only == "play-bare" || only == "beat-clock" || only == "play-song")
            break;
        chType->setProperty("currentIndex", playing ? i : types[i]);
        QMetaObject::invokeMethod(addLight, "clicked");
    }
    waitFrame(window);
    report("add 20 fixtures + first frame", msSince(t), "ms");
    report("table columns", window->property("posCount").toInt(), "");
    report("memory, show loaded", rssKiB() / 1024.0, "MiB");

    QMetaObject::invokeMethod(panel, "stopRun");
    QMetaObject::invokeMethod(window, "startPos", Q_ARG(QVariant, 0));
    settle(200);

    dim *fader = model->output()->channel(5);
    if (only == "fader-only") {
        // For a profiler: nothing but fader moves after the set-up.
        timeToFrame(window, 40, [&](int i) {
            fader->setProperty("run_flag", false);
            fader->setProperty("dimValue", (i * 37) % 256);
        });
        return 0;
    }
    if (only == "follow-only") {
        for (int i = 0; i < 200; ++i) {
            QMetaObject::invokeMethod(window, "followRow", Q_ARG(QVariant, 100 + i));
            waitFrame(window);
        }
        return 0;
    }
    if (only == "page-only") {
        // For a profiler and a quick figure: the table turning a page, as it does while it
        // follows the playing row, with the fixtures of play-only.
        const QVariant beginning = 0; // ListView.Beginning
        const double cpuBefore = processCpuMs();
        const int turns = playSeconds > 0 ? playSeconds : 60;
        report("page turn to frame (median)",
               timeToFrame(window, turns,
                           [&](int i) {
                               QMetaObject::invokeMethod(table, "positionViewAtRow",
                                                         Q_ARG(QVariant, (i + 1) * 40 % rows),
                                                         Q_ARG(QVariant, beginning));
                           }),
               "ms");
        report("page turn, CPU (mean)", (processCpuMs() - cpuBefore) / turns, "ms");
        return 0;
    }
    if (only == "resize-only") {
        const QSize small(1000, 800);
        const QSize large = window->screen()->availableSize();
        window->setPosition(0, 0);
        report("resize, 1000 x 800 <-> screen, to frame (median)",
               resizeToFrame(window, 20, small, large), "ms");
        // Four-digit step numbers and the last columns in view.
        QMetaObject::invokeMethod(window, "followRow", Q_ARG(QVariant, rows - 1));
        QObject *cells = find(window, "cells");
        cells->setProperty("contentX", cells->property("contentWidth").toDouble() -
                                           cells->property("width").toDouble());
        report("the same, scrolled to the last row and column",
               resizeToFrame(window, 20, small, large), "ms");
        return 0;
    }
    if (only == "rows-only") {
        // For a profiler: nothing but row inserts below the rows in view after the set-up.
        for (int i = 0; i < 20; ++i)
            QMetaObject::invokeMethod(window, "followRow", Q_ARG(QVariant, 100 + i));
        report("row insert to frame (median)",
               timeToFrame(window, 30, [&](int) { model->insertCurrRows(); }), "ms");
        return 0;
    }
    if (only == "play-minimised")
        window->showMinimized();
    if (only == "play-song") {
        // As play-bare, with the song at UIPROBE_SONG loaded: Play plays it, and the output
        // follows it.
        auto *song = model->findChild<songTransport *>();
        if (!song || !song->load(QString::fromLocal8Bit(qgetenv("UIPROBE_SONG"))))
            return 1;
        if (!song->problem().isEmpty())
            std::fprintf(stderr, "uiprobe: %s\n", qPrintable(song->problem()));
        goto playback;
    }
    if (playing || only == "play-bare")
        goto playback;
    if (only == "follow-latency") {
        QMetaObject::invokeMethod(window, "endPos", Q_ARG(QVariant, model->rowCount() - 1));
        model->dmxOutputEnable(true);
        QMetaObject::invokeMethod(panel, "startRun");
        settle(2000);
        followLatency(window, table, playSeconds);
        QMetaObject::invokeMethod(panel, "stopRun");
        return 0;
    }
    if (only == "beat-clock")
        return beatClock(window, playSeconds);
    if (only == "scroll")
        return scrollFigures(window, table, chType, addLight);
    {
        double inAction = 0;
        report("fader move to frame (median)",
               timeToFrame(
                   window, 30,
                   [&](int i) {
                       fader->setProperty("run_flag", false);
                       fader->setProperty("dimValue", (i * 37) % 256);
                   },
                   &inAction),
               "ms");
        report("  of which inside the write", inAction, "ms");
        report("cell edit to frame (median)",
               timeToFrame(window, 30,
                           [&](int i) { model->setDmxData(static_cast<ushort>(i % 200), 10, 0); }),
               "ms");
        report("row follow to frame (median)",
               timeToFrame(
                   window, 20,
                   [&](int i) {
                       QMetaObject::invokeMethod(window, "followRow", Q_ARG(QVariant, 100 + i));
                   },
                   &inAction),
               "ms");
        report("  of which inside the follow", inAction, "ms");
        report("row insert to frame (median)",
               timeToFrame(window, 10, [&](int) { model->insertCurrRows(); }), "ms");
        report("row delete to frame (median)",
               timeToFrame(window, 10,
                           [&](int) {
                               QMetaObject::invokeMethod(window, "startPos", Q_ARG(QVariant, 1));
                               QMetaObject::invokeMethod(window, "endPos", Q_ARG(QVariant, 1));
                               model->removeSelectRows();
                           }),
               "ms");

        QTemporaryDir dir;
        const QUrl saveUrl = QUrl::fromLocalFile(dir.filePath("probe.dmx"));
        std::vector<double> saves;
        for (int i = 0; i < 5; ++i) {
            t = g_clock.nsecsElapsed();
            files.saveData(saveUrl, 512, 0, model->rowCount() - 1, "Dmx files (*.dmx )");
            saves.push_back(msSince(t));
        }
        report("save show (median)", median(saves), "ms");
    }

playback:

    // Playback over the whole table with output on, as the user would start it.
    QMetaObject::invokeMethod(window, "startPos", Q_ARG(QVariant, 0));
    QMetaObject::invokeMethod(window, "endPos", Q_ARG(QVariant, model->rowCount() - 1));
    model->dmxOutputEnable(true);
    // The window hears of row loads later than the output thread sends them, so which
    // interval follows a hold cannot be told from here: the timing of every frame is
    // measured from outside the program (bench/run.sh frames). Here only how many frames
    // went out, and the shortest gap between two of them.
    dmxbox_traceStart(100000);
    QMetaObject::invokeMethod(panel, "startRun");
    settle(playSeconds * 1000);
    QMetaObject::invokeMethod(panel, "stopRun");
    const long long *times = dmxbox_traceTimes();
    double shortest = 0.0;
    for (unsigned long i = 1; i < dmxbox_traceCount(); ++i) {
        const double gap = (times[i] - times[i - 1]) / 1e6;
        if (i == 1 || gap < shortest)
            shortest = gap;
    }
    report("playback frames", dmxbox_traceCount(), "");
    report("shortest gap between frames", shortest, "ms");
    dmxbox_traceStop();
    report("rows in show", rows, "");
    return 0;
}
