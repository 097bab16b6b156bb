#include "output/hiddennames.h"

#include "files/utf8path.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace rastix {

namespace fs = std::filesystem;

namespace {

// ext4, XFS, Btrfs and tmpfs take 255 bytes; NTFS and FAT 255 UTF-16 units, which a UTF-8 name
// of 255 bytes never exceeds.
constexpr std::size_t kUsualLongestName = 255;

} // namespace

std::size_t longestNameIn(const fs::path& folder) {
#ifdef _WIN32
    (void)folder;
    return kUsualLongestName;
#else
    // Fewer on some (eCryptfs: 143); -1 where there is no answer.
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest > 0)
        return std::min(kUsualLongestName, static_cast<std::size_t>(longest));
    return kUsualLongestName;
#endif
}

std::string hiddenName(const std::string& name, const std::string& mark, std::size_t limit) {
    const std::size_t room = limit > mark.size() + 1 ? limit - mark.size() - 1 : 0;
    std::size_t keep = std::min(name.size(), room);
    // Never the first bytes of a character alone: on Windows the name would not convert.
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on one long chain of "+".
    std::string hidden = ".";
    hidden.append(name, 0, keep);
    hidden += mark;
    return hidden;
}

fs::path folderOf(const std::string& path) {
    const fs::path target = utf8Path(path);
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

fs::path temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::string mark = ".rastix-";
    mark += std::to_string(stamp % 1000000007ULL);
    mark += '-';
    mark += std::to_string(counter++);
    mark += ".tmp";
    const fs::path folder = folderOf(path);
    return folder /
           utf8Path(hiddenName(utf8Text(utf8Path(path).filename()), mark, longestNameIn(folder)));
}

} // namespace rastix
