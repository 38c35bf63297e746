#ifndef PLAYSTATE_H
#define PLAYSTATE_H

#include <QtGlobal>

// The window's views of playback's state, under the names the window and its callers know.
// GUI thread only: the engine writes playback's state into them when it tells the window,
// and takes what the window wrote there at its next call (playEngine::takeWindowState()).
// The current step row, -1 before any: the view of the show owner's edit row, which it
// writes. Playback tells its row to the window, which hands it to the owner.
extern int g_currentRow;
// Playback runs.
extern bool g_playEnable;
// Set: the row under way is done and the next tick loads the next one; clear: a fade runs.
extern int g_advanceRow;
// The 512 channel levels, channel index i at i.
extern uchar g_dimValue[512];
// The 512-byte frame handed to the interface; slot k is DMX channel k + 1.
extern uchar g_dmxFrame[512];

#endif
