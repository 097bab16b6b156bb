// Pictures decoded whole by Qt's readers, as rastix decodes all but TGA: the admission of the
// header's size, what the decoders say, and the completeness checks of BMP and GIF.
#include "fuzzinput.h"
#include "loaders/decodermessages.h"
#include "loaders/qtreader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Qt's ICNS reader takes a chunk's length on trust: 273 bytes make it ask for 8 GB, which
    // under ASan costs 1 GB of shadow memory and a second, and the fuzzer would spend its time
    // there, in a reader it cannot see into (see docs/FUZZING.md).
    if (size >= 4 && std::memcmp(data, "icns", 4) == 0)
        return 0;
    // No suffix: Qt tells the format by the content, whatever it is.
    const std::string path = fuzzing::inputFile(data, size);
    rastix::LoadedPicture picture;
    picture.admit = fuzzing::withinBudget;
    std::string error;
    if (fuzzing::refusedBeforeDecoding(path, error)) {
        fuzzing::expectOneLine(error);
        return 0;
    }
    const auto decode = [&] {
        const rastix::DecoderMessages heard;
        return rastix::decodeWithQt(path, picture, heard, error);
    };
    if (fuzzing::readGuarded(decode, error))
        fuzzing::readEveryPixel(picture.view);
    else
        fuzzing::expectOneLine(error);
    return 0;
}
