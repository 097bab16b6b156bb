// A memory limit of the control group the program runs in counts as much as a full machine,
// under either version of control groups, wherever their hierarchies are mounted.
#include "convert/controlgroup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

using namespace rastix;

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

struct GroupFile {
    const char* path; // below the folder standing in for /sys/fs/cgroup
    const char* text;
};

struct Case {
    const char* what;
    // "@" stands for that folder in the mount lines.
    std::string mountInfo;
    std::string selfGroups;
    std::vector<GroupFile> files;
    std::uint64_t expected;
};

std::string withRoot(std::string text, const std::string& root) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
        text.replace(at, 1, root);
    return text;
}

const std::string kV1 = "35 31 0:32 / @/memory rw,relatime - cgroup cgroup rw,memory\n"
                        "32 31 0:29 / @/cpu rw,relatime - cgroup cgroup rw,cpu\n";
const std::string kV2 = "41 31 0:38 / @ rw,relatime shared:9 - cgroup2 cgroup2 rw\n";

} // namespace

TEST(ControlGroup, EitherVersionsLimitCountsLessWhatTheGroupUses) {
    const Case cases[] = {
        {"version 2, own group",
         kV2,
         "0::/user.slice/job\n",
         {{"user.slice/job/memory.max", "1000000\n"},
          {"user.slice/job/memory.current", "250000\n"}},
         750000},
        {"version 2, no limit",
         kV2,
         "0::/job\n",
         {{"job/memory.max", "max\n"}, {"job/memory.current", "250000\n"}},
         kNoLimit},
        {"version 2, the group above limits more",
         kV2,
         "0::/outer/inner\n",
         {{"outer/memory.max", "600000\n"},
          {"outer/memory.current", "500000\n"},
          {"outer/inner/memory.max", "max\n"},
          {"outer/inner/memory.current", "400000\n"}},
         100000},
        {"version 1, own group",
         kV1,
         "4:memory:/process_api/abc\n1:cpu:/\n0::/\n",
         {{"memory/process_api/abc/memory.limit_in_bytes", "2000000\n"},
          {"memory/process_api/abc/memory.usage_in_bytes", "500000\n"}},
         1500000},
        {"version 1, its unlimited value",
         kV1,
         "4:memory:/job\n",
         {{"memory/job/memory.limit_in_bytes", "9223372036854771712\n"},
          {"memory/job/memory.usage_in_bytes", "500000\n"}},
         9223372036854771712ull - 500000},
        {"version 1, used beyond the limit",
         kV1,
         "4:cpu,memory:/job\n",
         {{"memory/job/memory.limit_in_bytes", "100\n"},
          {"memory/job/memory.usage_in_bytes", "200\n"}},
         0},
        {"version 1 mounted at a container's own group",
         "35 31 0:32 /docker/abc @/memory rw - cgroup cgroup rw,memory\n",
         "4:memory:/docker/abc\n",
         {{"memory/memory.limit_in_bytes", "3000000\n"},
          {"memory/memory.usage_in_bytes", "1000000\n"}},
         2000000},
        {"both, the smaller counts",
         kV1 + "41 31 0:38 / @/unified rw - cgroup2 cgroup2 rw\n",
         "4:memory:/job\n0::/job\n",
         {{"memory/job/memory.limit_in_bytes", "5000000\n"},
          {"memory/job/memory.usage_in_bytes", "1000000\n"},
          {"unified/job/memory.max", "3000000\n"},
          {"unified/job/memory.current", "1000000\n"}},
         2000000},
        {"no memory controller",
         "32 31 0:29 / @/cpu rw - cgroup cgroup rw,cpu\n",
         "1:cpu:/job\n",
         {},
         kNoLimit},
    };
    const fs::path root =
        fs::temp_directory_path() /
        ("rastix-cgroup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    for (const Case& c : cases) {
        fs::remove_all(root);
        for (const GroupFile& f : c.files) {
            fs::create_directories((root / f.path).parent_path());
            std::ofstream(root / f.path) << f.text;
        }
        EXPECT_EQ(controlGroupAvailable(withRoot(c.mountInfo, root.string()), c.selfGroups),
                  c.expected)
            << c.what;
    }
    fs::remove_all(root);
}

TEST(ControlGroup, BlanksInAMountPointAreUnescaped) {
    const fs::path root = fs::temp_directory_path() / "rastix cgroup blank";
    fs::create_directories(root / "job");
    std::ofstream(root / "job" / "memory.max") << "900\n";
    std::ofstream(root / "job" / "memory.current") << "100\n";
    std::string escaped = root.string();
    for (std::size_t at = escaped.find(' '); at != std::string::npos; at = escaped.find(' ', at))
        escaped.replace(at, 1, "\\040");
    EXPECT_EQ(controlGroupAvailable("41 31 0:38 / " + escaped + " rw - cgroup2 cgroup2 rw\n",
                                    "0::/job\n"),
              800u);
    fs::remove_all(root);
}
