#pragma once

#include <cstdint>
#include <string>

namespace rastix {

// What the memory control groups of a Linux process still allow it, given the text of its
// /proc/self/mountinfo (where each hierarchy is mounted) and /proc/self/cgroup (its group in
// each): the least, over its own group and every group above it, of version 2's memory.max
// less memory.current, and of version 1's memory.limit_in_bytes less memory.usage_in_bytes.
// A container or a systemd unit may allow far less than the machine has, and its limit kills
// the program just like a full machine does. UINT64_MAX when no group sets a limit.
std::uint64_t controlGroupAvailable(const std::string& mountInfo, const std::string& selfGroups);

} // namespace rastix
