#ifndef DMXBOX_H
#define DMXBOX_H

#ifdef __cplusplus
extern "C" {
#endif

/* Hands one 512-byte DMX512 frame to the interface. Returns at once; the result
 * is informational only and the program ignores it. */
int DMXSendBox(int device, unsigned char *frame);

#ifdef __cplusplus
}
#endif

#endif
