// The real (OLA) interface library: cost of one DMXSendBox call, the rate at which frames sent
// on the playback tick arrive at olad, and how long a process takes from its last frame to
// its end; first with olad running, then with olad gone. Run it next to a private olad:
//   bash tools/olad-sandbox.sh run build/bench/bench_dmxbox
#include "dmxbox.h"

#include <benchmark/benchmark.h>
#include <ola/Callback.h>
#include <ola/client/ClientWrapper.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

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

// A second client of olad that notes when updates of universe 1 arrive.
class arrivals
{
  public:
    bool open()
    {
        if (!m_wrapper.Setup())
            return false;
        m_wrapper.GetClient()->SetDMXCallback(ola::NewCallback(this, &arrivals::updated));
        m_wrapper.GetClient()->RegisterUniverse(1, ola::client::REGISTER, nullptr);
        pumpFor(std::chrono::milliseconds(200));
        m_times.clear();
        return true;
    }

    void pumpFor(Clock::duration time)
    {
        const auto end = Clock::now() + time;
        while (Clock::now() < end)
            m_wrapper.GetSelectServer()->RunOnce(ola::TimeInterval(0, 1000));
    }

    // When each update arrived since the last forget().
    const std::vector<Clock::time_point> &times() const { return m_times; }
    void forget() { m_times.clear(); }

  private:
    void updated(const ola::client::DMXMetadata &, const ola::DmxBuffer &)
    {
        m_times.push_back(Clock::now());
    }

    std::vector<Clock::time_point> m_times;
    ola::client::OlaClientWrapper m_wrapper{false};
};

// 30 frames on a 30 ms tick, as playback sends them; the time is the span from the first
// arrival at olad to the last, whose ideal is 29 ticks (870 ms).
void BM_PlaybackArrivalAtOlad(benchmark::State &state)
{
    arrivals reader;
    if (!settle(1) || !reader.open()) {
        state.SkipWithError("olad not reachable; run through tools/olad-sandbox.sh run");
        return;
    }
    double fps = 0;
    for (auto _ : state) {
        reader.forget();
        auto tick = Clock::now();
        for (int i = 0; i < 30; ++i) {
            sendOne(unsigned(i) * 7);
            tick += std::chrono::milliseconds(30);
            reader.pumpFor(tick - Clock::now());
        }
        reader.pumpFor(std::chrono::milliseconds(300));
        if (reader.times().size() < 2) {
            state.SkipWithError("no frames arrived at olad");
            return;
        }
        const double span =
            std::chrono::duration<double>(reader.times().back() - reader.times().front()).count();
        state.SetIterationTime(span);
        fps = double(reader.times().size() - 1) / span;
    }
    state.counters["arrival_fps"] = fps;
}
BENCHMARK(BM_PlaybackArrivalAtOlad)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A child process (this program, see main) sends frames, closes the library and ends; the
// time is from its start to its end, start-up included.
void processExit(benchmark::State &state)
{
    char self[] = "/proc/self/exe";
    char flag[] = "--exit-child";
    char *argv[] = {self, flag, nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("could not start the child");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child did not end normally");
            return;
        }
    }
}

void BM_ProcessExit_OladRunning(benchmark::State &state)
{
    processExit(state);
}
BENCHMARK(BM_ProcessExit_OladRunning)->Iterations(10)->Unit(benchmark::kMillisecond);

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

void BM_ProcessExit_OladAbsent(benchmark::State &state)
{
    processExit(state);
}
BENCHMARK(BM_ProcessExit_OladAbsent)->Iterations(10)->Unit(benchmark::kMillisecond);

// The child of BM_ProcessExit: 20 frames 2 ms apart, then the close the program makes at exit.
int exitChild()
{
    for (unsigned i = 0; i < 20; ++i) {
        sendOne(i);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    DMXCloseBox();
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--exit-child") == 0)
        return exitChild();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    DMXCloseBox();
    return 0;
}
