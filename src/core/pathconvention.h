#pragma once

#include <string>
#include <string_view>

namespace glyphmill {

// How paths are spelled on a system: the separator and the converter's file name.
// Passed around explicitly so the Windows spelling can be checked on any machine.
struct PathConvention {
    char separator;
    std::string converterName;

    static PathConvention windows();
    static PathConvention posix();
    // The convention of the system the program was built for.
    static PathConvention native();

    // The converter path as the command begins: folder, separator, converter name and one
    // trailing blank. The blank is part of the text shown and reported to the user.
    std::string converterCommandPrefix(std::string_view appFolder) const;
    // The same path without the trailing blank: what the file system is asked about.
    std::string converterPath(std::string_view appFolder) const;
};

// `path` cut after its last separator (the separator kept); empty when it holds none.
std::string upToLastSeparator(std::string_view path, char separator);
// `path` with a separator appended unless it already ends in one.
std::string withTrailingSeparator(std::string_view path, char separator);

} // namespace glyphmill
