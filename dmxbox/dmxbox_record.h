#ifndef DMXBOX_RECORD_H
#define DMXBOX_RECORD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Read-back API of the recording implementation: what the interface received. */
const unsigned char *dmxbox_lastFrame(void);
unsigned long dmxbox_callCount(void);
int dmxbox_lastDevice(void);
void dmxbox_reset(void);
/* What DMXBoxState(0) answers from now on (DMXBOX_STATE_CONNECTED after a reset), and how
 * often it was asked. */
void dmxbox_setState(int state);
unsigned long dmxbox_stateCalls(void);

#ifdef __cplusplus
}
#endif

#endif
