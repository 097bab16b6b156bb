#pragma once

#include "convert/loadedpicture.h"
#include "convert/route.h"
#include "settings.h"

#include <cstdint>

namespace rastix {

// What converting one picture holds at its peak on its route, from what its loader tells
// before any of it is allocated (see Admission): the decoder's own memory, the decoded
// picture or the row sink, a cut, a turned canvas, the encoded data, and what each of the
// `threads` it is encoded on works with, and the picture the console shows (--show-png). With
// outputsToDisk, the rows of a stream (unless the shown picture needs them) and assembly text go
// to their staged files as they are made; without, they are held until written.
std::uint64_t conversionPeakBytes(const Admission& picture, const Route& route,
                                  const Settings& settings, bool outputsToDisk, int threads);

} // namespace rastix
