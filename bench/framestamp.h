/* What the readers of the frame FIFO share: the monotonic clock in ms, one whole frame read,
 * a sort order for doubles, and the FIFO opened at real-time priority when allowed. */
#ifndef FRAMESTAMP_H
#define FRAMESTAMP_H

#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
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

#endif
