//
// Code generators of DSP56001 instructions, left out (see dsp56k.h)
//

#ifndef __DSP56K_MACH_H__
#define __DSP56K_MACH_H__

#include "rmac.h"

// An instruction that takes a parallel move
#define PARMOVE 0x0001

typedef struct {
    LONG mn0, mn1;       // Addressing modes
    WORD mnattr;         // Attributes (PARMOVE)
    LONG mninst;         // Instruction bits
    WORD mncont;         // Continuation
    int (*mnfunc)(LONG); // Code generator
} MNTABDSP;

extern MNTABDSP dsp56k_machtab[];

int dsp_mult(LONG inst);
int dsp_tcc4(LONG inst);

#endif // __DSP56K_MACH_H__
