#ifndef THREADCOUNT_H
#define THREADCOUNT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Threads this process has started so far. */
int threadcount_started(void);

#ifdef __cplusplus
}
#endif

#endif
