#ifndef TIMECODE_H
#define TIMECODE_H

#include "syncsnapshot.h"

#include <QString>

// SMPTE timecode as hours, minutes, seconds and frames, and as a frame count from
// 00:00:00:00, at 24, 25, 29.97 drop-frame and 30 frames per second. The rate is one of
// timecodeSnapshot::rate. At 29.97 drop-frame the frame numbers 0 and 1 are left out at the
// start of every minute except every tenth, so that the count keeps to the real time.
// Plain functions, any thread.
namespace timecode
{
struct hmsf {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

bool validRate(qint64 rate);
// Frames counted per second: 24, 25, 30 or 30 (0 for an unknown rate).
int nominalFps(qint64 rate);
// Frames from 00:00:00:00 to 24:00:00:00.
qint64 framesPerDay(qint64 rate);
// False for a field out of range or a frame number drop-frame leaves out.
bool valid(const hmsf &time, qint64 rate);
// -1 when the time is not valid at that rate.
qint64 toFrame(const hmsf &time, qint64 rate);
// The frame taken modulo one day.
hmsf fromFrame(qint64 frame, qint64 rate);
// Real time of a frame from 00:00:00:00 in milliseconds (29.97: frame * 1001 / 30).
qint64 frameToMs(qint64 frame, qint64 rate);
// A whole snapshot for a time at a rate; ms is -1 when the time is not valid.
timecodeSnapshot snapshot(const hmsf &time, qint64 rate, qint64 arrivedNs);

// "HH:MM:SS:FF", or "HH:MM:SS;FF" as drop-frame is written; one or two digits a field.
// False for anything else or a field out of range for every rate (hours 0-23, frames 0-29);
// `drop` tells whether the semicolon was used.
bool parse(const QString &text, hmsf &time, bool *drop = nullptr);
// Two digits a field, a semicolon before the frames at drop-frame.
QString format(const hmsf &time, qint64 rate);
QString format(qint64 frame, qint64 rate);
} // namespace timecode

#endif
