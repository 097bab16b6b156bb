#pragma once

#include <array>
#include <cstdint>

namespace rastix {

// What every way of choosing a palette works on: a colour's three channels (for glass CRY the
// changes a word makes), and a colour with how many pixels it stands for.
using ColourPoint = std::array<int, 3>;

struct WeightedPoint {
    ColourPoint point;
    std::uint64_t weight = 1;
};

} // namespace rastix
