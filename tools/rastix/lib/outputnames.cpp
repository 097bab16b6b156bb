#include "outputnames.h"

namespace rastix {

std::string baseName(const std::string& picturePath) {
    std::size_t start = picturePath.find_last_of("/\\");
    start = start == std::string::npos ? 0 : start + 1;
    std::string name = picturePath.substr(start);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string labelFor(const std::string& base) {
    std::string label;
    for (const char c : base) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        label += ok ? c : '_';
    }
    if (label.empty() || (label[0] >= '0' && label[0] <= '9'))
        label.insert(label.begin(), '_');
    return label;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    const char last = dir.back();
    return (last == '/' || last == '\\') ? dir + name : dir + "/" + name;
}

std::string modelDescription(const Settings& s) {
    std::string text = s.model == ColourModel::Rgb16 ? "RGB16" : "CRY16";
    if (s.model == ColourModel::Cry16) {
        if (s.cryEncoding == CryEncoding::Glass) {
            text += " glass";
            if (s.grayOnly)
                text += " gray";
            text += s.kept == KeptDeltas::Positive   ? " positive"
                    : s.kept == KeptDeltas::Negative ? " negative"
                                                     : " both";
        } else {
            text += s.grayOnly ? " normal gray" : " normal";
        }
    }
    if (s.fifteenBits)
        text += ", 15 bits";
    return text;
}

std::string trueColourBinaryPath(const Settings& s, const std::string& picturePath) {
    return joinPath(s.targetDir,
                    baseName(picturePath) + (s.model == ColourModel::Rgb16 ? ".rgb" : ".cry"));
}

} // namespace rastix
