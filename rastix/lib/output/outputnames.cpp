#include "output/outputnames.h"

#include "files/utf8char.h"
#include "files/utf8path.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>

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

// The ASCII letters a reader sees in the Latin letters of U+00C0 to U+017F (Latin-1 and Latin
// Extended-A); null where a code point is no letter (the signs x and /).
// In rows of 16 code points.
// clang-format off
const char* const kLatinLetters[] = {
    // U+00C0
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "O", nullptr, "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100
    "A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    "D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    "G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    "l", "L", "l", "N", "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    "S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    "U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s"};
// clang-format on
constexpr char32_t kFirstLatinLetter = 0xC0;

void appendHex(std::string& out, char32_t value, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 15];
}

// How one character of a name reads in a label: ASCII letters and digits as they are, other
// ASCII as '_', a Latin letter as its ASCII letters, any other character as uXXXX and a byte
// that is not UTF-8 as xHH, so that names in other scripts stay apart.
void appendLabelChars(std::string& label, const Utf8Char& c) {
    const char32_t code = c.code;
    if (!c.valid) {
        label += 'x';
        appendHex(label, code, 2);
    } else if (code < 0x80) {
        const bool kept = (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
                          (code >= '0' && code <= '9');
        label += kept ? static_cast<char>(code) : '_';
    } else if (const std::size_t at = code - kFirstLatinLetter;
               code >= kFirstLatinLetter && at < std::size(kLatinLetters) && kLatinLetters[at]) {
        label += kLatinLetters[at];
    } else {
        label += 'u';
        appendHex(label, code, code > 0xFFFF ? (code > 0xFFFFF ? 6 : 5) : 4);
    }
}

} // namespace

std::string labelFor(const std::string& base) {
    std::string label;
    for (std::size_t at = 0; at < base.size();) {
        const Utf8Char c = utf8CharAt(base, at);
        appendLabelChars(label, c);
        at += c.length;
    }
    if (label.empty() || (label[0] >= '0' && label[0] <= '9') || isReservedName(label))
        label.insert(label.begin(), '_');
    if (label.size() > kLongestLabel) {
        // Lines that hold the label stay short enough for every assembler; the name's hash
        // (FNV-1a) keeps two long names that start alike apart.
        std::uint32_t hash = 2166136261u;
        for (const char c : base)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        label.resize(kLongestLabel - 9);
        label += '_';
        appendHex(label, hash, 8);
    }
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

std::vector<std::string> globalNames(const Settings& s, const std::string& picturePath,
                                     NamedOutput output, bool animated) {
    if (s.format == OutputFormat::Binary)
        return {};
    std::vector<std::string> names;
    const auto add = [&names](const std::string& label, std::initializer_list<const char*> ends) {
        for (const char* end : ends)
            names.push_back(label + end);
    };
    // C defines its arrays; its constants are macros, which no linker sees.
    const bool c = s.format == OutputFormat::C;
    if (output == NamedOutput::PaletteSet) {
        const std::string label = sourceLabel(s, s.paletteSetName);
        if (c) {
            add(label, {"_clut"});
            return names;
        }
        add(label, {"_clut", "_clut_end"});
        if (s.exportEquates)
            add(label, {"_colours"});
        return names;
    }
    const std::string label = sourceLabel(s, baseName(picturePath));
    // An animation's frames are a sheet's, with their durations besides.
    const bool framed = s.frames || animated;
    if (c) {
        add(label, {""});
        if (writesOwnPalette(s))
            add(label, {"_clut"});
        if (s.objectHeader)
            add(label, {"_object"});
        if (framed)
            add(label, {"_frametable"});
        if (animated)
            add(label, {"_delays"});
        if (framed && s.mirrorFrames)
            add(label, {"_reflect"});
        return names;
    }
    add(label, {"", "_end"});
    if (writesOwnPalette(s))
        add(label, {"_clut", "_clut_end"});
    if (s.objectHeader)
        add(label, {"_object", "_object_end"});
    if (framed)
        add(label, {"_frametable"});
    if (animated)
        add(label, {"_delays"});
    if (framed && s.mirrorFrames)
        add(label, {"_reflect"});
    if (s.exportEquates) {
        add(label, {"_width", "_height", "_phrases", "_depth", "_bpp", "_size", "_dwidth",
                    "_iwidth", "_pitch", "_index"});
        if (s.colourMap)
            add(label, {"_colours"});
        if (framed)
            add(label, {"_frames", "_framebytes"});
        if (framed && s.dropEmptyFrames)
            add(label, {"_emptyframe"});
    }
    return names;
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
    if (s.showPng)
        paths.push_back(shownPngPath(s, picturePath));
    if (s.metadata)
        paths.push_back(metadataPath(s, picturePath));
    return paths;
}

std::string shownPngPath(const Settings& s, const std::string& picturePath) {
    return joinPath(s.targetDir, baseName(picturePath)) + ".shown.png";
}

std::string metadataPath(const Settings& s, const std::string& picturePath) {
    return joinPath(s.targetDir, baseName(picturePath)) + ".json";
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
