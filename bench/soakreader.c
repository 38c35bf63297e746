/* Hours of frames: reads 512-byte frames from a FIFO, stamps each with CLOCK_MONOTONIC, and
 * prints one line per slice of SLICE seconds: frames, interval median, p99 and max (ms),
 * intervals above 45 ms and how many of them had the whole machine stalled inside them (see
 * stallwatch.h), the machine's stalls and the longest, the program's CPU (% of one core) and
 * resident memory (MB).
 * Every frame is logged to FRAMELOG as its stamp, a hash of its slots and the number of slots
 * up to the last one not 0, for soakcheck to lay against the show's timeline.
 * Usage: soakreader FIFO SLICE TOTAL PIDFILE FRAMELOG */
#include "framestamp.h"
#include "stallwatch.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// FNV-1a over the levels: the same function soakcheck uses.
static uint64_t frameHash(const unsigned char *frame)
{
    uint64_t hash = 1469598103934665603ull;
    for (int i = 0; i < 512; ++i) {
        hash ^= frame[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

static double residentMb(const char *pid)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%s/status", pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    double kb = -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmRSS: %lf kB", &kb) == 1)
            break;
    fclose(f);
    return kb / 1024.0;
}

static void readPid(const char *file, char *pid, size_t size)
{
    FILE *f = fopen(file, "r");
    if (!f)
        return;
    if (!fgets(pid, (int)size, f))
        pid[0] = 0;
    pid[strcspn(pid, "\n")] = 0;
    fclose(f);
}

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: soakreader FIFO SLICE TOTAL PIDFILE FRAMELOG\n");
        return 2;
    }
    const double slice = atof(argv[2]) * 1e3, total = atof(argv[3]) * 1e3;
    const int fd = openFrames("soakreader", argv[1]);
    FILE *frames = fopen(argv[5], "wb");
    if (fd < 0 || !frames)
        return 1;
    char pid[32] = "";
    const size_t cap = (size_t)(slice / 10) + 1000;
    double *gaps = malloc(cap * sizeof *gaps);
    unsigned char frame[512];
    double start = -1, last = -1, sliceStart = 0, cpuBefore = -1;
    size_t count = 0, late = 0, lateStalled = 0, stallsBefore = 0;
    int index = 0;
    static struct stallWatch watch;
    stallWatchStart(&watch);
    printf(
        "slice  frames  median    p99     max   >45ms stalled  stalls longest  cpu%%   rss MB\n");
    while (readFrame(fd, frame)) {
        const double t = nowMs();
        if (start < 0) {
            start = sliceStart = t;
            readPid(argv[4], pid, sizeof pid);
            cpuBefore = cpuMs(pid);
        } else {
            const double gap = t - last;
            if (count < cap)
                gaps[count++] = gap;
            if (gap > 45.0) {
                ++late;
                const double stall = stallWatchWithin(&watch, last, t);
                lateStalled += stall > 0;
                fprintf(stderr, "soakreader: %.1f ms late at %.3f s, the machine stalled %.1f ms\n",
                        gap, t / 1e3, stall);
            }
        }
        const uint64_t hash = frameHash(frame);
        const double at = t - start;
        fwrite(&at, sizeof at, 1, frames);
        fwrite(&hash, sizeof hash, 1, frames);
        uint16_t used = 512;
        while (used > 0 && frame[used - 1] == 0)
            --used;
        fwrite(&used, sizeof used, 1, frames);
        last = t;
        if (t - sliceStart < slice)
            continue;
        qsort(gaps, count, sizeof *gaps, byValue);
        const double cpuNow = cpuMs(pid);
        pthread_mutex_lock(&watch.lock);
        const size_t stalls = watch.count - stallsBefore;
        stallsBefore = watch.count;
        pthread_mutex_unlock(&watch.lock);
        printf("%5d %7zu %7.2f %7.2f %7.2f %6zu %7zu %7zu %7.2f %6.1f %8.1f\n", ++index, count + 1,
               count ? gaps[count / 2] : 0, count ? gaps[(size_t)(count * 0.99)] : 0,
               count ? gaps[count - 1] : 0, late, lateStalled, stalls,
               stallWatchWithin(&watch, sliceStart, t),
               (cpuNow - cpuBefore) * 100.0 / (t - sliceStart), residentMb(pid));
        fflush(stdout);
        fflush(frames);
        cpuBefore = cpuNow;
        sliceStart = t;
        count = 0;
        late = 0;
        lateStalled = 0;
        if (t - start >= total)
            break;
    }
    fclose(frames);
    free(gaps);
    return 0;
}
