#pragma once

#include "settings.h"

#include <functional>
#include <string>
#include <vector>

namespace rastix {

struct Job {
    std::string picture;
    Settings settings;
};

struct CommandLine {
    std::vector<Job> jobs;
    bool help = false;
    bool version = false;
    // One line describing the first fault; empty when the whole line is usable.
    std::string error;
};

using DirectoryTest = std::function<bool(const std::string&)>;

// Reads the arguments (without the program name) left to right; each option changes the
// settings handed to every picture named after it. Nothing is touched on disk except through
// isDirectory, so a faulty line can be refused before any conversion starts.
CommandLine parseCommandLine(const std::vector<std::string>& args,
                             const DirectoryTest& isDirectory);

// Strict decimal parsing used for --rotate and --cut: optional '-' only where allowed, digits
// only, no blanks, no overflow.
bool parseInteger(const std::string& text, bool allowNegative, int& value);
bool parseCutFrame(const std::string& text, CutFrame& frame);

} // namespace rastix
