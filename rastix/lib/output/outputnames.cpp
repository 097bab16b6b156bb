#include "output/outputnames.h"

#include "files/utf8path.h"

#include <filesystem>

namespace rastix {

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string baseName(const std::string& picturePath) {
    std::string name = fileName(picturePath);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

namespace {

// Names the 68000 assemblers take for registers or keywords, whatever their case: as a label
// they would assemble as the register, or not at all ("symbol list syntax").
bool isReservedName(const std::string& name) {
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    // d0-d7, a0-a7, fp0-fp7 and GNU as's suppressed registers za0-za7, zd0-zd7.
    const auto numbered = [&](const std::string& prefix) {
        return lower.size() == prefix.size() + 1 && lower.compare(0, prefix.size(), prefix) == 0 &&
               lower.back() >= '0' && lower.back() <= '7';
    };
    if (numbered("d") || numbered("a") || numbered("fp") || numbered("za") || numbered("zd"))
        return true;
    static const char* const kReserved[] = {
        "sp",    "pc",    "sr",    "ccr",  "usp",  "ssp",  "isp",    "msp",   "vbr",
        "sfc",   "dfc",   "cacr",  "caar", "tc",   "tt0",  "tt1",    "itt0",  "itt1",
        "dtt0",  "dtt1",  "mmusr", "psr",  "urp",  "srp",  "crp",    "iacr0", "iacr1",
        "dacr0", "dacr1", "ic40",  "dc40", "bc40", "fpcr", "fpsr",   "fpiar", "fp",
        "zpc",   "pcsr",  "equ",   "set",  "reg",  "equr", "regequ", "ccdef"};
    for (const char* reserved : kReserved)
        if (lower == reserved)
            return true;
    return false;
}

} // namespace

std::string labelFor(const std::string& base) {
    std::string label;
    for (const char c : base) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        label += ok ? c : '_';
    }
    if (label.empty() || (label[0] >= '0' && label[0] <= '9') || isReservedName(label))
        label.insert(label.begin(), '_');
    return label;
}

namespace {

// Words of C and C++ and the types of <stdint.h>: as the name of an array they would not
// compile.
bool isCReservedName(const std::string& name) {
    static const std::string kReserved =
        " auto break case char const continue default do double else enum extern float for goto"
        " if inline int long register restrict return short signed sizeof static struct switch"
        " typedef union unsigned void volatile while bool true false alignas alignof"
        " static_assert thread_local nullptr typeof asm class namespace new delete this template"
        " typename public private protected virtual friend operator try catch throw using"
        " explicit mutable export constexpr decltype noexcept wchar_t char8_t char16_t char32_t"
        " concept requires consteval constinit co_await co_return co_yield and or not xor bitand"
        " bitor compl and_eq or_eq xor_eq not_eq dynamic_cast static_cast const_cast"
        " reinterpret_cast typeid NULL int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t"
        " uint64_t intptr_t uintptr_t intmax_t uintmax_t main ";
    return kReserved.find(" " + name + " ") != std::string::npos;
}

} // namespace

std::string sourceLabel(const Settings& s, const std::string& base) {
    std::string label = labelFor(base);
    if (s.format == OutputFormat::C && isCReservedName(label))
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

std::string paletteCopyExtension(PaletteCopy copy) {
    switch (copy) {
    case PaletteCopy::Gpl:
        return ".gpl";
    case PaletteCopy::JascPal:
        return ".pal";
    case PaletteCopy::Act:
        return ".act";
    case PaletteCopy::None:
        break;
    }
    return {};
}

bool writesOwnPalette(const Settings& s) {
    return s.colourMap && s.sharing == PaletteSharing::Own;
}

std::vector<std::string> outputPaths(const Settings& s, const std::string& picturePath) {
    const std::string base = joinPath(s.targetDir, baseName(picturePath));
    std::vector<std::string> paths;
    if (s.format == OutputFormat::Assembly)
        paths = {base + ".s"};
    else if (s.format == OutputFormat::C)
        paths = {base + ".c", base + ".h"};
    else if (writesOwnPalette(s))
        paths = {base + ".map", base + ".clut"};
    else if (s.colourMap)
        paths = {base + ".map"};
    else
        paths = {trueColourBinaryPath(s, picturePath)};
    if (s.format == OutputFormat::Binary && s.objectHeader)
        paths.push_back(base + ".obj");
    if (writesOwnPalette(s) && s.paletteCopy != PaletteCopy::None)
        paths.push_back(base + paletteCopyExtension(s.paletteCopy));
    return paths;
}

std::vector<std::string> paletteSetPaths(const Settings& s) {
    const std::string base = joinPath(s.targetDir, s.paletteSetName);
    std::vector<std::string> paths;
    if (s.format == OutputFormat::Assembly)
        paths = {base + ".s"};
    else if (s.format == OutputFormat::C)
        paths = {base + ".c", base + ".h"};
    else
        paths = {base + ".clut"};
    if (s.paletteCopy != PaletteCopy::None)
        paths.push_back(base + paletteCopyExtension(s.paletteCopy));
    return paths;
}

std::string samePlaceKey(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path full = fs::absolute(utf8Path(path), ec);
    if (!ec) {
        // Through links, so that two names of one folder give one key.
        const fs::path resolved = fs::weakly_canonical(full, ec);
        if (!ec)
            full = resolved;
    }
    const std::u8string text = full.lexically_normal().generic_u8string();
    std::string key(text.begin(), text.end());
#ifdef _WIN32
    // Windows file names ignore case.
    for (char& c : key)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
#endif
    return key;
}

} // namespace rastix
