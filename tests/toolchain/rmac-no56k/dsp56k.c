//
// The DSP56001 part of rmac, left out (see dsp56k.h)
//

#include "dsp56k.h"
#include "error.h"
#include <stdarg.h>
#include <stdio.h>

DSP_ORG dsp_orgmap[DSP_ORG_COUNT];
DSP_ORG* dsp_currentorg = &dsp_orgmap[0];
int dsp_written_data_in_current_org;

void D_printf(const char* format, ...) {
    // The image's room is challoc bytes from where ch_size counts from;
    // text that does not fit is cut there rather than written past it
    uint32_t room = challoc - ch_size;
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf((char*)chptr, room, format, arguments);
    va_end(arguments);

    if (length < 0)
        return;

    uint32_t written = (uint32_t)length < room ? (uint32_t)length : (room ? room - 1 : 0);
    chptr += written;
    ch_size += written;
}

static int RefuseDSP56001(void) {
    return error("DSP56001 code is not supported by this build of rmac");
}

// The name in parentheses keeps the redirection in dsp56k.h off the
// definitions
int(d_56001)(void) {
    return RefuseDSP56001();
}

// -m56001, before any source is read: said as rmac's other option errors are
int d_56001_(void) {
    printf("-m56001: DSP56001 code is not supported by this build of rmac\n");
    errcnt++;
    return ERROR;
}
