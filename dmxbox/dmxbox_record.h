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

#ifdef __cplusplus
}
#endif

#endif
