#pragma once

#include "palette/quantiser.h"

#include <cstddef>
#include <vector>

namespace rastix {

// Palettes cut from a picture's colours, the starts k-means refines: colour space is split into
// boxes, and the mean of each box's points is an entry.

// Median cut: the box with the widest extent along any axis is split at the weighted median of
// that axis until there are maxColours boxes (or every box holds a single point). Splitting the
// widest box first bounds the worst error, not only the average. Returns the weighted mean of
// each box, rounded.
std::vector<ColourPoint> medianCut(std::vector<WeightedPoint> points, std::size_t maxColours);

// Greedy variance cut (after Wu): the box whose points lie farthest from their mean in total
// (weighted squared error) is split where the two halves' error is least, on whichever axis
// gains most, until there are maxColours boxes or no box can be split. Aims at the average
// error, so it makes a better start for k-means than median cut. Returns the rounded weighted
// mean of each box.
std::vector<ColourPoint> varianceCut(const std::vector<WeightedPoint>& points,
                                     std::size_t maxColours);

} // namespace rastix
