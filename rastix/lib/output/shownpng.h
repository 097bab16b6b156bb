#pragma once

#include "codec/consoleview.h"
#include "codec/encodedpicture.h"
#include "output/output.h"
#include "settings.h"

#include <functional>
#include <optional>
#include <string>

namespace rastix {

// Writes a shown picture as the bytes of a PNG file; false, with the reason, when it cannot.
// The core knows no picture format of its own: the program hands the encoder in.
using PngEncoder = std::function<bool(const ShownPicture&, ByteBuffer& png, std::string& error)>;

// With --show-png, the picture as the console shows its encoded words (see consoleView);
// nullopt without it, or with error set when it cannot be made.
std::optional<OutputFile> shownPngFile(const EncodedPicture& picture, const Settings& settings,
                                       const std::string& picturePath, const PngEncoder& encode,
                                       std::string& error);

} // namespace rastix
