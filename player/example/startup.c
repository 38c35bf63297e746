/* Start-up for the LM3S6965 without a C library: vector table, .data and .bss, and the
 * two memory functions the compiler may call for loops over arrays. */
#include <stddef.h>
#include <stdint.h>

extern uint32_t textEnd, dataStart, dataEnd, bssStart, bssEnd, stackTop;
extern int main(void);
void sysTickHandler(void);

void resetHandler(void)
{
    const uint32_t *from = &textEnd;
    uint32_t *to = &dataStart;
    while (to < &dataEnd)
        *to++ = *from++;
    for (to = &bssStart; to < &bssEnd; ++to)
        *to = 0;
    main();
    for (;;)
        ;
}

static void hang(void)
{
    for (;;)
        ;
}

__attribute__((section(".vectors"), used)) static void (*const vectors[16])(void) = {
    (void (*)(void))(uintptr_t)&stackTop,
    resetHandler,
    hang, /* NMI */
    hang, /* hard fault */
    hang,
    hang,
    hang,
    0,
    0,
    0,
    0,
    hang, /* SVC */
    hang,
    0,
    hang, /* PendSV */
    sysTickHandler,
};

void *memset(void *s, int c, size_t n)
{
    unsigned char *p = s;
    while (n--)
        *p++ = (unsigned char)c;
    return s;
}

void *memcpy(void *d, const void *s, size_t n)
{
    unsigned char *p = d;
    const unsigned char *q = s;
    while (n--)
        *p++ = *q++;
    return d;
}
