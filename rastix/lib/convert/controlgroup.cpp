#include "convert/controlgroup.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace rastix {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

// The first number in a file such as memory.max, or kUnknown ("max", missing, unreadable).
std::uint64_t numberIn(const std::string& path) {
    std::ifstream in(path);
    std::uint64_t value = 0;
    return in >> value ? value : kUnknown;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

bool listHas(const std::string& list, const std::string& item) {
    const std::vector<std::string> items = split(list, ',');
    return std::find(items.begin(), items.end(), item) != items.end();
}

// mountinfo writes a blank, a tab, a newline and a backslash in a path as an octal escape.
std::string unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                text += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

struct Hierarchy {
    int version = 2;
    std::string mountPoint;
    std::string root; // the group the mount shows at its top
};

// The mounts of the unified (version 2) hierarchy and of version 1's memory controller.
std::vector<Hierarchy> memoryHierarchies(const std::string& mountInfo) {
    std::vector<Hierarchy> found;
    std::istringstream lines(mountInfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            fields.push_back(word);
        // id, parent, device, root, mount point, options, optional fields..., "-", type,
        // source, super options.
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 5 || fields.end() - dash < 4)
            continue;
        const std::string& type = dash[1];
        if (type == "cgroup2")
            found.push_back({2, unescaped(fields[4]), unescaped(fields[3])});
        else if (type == "cgroup" && listHas(dash[3], "memory"))
            found.push_back({1, unescaped(fields[4]), unescaped(fields[3])});
    }
    return found;
}

// The process's group in a hierarchy: version 2's line is "0::/path", version 1's
// "N:controllers:/path" with memory among the controllers.
std::optional<std::string> groupIn(const std::string& selfGroups, int version) {
    std::istringstream lines(selfGroups);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string id = line.substr(0, first);
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const bool matches =
            version == 2 ? id == "0" && controllers.empty() : listHas(controllers, "memory");
        if (matches)
            return line.substr(second + 1);
    }
    return std::nullopt;
}

std::uint64_t availableIn(const Hierarchy& h, const std::string& group) {
    // A container usually sees its own group as the top of the mount.
    std::string dir = group;
    if (h.root != "/")
        dir = group.rfind(h.root, 0) == 0 ? group.substr(h.root.size()) : std::string();
    while (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    const std::string limitFile = h.version == 2 ? "/memory.max" : "/memory.limit_in_bytes";
    const std::string usageFile = h.version == 2 ? "/memory.current" : "/memory.usage_in_bytes";
    std::uint64_t available = kUnknown;
    // A group above holds its own limit over everything below it, this group included.
    for (;;) {
        const std::string path = h.mountPoint + dir;
        const std::uint64_t limit = numberIn(path + limitFile);
        const std::uint64_t used = numberIn(path + usageFile);
        if (limit != kUnknown && used != kUnknown)
            available = std::min(available, limit > used ? limit - used : 0);
        if (dir.empty())
            break;
        dir.erase(dir.rfind('/'));
    }
    return available;
}

} // namespace

std::uint64_t controlGroupAvailable(const std::string& mountInfo, const std::string& selfGroups) {
    std::uint64_t available = kUnknown;
    for (const Hierarchy& h : memoryHierarchies(mountInfo))
        if (const std::optional<std::string> group = groupIn(selfGroups, h.version))
            available = std::min(available, availableIn(h, *group));
    return available;
}

} // namespace rastix
