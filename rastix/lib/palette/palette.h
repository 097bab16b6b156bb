#pragma once

#include "palette/quantiser.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// The words of a reduced colour map for a picture whose distinct words (and how often each
// occurs, histogram indexed by word) outnumber the entries: a variance cut for a start, refined by
// k-means, both in the space of the words as the console shows them. A map of few entries also
// tries a median cut for a start and keeps whichever serves the colours better. No two entries are
// the same word, and as long as the picture has that many distinct words every entry is used: a
// centre that lands on a word already taken gives way to the word worst served so far.
// Colours that lie along one line, such as a gradient, are cut into bands instead
// (rampPaletteWords).
// sourceColours, when given, holds for each distinct word the mean colour of the pixels that
// became it: the palette is then fitted to the picture itself rather than to its rounded
// words, which matters most for smooth gradients and few entries.
std::vector<std::uint16_t> choosePaletteWords(const std::vector<std::uint16_t>& distinct,
                                              const std::vector<std::uint64_t>& histogram,
                                              std::size_t entries, const Settings& settings,
                                              const std::vector<ColourPoint>& sourceColours = {});

} // namespace rastix
