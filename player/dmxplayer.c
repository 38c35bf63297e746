#include "dmxplayer.h"

/* Tenths of a second per 30 ms tick, in the 10 ms units the player counts time in. */
#define TICK_UNITS 3
#define PATCH_CHANNELS (DMX_PLAYER_FIXTURE_CHANNELS * DMX_PLAYER_FIXTURES)
/* `advance` before the first load: the first tick enters the first record. */
#define ENTER_FIRST 2

/* The desktop keeps each channel's running level as a single float and moves it by a float
 * step; which level a tick shows depends on how that float rounds. These few operations
 * give the same bits with integers only, for the values a show produces: zero or normal
 * numbers below 256, never negative once stored. */

static uint32_t floatOf(unsigned v)
{
    unsigned e = 0;
    if (v == 0)
        return 0;
    while ((v >> e) > 1)
        ++e;
    return ((uint32_t)(e + 127) << 23) | (((uint32_t)v << (23 - e)) & 0x7FFFFFu);
}

static unsigned truncated(uint32_t f)
{
    const int e = (int)(f >> 23) - 127;
    if (f == 0 || e < 0)
        return 0;
    return (unsigned)((((f & 0x7FFFFFu) | 0x800000u)) >> (23 - e));
}

/* Rounds a mantissa with 6 extra low bits (the lowest one sticky) to nearest, ties to
 * even, and packs it with its biased exponent. */
static uint32_t packed(uint32_t m, int e)
{
    const uint32_t low = m & 0x3Fu;
    m >>= 6;
    if (low > 0x20u || (low == 0x20u && (m & 1u)))
        ++m;
    if (m == 0x1000000u) {
        m >>= 1;
        ++e;
    }
    return ((uint32_t)e << 23) | (m & 0x7FFFFFu);
}

/* The mantissa of b shifted right by d, with every bit shifted out kept as a sticky bit. */
static uint32_t aligned(uint32_t m, unsigned d)
{
    if (d == 0)
        return m;
    if (d > 31)
        return m != 0;
    return (m >> d) | ((m & ((1u << d) - 1u)) != 0);
}

static uint32_t mantissa(uint32_t f)
{
    return ((f & 0x7FFFFFu) | 0x800000u) << 6;
}

/* a + b for a, b >= 0. */
static uint32_t floatSum(uint32_t a, uint32_t b)
{
    uint32_t s;
    int e;
    if (a < b) {
        const uint32_t t = a;
        a = b;
        b = t;
    }
    if (b == 0)
        return a;
    e = (int)(a >> 23);
    s = mantissa(a) + aligned(mantissa(b), (unsigned)(e - (int)(b >> 23)));
    if (s & 0x40000000u) {
        s = (s >> 1) | (s & 1u);
        ++e;
    }
    return packed(s, e);
}

/* a - b for a > b >= 0. */
static uint32_t floatDifference(uint32_t a, uint32_t b)
{
    uint32_t s;
    int e;
    if (b == 0)
        return a;
    e = (int)(a >> 23);
    s = mantissa(a) - aligned(mantissa(b), (unsigned)(e - (int)(b >> 23)));
    while (!(s & 0x20000000u)) {
        s <<= 1;
        --e;
    }
    return packed(s, e);
}

/* d / n for 1 <= d <= 255 and 1 <= n < 2^24, by long division. */
static uint32_t floatQuotient(uint32_t d, uint32_t n)
{
    uint32_t q = d / n;
    uint32_t r = d % n;
    int k = 0;
    while (q < 0x800000u) {
        r <<= 1;
        q <<= 1;
        if (r >= n) {
            r -= n;
            q |= 1u;
        }
        ++k;
    }
    if (2u * r > n || (2u * r == n && (q & 1u)))
        ++q;
    if (q == 0x1000000u) {
        q >>= 1;
        --k;
    }
    return ((uint32_t)(150 - k) << 23) | (q & 0x7FFFFFu);
}

/* Fade and speed cells above 1 count three ticks per unit. */
static uint32_t scaled(unsigned cell)
{
    return cell <= 1 ? cell : 3u * cell;
}

/* Levels are bytes; a larger cell is aimed at 255, as the desktop does. */
static unsigned targetOf(unsigned cell)
{
    return cell > 255 ? 255 : cell;
}

static const unsigned short *recordAt(const dmxPlayer *p, unsigned index)
{
    return p->records[index];
}

/* The levels jump to a record's values; a cell above 255 stands for 255. */
static void jumpTo(dmxPlayer *p, unsigned index)
{
    const unsigned short *r = recordAt(p, index);
    unsigned i;
    for (i = 0; i < DMX_PLAYER_SLOTS; ++i)
        p->level[i] = (unsigned char)targetOf(runDmxValue(r, i));
}

/* The next record, or the first again after the last, entered from the last one's levels.
 * The first load enters the first record the same way, so the first pass is like every
 * other. A show of one record enters it from itself. */
