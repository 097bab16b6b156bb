#include "cli/helptext.h"

#include "files/pictureformats.h"

#include <string>

namespace rastix {

const char* versionText() {
    return "rastix 0.1.5 (Glyphmill)\n";
}

namespace {

// "Pictures: BMP, GIF, ... and TGA.", from the list Glyphmill's preview goes by too.
std::string picturesLine() {
    std::string line = "Pictures: ";
    for (std::size_t i = 0; i < kPictureFormats.size(); ++i) {
        if (i > 0)
            line += i + 1 == kPictureFormats.size() ? " and " : ", ";
        line += kPictureFormats[i].name;
    }
    line += ".\n";
    return line;
}

const char* const kUsage = R"(Usage: rastix [OPTION | PICTURE]...

Converts pictures into graphics data for the Atari Jaguar: RGB16 or CRY16 true colour, or a
pixel map with a colour look-up table (CLUT) in either model, as assembly source or binary.

Arguments are read left to right: an option changes the settings for every picture named
after it, until another option changes them again. Example:
  rastix --target-dir tmp logo.bmp -cry photo.jpg -rgb --binary 1.gif 2.gif
writes tmp/logo.s (RGB16), tmp/photo.s (CRY16), tmp/1.rgb and tmp/2.rgb (RGB16 binary).
The whole command line is checked before anything is converted: an option after the last
picture applies to no picture and is an error, and so are two pictures that would write the
same output file (d1/a.png and d2/a.png, or a.png and a.jpg) or an output that would replace
one of the pictures, or two assembly files that would define the same global name
(my-logo.png and my_logo.png both give my_logo; a map ship.png and ship_clut.png both
give ship_clut).

)";

const char* const kAfterPictures =
    R"(All but TGA, and any other format, are read as far as the installed Qt image readers decode
them. TGA (named .tga, or with a TGA 2.0 footer) is read by rastix itself: uncompressed or
run-length encoded; colour-mapped, grey, or true colour of 15, 16, 24 or 32 bits; any
origin. An animated GIF, WebP or PNG (APNG) is read as its frames composed as a browser
shows them (disposal to the background leaves transparency) and converted as a sheet's
frames are (see --frames, which it does not take; --cut cuts every frame alike), with the
table NAME_delays of each frame's time in ms; a GIF delay under 20 ms counts as 100 ms, as
browsers show it. Fully transparent pixels stay transparent. A picture whose decoder
reports missing or corrupt data (a file cut short, a bad checksum) is not converted.
Pictures are converted in parallel; outputs and messages keep the order of the command line.

Colour model
  -rgb              RGB16 words (default)
  -cry              CRY16 words
Output format
  --assembly, --ascii      assembly source, PICTURE.s (default)
  --syntax madmac          assembly for MADMAC-style assemblers (default): ; comments, $ hex,
                           .phrase, dc.w / dc.b
  --syntax gas             assembly for GNU as (m68k): | comments, 0x hex, .balign 8,
                           .short / .byte
  --binary, --no-ascii     binary: PICTURE.rgb or PICTURE.cry, or PICTURE.map + PICTURE.clut
  --c                      C source: PICTURE.c with the data, PICTURE.h with its constants
                           and declarations (see C files); --assembly or --binary switch back
  --object-header          the files also hold a ready bitmap object for the picture:
                           NAME_object in the assembly or C source, PICTURE.obj (its 16
                           bytes) with --binary (see Object)
  --no-object-header       no object (default)
  --export-equates         the assembly's equates (NAME_width, ...) are global, for other
                           modules: written NAME_width == 16 in Madmac syntax, with a
                           .globl NAME_width line before each in GNU as syntax
  --no-export-equates      equates local to their file, NAME_width = 16 (default)
Colour mode
  --no-clut         true colour: one 16-bit word per pixel (default)
  --clut            pixel map and palette (CLUT) of at most 256 colours in the current model;
                    pictures with more colours are reduced (variance cut refined by k-means;
                    colours along one line, such as a gradient, cut into the bands that look
                    closest; among the words of the model, every entry a different word)
  --colours N       at most N palette entries, 2 to 256, the transparent one included
                    (default 256; only with --clut); a picture with no more colours keeps
                    them exactly
  --opt-clut        map with the fewest of 1, 2, 4 or 8 bits per pixel that hold the palette
                    (only with --clut); a reduced map takes the fewest bits for N entries
                    (--colours 16: 4 bits, 4: 2 bits, 2: 1 bit)
  --no-opt-clut     map with 8 bits per pixel (default; only with --clut)
Dithering (true colour, and maps whose colours had to be reduced; not with --glass)
  --dither none     every pixel takes its nearest colour (default)
  --dither ordered  a fixed 8x8 threshold pattern: a still part of an animation keeps the
                    same pixels from frame to frame
  --dither diffusion
                    error diffusion (serpentine Floyd-Steinberg): the finest gradients, but
                    a change anywhere may ripple through the rest of the picture
  Transparent pixels and row padding are never dithered; the same picture always gives the
  same bytes.
Palettes for a game (only with --clut)
  --shared-clut NAME
                    every colour map after it, until --no-shared-clut, shares one palette
                    chosen from all of them together (each colour weighed by how often it
                    occurs across the set), of at most --colours entries; with --opt-clut
                    the fewest bits that hold it, the same for every map of the set. Written
                    once into the target folder of the set's first map: NAME.clut, or NAME.s
                    with the global label NAME_clut and the equate NAME_colours; the maps'
                    own files then hold no palette. A set whose colours all fit keeps them
                    exactly. Index 0 is kept transparent when any map of the set has
                    transparent pixels or padded rows. A picture of the set that cannot be
                    read (or whose output exists) is left out and named: the others are
                    written with the palette of the rest, so one bad file does not hold up
                    a build's other graphics, and every map written matches NAME. Once it is
                    mended the set must be converted again: the palette then changes. An
                    existing NAME file (without --overwrite) keeps the whole set unwritten
  --no-shared-clut  each map gets its own palette again (default)
  --palette FILE    map onto the palette in FILE instead of choosing one, and write that
                    palette, unchanged: a .clut rastix wrote (words in the current model), a
                    GIMP .gpl, a JASC-PAL .pal, an Adobe .act, or an indexed PNG or GIF (its
                    palette); at most 256 colours. Dithering applies as to a reduced map.
                    With --opt-clut the fewest bits that address every entry
  --no-palette      choose the palette again (default)
  --bank N          a map of 1, 2 or 4 bits (the fewest that hold at most 16 colours) for
                    bank N of the CLUT: entries N x 2, N x 4 or N x 16 onwards by its depth
                    (N from 0 to 127, 63 or 15). Assembly gets the equate NAME_index, the
                    object's INDEX field for that bank (its first entry / 2); a binary
                    PICTURE.clut holds the bank's entries; the line for the map names INDEX
  --no-bank         no bank (default)
  --banks NAME      every following map (1, 2 or 4 bits, at most 16 colours) gets a bank in
                    one 256-entry CLUT NAME, in command-line order; maps whose colours fit
                    one bank together share it. NAME.clut (or NAME.s) holds the whole table,
                    ready to copy to the CLUT; each map's NAME_index equate and its line say
                    where it landed. A map finding no bank left fails, named, the others are
                    still converted
  --no-banks        no more banks (default)
  --reserve A-B     palette entries A to B (0 to 255, of the CLUT) are never chosen or used:
                    a font's colours, a fade; may be given again for more. A written
                    palette holds what a --palette gave there, zeros otherwise. Counted in
                    --colours: --reserve 0-15 --colours 32 leaves entries 16 to 31
  --no-reserve      no entries reserved (default)
  --palette-out FORMAT
                    beside every palette written, a copy for paint programs: gpl (GIMP),
                    pal (JASC-PAL) or act (Adobe), named after the palette (PICTURE.gpl,
                    NAME.gpl), each entry the colour the console shows; none (default)
  Transparency: an object with its TRANS flag does not draw the pixels of value 0, whatever
  its INDEX field (seen on the emulated console): in a bank the transparent entry is the
  bank's first (CLUT entry INDEX x 2), not CLUT entry 0, and it is kept for transparent
  pixels and padding in every bank, and in a shared palette, that needs it. A map with
  neither (an opaque picture whose rows fill whole phrases) uses value 0 for a colour, as
  without banks: draw its object without TRANS.
Words
  --16-bits         use all 16 bits (default)
  --15-bits         keep bit 0 for the console's mixed mode: RGB words get green in bits 5-1
                    and bit 0 set; CRY words keep bit 0 clear (7-bit intensity)
CRY encoding (only with -cry)
  --normal          plain CRY values (default)
  --glass           relative CRY values for read-modify-write (RMW) objects
  --gray            output intensities only (relative Y only with --glass; neutral colour
                    byte $88 with --normal)
  --no-gray         output colour again
  --positive        with --glass: keep only the deltas above 0, zero the others
  --negative        with --glass: keep only the deltas below 0, zero the others
  --both            with --glass: keep all deltas (default)
Transforms
  --cut X,Y:WxH     take the WxH rectangle at X,Y of the source picture (X, Y >= 0,
                    W, H >= 1); it must lie inside the picture
  --no-cut          take the whole picture again (default)
  --frames WxH      the picture (after the cut) is a sprite sheet of WxH frames, read left
                    to right, top to bottom; each is converted (and turned) on its own and
                    written one after another, frame k at k x NAME_framebytes, with the
                    table NAME_frametable of each one's offset; frames with the same bytes
                    are stored once; a map's frames share one palette; a picture that is
                    not whole frames fails
  --frames N        the same, N frames side by side
  --no-frames       the picture is one frame again (default)
  --mirror-frames   a frame that is a stored frame mirrored left to right is not stored:
                    its slot points at that frame and the table NAME_reflect (a long a
                    frame, 1 or 0) says to show it with REFLECT, at XPOS + width - 1
  --no-mirror-frames  every frame that differs is stored (default)
  --drop-empty-frames  fully transparent frames all point at one empty frame stored
                    after the others, at NAME_emptyframe (-1 if none), so a game can
                    skip showing them
  --no-drop-empty-frames  an empty frame is stored like any other (default)
  --rotate DEGREES  then turn clockwise by a whole number of degrees (negative: counter-
                    clockwise); multiples of 90 are exact, other angles take the nearest
                    pixel on a canvas grown to hold the result, corners transparent;
                    that canvas may take 1024 MB, or four times the picture if more
Files
  --target-dir DIR  write into DIR, which must exist (default: the current folder)
  --overwrite       replace existing output files
  --no-overwrite    refuse to replace existing output files (default)
  --help, --version
  --                every later argument is a picture, even if it begins with '-'
Builds
  --metadata        beside the outputs, PICTURE.json for build scripts and a game's loader:
                    the picture as named, its files, the object's fields and the sizes
                    (the numbers of the assembly's equates), the set's palette file and the
                    warnings printed for it; written with the outputs, or not at all. A
                    byte of a name that is not UTF-8 is given as \u00XX of that byte
  --no-metadata     no PICTURE.json (default)
  --show-png        beside the outputs, PICTURE.shown.png: the words written, shown as the
                    console shows them (RGB16, CRY16 by the console's CRY table, with
                    --15-bits the mixed mode; a map through its palette words at its bank and
                    INDEX; --glass added to the line buffer $8880), not the source picture.
                    Pixels not drawn (TRANS) show grey 128,128,128; no row padding; a sheet's
                    frames in the sheet's columns, each read from its own place in the data
  --no-show-png     no PICTURE.shown.png (default)
  --update          convert a picture only when one of its outputs is missing or older than
                    the picture, its --palette file or an @FILE read; a --shared-clut or
                    --banks set is converted whole when any of it is. Outdated outputs are
                    replaced only with --overwrite; a picture left alone prints nothing
  --no-update       convert every picture (default)
  --depfile FILE    after the run, make rules in FILE: each picture's outputs depend on the
                    picture, its --palette file and every @FILE read (a set's files on all
                    of its pictures), names escaped for make; a picture that failed keeps
                    its rule, so that make tries it again. One file for the whole run:
                    allowed anywhere on the line, the last one counts
  --no-depfile      no make rules (default)
  @FILE             the arguments in FILE, one a line, as they are (no quoting): blanks
                    around a line and a trailing CR are dropped, empty lines and lines
                    starting with # skipped. Names in it are as on the command line; a line
                    @OTHER reads OTHER, up to 8 files deep, and a file that reads itself is
                    refused. @@NAME is the argument @NAME; after -- and as an option's value
                    an argument is never a file to read

Outputs are named after the picture without its extension, in the target folder, and are
written through a temporary file that is renamed into place. A map and its palette are one
result: both are written, or neither (a file they would have replaced is kept).

Data layout
  Words are big-endian. Every row is padded to a whole phrase (8 bytes) with transparent
  pixels: word $0000 in true colour, index 0 in a map.
  RGB16: red in bits 15-11, blue in 10-6, green in 5-0.
  CRY16: colour byte in bits 15-8, intensity Y = max(R, G, B) in bits 7-0; the colour byte
  is the CRY table entry nearest to the colour brought to full intensity. Black and greys
  use the neutral colour byte $88, so opaque black is $8800, never the transparent $0000.
  In RGB16 opaque black is $0000, the same word as a transparent pixel, so in a picture that
  has transparent pixels it is written as $0001 instead (so is any colour that rounds to
  $0000, and a 15-bit CRY colour too dark for its intensity becomes $8800): a sprite's black
  outline stays visible. A picture without transparent pixels keeps $0000.
  Maps: pixels packed most significant bits first; index 0 is transparent (palette word
  $0000) when the picture has transparent pixels or its rows need padding. The palette is
  a list of 16-bit words in the current model.
Glass packing (relative CRY): each pixel holds signed deltas that the console adds to the
  line buffer: high colour nibble delta in bits 15-12, low colour nibble delta in bits
  11-8 (each the nibble of the CRY colour byte minus 8, so a grey gives 0), and
  dY = Y - 128 in bits 7-0, all in two's complement.
Assembly files: a comment header, equates NAME_width, NAME_height, NAME_phrases,
  NAME_depth (object DEPTH field), NAME_bpp, NAME_size (bytes of pixel data, padding
  included; and NAME_colours for maps), the object's fields NAME_dwidth, NAME_iwidth,
  NAME_pitch and NAME_index (0 but for a bank), then .68000 (Madmac syntax only: the file
  may be included from .gpu or .dsp code), .data, phrase alignment, a global label NAME and
  the data in hex, ending at the global label NAME_end (then NAME_clut to NAME_clut_end for
  the palette, and NAME_object to NAME_object_end for the object). Names given by the user
  are shown in comments with control characters escaped (\n, \x1b), and a long path loses
  its middle ("...") so that no line reaches 1024 characters.
  NAME is the picture's base name with every ASCII character other than a letter or digit
  turned into '_', a Latin letter with a diacritic into its ASCII letter (e-acute gives e,
  the sharp s ss, o-stroke o), any other character into uXXXX, its code point in hex (the two
  Chinese characters U+4E2D U+56FD give u4E2Du56FD), and a byte that is not UTF-8 into xHH; a
  '_' is put in front when it would be empty, start with a digit or be a name the 68000
  assemblers reserve, in any case: the registers d0-d7, a0-a7, sp, pc, sr, ccr, usp, ssp,
  isp, msp, vbr, sfc, dfc, cacr, caar, tc, tt0, tt1, itt0, itt1, dtt0, dtt1, mmusr, psr, urp,
  srp, crp, pcsr, iacr0, iacr1, dacr0, dacr1, ic40, dc40, bc40, fp, fp0-fp7, fpcr, fpsr,
  fpiar, zpc, za0-za7, zd0-zd7 and the keywords equ, set, reg, equr, regequ, ccdef:
  "my logo-2.png" gives my_logo_2, "1up.gif" gives _1up, "d0.png" gives _d0. A label that
  would pass 800 characters keeps its start and ends in '_' and 8 hex digits of the name's
  hash. Both syntaxes hold the same bytes as --binary. Example, one phrase:
    --syntax madmac                      --syntax gas
    ; 4 x 1 pixels                       | 4 x 1 pixels
            .68000
            .data                                .data
            .phrase                              .balign 8
            .globl  logo                         .globl  logo
    logo:                                logo:
            dc.w    $F800,$07C0,$003F,$0000      .short  0xF800,0x07C0,0x003F,0x0000
Object (--object-header): a bitmap object of two phrases, 16-byte aligned (.dphrase, or
  .balign 16 for GNU as), written as four big-endian longs (dc.l / .long): HEIGHT, DEPTH,
  PITCH, DWIDTH, IWIDTH, INDEX and TRANS filled in, and 0 for what the game decides: DATA
  (the data's address / 8, bits 63-43 of phrase 0), LINK (the next object's address / 8,
  bits 42-24), YPOS (half-lines, bits 13-3) and XPOS (bits 11-0 of phrase 1). TRANS is set
  for a map whose index 0 is transparent, and for true colour where no opaque pixel is
  $0000 (a picture with transparent pixels, or without black): then transparent pixels and
  padding are not drawn; an opaque RGB16 picture with black draws its padding black. A
  --glass picture also needs RMW (bit 46 of phrase 1) set.
C files (--c): PICTURE.h has an include guard, <stdint.h>, a #define for each equate of the
  assembly (NAME_width ... NAME_index, NAME_colours) and the declarations of const arrays:
  NAME (uint16_t words for true colour, uint8_t bytes for a map), NAME_clut (uint16_t, a
  map's own palette), NAME_object (four uint32_t, with --object-header). PICTURE.c includes
  it and holds the arrays, aligned to a phrase (the object to 16 bytes) for gcc and clang,
  C11 or C++11 (another compiler stops with #error); a 68000 compiler stores them
  big-endian, the same bytes as --binary. A set's palette (--shared-clut, --banks) is
  NAME.c and NAME.h with NAME_clut and NAME_colours. NAME is the label of the assembly,
  with a '_' in front of a C keyword or a type of <stdint.h> too.
Sizes: the console's objects are at most 1023 lines high and 1023 phrases wide; a larger
  result is still written, with a warning. A picture of any size converts when the memory it
  needs is available; when not, one line says how much it needs, before any is taken.

Messages: one line on stdout for each file written; one line on stderr for each picture that
fails, naming it and the cause (the decoders' own words folded in), or that gets a warning.
Exit status: 0 all converted (warnings included); 1 some picture failed (the others are still
converted); 2 the command line is faulty (one line says why; nothing is written).
)";

} // namespace

const char* helpText() {
    static const std::string text = std::string(kUsage) + picturesLine() + kAfterPictures;
    return text.c_str();
}

} // namespace rastix
