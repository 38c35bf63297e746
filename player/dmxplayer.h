/* Reference player for exported step programs: plays <ID>_Array as the desktop plays the
 * exported range, one frame per 30 ms tick. Portable C99: no heap, no floating point, no
 * operating system; the records are read where the compiler put them and never copied. */
#ifndef DMXPLAYER_H
#define DMXPLAYER_H

#include "dmx.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Frame slots the player keeps. The exported values fill the frame from slot 0, so a
 * firmware whose exports hold fewer channels may lower it to save RAM (9 bytes a slot). */
#ifndef DMX_PLAYER_SLOTS
#define DMX_PLAYER_SLOTS maxSendCh
#endif

/* The desktop's patch: fixtures of 18 channels end to end from channel 0, six of them. */
#define DMX_PLAYER_FIXTURE_CHANNELS 18
#define DMX_PLAYER_FIXTURES 6

/* Receives every frame: slot 0 first, `length` of them (DMX_PLAYER_SLOTS). The frame is the
 * player's own and changes on the next tick. */
typedef void (*dmxFrameSink)(const unsigned char *frame, unsigned length, void *context);

/* The whole state of one player; the firmware owns it (a static object, usually). */
typedef struct dmxPlayer {
    const runDmxData *records;
    unsigned short size;
    const unsigned char *enChange;
    dmxFrameSink sink;
    void *context;
    unsigned fixturesOff;
    unsigned short current;
    unsigned char advance;
    /* 10 ms units until the desktop's next tick; at most 0 means due on this tick. */
    long wait;
    /* Running level and per-tick step of each slot, as the bits of IEEE single floats. */
    uint32_t value[DMX_PLAYER_SLOTS];
    uint32_t step[DMX_PLAYER_SLOTS];
    /* The levels, which are the frame. */
    unsigned char level[DMX_PLAYER_SLOTS];
} dmxPlayer;

/* Starts a show: `records` and `size` are <ID>_Array and <ID>_size, `enChange` is
 * <ID>_enChange (or null: no channel snaps). The first record's levels stand at once, as
 * after picking the range's first row on the desktop; the first tick enters the first record
 * from the last one's levels, as after a wrap, and plays its fade and hold. */
void dmxPlayerInit(dmxPlayer *player, const runDmxData *records, unsigned short size,
                   const unsigned char *enChange, dmxFrameSink sink, void *context);

/* The fixtures that were switched off when the show was exported, bit k for fixture k.
 * The records leave their channels out while <ID>_enChange still counts them; this tells
 * the player which flag belongs to which value. */
void dmxPlayerSetFixturesOff(dmxPlayer *player, unsigned fixturesOff);

/* Call every 30 ms, from the timer's interrupt or from the main loop: advances the show by
 * one tick and hands the frame to the sink. */
void dmxPlayerTick(dmxPlayer *player);

/* The record whose step is playing, 0 first. */
unsigned short dmxPlayerRecord(const dmxPlayer *player);

#ifdef __cplusplus
}
#endif

#endif
