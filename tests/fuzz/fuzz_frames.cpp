// Animations read as their frames: a GIF or WebP cut into its frames and each decoded by Qt, an
// APNG's chunks parsed and its frames decoded by libpng, all composed into one strip.
#include "fuzzinput.h"
#include "loaders/animationframes.h"
#include "loaders/animationreader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A mutated PNG chunk almost never keeps a matching checksum, and one that does not match stops
// the parser at once: the checksums are mended, so that the fuzzer's changes reach what follows.
// False when there was nothing to mend.
bool mendChecksums(std::vector<std::uint8_t>& file) {
    static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < sizeof kSignature || std::memcmp(file.data(), kSignature, 8) != 0)
        return false;
    bool mended = false;
    for (std::size_t at = sizeof kSignature; file.size() - at >= 12;) {
        const std::uint64_t length =
            std::uint64_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (length > file.size() - at - 12)
            break;
        const std::size_t end = at + 8 + std::size_t(length);
        const std::uint32_t crc =
            rastix::pngCrc32(reinterpret_cast<const char*>(&file[at + 4]), std::size_t(length) + 4);
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
            mended |= file[end + std::size_t(i)] != byte;
            file[end + std::size_t(i)] = byte;
        }
        at = end + 4;
    }
    return mended;
}

void readAnimation(const std::uint8_t* data, std::size_t size) {
    // No suffix: the reader tells the kind by the content.
    const std::string path = fuzzing::inputFile(data, size);
    rastix::LoadedPicture picture;
    picture.admit = fuzzing::withinBudget;
    std::string error;
    if (fuzzing::refusedBeforeDecoding(path, error)) {
        fuzzing::expectOneLine(error);
        return;
    }
    rastix::AnimationLoad result = rastix::AnimationLoad::Refused;
    fuzzing::readGuarded(
        [&] {
            result = rastix::loadAnimation(path, picture, error);
            return true;
        },
        error);
    switch (result) {
    case rastix::AnimationLoad::Still:
        return; // left to the still readers, fuzzed by their own targets
    case rastix::AnimationLoad::Refused:
        fuzzing::expectOneLine(error);
        return;
    case rastix::AnimationLoad::Loaded:
        break;
    }
    const std::size_t frames = picture.frameDelaysMs.size();
    if (frames < 2 || picture.frameHeight <= 0 ||
        std::uint64_t(picture.view.height) != std::uint64_t(picture.frameHeight) * frames)
        fuzzing::fail("the strip's height is not its frames' height times their count");
    for (const int delay : picture.frameDelaysMs)
        if (delay < 0)
            fuzzing::fail("a frame shown for less than no time");
    fuzzing::readEveryPixel(picture.view);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    readAnimation(data, size);
    std::vector<std::uint8_t> mended(data, data + size);
    if (mendChecksums(mended))
        readAnimation(mended.data(), mended.size());
    return 0;
}
