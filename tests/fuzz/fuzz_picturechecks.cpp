// The checks that tell a BMP or GIF cut short (which Qt's readers fill in without a word), and
// the judgement of what decoders say.
#include "files/pictureproblems.h"
#include "fuzzinput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::inputFile(data, size);
    for (const char* format : {"bmp", "gif"})
        if (const std::string problem = rastix::truncatedPicture(path, format);
            problem.find('\n') != std::string::npos)
            fuzzing::fail("a message of more than one line");
    // The same bytes as what decoders said, a line each.
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> said;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        said.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> damage;
    for (const std::string& line : said)
        if (rastix::meansDamage(line))
            damage.push_back(line);
    if (rastix::foldMessages(said).find('\n') != std::string::npos)
        fuzzing::fail("folded messages of more than one line");
    if (!damage.empty() && rastix::foldMessages(damage).empty())
        fuzzing::fail("damage folded into nothing");
    return 0;
}
