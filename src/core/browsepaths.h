#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace glyphmill {

// Path rules of the browser. A volume is a drive ("c:") where the separator is a backslash and a
// mount point ("/", "/home") elsewhere.

// The volume of `volumes` that holds `path`: the longest one that is a whole-component prefix of
// it (drive letters compared without case). Empty when none holds it.
std::string volumeHolding(std::string_view path, const std::vector<std::string>& volumes,
                          char separator);

// The folder a volume opens in: a drive's root ("c:" gives "c:\"); a mount point is one already.
std::string volumeRootFolder(std::string_view volume, char separator);

// `name` inside `folder`, with exactly one separator between them.
std::string joinPath(std::string_view folder, std::string_view name, char separator);

// The part after the last separator (the whole text when it holds none).
std::string nameAfterLastSeparator(std::string_view path, char separator);

// The folder the browser moves to for a dropped item: a folder itself, or the folder holding a
// file. A file in a root gives the root ("/", "c:\"), never an empty or drive-relative path.
std::string folderOfDroppedItem(std::string_view item, bool isFolder, char separator);

// The target-folder text for a dropped item: a folder with a closing separator, or a file's
// folder up to and including its last separator.
std::string targetDirForDroppedItem(std::string_view item, bool isFolder, char separator);

} // namespace glyphmill
