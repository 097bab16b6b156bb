#include "output/shownpng.h"

#include "output/outputnames.h"

namespace rastix {

std::optional<OutputFile> shownPngFile(const EncodedPicture& picture, const Settings& s,
                                       const std::string& picturePath, const PngEncoder& encode,
                                       std::string& error) {
    if (!s.showPng)
        return std::nullopt;
    const std::string path = shownPngPath(s, picturePath);
    const auto fail = [&](const std::string& why) {
        error = "cannot make '";
        error += path;
        error += "': ";
        error += why;
        return std::nullopt;
    };
    if (!encode)
        return fail("this build has no PNG writer");
    std::string why;
    const ShownPicture shown = consoleView(picture, s, why);
    if (!why.empty())
        return fail(why);
    OutputFile file{path, {}, nullptr};
    if (!encode(shown, file.bytes, why))
        return fail(why);
    return file;
}

} // namespace rastix
