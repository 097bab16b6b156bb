#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rastix {

// The longest line of assembly text rastix writes: RMAC reads lines of up to 1024 characters
// and, with a listing (-l), crashes on a longer one.
constexpr std::size_t kLongestTextLine = 1000;

// A name the user gave (a picture's path, a palette's name or file) as it may stand in a comment
// of assembly source: control characters escaped as in messages ("\n", "\x1b"), so that no name
// ends its comment line early, and at most `most` bytes. A longer name loses its middle, shown
// as "...", keeping its start and its file name (or, when that alone is too long, the end of
// it), cut only between whole characters.
std::string commentName(std::string_view name, std::size_t most);

} // namespace rastix
