// The TGA reader: the header checks, the walk through the pixel data, and stb_image's decoding.
#include "fuzzinput.h"
#include "loaders/tgareader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0; // the reader needs no Qt
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::inputFile(data, size, ".tga");
    if (!rastix::isTgaPicture(path))
        return 0; // another format's signature: left to Qt's readers
    rastix::LoadedPicture picture;
    std::string error;
    if (fuzzing::readGuarded(
            [&] { return rastix::loadTga(path, picture, error, fuzzing::kDecodeBudget); }, error))
        fuzzing::readEveryPixel(picture.view);
    else
        fuzzing::expectOneLine(error);
    return 0;
}
