#pragma once

#include "palette/colourcensus.h"
#include "palette/plannedpalette.h"
#include "settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rastix {

// One palette for every picture of a --shared-clut set, chosen from all their colours together
// (`total`: their censuses added up, so each colour is weighed by how often it occurs across the
// set) under the rules of the set's first colour map: the same depth for every map of the set
// (`widths`: theirs), index 0 kept transparent when any map needs it.
PlannedPalette planSharedPalette(const ColourCensus& total, const std::vector<int>& widths,
                                 const Settings& first);

// A picture's own palette for a bank: at most 16 entries, its colours and the bank's depth.
struct BankRequest {
    std::vector<std::uint16_t> colours;
    int bits = 4;
    bool transparentZero = false;
};
BankRequest bankRequest(const ColourCensus& census, int width, const Settings& settings);

// The banks of a --banks set: each picture's palette put, in command-line order, into the bank
// of its depth that already holds the most of its colours and still has room for the rest, or
// else into the lowest free bank; no entry in `reserved` is used.
struct BankPlan {
    std::vector<std::uint16_t> clut = std::vector<std::uint16_t>(256, 0); // the whole table
    // For each picture its palette, or none when no bank was left for it.
    std::vector<std::optional<PlannedPalette>> palettes;
    int banksUsed = 0;
};
BankPlan planBanks(const std::vector<BankRequest>& requests, const std::bitset<256>& reserved);

} // namespace rastix
