#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace rastix {

// Paths travel through rastix as UTF-8 text. On Windows std::filesystem::path(std::string) and
// fopen read text in the ANSI code page, which mangles any name outside it ("Bilder äß €"), so
// every file system call goes through these instead.
std::filesystem::path utf8Path(const std::string& path);
std::string utf8Text(const std::filesystem::path& path);

// fopen for a UTF-8 path; mode as for fopen ("rb", "wb").
std::FILE* openFile(const std::string& path, const char* mode);

// Creates a new file for writing, failing with errno EEXIST if the name is taken, in one step
// (the C runtime of MinGW ignores fopen's "x").
std::FILE* createNewFile(const std::filesystem::path& path);

} // namespace rastix
