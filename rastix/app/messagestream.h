#pragma once

#include <ostream>

namespace rastix {

// Where rastix's own messages go: standard error. On Windows, libpng and other decoders write
// their own complaints to standard error too, past Qt's message handler, and there is no way to
// tell which picture's thread wrote them; so there, standard error itself is pointed at NUL once
// this is first called, and the stream writes to a copy of the original. Elsewhere the loader
// catches those complaints per thread (see loaders/decodermessages.h) and this is std::cerr.
std::ostream& messageStream();

} // namespace rastix
