#include "playstate.h"

int g_currentRow = -1;
bool g_playEnable = false;
int g_advanceRow = 1;
uchar g_dimValue[512] = {};
uchar g_dmxFrame[512] = {};
