/* The whole cartridge is one section, placed where the console maps the cartridge port. */
ENTRY(start)
SECTIONS
{
    . = 0x800000;
    .text : { *(.text) *(.data) }
}
