#ifndef COREFIXTURE_H
#define COREFIXTURE_H

#include "dimlist.h"
#include "lockcheck.h"
#include "manualclock.h"
#include "playengine.h"
#include "rowtester.h"

#include <functional>
#include <memory>

// Whether a new model is watched for breaches of the item model rules. A breach aborts the
// test program with the tester's message: reporting it as a QtTest failure instead formats
// both sides of every comparison the tester makes and costs ten times as much.
enum class modelCheck {
    fatal,
    none // benchmarks and fuzzers, which measure or repeat the model's own work
};

// The time the output thread of a new graph keeps: the test's own (manualClock), which moves
// only when the test advances it, or the machine's, for what only real time shows (a late
// library, random edits against a running thread, the QML documents).
enum class engineTime { manual, steady };

// Every test gets the object graph that start-up builds, new: the model with its output
// object, channel objects, fixture patch and engine, and the process-wide levels, frame and
// play state as the constructors set them at start. Nothing a test changed can reach the
// next one, whatever members the graph grows.
class coreFixture
{
  public:
    // Replaces the graph in g_dimList by a new one whose output thread runs, as in the
    // program, on the given time; once renew() returns the thread waits for its next deadline.
    // `published` runs once the new graph is in g_dimList and before the old one is destroyed,
    // for whoever handed the old one out.
    static dimList *renew(modelCheck check = modelCheck::fatal,
                          const std::function<void()> &published = {},
                          engineTime time = engineTime::manual)
    {
        dimList *old = g_dimList;
        // Its thread writes the process-wide levels the new graph starts from.
        if (old)
            old->engine()->finish();
        stopModelChecks();
        lockCheck::install();
        g_dimList = new dimList(nullptr);
        if (time == engineTime::manual)
            g_dimList->engine()->setClock(std::make_shared<manualClock>());
        g_dimList->engine()->start();
        // Until then the thread reads the play state the test is about to write.
        g_dimList->engine()->waitIdle(std::chrono::seconds(10));
        if (check == modelCheck::fatal)
            s_tester =
                new rowTester(g_dimList, QAbstractItemModelTester::FailureReportingMode::Fatal);
        if (published)
            published();
        delete old;
        return g_dimList;
    }

    // Destroys the graph, joining its output thread.
    static void drop()
    {
        stopModelChecks();
        dimList *old = g_dimList;
        g_dimList = nullptr;
        delete old;
    }

    // For tables of thousands of rows: the tester walks every cell on every reset.
    static void stopModelChecks()
    {
        delete s_tester;
        s_tester = nullptr;
    }

  private:
    static inline rowTester *s_tester = nullptr;
};

#endif
