//QX,DMX512,version:1
#include "dmx.h"
const unsigned char show_enChange[maxSendCh] = {//3
    1,0,1,
};
const unsigned short show_size = 4;
const runDmxData show_Array[4] =//all count 10 between 4
{
    //0-0
    {   1,   3, 255,   0,12345,},
    //4-1
    {  10,   0,   1,   2,   3,},
    //8-2
    {  10,   0,   1,   2,   3},
    //9-3 add end
    {  10,   0,   1,   2,   3,},
};

