#pragma once

namespace rastix {

// CIELAB (sRGB primaries, D65 white) of a colour given in 8-bit sRGB levels.
struct Lab {
    double lightness = 0, a = 0, b = 0;
};
Lab labOf(int red, int green, int blue);

// The CIEDE2000 colour difference (Sharma, Wu and Dalal's implementation notes): how different
// two colours look, in units of about one just-noticeable difference.
// Palette choices are made with it, and a map must come out the same on every platform, so this
// and labOf use only + - * / and sqrt, which IEEE 754 rounds exactly everywhere; no library
// power, root or angle function is called.
double ciede2000(const Lab& p, const Lab& q);

} // namespace rastix
