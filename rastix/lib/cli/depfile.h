#pragma once

#include "cli/commandline.h"

#include <string>
#include <vector>

namespace rastix {

// One line naming the picture or output the --depfile would replace; empty when it has a place
// of its own (key: see samePlaceKey).
std::string depfileClash(const std::string& depfile, const std::vector<Job>& jobs,
                         const PathKey& key);

// A path as make reads it in a rule: a blank is "\ ", '$' is "$$", '#' is "\#" and a ':' is
// "\:" (except a Windows drive's "C:\" or "C:/"), with the backslashes before any of them
// doubled. False for a name make cannot hold at all (one with a line break in it).
bool makeEscaped(const std::string& path, std::string& escaped);

// What one picture's outputs, or a set's palette files, depend on; jobs are the pictures
// (indexes into the run's) that are converted to make them.
struct DependencyRule {
    std::vector<std::string> targets;
    std::vector<std::string> inputs;
    std::vector<std::size_t> jobs;
};

// Every picture's outputs depend on the picture, the --palette file it was given, and the
// argument files the command line was read from; the outputs of a --shared-clut or --banks set,
// its palette's included, depend on every picture of the set, as each of them changes the
// palette, and are made by converting all of them. A set's palette comes just before its first
// picture, as it is written.
std::vector<DependencyRule> dependenciesOf(const std::vector<Job>& jobs,
                                           const std::vector<std::string>& argumentFiles);

// The make rules of a run (--depfile), one for each of dependenciesOf. Every file a rule depends on
// also gets an empty rule of its own, so that a picture removed from the project does not stop
// make. False with error naming a path make cannot hold.
bool dependencyRules(const std::vector<Job>& jobs, const std::vector<std::string>& argumentFiles,
                     std::string& rules, std::string& error);

} // namespace rastix
