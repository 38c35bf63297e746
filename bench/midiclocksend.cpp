// A MIDI clock from outside the program, through JACK: Start (FA), then 24 clock bytes (F8)
// a beat on absolute CLOCK_MONOTONIC deadlines, then Stop (FC). Every 24th pulse from the
// first one after Start is a beat; its time goes to BEATFILE, one line each:
//   <time the pulse was handed to JACK, ns> <its deadline on the exact grid, ns>
// With JITTER ms, each pulse is sent up to that much early or late (uniform); the grid stays.
// DROP leaves out the clock byte of that pulse number, as a MIDI link that loses one would.
// Usage: midiclocksend BEATFILE SECONDS [BPM=128] [JITTER=0] [PORT=dmxplayer in] [DROP=-1]
#include <RtMidi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <sched.h>
#include <string>
#include <vector>

namespace
{
constexpr int kPulsesPerBeat = 24;

long long nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void sleepUntil(long long ns)
{
    timespec ts;
    ts.tv_sec = ns / 1000000000LL;
    ts.tv_nsec = ns % 1000000000LL;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

// The first port whose name contains `wanted`, or -1.
int findPort(RtMidiOut &out, const std::string &wanted)
{
    const unsigned count = out.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (out.getPortName(i).find(wanted) != std::string::npos)
            return int(i);
    }
    return -1;
}

void send(RtMidiOut &out, unsigned char status)
{
    out.sendMessage(&status, 1);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: midiclocksend BEATFILE SECONDS [BPM] [JITTER_MS] [PORT] [DROP]\n");
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const double bpm = argc > 3 ? std::atof(argv[3]) : 128.0;
    const double jitterMs = argc > 4 ? std::atof(argv[4]) : 0.0;
    const std::string wanted = argc > 5 && argv[5][0] ? argv[5] : "dmxplayer in";
    const long long drop = argc > 6 ? std::atoll(argv[6]) : -1;
    if (seconds <= 0 || bpm <= 0) {
        std::fprintf(stderr, "midiclocksend: seconds and BPM must be positive\n");
        return 2;
    }
    std::FILE *beats = std::fopen(argv[1], "w");
    if (!beats)
        return 1;

    RtMidiOut out(RtMidi::UNIX_JACK, "midiclocksend");
    const int port = findPort(out, wanted);
    if (port < 0) {
        std::fprintf(stderr, "midiclocksend: no JACK MIDI port named like \"%s\"\n",
                     wanted.c_str());
        return 1;
    }
    out.openPort(unsigned(port), "clock");
    std::fprintf(stderr, "midiclocksend: sending to %s\n", out.getPortName(unsigned(port)).c_str());

    sched_param param{};
    param.sched_priority = 60;
    if (sched_setscheduler(0, SCHED_FIFO, &param) != 0)
        std::fprintf(stderr, "midiclocksend: no real-time priority, pulses may be late\n");

    // 60 / BPM / 24 s; at 128 BPM exactly 19.53125 ms. The grid is computed from the pulse
    // number each time, so that rounding does not add up over the run.
    const double pulseNs = 60e9 / bpm / kPulsesPerBeat;
    const long long pulses = std::llround(seconds * 1e9 / pulseNs);
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> jitter(-jitterMs * 1e6, jitterMs * 1e6);
    // Time for the connection to settle; Start a pulse before the first clock byte.
    const long long origin = nowNs() + 500000000LL;
    sleepUntil(origin - std::llround(pulseNs));
    send(out, 0xFA);
    long long latest = 0;
    std::vector<long long> sent, grid;
    sent.reserve(size_t(pulses / kPulsesPerBeat + 1));
    grid.reserve(sent.capacity());
    for (long long k = 0; k < pulses; ++k) {
        const long long onGrid = origin + std::llround(double(k) * pulseNs);
        const long long deadline = onGrid + (jitterMs > 0 ? std::llround(jitter(random)) : 0);
        sleepUntil(deadline);
        const long long at = nowNs();
        if (k != drop)
            send(out, 0xF8);
        latest = std::max(latest, at - deadline);
        if (k % kPulsesPerBeat == 0) {
            sent.push_back(at);
            grid.push_back(onGrid);
        }
    }
    sleepUntil(origin + std::llround(double(pulses) * pulseNs));
    send(out, 0xFC);
    for (size_t i = 0; i < sent.size(); ++i)
        std::fprintf(beats, "%lld %lld\n", sent[i], grid[i]);
    std::fclose(beats);
    std::printf(
        "sender: %lld pulses, %zu beats at %.3f BPM, jitter +-%.1f ms, latest wake %.3f ms\n",
        pulses, sent.size(), bpm, jitterMs, double(latest) / 1e6);
    // Stop must leave through JACK's next period before the port closes.
    sleepUntil(nowNs() + 200000000LL);
    return 0;
}
