#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace glyphmill {

// How a started process ended, as far as the system could tell.
struct ProcessEnd {
    enum class How { Exited, Crashed, Unknown };
    How how = How::Unknown;
    int exitCode = 0; // meaningful when it exited
};

// What a converter run came to: one line for the main window, and the converter's own lines
// (each file written, each failure, each warning) word for word.
struct RunOutcome {
    std::string summary;
    std::vector<std::string> lines;
};

// The converter writes one line on its standard output per file written ("wrote <file> (...)")
// and one on its error stream per picture that failed ("rastix: <picture>: <why>"); `pictures`
// is how many picture names it was given. A stream that could not be read is left empty.
RunOutcome summariseRun(const std::optional<std::string>& output,
                        const std::optional<std::string>& errors, std::size_t pictures,
                        const ProcessEnd& end);

} // namespace glyphmill
