#include "browsepaths.h"

#include "pathconvention.h"

#include <cctype>

namespace glyphmill {

namespace {

bool sameText(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ignoreCase ? std::tolower(ca) != std::tolower(cb) : ca != cb)
            return false;
    }
    return true;
}

bool holds(std::string_view volume, std::string_view path, char separator) {
    if (volume.empty() || path.size() < volume.size())
        return false;
    const bool drives = separator == '\\';
    if (!sameText(volume, path.substr(0, volume.size()), drives))
        return false;
    // "/home" holds "/home/a" but not "/homework"; "/" and "c:\" end in a separator already.
    return path.size() == volume.size() || volume.back() == separator ||
           path[volume.size()] == separator;
}

} // namespace

std::string volumeHolding(std::string_view path, const std::vector<std::string>& volumes,
                          char separator) {
    const std::string* best = nullptr;
    for (const std::string& volume : volumes) {
        if (holds(volume, path, separator) && (!best || volume.size() > best->size()))
            best = &volume;
    }
    return best ? *best : std::string();
}

std::string volumeRootFolder(std::string_view volume, char separator) {
    if (separator == '\\')
        return withTrailingSeparator(volume, separator);
    return std::string(volume);
}

std::string joinPath(std::string_view folder, std::string_view name, char separator) {
    if (folder.empty())
        return std::string(name);
    return withTrailingSeparator(folder, separator) + std::string(name);
}

std::string nameAfterLastSeparator(std::string_view path, char separator) {
    const auto pos = path.rfind(separator);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string folderOfDroppedItem(std::string_view item, bool isFolder, char separator) {
    if (isFolder)
        return std::string(item);
    const auto pos = item.rfind(separator);
    if (pos == std::string_view::npos)
        return {};
    std::string folder(item.substr(0, pos));
    // "/a.bmp" and "c:\a.bmp" would leave "" and "c:": the first names no folder, the second the
    // drive's current folder rather than its root.
    if (folder.empty() || (separator == '\\' && folder.size() == 2 && folder[1] == ':'))
        folder += separator;
    return folder;
}

std::string targetDirForDroppedItem(std::string_view item, bool isFolder, char separator) {
    if (isFolder)
        return withTrailingSeparator(item, separator);
    return upToLastSeparator(item, separator);
}

} // namespace glyphmill