static void loadNext(dmxPlayer *p)
{
    const unsigned short *r;
    uint32_t speed, fade, ticks;
    unsigned i;
    if (p->advance != ENTER_FIRST && (unsigned)p->current + 1u < p->size) {
        ++p->current;
    } else {
        p->current = 0;
        jumpTo(p, p->size > 1 ? p->size - 1u : 0u);
    }
    p->advance = 1;
    r = recordAt(p, p->current);
    speed = scaled(runDmxSpeed(r));
    fade = scaled(runDmxFade(r));
    /* Neither hold nor fade: the steps of the step before stay, as on the desktop. */
    if (speed == 0 && fade == 0)
        return;
    p->advance = 0;
    ticks = fade > 0 ? fade : 1u;
    for (i = 0; i < DMX_PLAYER_SLOTS; ++i) {
        const unsigned v = p->level[i];
        const unsigned t = targetOf(runDmxValue(r, i));
        p->value[i] = floatOf(v);
        p->step[i] = v == t ? 0u : floatQuotient(v < t ? t - v : v - t, ticks);
    }
}

/* The channel whose flag belongs to the slot after `channel`, skipping switched-off
 * fixtures' blocks the records left out. */
static unsigned nextChannel(const dmxPlayer *p, unsigned channel)
{
    while (channel < PATCH_CHANNELS && channel % DMX_PLAYER_FIXTURE_CHANNELS == 0 &&
           (p->fixturesOff >> (channel / DMX_PLAYER_FIXTURE_CHANNELS)) & 1u)
        channel += DMX_PLAYER_FIXTURE_CHANNELS;
    return channel;
}

static int snaps(const dmxPlayer *p, unsigned channel)
{
    return p->enChange != 0 && channel < maxSendCh && p->enChange[channel] != 0;
}

/* One slot's move toward t; nonzero once it has arrived. */
static int moved(dmxPlayer *p, unsigned i, unsigned t)
{
    const unsigned v = p->level[i];
    const uint32_t target = floatOf(t);
    const int arrived = v + 1u >= t && v <= t + 1u;
    if (arrived) {
        /* Within one of the target: it is taken exactly. */
        p->value[i] = target;
    } else if (v < t) {
        const uint32_t up = floatSum(p->value[i], p->step[i]);
        p->value[i] = up < target ? up : target;
    } else {
        const uint32_t down =
            p->value[i] > p->step[i] ? floatDifference(p->value[i], p->step[i]) : 0u;
        /* A difference below zero is below every target. */
        p->value[i] = p->value[i] < p->step[i] || down < target ? target : down;
    }
    p->level[i] = (unsigned char)(truncated(p->value[i]) & 0xFFu);
    return arrived;
}

/* Every slot one tick toward the current record; nonzero once all have arrived. */
static int fadePass(dmxPlayer *p)
{
    const unsigned short *r = recordAt(p, p->current);
    unsigned done = 0;
    unsigned channel = nextChannel(p, 0);
    unsigned i;
    for (i = 0; i < DMX_PLAYER_SLOTS; ++i) {
        const unsigned t = targetOf(runDmxValue(r, i));
        if (snaps(p, channel)) {
            p->level[i] = (unsigned char)t;
            ++done;
        } else {
            done += (unsigned)moved(p, i, t);
        }
        channel = nextChannel(p, channel + 1u);
    }
    return done >= DMX_PLAYER_SLOTS;
}

/* One tick of the desktop's engine: load when the step before is over, move, and when
 * every slot has arrived hold for the record's speed before the next tick. */
static void engineTick(dmxPlayer *p)
{
    if (p->advance)
        loadNext(p);
    if (fadePass(p))
        p->advance = 1;
    p->wait += TICK_UNITS;
    if (p->advance)
        p->wait += 10L * runDmxSpeed(recordAt(p, p->current));
}

void dmxPlayerInit(dmxPlayer *player, const runDmxData *records, unsigned short size,
                   const unsigned char *enChange, dmxFrameSink sink, void *context)
{
    unsigned i;
    player->records = records;
    player->size = records != 0 ? size : 0;
    player->enChange = enChange;
    player->sink = sink;
    player->context = context;
    player->fixturesOff = 0;
    player->current = 0;
    player->advance = ENTER_FIRST;
    player->wait = TICK_UNITS;
    for (i = 0; i < DMX_PLAYER_SLOTS; ++i) {
        player->value[i] = 0;
        player->step[i] = 0;
        player->level[i] = 0;
    }
    if (player->size > 0)
        jumpTo(player, 0);
}

void dmxPlayerSetFixturesOff(dmxPlayer *player, unsigned fixturesOff)
{
    player->fixturesOff = fixturesOff;
}

void dmxPlayerTick(dmxPlayer *player)
{
    player->wait -= TICK_UNITS;
    /* The desktop's ticks after a hold fall between ours: each is played on the first
     * tick at or after it, so a frame is never early, at most 20 ms late, and the lateness
     * does not add up. */
    if (player->size > 0 && player->wait <= 0)
        engineTick(player);
    if (player->sink != 0)
        player->sink(player->level, DMX_PLAYER_SLOTS, player->context);
}

unsigned short dmxPlayerRecord(const dmxPlayer *player)
{
    return player->current;
}
