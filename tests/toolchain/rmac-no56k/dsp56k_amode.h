//
// Operands of DSP56001 instructions, left out (see dsp56k.h): the parser
// refuses every one
//

#ifndef __DSP56K_AMODE_H__
#define __DSP56K_AMODE_H__

#include "rmac.h"

extern LONG dsp_am0;
extern LONG dsp_am1;
extern int dsp_a1reg;
extern int deposit_extra_ea;

int dsp_amode(int maxea);
LONG parmoves(int dest);

#endif // __DSP56K_AMODE_H__
