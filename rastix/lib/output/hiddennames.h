#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace rastix {

// The hidden names rastix puts beside an output: its temporary file, the second name of a file
// a commit replaces, the lock of its output set. Each is the output's name with a mark added, cut
// where needed so that it is never longer than the folder takes: a name near the limit, which the
// file system accepts, must not fail because of what rastix adds to it.

// The longest file name, in bytes, the folder takes (255 where the system does not say).
std::size_t longestNameIn(const std::filesystem::path& folder);

// "." + name + mark, at most limit bytes: name is cut at a whole UTF-8 character if needed.
std::string hiddenName(const std::string& name, const std::string& mark, std::size_t limit);

// A hidden name beside path, not in use when it was made up (callers create it exclusively).
std::filesystem::path temporaryName(const std::string& path);

// The folder path is in ("." for a bare name).
std::filesystem::path folderOf(const std::string& path);

} // namespace rastix
