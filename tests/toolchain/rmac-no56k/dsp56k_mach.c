//
// Code generators of DSP56001 instructions, left out (see dsp56k.h)
//

#include "dsp56k_mach.h"
#include "error.h"

static int RefuseInstruction(LONG inst) {
    (void)inst;
    return error("DSP56001 code is not supported by this build of rmac");
}

int dsp_mult(LONG inst) {
    return RefuseInstruction(inst);
}

int dsp_tcc4(LONG inst) {
    return RefuseInstruction(inst);
}

#include "dsp56ktab.h"
