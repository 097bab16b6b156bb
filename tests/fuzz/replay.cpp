// Runs a fuzz target's entry function once on each file of its seed corpus and of its
// regression inputs (the findings of earlier runs), so that every build checks them without the
// fuzzer. Folders given on the command line take the place of those compiled in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputsIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> folders(argv + 1, argv + argc);
    if (folders.empty())
        folders = {FUZZ_CORPUS, FUZZ_REGRESSIONS};
    LLVMFuzzerInitialize(&argc, &argv);
    std::size_t ran = 0;
    for (const auto& folder : folders) {
        for (const auto& file : inputsIn(folder)) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
            // Named before it runs, in case it is the one that crashes.
            std::cout << file.generic_string() << std::endl;
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++ran;
        }
    }
    std::cout << ran << " inputs ran" << std::endl;
    // A corpus that is not where it should be would otherwise pass having checked nothing.
    return ran > 0 ? 0 : 1;
}
