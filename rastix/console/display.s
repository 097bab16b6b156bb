| Display cartridge for an emulated Jaguar: brings the video up without a boot ROM, loads the
| palette entries the scene asks for and shows the scene's bitmap objects, copying the object
| list into RAM afresh every field (the object processor rewrites it as it draws).
|
| The scene comes from "scene.s", written for each cartridge: it must define
|   scene_vmode:    .short  VMODE value (written last: it starts the picture)
|   scene_bg:       .short  background colour in the screen's mode
|   scene_border:   .short  border colour (BORD1; BORD2 is cleared)
|   scene_palettes: entries of  .long ADDRESS | .short FIRST, COUNT  ended by  .long 0
|   scene_longs:    .short  number of long words in the object list
|   scene_objects:  the object list (bitmap and stop macros below), linked for OBJECT_RAM
| and the pictures themselves, normally .org'd to phrase-aligned cartridge addresses and
| pulled in with .incbin.
|
| Assemble with: m68k-linux-gnu-as -m68000 --register-prefix-optional

        .equ    OBJECT_RAM, 0x4000      | where the object processor reads the list
        .equ    STACK_TOP, 0x1FFFF0
        .equ    LAST_LINE, 520          | past VDE: the list may be copied
        .equ    CLUT, 0xF00400

| Bitmap object (two phrases, each written as two longs, most significant first).
| data: phrase-aligned address of the pixels; link: address of the next object;
| height: lines; ypos: half-lines; depth: 0..5 (1 to 24 bits); phrases: DWIDTH and IWIDTH;
| index: palette entry / 2 for 1 to 4 bits per pixel; flags: REFLECT 1, RMW 2, TRANS 4;
| xpos: pixels. Fields are joined with '+' (they never overlap): '|' starts a comment here.
        .macro  bitmap data, link, height, ypos, depth, phrases, index, flags, xpos
        .long   ((\data) << 8) + (((\link) >> 11) & 0x7FF)
        .long   ((((\link) >> 3) & 0xFF) << 24) + (((\height) & 0x3FF) << 14) + (((\ypos) & 0x7FF) << 3)
        .long   (((\flags) & 7) << 13) + (((\index) & 0x7F) << 6) + (((\phrases) >> 4) & 0x3F)
        .long   (((\phrases) & 15) << 28) + (((\phrases) & 0x3FF) << 18) + (1 << 15) + (((\depth) & 7) << 12) + ((\xpos) & 0xFFF)
        .endm

        .macro  stop
        .long   0, 4
        .endm

        .text
        .globl  start

| Cartridge header: $FF up to $3FF, then the long $04040404 and the entry address.
header:
        .fill   0x400, 1, 0xFF
        .long   0x04040404
        .long   start
        .long   0
        .balign 16

start:
        move.w  #0x2700, sr
        lea     STACK_TOP, sp

        | Nothing set up the chips: GPU and DSP big-endian, no interrupts, memory as
        | the console's own start-up leaves it.
        move.l  #0x00070007, 0xF0210C   | G_END
        move.l  #0x00070007, 0xF1A10C   | D_END
        move.w  #0xFFFF, 0xF0004E       | VI: no video interrupt
        move.w  #0x1F00, 0xF000E0       | INT1
        move.w  #0, 0xF000E2            | INT2
        move.w  #0x1861, 0xF00000       | MEMCON1
        move.w  #0x35CC, 0xF00002       | MEMCON2

        | NTSC, not interlaced.
        lea     video_timing, a0
1:      move.l  (a0)+, d0
        beq.s   2f
        move.l  d0, a1
        move.w  (a0)+, (a1)
        bra.s   1b
2:
        move.w  scene_border, 0xF0002A  | BORD1
        move.w  #0, 0xF0002C            | BORD2
        move.w  scene_bg, 0xF00058      | BG

        | Palette blocks: source address, first entry, number of entries.
        lea     scene_palettes, a0
3:      move.l  (a0)+, d0
        beq.s   5f
        move.l  d0, a1
        lea     CLUT, a2
        move.w  (a0)+, d1
        add.w   d1, d1
        adda.w  d1, a2
        move.w  (a0)+, d1
        subq.w  #1, d1
4:      move.w  (a1)+, (a2)+
        dbra    d1, 4b
        bra.s   3b
5:
        bsr.s   copy_list
        move.l  #OBJECT_RAM, d0
        swap    d0                      | OLP takes the address word-swapped
        move.l  d0, 0xF00020
        move.w  scene_vmode, 0xF00028

| Each field: wait for the lines after the picture, restore the list, wait for the next field.
field:
        move.w  0xF00006, d0
        and.w   #0x7FF, d0              | bit 11 toggles every field
        cmp.w   #LAST_LINE, d0
        blo.s   field
        bsr.s   copy_list
6:      move.w  0xF00006, d0
        and.w   #0x7FF, d0
        cmp.w   #LAST_LINE, d0
        bhs.s   6b
        bra.s   field

copy_list:
        lea     scene_objects, a0
        lea     OBJECT_RAM, a1
        move.w  scene_longs, d1
        subq.w  #1, d1
7:      move.l  (a0)+, (a1)+
        dbra    d1, 7b
        rts

| Register address (long), value (word); ended by 0.
video_timing:
        .long   0xF0002E
        .short  844                     | HP
        .long   0xF00030
        .short  1713                    | HBB
        .long   0xF00032
        .short  125                     | HBE
        .long   0xF00034
        .short  1741                    | HS
        .long   0xF00036
        .short  651                     | HVS
        .long   0xF00054
        .short  784                     | HEQ
        .long   0xF00038
        .short  203                     | HDB1
        .long   0xF0003A
        .short  203                     | HDB2
        .long   0xF0003C
        .short  1665                    | HDE
        .long   0xF0003E
        .short  523                     | VP: odd, so not interlaced
        .long   0xF00040
        .short  500                     | VBB
        .long   0xF00042
        .short  24                      | VBE
        .long   0xF00044
        .short  517                     | VS
        .long   0xF0004A
        .short  511                     | VEB
        .long   0xF0004C
        .short  6                       | VEE
        .long   0xF00046
        .short  38                      | VDB
        .long   0xF00048
        .short  518                     | VDE
        .long   0

        .balign 16
        .include "scene.s"
