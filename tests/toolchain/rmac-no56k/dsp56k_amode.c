//
// Operands of DSP56001 instructions, left out (see dsp56k.h)
//

#include "dsp56k_amode.h"
#include "error.h"

LONG dsp_am0;
LONG dsp_am1;
int dsp_a1reg;
int deposit_extra_ea;

int dsp_amode(int maxea) {
    (void)maxea;
    return error("DSP56001 code is not supported by this build of rmac");
}

LONG parmoves(int dest) {
    (void)dest;
    return error("DSP56001 code is not supported by this build of rmac");
}
