#ifndef DMXBOX_H
#define DMXBOX_H

#ifdef __cplusplus
extern "C" {
#endif

/* Hands one 512-byte DMX512 frame to the interface. Returns at once; the result
 * is informational only and the program ignores it. */
int DMXSendBox(int device, unsigned char *frame);

/* Stops the output at exit: hands the last frame over once more and waits (at most half a
 * second) until the interface confirms it; frames sent afterwards are dropped. Call it once,
 * after the last DMXSendBox and from the thread that made that call, before main returns.
 * Returns 1 when the last frame was confirmed, 0 otherwise (informational). */
int DMXCloseBox(void);

#ifdef __cplusplus
}
#endif

#endif
