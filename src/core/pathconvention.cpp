#include "pathconvention.h"

namespace glyphmill {

PathConvention PathConvention::windows() {
    return {'\\', "rastix.exe"};
}

PathConvention PathConvention::posix() {
    return {'/', "rastix"};
}

PathConvention PathConvention::native() {
#ifdef _WIN32
    return windows();
#else
    return posix();
#endif
}

std::string PathConvention::converterPath(std::string_view appFolder) const {
    std::string path(appFolder);
    path += separator;
    path += converterName;
    return path;
}

std::string PathConvention::converterCommandPrefix(std::string_view appFolder) const {
    return converterPath(appFolder) + ' ';
}

std::string upToLastSeparator(std::string_view path, char separator) {
    const auto pos = path.rfind(separator);
    if (pos == std::string_view::npos)
        return {};
    return std::string(path.substr(0, pos + 1));
}

std::string withTrailingSeparator(std::string_view path, char separator) {
    std::string result(path);
    if (result.empty() || result.back() != separator)
        result += separator;
    return result;
}

} // namespace glyphmill
