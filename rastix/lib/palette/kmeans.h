#pragma once

#include "palette/quantiser.h"

#include <cstdint>
#include <vector>

namespace rastix {

// Lloyd's k-means on weighted points, started from the given centres: each pass moves every
// centre to the rounded weighted mean of the points nearest to it. Integer sums, so the result
// is the same on every platform. A centre that attracts no point stays where it is.
std::vector<ColourPoint> refineByKMeans(const std::vector<WeightedPoint>& points,
                                        std::vector<ColourPoint> centres, int passes);

// k-means as above, then k-means is helped out of a poor local optimum: the centre that costs
// least to give up is moved into the cluster with the largest error, splitting it, and k-means
// runs again; kept while the total error falls, at most tries times.
// When error is given it receives the weighted squared distance of every point to its nearest
// centre of the result: what k-means lowers, so the measure by which two results for the same
// points are compared.
std::vector<ColourPoint> refineByMovingCentres(const std::vector<WeightedPoint>& points,
                                               std::vector<ColourPoint> centres, int passes,
                                               int tries, std::int64_t* error = nullptr);

} // namespace rastix
