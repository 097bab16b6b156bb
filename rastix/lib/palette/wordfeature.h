#pragma once

#include "settings.h"

#include <array>
#include <cstdint>

namespace rastix {

// How colour-map reduction sees a word: a point in a space where distance means visible
// difference (RGB for plain words, scaled deltas for relative CRY), and back.
std::array<int, 3> wordFeature(std::uint16_t word, const Settings& settings);
std::uint16_t wordFromFeature(const std::array<int, 3>& feature, const Settings& settings);

} // namespace rastix
