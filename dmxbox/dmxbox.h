#ifndef DMXBOX_H
#define DMXBOX_H

#ifdef __cplusplus
extern "C" {
#endif

/* Hands one 512-byte DMX512 frame to the interface. Returns at once; the result
 * is informational only and the program ignores it. From one thread at a time (the
 * program's output thread). */
int DMXSendBox(int device, unsigned char *frame);

/* What becomes of the frames of a device, as the library last found out. */
enum dmxbox_state {
    DMXBOX_STATE_UNKNOWN = 0,   /* not found out yet */
    DMXBOX_STATE_NO_DAEMON = 1, /* nothing takes the frames; they are dropped */
    DMXBOX_STATE_CONNECTED = 2, /* frames reach an output */
    DMXBOX_STATE_NO_PORT = 3,   /* frames are taken but the universe has no output port */
    DMXBOX_STATE_STALLED = 4    /* the receiver does not answer; frames pile up or are dropped */
};

/* Returns a dmxbox_state at once and never waits for the interface; it may be called from
 * any thread, also while another thread sends. Each call also asks the library to find
 * out again (at most about twice a second), so calling it once a second keeps it current. */
int DMXBoxState(int device);

/* Stops the output at exit: hands the last frame over once more and waits (at most half a
 * second) until the interface confirms it; frames sent afterwards are dropped. Call it before
 * main returns, once the last frame that must arrive has been sent. It may be called from any
 * thread, not only the one that sends: a DMXSendBox running meanwhile on another thread is
 * finished first. Only the first call does anything. Returns 1 when the last frame was
 * confirmed, 0 otherwise (informational). */
int DMXCloseBox(void);

#ifdef __cplusplus
}
#endif

#endif
