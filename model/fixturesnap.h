#ifndef FIXTURESNAP_H
#define FIXTURESNAP_H

#include "fixturedef.h"

// Whether a channel from a definition should jump rather than fade: a fade between two
// patterns must not pass through the patterns (or the "off") in between.
namespace fixtureSnap
{
// True when the channel is a coarse channel with at least two named presets and more of
// them than ranges that run continuously, or an effect, gobo, prism or colour-preset channel
// made of presets only (one "128 patterns" range is 128 looks). Fine channels, single ranges and
// channels that are mostly continuous (position, zoom, rotation speed, a dimmer with an "off" step)
// fade.
bool snaps(const fixtureDef::channel &channel);
} // namespace fixtureSnap

#endif
