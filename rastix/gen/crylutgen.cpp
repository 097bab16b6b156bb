// Writes the CRY colour lookup as C++ initialiser text: for each face of the RGB cube where one
// component is at full intensity (red, green, blue in that order) and each pair of the other two
// components (in RGB order), the nearest colour byte. Computing it here keeps the search
// (50 million distance tests) out of every conversion run.
#include "codec/crytable.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: crylutgen OUTPUT\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    for (int face = 0; face < 3; ++face) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                int rgb[3];
                int k = 0;
                for (int c = 0; c < 3; ++c)
                    rgb[c] = c == face ? 255 : (k++ == 0 ? a : b);
                const int index = rastix::nearestCryColourExhaustive(rgb[0], rgb[1], rgb[2]);
                std::fprintf(out, "%d,", index);
            }
            std::fputc('\n', out);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
