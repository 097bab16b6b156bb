#pragma once

#include "cli/commandline.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rastix {

// When a file was last changed; nothing when it does not exist (or cannot be looked at).
using ModifiedTime =
    std::function<std::optional<std::filesystem::file_time_type>(const std::string&)>;

// The program's: the file system's own time stamps.
std::optional<std::filesystem::file_time_type> fileModifiedTime(const std::string& path);

// The jobs to convert, in their order: all of them, except a picture given --update whose
// outputs all exist and are newer than everything they depend on (see dependenciesOf). A
// --shared-clut or --banks set is converted whole or not at all, as its palette is chosen from
// all of its pictures. A file that cannot be found leaves the picture to be converted, which
// says what is wrong.
std::vector<Job> outdatedJobs(const std::vector<Job>& jobs,
                              const std::vector<std::string>& argumentFiles,
                              const ModifiedTime& modified);

} // namespace rastix
