#ifndef BEATPLACING_H
#define BEATPLACING_H

#include <QVector>

class editWindow;

// "踩点": the holds of the play range's steps set so that each starts on a beat of the song.
// GUI thread only, on the table it edits.
namespace beatPlacing
{
// Every `stride` beats (1, 2 or 4) as one undo step, the views told; returns the number of
// steps placed, 0 when there is no range or no beat.
int place(editWindow &window, const QVector<double> &beats, int stride);
} // namespace beatPlacing

#endif
