//
// Makes the DSP56001 tables of rmac from dsp56k.mch. This build has no
// DSP56001 assembler (see dsp56k.h): every mnemonic named in the .mch file
// leads to the one table entry, which refuses it.
//
// Usage: dsp56kgen dsp56k.tab <dsp56k.mch >dsp56ktab.h
//

#include <stdio.h>
#include <string.h>

// The state kwgen's tables give a DSP56001 mnemonic: procln.c takes
// entry (state - 2000) of dsp56k_machtab
#define FIRST_DSP_STATE 2000

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: dsp56kgen keywords.tab <machine.mch >table.h\n");
        return 1;
    }

    FILE* keywords = fopen(argv[1], "w");

    if (keywords == NULL) {
        perror(argv[1]);
        return 1;
    }

    char line[256];

    while (fgets(line, sizeof(line), stdin) != NULL) {
        char name[64];

        if (line[0] == '#' || sscanf(line, "%63s", name) != 1)
            continue;

        fprintf(keywords, "%s %d\n", name, FIRST_DSP_STATE);
    }

    if (fclose(keywords) != 0) {
        perror(argv[1]);
        return 1;
    }

    printf("// Made by dsp56kgen: every DSP56001 mnemonic is refused\n");
    printf("MNTABDSP dsp56k_machtab[] = {\n");
    printf("\t{ 0, 0, 0, 0, 0, RefuseInstruction }\n");
    printf("};\n");
    return 0;
}
