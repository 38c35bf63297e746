/* Texas Instruments LM3S6965 (Cortex-M3): 256 KiB flash from 0, 64 KiB RAM. The exported
 * arrays are const and stay in flash (.rodata); only the player's state takes RAM. */
MEMORY
{
    FLASH (rx) : ORIGIN = 0x00000000, LENGTH = 256K
    RAM (rwx) : ORIGIN = 0x20000000, LENGTH = 64K
}

ENTRY(resetHandler)

SECTIONS
{
    .text :
    {
        KEEP(*(.vectors))
        *(.text*)
        *(.rodata*)
        . = ALIGN(4);
        textEnd = .;
    } > FLASH

    .data : AT(textEnd)
    {
        dataStart = .;
        *(.data*)
        . = ALIGN(4);
        dataEnd = .;
    } > RAM

    .bss (NOLOAD) :
    {
        bssStart = .;
        *(.bss*)
        *(COMMON)
        . = ALIGN(4);
        bssEnd = .;
    } > RAM

    stackTop = ORIGIN(RAM) + LENGTH(RAM);
}
