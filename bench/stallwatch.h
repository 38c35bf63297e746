/* A witness for the machine itself: on each processor a thread above every thread under test
 * that sleeps 1 ms at a time and notes each wake-up more than 5 ms late. Such a stall is the
 * processor not running at all (a virtual machine whose host does not run one of its
 * processors, say), and it holds up whatever waits on that processor, so a late frame with
 * one inside it is the machine's, not the program's. Stalls are kept in order of their end. */
#ifndef STALLWATCH_H
#define STALLWATCH_H

#include "framestamp.h"

#include <pthread.h>
#include <sys/sysinfo.h>

#define STALLWATCH_MAX 65536
#define STALLWATCH_CPUS 64
#define STALLWATCH_LATE_MS 5.0

struct stallWatch {
    pthread_mutex_t lock;
    double from[STALLWATCH_MAX];
    double to[STALLWATCH_MAX];
    size_t count;
    pthread_t threads[STALLWATCH_CPUS];
};

struct stallWatcher {
    struct stallWatch *watch;
    int cpu;
};

static void *stallWatchRun(void *arg)
{
    struct stallWatch *watch = ((struct stallWatcher *)arg)->watch;
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(((struct stallWatcher *)arg)->cpu, &only);
    pthread_setaffinity_np(pthread_self(), sizeof only, &only);
    struct sched_param param = {.sched_priority = 60};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    const struct timespec ms = {0, 1000000};
    double before = nowMs();
    for (;;) {
        clock_nanosleep(CLOCK_MONOTONIC, 0, &ms, NULL);
        const double now = nowMs();
        if (now - before > 1.0 + STALLWATCH_LATE_MS) {
            pthread_mutex_lock(&watch->lock);
            if (watch->count < STALLWATCH_MAX) {
                watch->from[watch->count] = before + 1.0;
                watch->to[watch->count] = now;
                ++watch->count;
            }
            pthread_mutex_unlock(&watch->lock);
        }
        before = now;
    }
    return NULL;
}

static inline void stallWatchStart(struct stallWatch *watch)
{
    static struct stallWatcher watchers[STALLWATCH_CPUS];
    pthread_mutex_init(&watch->lock, NULL);
    watch->count = 0;
    const int cpus = get_nprocs() < STALLWATCH_CPUS ? get_nprocs() : STALLWATCH_CPUS;
    for (int cpu = 0; cpu < cpus; ++cpu) {
        watchers[cpu].watch = watch;
        watchers[cpu].cpu = cpu;
        pthread_create(&watch->threads[cpu], NULL, stallWatchRun, &watchers[cpu]);
    }
}

/* The longest stall a witness saw between `from` and `to` (ms, CLOCK_MONOTONIC); 0: none. */
static inline double stallWatchWithin(struct stallWatch *watch, double from, double to)
{
    double longest = 0;
    pthread_mutex_lock(&watch->lock);
    for (size_t i = watch->count; i-- > 0 && watch->to[i] > from;)
        if (watch->from[i] < to && watch->to[i] - watch->from[i] > longest)
            longest = watch->to[i] - watch->from[i];
    pthread_mutex_unlock(&watch->lock);
    return longest;
}

#endif
