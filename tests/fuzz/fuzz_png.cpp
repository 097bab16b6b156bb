// PNGs streamed row by row through libpng.
#include "fuzzinput.h"
#include "loaders/pngreader.h"
#include "streamcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::startQt(); // the size is admitted from Qt's probe, as the loader does
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::streamChecked(fuzzing::inputFile(data, size, ".png"), rastix::streamPng);
    return 0;
}
