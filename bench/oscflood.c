/* The remote side of the soak: two OSC subscribers that count the feedback they hear, output
 * and playback switched on, and a flood of RATE messages a second that change nothing
 * (output on, speed 1) for BURST seconds at the start of every PERIOD, for TOTAL seconds.
 * Usage: oscflood PORT TOTAL [PERIOD=300] [BURST=60] [RATE=1000] */
#include <lo/lo.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static volatile long s_heard[2];

static int heard(const char *path, const char *types, lo_arg **argv, int argc, lo_message msg,
                 void *counter)
{
    (void)path, (void)types, (void)argv, (void)argc, (void)msg;
    __atomic_add_fetch((volatile long *)counter, 1, __ATOMIC_RELAXED);
    return 0;
}

static double nowS(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

static void sleepUntil(double at)
{
    const double left = at - nowS();
    if (left <= 0)
        return;
    struct timespec ts = {(time_t)left, (long)((left - (time_t)left) * 1e9)};
    nanosleep(&ts, NULL);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: oscflood PORT TOTAL [PERIOD] [BURST] [RATE]\n");
        return 2;
    }
    const double total = atof(argv[2]);
    const double period = argc > 3 ? atof(argv[3]) : 300, burst = argc > 4 ? atof(argv[4]) : 60;
    const double rate = argc > 5 ? atof(argv[5]) : 1000;
    lo_address program = lo_address_new("127.0.0.1", argv[1]);
    lo_server_thread listeners[2];
    for (int i = 0; i < 2; ++i) {
        listeners[i] = lo_server_thread_new_with_proto(NULL, LO_UDP, NULL);
        lo_server_thread_add_method(listeners[i], NULL, NULL, heard, (void *)&s_heard[i]);
        lo_server_thread_start(listeners[i]);
    }
    const double start = nowS();
    double nextSubscribe = start, next = start;
    long sent = 0;
    lo_send(program, "/dmxplayer/output", "i", 1);
    lo_send(program, "/dmxplayer/play", "");
    while (nowS() - start < total) {
        const double t = nowS();
        // Subscriptions lapse when the subscriber is silent; renewed every minute.
        if (t >= nextSubscribe) {
            for (int i = 0; i < 2; ++i)
                lo_send(program, "/dmxplayer/subscribe", "i",
                        lo_server_thread_get_port(listeners[i]));
            nextSubscribe += 60;
        }
        const double into = fmod(t - start, period);
        if (into < burst) {
            if (sent % 2 == 0)
                lo_send(program, "/dmxplayer/output", "i", 1);
            else
                lo_send(program, "/dmxplayer/speed", "f", 1.0f);
            ++sent;
            next += 1.0 / rate;
            sleepUntil(next);
        } else {
            next = t - into + period;
            sleepUntil(next < nextSubscribe ? next : nextSubscribe);
            next = nowS();
        }
    }
    printf("oscflood: %ld messages sent, feedback heard %ld and %ld\n", sent, s_heard[0],
           s_heard[1]);
    for (int i = 0; i < 2; ++i)
        lo_server_thread_free(listeners[i]);
    lo_address_free(program);
    return 0;
}
