#include "dmx.h"
const unsigned char e_enChange[maxSendCh] = {//0
    0
};
const unsigned short e_size = 1;
const runDmxData e_Array[1] =//all count 0 between 1
{
    {0}};
