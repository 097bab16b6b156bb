#pragma once

#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// The words of a reduced colour map for a picture whose distinct words (and how often each
// occurs, histogram indexed by word) outnumber the entries: a variance cut for a start, refined by
// k-means, both in the space of the words as the console shows them. No two entries are the
// same word, and as long as the picture has that many distinct words every entry is used: a
// centre that lands on a word already taken gives way to the word worst served so far.
std::vector<std::uint16_t> choosePaletteWords(const std::vector<std::uint16_t>& distinct,
                                              const std::vector<std::uint64_t>& histogram,
                                              std::size_t entries, const Settings& settings);

} // namespace rastix
