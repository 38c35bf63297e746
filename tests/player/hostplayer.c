/* The reference player on the host, over the exports a test compiled with it. Without an
 * argument it prints, for every show, one line per tick: the 64-bit FNV-1a hash of the
 * frame in hex. With a show's index it writes that show's frames, 512 bytes each. */
#include "hostplayer.h"
#include "dmxplayer.h"

#include <stdio.h>
#include <stdlib.h>

/* In the list the test writes. */
extern const struct hostShow hostShows[];
extern const unsigned hostShowCount;

static void printHash(const unsigned char *frame, unsigned length, void *context)
{
    unsigned long long h = 1469598103934665603ULL;
    unsigned i;
    (void)context;
    for (i = 0; i < length; ++i) {
        h ^= frame[i];
        h *= 1099511628211ULL;
    }
    printf("%016llx\n", h);
}

static void writeFrame(const unsigned char *frame, unsigned length, void *context)
{
    (void)context;
    fwrite(frame, 1, length, stdout);
}

static dmxPlayer player;

static void play(const struct hostShow *show, dmxFrameSink sink)
{
    unsigned t;
    dmxPlayerInit(&player, show->records, *show->size, show->enChange, sink, 0);
    dmxPlayerSetFixturesOff(&player, show->fixturesOff);
    for (t = 0; t < show->ticks; ++t)
        dmxPlayerTick(&player);
}

int main(int argc, char **argv)
{
    unsigned s;
    if (argc > 1) {
        s = (unsigned)strtoul(argv[1], 0, 10);
        if (s >= hostShowCount)
            return 2;
        play(&hostShows[s], writeFrame);
        return 0;
    }
    for (s = 0; s < hostShowCount; ++s)
        play(&hostShows[s], printHash);
    return 0;
}
