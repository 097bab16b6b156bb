#pragma once

#include "palette/quantiser.h"

#include <cstddef>
#include <vector>

namespace rastix {

// At most the given number of points standing for these: the points themselves when they are
// no more, else the cells of the finest grid of power-of-two width that leaves no more (or of the
// coarsest), each cell one point at the weighted mean of its points with their summed weight.
std::vector<WeightedPoint> coarsenedTo(const std::vector<WeightedPoint>& points, std::size_t most);

} // namespace rastix
