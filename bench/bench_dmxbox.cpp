// Cost of one DMXSendBox call in the real (OLA) interface library, first with olad running,
// then with olad gone. Run it next to a private olad:
//   bash tools/olad-sandbox.sh run build/bench/bench_dmxbox
#include "dmxbox.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

unsigned char s_frame[512];

int sendOne(unsigned value)
{
    std::memset(s_frame, int(value & 0xff), sizeof s_frame);
    return DMXSendBox(0, s_frame);
}

// Sends until a frame is accepted (wanted = 1) or dropped (wanted = 0), for up to 5 s.
bool settle(int wanted)
{
    const auto end = Clock::now() + std::chrono::seconds(5);
    for (unsigned i = 0; Clock::now() < end; ++i) {
        if (sendOne(i) == wanted)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool stopOlad()
{
    const char *ctl = std::getenv("OLAD_SANDBOX_CTL");
    if (!ctl)
        return false;
    return std::system(("bash '" + std::string(ctl) + "' stop").c_str()) == 0;
}

// Paced at 1 kHz, thirty times the playback rate, so olad keeps up and every call takes the
// ordinary path; only the call itself is timed.
void BM_DMXSendBox_OladRunning(benchmark::State &state)
{
    if (!settle(1)) {
        state.SkipWithError("olad not reachable; run through tools/olad-sandbox.sh run");
        return;
    }
    unsigned value = 0;
    long dropped = 0;
    double worst = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto start = Clock::now();
        const int accepted = sendOne(++value);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        dropped += accepted == 0;
        worst = std::max(worst, seconds);
    }
    state.counters["dropped"] = double(dropped);
    state.counters["worst_us"] = worst * 1e6;
}
BENCHMARK(BM_DMXSendBox_OladRunning)
    ->UseManualTime()
    ->Iterations(3000)
    ->Unit(benchmark::kMicrosecond);

void BM_DMXSendBox_OladAbsent(benchmark::State &state)
{
    if (!stopOlad() || !settle(0)) {
        state.SkipWithError("could not stop olad; run through tools/olad-sandbox.sh run");
        return;
    }
    unsigned value = 0;
    long accepted = 0;
    for (auto _ : state)
        accepted += sendOne(++value);
    state.counters["accepted"] = double(accepted);
}
BENCHMARK(BM_DMXSendBox_OladAbsent)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
