#pragma once

#include "convert/loadedpicture.h"
#include "files/pictureproblems.h"
#include "image/image.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <string>

// What the fuzz targets share: the readers under test take a path, so each input is written to
// a file first, and the real reader code opens and reads it as it would any picture.
namespace fuzzing {

// The most a fuzzed picture may decode to: Qt's allocation limit and the admission of every
// target. The program allows what the machine has; a smaller limit keeps each input fast, so
// that a picture that takes long or grows without bound within it stands out as a finding.
constexpr std::uint64_t kDecodeBudget = std::uint64_t{64} << 20;

// The admission of every target: what the picture's way holds, within kDecodeBudget.
inline bool withinBudget(const rastix::Admission& admission, std::string& error) {
    if (admission.decodedBytes + admission.decoderBytes <= kDecodeBudget)
        return true;
    error = "more than the fuzzing budget";
    return false;
}

// What the loader refuses before any decoder sees the file (a PNG chunk longer than the file,
// which libpng would allocate first): refused here too, with the same one line.
inline bool refusedBeforeDecoding(const std::string& path, std::string& error) {
    error = rastix::pngChunkPastTheEnd(path);
    return !error.empty();
}

// Writes the input to this process's own file (in a RAM-backed folder where there is one) and
// gives its path, the same each time; suffix ends the name (".tga"), so readers that go by the
// name see the kind wanted. The file is removed when the process ends normally.
std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix = "");

// Readies Qt as rastix does (one QCoreApplication, the same decoding limit) and drops what Qt
// would print: a million inputs would otherwise print a million warnings.
void startQt();

// Stops the run, naming what went wrong, so that the fuzzer keeps the input as a finding.
[[noreturn]] void fail(const char* what);

// Runs a reader as rastix runs it (convertGuarded in runjobs.cpp), where running out of memory
// and any other exception become the picture's message: a header may ask for more memory than
// the machine has (see scripts/fuzz.sh).
template <class Read> bool readGuarded(Read&& read, std::string& error) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        error = "not enough memory to convert this picture";
    } catch (const std::exception& e) {
        error = std::string("conversion failed: ") + e.what();
    }
    return false;
}

// Fails unless a reader's refusal is one line of text, as rastix prints it.
void expectOneLine(const std::string& error);

// Fails unless a decoded picture has pixels, and reads every one the view promises: ASan sees a
// read past the memory the picture was decoded into.
void readEveryPixel(const rastix::ImageView& view);

// Keeps a result the target computes only to have the code run, so the optimiser cannot drop it.
void keep(std::uint64_t value);

} // namespace fuzzing
