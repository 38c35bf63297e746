#ifndef DMXBOX_RECORD_H
#define DMXBOX_RECORD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Read-back API of the recording implementation: what the interface received. Any thread:
 * these calls and the sends share one mutex, but dmxbox_lastFrame() returns the buffer
 * itself, to be read while no frame is being sent. */
const unsigned char *dmxbox_lastFrame(void);
unsigned long dmxbox_callCount(void);
int dmxbox_lastDevice(void);
void dmxbox_reset(void);
/* What DMXBoxState(0) answers from now on (DMXBOX_STATE_CONNECTED after a reset), and how
 * often it was asked. */
void dmxbox_setState(int state);
unsigned long dmxbox_stateCalls(void);
/* Called with every frame, on the caller's thread, one call at a time; null to stop. */
typedef void (*dmxbox_frameHook)(const unsigned char *frame, void *context);
void dmxbox_setFrameHook(dmxbox_frameHook hook, void *context);

#ifdef __cplusplus
}
#endif

#endif
