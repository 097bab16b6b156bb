#pragma once

#include "palette/quantiser.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastix {

// The words of a reduced colour map for a picture whose colours lie along one straight line,
// such as a gradient between two colours or a grey picture; empty for any other picture.
// Colours on a line are cut into bands in their order along it, and the best cut can be found
// outright (by dynamic programming) where k-means only finds a local optimum. Each band is shown
// by the one of its own words that looks closest to its colours: the cut lowers the CIEDE2000
// difference of every pixel plus its squared error, one CIEDE2000 unit weighing as much as a
// squared error of 8 levels on each channel. Judged by squared error alone, all bands of a ramp
// are the same width in RGB; the eye sees lightness steps unevenly, and the bands follow it.
// points holds the colour behind each distinct word (weight: its pixels), in the same order.
std::vector<std::uint16_t> rampPaletteWords(const std::vector<std::uint16_t>& distinct,
                                            const std::vector<WeightedPoint>& points,
                                            std::size_t entries, const Settings& settings);

} // namespace rastix
