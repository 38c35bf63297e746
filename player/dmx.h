/* Reference header for the embedded player: what an exported step program (.c) is compiled
 * against. An export declares <ID>_enChange, <ID>_size and <ID>_Array. */
#ifndef DMX_H
#define DMX_H

/* Length of the channel flag array; an export never holds more channels than this. */
#define maxSendCh 512

/* One step: element 0 is the hold in tenths of a second, element 1 the fade in units of three
 * 30 ms ticks, then the levels of the sent channels packed in patch order, unused ones 0.
 * A flat array rather than a struct, so that the exported brace lists need no inner braces. */
typedef unsigned short runDmxData[2 + maxSendCh];

#define runDmxSpeed(record) ((record)[0])
#define runDmxFade(record) ((record)[1])
#define runDmxValue(record, i) ((record)[2 + (i)])

#endif
