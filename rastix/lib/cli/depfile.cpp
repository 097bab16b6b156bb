#include "cli/depfile.h"

#include "output/outputnames.h"

#include <map>
#include <set>

namespace rastix {

std::string depfileClash(const std::string& depfile, const std::vector<Job>& jobs,
                         const PathKey& key) {
    const std::string depfileKey = key(depfile);
    for (const DependencyRule& rule : dependenciesOf(jobs, {})) {
        for (const std::string& input : rule.inputs)
            if (key(input) == depfileKey)
                return "--depfile " + depfile + " would replace the picture " + input;
        for (const std::string& target : rule.targets)
            if (key(target) == depfileKey)
                return "--depfile " + depfile + " would replace " + target + ", an output";
    }
    return {};
}

bool makeEscaped(const std::string& path, std::string& escaped) {
    if (path.find_first_of("\n\r") != std::string::npos)
        return false;
    escaped.clear();
    const auto isLetter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    const bool drive = path.size() >= 3 && isLetter(path[0]) && path[1] == ':' &&
                       (path[2] == '/' || path[2] == '\\');
    std::size_t backslashes = 0; // in a row, just before this character
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        const bool special = c == ' ' || c == '\t' || c == '#' || (c == ':' && !(drive && i == 1));
        if (special)
            escaped.append(backslashes, '\\'); // each one before it doubled
        if (c == '$')
            escaped += '$';
        else if (special)
            escaped += '\\';
        escaped += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    // A backslash at the end would join the next word, or the next line.
    escaped.append(backslashes, '\\');
    return true;
}

std::vector<DependencyRule> dependenciesOf(const std::vector<Job>& jobs,
                                           const std::vector<std::string>& argumentFiles) {
    struct Set {
        std::vector<std::string> inputs; // its pictures and their palette files
        std::vector<std::size_t> jobs;
        const Job* firstMap = nullptr;
    };
    std::map<int, Set> sets;
    const auto inSet = [](const Settings& s) {
        return s.sharing != PaletteSharing::Own && s.colourMap;
    };
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const Settings& s = jobs[i].settings;
        if (!inSet(s))
            continue;
        Set& set = sets[s.paletteSet];
        set.inputs.push_back(jobs[i].picture);
        if (!s.givenPaletteFile.empty())
            set.inputs.push_back(s.givenPaletteFile);
        set.jobs.push_back(i);
        if (!set.firstMap)
            set.firstMap = &jobs[i];
    }
    const auto withArgumentFiles = [&](std::vector<std::string> inputs) {
        inputs.insert(inputs.end(), argumentFiles.begin(), argumentFiles.end());
        return inputs;
    };
    std::vector<DependencyRule> rules;
    std::set<int> setDone;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const Settings& s = jobs[i].settings;
        const std::vector<std::string> outputs = outputPaths(s, jobs[i].picture);
        if (!inSet(s)) {
            std::vector<std::string> inputs = {jobs[i].picture};
            if (!s.givenPaletteFile.empty())
                inputs.push_back(s.givenPaletteFile);
            rules.push_back({outputs, withArgumentFiles(std::move(inputs)), {i}});
            continue;
        }
        const Set& set = sets[s.paletteSet];
        if (setDone.insert(s.paletteSet).second)
            rules.push_back(
                {paletteSetPaths(set.firstMap->settings), withArgumentFiles(set.inputs), set.jobs});
        rules.push_back({outputs, withArgumentFiles(set.inputs), set.jobs});
    }
    return rules;
}

bool dependencyRules(const std::vector<Job>& jobs, const std::vector<std::string>& argumentFiles,
                     std::string& rules, std::string& error) {
    const std::vector<DependencyRule> all = dependenciesOf(jobs, argumentFiles);
    std::string text;
    std::set<std::string> inputsSeen;
    std::vector<std::string> inputsInOrder;
    const auto add = [&](const std::string& path, const char* before) {
        std::string escaped;
        if (!makeEscaped(path, escaped)) {
            error = "--depfile: a make rule cannot name '" + path + "' (a line break in it)";
            return false;
        }
        text += before + escaped;
        return true;
    };
    for (const DependencyRule& rule : all) {
        for (std::size_t i = 0; i < rule.targets.size(); ++i)
            if (!add(rule.targets[i], i ? " " : ""))
                return false;
        text += ":";
        for (const std::string& input : rule.inputs) {
            if (!add(input, " "))
                return false;
            if (inputsSeen.insert(input).second)
                inputsInOrder.push_back(input);
        }
        text += "\n";
    }
    for (const std::string& input : inputsInOrder) {
        std::string escaped;
        makeEscaped(input, escaped);
        text += "\n" + escaped + ":\n";
    }
    rules = std::move(text);
    return true;
}

} // namespace rastix
