#pragma once
// Measures of how far a shown picture lies from its source, computed here from the published
// formulas so that no converter's own idea of colour distance enters the figures.
#include "colour.h"

#include <vector>

namespace quality {

using Pixels = std::vector<Colour>; // row after row

// Peak signal-to-noise ratio over the three channels, in dB; 99 for equal pictures.
double psnr(const Pixels& a, const Pixels& b);

// Mean CIEDE2000 difference, the colours taken as sRGB under D65.
double meanCiede2000(const Pixels& a, const Pixels& b);

// A 9-tap binomial blur (sigma 1.4 px) across and down: banding stays, fine dither noise goes.
Pixels blurred(const Pixels& p, int width, int height);

} // namespace quality
