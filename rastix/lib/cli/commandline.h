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
    // Where the make rules of the run go (--depfile); empty for none.
    std::string depfile;
    // One line describing the first fault; empty when the whole line is usable.
    std::string error;
};

// Why a path cannot be the target folder ("does not exist", "is not a folder"); empty when it can.
using FolderCheck = std::function<std::string(const std::string&)>;

// Reads the arguments (without the program name) left to right; each option changes the
// settings handed to every picture named after it; a setting after the last picture is an
// error. Nothing is touched on disk except through checkFolder, so a faulty line can be refused
// before any conversion starts.
CommandLine parseCommandLine(const std::vector<std::string>& args, const FolderCheck& checkFolder);

// Every option the command line knows, flags and options with a value alike, so that what
// documents them can be checked against it.
std::vector<std::string> optionNames();
// Whether the option takes the next argument as its value ("--target-dir DIR").
bool optionTakesValue(const std::string& option);

// The same text for two paths naming the same file (see samePlaceKey).
using PathKey = std::function<std::string(const std::string&)>;

// One line naming two pictures that would write the same file in this run, or a picture that
// one of the outputs would replace; empty when every output has a place of its own.
std::string findOutputClash(const std::vector<Job>& jobs, const PathKey& key);

// One line naming two pictures (or a picture and a set's palette) whose assembly files would
// define the same global name, which no linker could take together; empty when none do. With
// isAnimation (whether a picture's file is an animation), an animation's tables count too.
std::string findGlobalNameClash(const std::vector<Job>& jobs,
                                const std::function<bool(const std::string&)>& isAnimation = {});

// Strict decimal parsing used for --rotate and --cut: optional '-' only where allowed, digits
// only, no blanks, no overflow.
bool parseInteger(const std::string& text, bool allowNegative, int& value);
bool parseCutFrame(const std::string& text, CutFrame& frame);
// "WxH" (frames of that size) or "N" (N frames side by side), each at least 1.
bool parseFrameSize(const std::string& text, FrameSize& size);

} // namespace rastix
