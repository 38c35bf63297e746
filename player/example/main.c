/* Example firmware for the LM3S6965 (Cortex-M3), as QEMU emulates it: plays one exported
 * show, one tick every 30 ms from SysTick, and writes each 512-slot frame to UART0. A DMX
 * output would send the same bytes at 250 kbaud after a break; the UART shows them as
 * they are. Build it with the Makefile next to this file. */
#include "dmxplayer.h"

#include <stdint.h>

/* The export's identifier: lasershow.c declares lasershow_Array. */
#ifndef SHOW
#define SHOW lasershow
#endif
/* Frames to send before the firmware stops the emulator; 0 plays for ever. */
#ifndef FRAMES
#define FRAMES 0
#endif
/* The fixtures switched off for the export (bit k for fixture k). */
#ifndef FIXTURES_OFF
#define FIXTURES_OFF 0
#endif
/* Core clock the SysTick counts; the LM3S6965 boots on its 12 MHz internal oscillator. */
#ifndef CORE_HZ
#define CORE_HZ 12000000u
#endif

#define JOIN(a, b) a##b
#define NAMED(a, b) JOIN(a, b)

extern const unsigned char NAMED(SHOW, _enChange)[maxSendCh];
extern const unsigned short NAMED(SHOW, _size);
extern const runDmxData NAMED(SHOW, _Array)[];

#define REG(address) (*(volatile uint32_t *)(address))
#define SYSCTL_RCGC1 REG(0x400FE104u)
#define UART0_DR REG(0x4000C000u)
#define UART0_FR REG(0x4000C018u)
#define UART0_IBRD REG(0x4000C024u)
#define UART0_FBRD REG(0x4000C028u)
#define UART0_LCRH REG(0x4000C02Cu)
#define UART0_CTL REG(0x4000C030u)
#define UART_FR_TXFF (1u << 5)
#define SYST_CSR REG(0xE000E010u)
#define SYST_RVR REG(0xE000E014u)
#define SYST_CVR REG(0xE000E018u)

static dmxPlayer player;
static volatile uint32_t ticksDue;

void sysTickHandler(void)
{
    ++ticksDue;
}

static void uartInit(void)
{
    SYSCTL_RCGC1 |= 1u;
    UART0_CTL = 0;
    /* 115200 baud at 12 MHz: 12e6 / (16 * 115200) = 6.5104 */
    UART0_IBRD = 6;
    UART0_FBRD = 33;
    UART0_LCRH = 0x70u; /* 8 bits, FIFO on */
    UART0_CTL = 0x301u; /* enabled, transmit and receive */
}

static void sendFrame(const unsigned char *frame, unsigned length, void *context)
{
    unsigned i;
    (void)context;
    for (i = 0; i < length; ++i) {
        while (UART0_FR & UART_FR_TXFF)
            ;
        UART0_DR = frame[i];
    }
}

/* Semihosting's exit call, which QEMU turns into its own exit when run with -semihosting. */
static void stopEmulator(void)
{
    register uint32_t reason __asm__("r0") = 0x18u;
    register uint32_t code __asm__("r1") = 0x20026u;
    __asm__ volatile("bkpt 0xAB" : : "r"(reason), "r"(code) : "memory");
}

int main(void)
{
    uint32_t sent = 0;
    uartInit();
    dmxPlayerInit(&player, NAMED(SHOW, _Array), NAMED(SHOW, _size), NAMED(SHOW, _enChange),
                  sendFrame, 0);
    dmxPlayerSetFixturesOff(&player, FIXTURES_OFF);
    SYST_RVR = CORE_HZ / 1000u * 30u - 1u;
    SYST_CVR = 0;
    SYST_CSR = 7u; /* core clock, interrupt, on */
    for (;;) {
        while (ticksDue == 0)
            __asm__ volatile("wfi");
        __asm__ volatile("cpsid i");
        --ticksDue;
        __asm__ volatile("cpsie i");
        /* Late ticks are caught up one by one, so the show keeps its pace. */
        dmxPlayerTick(&player);
        if (FRAMES != 0 && ++sent == FRAMES)
            stopEmulator();
    }
}
