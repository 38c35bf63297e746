/* What the readers of the frame FIFO share: the monotonic clock in ms, one whole frame read,
 * a sort order for doubles, the FIFO opened at real-time priority when allowed, and the CPU
 * time of the program under test. */
#ifndef FRAMESTAMP_H
#define FRAMESTAMP_H

#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static inline double nowMs(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static inline int readFrame(int fd, unsigned char *frame)
{
    size_t got = 0;
    while (got < 512) {
        const ssize_t n = read(fd, frame + got, 512 - got);
        if (n <= 0)
            return 0;
        got += (size_t)n;
    }
    return 1;
}

static inline int byValue(const void *a, const void *b)
{
    const double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

/* Stamps taken late are no use: ask for SCHED_FIFO first. -1 when the FIFO cannot be opened. */
static inline int openFrames(const char *who, const char *fifo)
{
    struct sched_param param = {.sched_priority = 50};
    if (sched_setscheduler(0, SCHED_FIFO, &param) != 0)
        fprintf(stderr, "%s: no real-time priority, stamps may be late\n", who);
    return open(fifo, O_RDONLY);
}

// User + system time of a process, in milliseconds; -1 when it cannot be read.
static inline double cpuMs(const char *pid)
{
    char path[64], buf[1024];
    snprintf(path, sizeof path, "/proc/%s/stat", pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    const size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    const char *p = strrchr(buf, ')');
    unsigned long utime = 0, stime = 0;
    if (!p ||
        sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
        return -1;
    return (utime + stime) * 1e3 / sysconf(_SC_CLK_TCK);
}

#endif
