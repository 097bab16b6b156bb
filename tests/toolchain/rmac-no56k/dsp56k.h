//
// The DSP56001 part of rmac, left out: this build assembles 68000, GPU and
// DSP (Jerry) code and refuses DSP56001 code with one clear error. It gives
// the rest of rmac the names it shares with the DSP56001 assembler.
//

#ifndef __DSP56K_H__
#define __DSP56K_H__

#include "rmac.h"
#include "sect.h"

// Memory spaces of the DSP56001 an .org can name
enum { ORG_P, ORG_X, ORG_Y, ORG_L };

// The DSP56001 addresses 64K words in each memory space
#define DSP_MAX_RAM 0xFFFF

// One .org'd stretch of DSP56001 code
typedef struct {
    uint8_t* start;
    uint8_t* end;
    uint32_t orgadr;
    int memtype;
    CHUNK* chunk;
} DSP_ORG;

// Only the first entry is ever used here: the mode that adds more is refused
#define DSP_ORG_COUNT 64
extern DSP_ORG dsp_orgmap[DSP_ORG_COUNT];
extern DSP_ORG* dsp_currentorg;
extern int dsp_written_data_in_current_org;

// Writes text into the object image at chptr, for the LOD output (-fl)
void D_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Both ways into DSP56001 mode end at a refusal. The directive table names
// d_56001 without a call, so it takes the function of that name defined
// here; the call for -m56001 ("d_56001()") becomes d_56001_(), refused too;
// and rmac's own switch, "int d_56001(void)", becomes d_56001_void and is
// never called.
#define d_56001(...) d_56001_##__VA_ARGS__(__VA_ARGS__)
int d_56001_(void);

#endif // __DSP56K_H__
