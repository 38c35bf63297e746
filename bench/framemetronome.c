/* The machine's own floor for bench/run.sh frames: no Qt, no window, no show; one thread at
 * SCHED_FIFO 10 writes a 512-byte frame to the FIFO on absolute 30 ms deadlines, exactly as
 * the program's output thread is meant to. Whatever framereader sees above 30 ms here is the
 * machine's, not the program's.
 *   framemetronome FIFO SECONDS */
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void addMs(struct timespec *t, long ms)
{
    t->tv_nsec += ms * 1000000L;
    while (t->tv_nsec >= 1000000000L) {
        t->tv_nsec -= 1000000000L;
        t->tv_sec++;
    }
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: framemetronome FIFO SECONDS\n");
        return 2;
    }
    /* A FIFO opens for writing only once its reader has it open: wait for the reader. */
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 500; ++tries) {
        fd = open(argv[1], O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            usleep(10000);
    }
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    const struct sched_param param = {.sched_priority = 10};
    if (sched_setscheduler(0, SCHED_FIFO, &param) != 0)
        perror("SCHED_FIFO");
    unsigned char frame[512];
    memset(frame, 0, sizeof frame);
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long ticks = atol(argv[2]) * 1000L / 30;
    for (long i = 0; i < ticks; ++i) {
        addMs(&next, 30);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
        frame[0] = (unsigned char)i; /* frames differ, as a show's do */
        if (write(fd, frame, sizeof frame) != (ssize_t)sizeof frame)
            continue; /* FIFO full: dropped, as the preloaded writer does */
    }
    close(fd);
    return 0;
}
