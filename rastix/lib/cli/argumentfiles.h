#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rastix {

// Reads a whole file into text; false with the system's reason ("No such file or directory").
using ReadWholeFile =
    std::function<bool(const std::string& path, std::string& text, std::string& error)>;

// The file reader the program uses: the bytes of the file as they are.
bool readWholeFile(const std::string& path, std::string& text, std::string& error);

struct ExpandedArguments {
    std::vector<std::string> args;
    // Every argument file read, nested ones included, in the order they were opened: what the
    // run depends on besides its pictures.
    std::vector<std::string> filesRead;
    // One line describing why the arguments cannot be used; empty when they can.
    std::string error;
};

// The most argument files open inside one another: deep enough for a project's file naming
// its parts, shallow enough that a cycle spelt with different names ends quickly.
constexpr int kMostNestedArgumentFiles = 8;

// Replaces each argument @FILE by the arguments FILE holds, one a line: the whole line, its
// leading and trailing blanks and a trailing CR removed; empty lines and lines starting with
// '#' skipped. A line @OTHER reads OTHER in turn (named as on the command line, not relative to
// FILE), up to kMostNestedArgumentFiles deep; a file that reads itself is refused. "@@NAME"
// stands for the argument "@NAME", and "@" alone is an argument like any other. Nothing is
// expanded after "--" (every argument is a picture there) nor as the value of an option that
// takes one, so "--target-dir @out" names the folder "@out".
ExpandedArguments expandArgumentFiles(const std::vector<std::string>& args,
                                      const ReadWholeFile& read);

} // namespace rastix
