/* Counts the threads a program starts, whoever starts them: linked into a program, this
 * definition comes before the C library's in every lookup. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdatomic.h>

#include "threadcount.h"

static atomic_int s_started;

int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*start)(void *), void *arg)
{
    typedef int (*createFunction)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
    const createFunction real = (createFunction)dlsym(RTLD_NEXT, "pthread_create");
    atomic_fetch_add(&s_started, 1);
    return real(thread, attr, start, arg);
}

int threadcount_started(void)
{
    return atomic_load(&s_started);
}
