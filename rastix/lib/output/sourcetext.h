#pragma once

#include "codec/encodedpicture.h"
#include "settings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace rastix {

// The picture's data as source text: C with --c, assembly otherwise.

// The text piece by piece (each at most about a megabyte), so that the text of a large picture
// never has to be held whole; stops and returns false when put does. The pieces are made on up
// to `threads` threads; put is called for one piece at a time, in order.
bool writeSourceText(const EncodedPicture& picture, const Settings& settings,
                     const std::string& sourceName, const std::string& label,
                     const std::function<bool(const std::string&)>& put, int threads = 1);

// The parts, for text written while the rows are still being encoded. The header and the
// trailer need only the picture's shape (size, depth, row bytes) and palette, not its data.
std::string sourceHeader(const EncodedPicture& shape, const Settings& settings,
                         const std::string& sourceName, const std::string& label);
// Appends the text of `count` rows of shape.rowBytes bytes each.
void appendSourceRows(std::string& out, const std::uint8_t* rows, int count,
                      const EncodedPicture& shape, const Settings& settings);
std::string sourceTrailer(const EncodedPicture& shape, const Settings& settings,
                          const std::string& label);

} // namespace rastix
