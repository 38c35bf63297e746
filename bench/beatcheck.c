/* Checks beat steps against the MIDI clock that drove them, from outside the program. Reads
 * 512-byte frames from a FIFO until the writer closes it, stamps each with CLOCK_MONOTONIC
 * (at SCHED_FIFO when allowed) and takes every change of slot 0 as a row load (in the bench's
 * show "a" every channel snaps and slot 0 differs from step to step). Then it reads the beat
 * times midiclocksend wrote and gives each load's offset to the nearest beat:
 *   steps, beats missed and doubled, median offset, p99 and max |offset - median|, the mean
 *   offset over the first and over the last minute and their difference (the drift), and the
 *   slope of a least-squares line of offset over time, in ms per 10 minutes.
 * Loads in the first SKIP seconds after the first beat (the clock's tempo is still being
 * measured, steps keep their own holds) are left out. COLUMN 2 (default) compares with the
 * sender's exact grid, 1 with the times its pulses were handed to JACK.
 * With OUTFILE, each step's time since the first beat and its offset (ms) go there.
 * Usage: beatcheck FIFO BEATFILE [SKIP=3] [COLUMN=2] [OUTFILE] */
#include "framestamp.h"

#include <fcntl.h>
#include <math.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef struct {
    double *at;
    size_t count, cap;
} series;

static void append(series *s, double value)
{
    if (s->count == s->cap) {
        s->cap = s->cap ? 2 * s->cap : 1024;
        s->at = realloc(s->at, s->cap * sizeof *s->at);
        if (!s->at)
            exit(1);
    }
    s->at[s->count++] = value;
}

/* The index of the beat nearest to t (beats ascending). */
static size_t nearest(const series *beats, double t)
{
    size_t lo = 0, hi = beats->count;
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (beats->at[mid] <= t)
            lo = mid;
        else
            hi = mid;
    }
    if (lo + 1 < beats->count && beats->at[lo + 1] - t < t - beats->at[lo])
        return lo + 1;
    return lo;
}

static double meanOver(const series *times, const series *offsets, double from, double to)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < times->count; ++i) {
        if (times->at[i] >= from && times->at[i] < to) {
            sum += offsets->at[i];
            ++n;
        }
    }
    return n ? sum / n : NAN;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: beatcheck FIFO BEATFILE [SKIP] [COLUMN]\n");
        return 2;
    }
    const double skipMs = argc > 3 ? atof(argv[3]) * 1e3 : 3e3;
    const int column = argc > 4 ? atoi(argv[4]) : 2;
    const int fd = openFrames("beatcheck", argv[1]);
    if (fd < 0)
        return 1;
    series loads = {0};
    unsigned char frame[512];
    int last = -1;
    size_t frames = 0;
    while (readFrame(fd, frame)) {
        const double t = nowMs();
        ++frames;
        if (last >= 0 && frame[0] != last)
            append(&loads, t);
        last = frame[0];
    }
    close(fd);

    FILE *f = fopen(argv[2], "r");
    if (!f) {
        fprintf(stderr, "beatcheck: no beat file %s\n", argv[2]);
        return 1;
    }
    series beats = {0};
    long long sent, grid;
    while (fscanf(f, "%lld %lld", &sent, &grid) == 2)
        append(&beats, (column == 1 ? sent : grid) / 1e6);
    fclose(f);
    if (beats.count < 2) {
        printf("beats %zu: too few to compare\n", beats.count);
        return 1;
    }
    const double period = (beats.at[beats.count - 1] - beats.at[0]) / (beats.count - 1);
    const double from = beats.at[0] + skipMs;
    const double to = beats.at[beats.count - 1] + period / 2;

    series times = {0}, offsets = {0};
    size_t firstBeat = 0, lastBeat = 0, distinct = 0, previous = (size_t)-1;
    for (size_t i = 0; i < loads.count; ++i) {
        const double t = loads.at[i];
        if (t < from || t > to)
            continue;
        const size_t b = nearest(&beats, t);
        if (times.count == 0)
            firstBeat = b;
        lastBeat = b;
        distinct += b != previous;
        previous = b;
        append(&times, t - beats.at[0]);
        append(&offsets, t - beats.at[b]);
    }
    const size_t n = offsets.count;
    if (n < 3) {
        printf("frames %zu, loads %zu, steps on the beats %zu: too few to measure\n", frames,
               loads.count, n);
        return 1;
    }
    if (argc > 5) {
        FILE *out = fopen(argv[5], "w");
        for (size_t i = 0; out && i < n; ++i)
            fprintf(out, "%.3f %.3f\n", times.at[i], offsets.at[i]);
        if (out)
            fclose(out);
    }
    double *sorted = malloc(n * sizeof *sorted);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = offsets.at[i];
    qsort(sorted, n, sizeof *sorted, byValue);
    const double median = sorted[n / 2];
    for (size_t i = 0; i < n; ++i)
        sorted[i] = fabs(offsets.at[i] - median);
    qsort(sorted, n, sizeof *sorted, byValue);

    /* Least squares of offset over time. */
    double mt = 0, mo = 0;
    for (size_t i = 0; i < n; ++i) {
        mt += times.at[i];
        mo += offsets.at[i];
    }
    mt /= n;
    mo /= n;
    double cov = 0, var = 0;
    for (size_t i = 0; i < n; ++i) {
        cov += (times.at[i] - mt) * (offsets.at[i] - mo);
        var += (times.at[i] - mt) * (times.at[i] - mt);
    }
    const double slope = var > 0 ? cov / var : 0;

    /* A minute at each end; a third of the run each when it is shorter than three. */
    const double start = times.at[0], end = times.at[n - 1];
    const double window = end - start >= 180e3 ? 60e3 : (end - start) / 3;
    const double first = meanOver(&times, &offsets, start, start + window);
    const double lastMean = meanOver(&times, &offsets, end - window, end + 1);

    printf("frames %zu, beats sent %zu (%.4f ms apart), %.0f s compared\n", frames, beats.count,
           period, (end - start) / 1e3);
    printf("steps %zu on beats %zu..%zu: beats missed %zu, doubled %zu\n", n, firstBeat, lastBeat,
           (lastBeat - firstBeat + 1) - distinct, n - distinct);
    printf("offset to the beat: median %.3f ms, mean %.3f ms, |offset - median| p99 %.3f ms, "
           "max %.3f ms\n",
           median, mo, sorted[(size_t)((n - 1) * 0.99)], sorted[n - 1]);
    printf("mean offset, first %.0f s %.3f ms, last %.0f s %.3f ms, drift %.3f ms\n", window / 1e3,
           first, window / 1e3, lastMean, lastMean - first);
    printf("least-squares slope %.4f ms per 10 minutes\n", slope * 600e3);
    return 0;
}
