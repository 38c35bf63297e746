/* Reads 512-byte frames from a FIFO and stamps each with CLOCK_MONOTONIC, at SCHED_FIFO when
 * allowed. After WARMUP seconds it records WINDOW seconds and prints one line:
 *   frames/s, interval median, p99, max (ms), intervals above 45 ms (and how many of them had
 *   the whole machine stalled inside them, see stallwatch.h), and the show's loop:
 *   the mean time and frame count between recurrences of the first two recorded frames.
 * Given a file holding the program's PID, it also gives that process's CPU over the window,
 * in % of one core.
 * Usage: framereader FIFO [warmup=5] [window=30] [PIDFILE] */
#include "framestamp.h"
#include "stallwatch.h"

#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: framereader FIFO [warmup] [window]\n");
        return 2;
    }
    const double warmup = argc > 2 ? atof(argv[2]) * 1e3 : 5e3;
    const double window = argc > 3 ? atof(argv[3]) * 1e3 : 30e3;
    const int fd = openFrames("framereader", argv[1]);
    if (fd < 0)
        return 1;
    static struct stallWatch watch;
    stallWatchStart(&watch);
    const char *pidFile = argc > 4 ? argv[4] : NULL;
    char pid[32] = "";
    double cpuStart = -1, cpuEnd = -1;
    const size_t cap = 100000;
    double *times = malloc(cap * sizeof *times);
    unsigned char frame[512], prev[512], first[2][512];
    double start = -1, lastLoop = 0;
    size_t count = 0, loops = 0, lastLoopFrame = 0;
    while (count < cap && readFrame(fd, frame)) {
        const double t = nowMs();
        if (start < 0)
            start = t;
        if (t - start < warmup)
            continue;
        if (t - start > warmup + window)
            break;
        if (count == 0 && pidFile) {
            FILE *f = fopen(pidFile, "r");
            if (f && fscanf(f, "%31s", pid) == 1)
                cpuStart = cpuMs(pid);
            if (f)
                fclose(f);
        }
        if (count < 2) {
            memcpy(first[count], frame, 512);
        } else if (memcmp(first[0], prev, 512) == 0 && memcmp(first[1], frame, 512) == 0) {
            ++loops;
            lastLoop = t;
            lastLoopFrame = count;
        }
        memcpy(prev, frame, 512);
        times[count++] = t;
    }
    if (pid[0])
        cpuEnd = cpuMs(pid);
    if (count < 3) {
        printf("frames %zu: too few to measure\n", count);
        return 1;
    }
    double *gaps = malloc(count * sizeof *gaps);
    int over45 = 0, over45Stalled = 0;
    for (size_t i = 1; i < count; ++i) {
        gaps[i - 1] = times[i] - times[i - 1];
        if (gaps[i - 1] > 45.0) {
            ++over45;
            over45Stalled += stallWatchWithin(&watch, times[i - 1], times[i]) > 0;
        }
    }
    const size_t n = count - 1;
    qsort(gaps, n, sizeof *gaps, byValue);
    printf("frames/s %.1f  median %.2f ms  p99 %.2f ms  max %.1f ms  >45 ms %d (stalled %d)  "
           "loop %.1f ms = %.1f frames (%zu loops)\n",
           n * 1e3 / (times[count - 1] - times[0]), gaps[n / 2], gaps[(size_t)(n * 0.99)],
           gaps[n - 1], over45, over45Stalled, loops ? (lastLoop - times[1]) / loops : 0.0,
           loops ? (double)(lastLoopFrame - 1) / loops : 0.0, loops);
    if (cpuStart >= 0 && cpuEnd >= 0)
        printf("CPU %.1f %% of one core\n",
               100.0 * (cpuEnd - cpuStart) / (times[count - 1] - times[0]));
    return 0;
}
