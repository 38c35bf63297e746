#ifndef DMXBOX_TRACE_H
#define DMXBOX_TRACE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Opt-in record of when frames reached the library, for measuring frame timing. Off
 * until dmxbox_traceStart() is called; when off a send costs one test of a null pointer.
 * No locks: dmxbox_traceFrame() runs on the sending thread, the other calls only while no
 * frame is being sent. */
void dmxbox_traceStart(unsigned long capacity);
void dmxbox_traceStop(void);
/* Monotonic nanosecond timestamps of the frames recorded since the start, oldest first. */
unsigned long dmxbox_traceCount(void);
const long long *dmxbox_traceTimes(void);

/* Called by DMXSendBox on entry. */
void dmxbox_traceFrame(void);

#ifdef __cplusplus
}
#endif

#endif
