#include "output/csource.h"

#include "codec/objectfields.h"
#include "output/outputnames.h"
#include "output/picturefacts.h"

#include <algorithm>
#include <cstring>

namespace rastix {

namespace {

// The .c file includes its header, so that the compiler checks that the two agree. A name that
// cannot stand between the quotes of an #include (a '"', a '\\' or a control character) cannot
// be included: the header's text then stands in the .c itself.
std::string includeOf(const std::string& headerFile, const std::string& headerText) {
    const bool quotable = std::none_of(headerFile.begin(), headerFile.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return ch == '"' || ch == '\\' || u < 0x20 || u == 0x7F;
    });
    return quotable ? "#include \"" + headerFile + "\"\n\n" : headerText + "\n";
}

constexpr char kHex[] = "0123456789ABCDEF";

// A comment block; a "*/" in a file name would end it early.
std::string commentBlock(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        for (std::size_t at; (at = line.find("*/")) != std::string::npos;)
            line.replace(at, 2, "* /");
        for (char& c : line)
            c = c == '\n' || c == '\r' ? '?' : c;
        out += (i == 0 ? "/* " : " * ") + line + "\n";
    }
    return out + " */\n";
}

std::string includeGuard(const std::string& label) {
    return "RASTIX_" + label + "_H";
}

// The array definitions need the object processor's alignment: a phrase for data, a double
// phrase for an object. Standard C has no way to ask for it before C11, so another compiler
// is stopped rather than left to place the data where the console cannot read it.
const char* const kAlignment = R"(#ifndef RASTIX_ALIGNED
#if defined(__GNUC__) || defined(__clang__)
#define RASTIX_ALIGNED(bytes) __attribute__((aligned(bytes)))
#elif defined(__cplusplus) && __cplusplus >= 201103L
#define RASTIX_ALIGNED(bytes) alignas(bytes)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define RASTIX_ALIGNED(bytes) _Alignas(bytes)
#else
#error "the console reads these arrays by phrases: define RASTIX_ALIGNED(bytes) for this compiler"
#endif
#endif
)";

const char* elementType(const EncodedPicture& p) {
    return p.isColourMap() ? "uint8_t" : "uint16_t";
}

// The element count of the data's array, in terms of the header's constants.
std::string dataLength(const EncodedPicture& p, const std::string& label) {
    return p.isColourMap() ? label + "_size" : label + "_size / 2";
}

const char* const kCppOpen = "#ifdef __cplusplus\nextern \"C\" {\n#endif\n";
const char* const kCppClose = "#ifdef __cplusplus\n}\n#endif\n";

void appendHexWord(std::string& out, unsigned w) {
    out += "0x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(w >> shift) & 15];
}

std::string wordTable(const std::vector<std::uint16_t>& words) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i % 8 == 0)
            out += "\t";
        appendHexWord(out, words[i]);
        out += i % 8 == 7 || i == words.size() - 1 ? ",\n" : ",";
    }
    return out;
}

std::string paletteArray(const std::vector<std::uint16_t>& words, const std::string& label) {
    return "\nRASTIX_ALIGNED(8) const uint16_t " + label + "_clut[" + label + "_colours] = {\n" +
           wordTable(words) + "};\n";
}

std::string hexLong(std::uint32_t v) {
    std::string out = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(v >> shift) & 15];
    return out;
}

// One long a frame: where each frame of a sheet starts, in bytes from the data's first, or how
// long an animation shows it.
std::string frameTableArray(const std::vector<long long>& offsets, const std::string& name,
                            const std::string& label) {
    std::string out = "\nconst uint32_t " + name + "[" + label + "_frames] = {\n";
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        out += i % 8 == 0 ? "\t" : " ";
        out += std::to_string(offsets[i]) + (i % 8 == 7 || i == offsets.size() - 1 ? ",\n" : ",");
    }
    return out + "};\n";
}

std::string objectArray(const ObjectFields& f, const std::string& label, bool relativeCry) {
    const BitmapObject o = bitmapObject(f);
    std::string out = "\n/* A bitmap object: HEIGHT " + std::to_string(f.height) + ", DEPTH " +
                      std::to_string(f.depth) + ", PITCH " + std::to_string(f.pitch) + ", DWIDTH " +
                      std::to_string(f.dwidth) + ", IWIDTH " + std::to_string(f.iwidth) +
                      ", INDEX " + std::to_string(f.index) + ", TRANS " + (f.trans ? "1" : "0") +
                      ".\n";
    out += " * The game fills in what is 0 here: phrase 0 (longs 0 and 1) holds DATA (the data's\n";
    out +=
        " * address / 8) in bits 63-43, LINK (the next object's address / 8) in bits 42-24 and\n";
    out += " * YPOS (half-lines) in bits 13-3; phrase 1 (longs 2 and 3) holds XPOS in bits 11-0.\n";
    if (relativeCry)
        out += " * Relative CRY adds to the line buffer only with RMW, bit 46 of phrase 1.\n";
    out += " */\nRASTIX_ALIGNED(16) const uint32_t " + label + "_object[4] = {\n";
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict, falsely) on "\t" + a string.
    const auto phraseLine = [&out](std::uint64_t phrase, const char* note) {
        out += '\t';
        out += hexLong(static_cast<std::uint32_t>(phrase >> 32));
        out += ", ";
        out += hexLong(static_cast<std::uint32_t>(phrase));
        out += note;
    };
    phraseLine(o.phrase0, ", /* HEIGHT in bits 23-14, TYPE 0 (bitmap) in 2-0 */\n");
    phraseLine(
        o.phrase1,
        ", /* TRANS 47, INDEX 44-38, IWIDTH 37-28, DWIDTH 27-18, PITCH 17-15, DEPTH 14-12 */\n");
    return out + "};\n";
}

// The text of an item and the comma after it, for each byte value: "0xAB,".
struct ByteTexts {
    char text[256][5] = {};
    constexpr ByteTexts() {
        for (int b = 0; b < 256; ++b) {
            text[b][0] = '0';
            text[b][1] = 'x';
            text[b][2] = kHex[b >> 4];
            text[b][3] = kHex[b & 15];
            text[b][4] = ',';
        }
    }
};
constexpr ByteTexts kByteTexts;

} // namespace

std::vector<std::string> cArrayNames(const EncodedPicture& p, const Settings& s,
                                     const std::string& label) {
    std::vector<std::string> names = {label};
    if (p.isColourMap() && writesOwnPalette(s))
        names.push_back(label + "_clut");
    if (s.objectHeader)
        names.push_back(label + "_object");
    for (const FrameTable& table : frameTables(p))
        names.push_back(label + table.suffix);
    return names;
}

std::string cHeaderFile(const EncodedPicture& p, const Settings& s, const std::string& sourceName,
                        const std::string& label) {
    std::string out = commentBlock(pictureDescription(p, s, sourceName));
    out += "#ifndef " + includeGuard(label) + "\n#define " + includeGuard(label) + "\n\n";
    out += "#include <stdint.h>\n\n";
    for (const PictureConstant& k : pictureConstants(p, s))
        out += "#define " + label + "_" + k.name + " " + std::to_string(k.value) + " /* " + k.note +
               " */\n";
    out += "\n" + std::string(kCppOpen) + "\n";
    out += "/* The pixel rows, each padded to a whole phrase. */\n";
    out += "extern const " + std::string(elementType(p)) + " " + label + "[" +
           dataLength(p, label) + "];\n";
    if (p.isColourMap() && writesOwnPalette(s))
        out += "extern const uint16_t " + label + "_clut[" + label + "_colours];\n";
    if (s.objectHeader)
        out += "/* Two phrases, each as two longs, the high one first. */\n"
               "extern const uint32_t " +
               label + "_object[4];\n";
    for (const FrameTable& table : frameTables(p)) {
        out += "/* " + table.note + ". */\n";
        out += "extern const uint32_t " + label + table.suffix + "[" + label + "_frames];\n";
    }
    out += "\n" + std::string(kCppClose) + "\n#endif\n";
    return out;
}

std::string cSourceHeader(const EncodedPicture& p, const Settings& s, const std::string& sourceName,
                          const std::string& label) {
    std::string out = commentBlock(pictureDescription(p, s, sourceName));
    out += includeOf(baseName(sourceName) + ".h", cHeaderFile(p, s, sourceName, label)) +
           kAlignment + "\n";
    out += "RASTIX_ALIGNED(8) const " + std::string(elementType(p)) + " " + label + "[" +
           dataLength(p, label) + "] = {\n";
    return out;
}

void appendCRows(std::string& out, const std::uint8_t* rows, int count, const EncodedPicture& p) {
    // Written straight into the string, as the assembly rows are: this is most of the text.
    // Each row starts a line of its own, so that every row makes the same text wherever the
    // rows are cut into pieces.
    constexpr int kBytesPerLine = 16;
    const bool words = !p.isColourMap();
    const auto rowBytes = static_cast<std::size_t>(p.rowBytes);
    const std::size_t lines = (rowBytes + kBytesPerLine - 1) / kBytesPerLine;
    // A word is "0xABCD," (7 characters for 2 bytes), a byte "0xAB," (5); a line adds 2.
    const std::size_t rowText = (words ? rowBytes / 2 * 7 : rowBytes * 5) + lines * 2;
    const std::size_t start = out.size();
    out.resize(start + rowText * static_cast<std::size_t>(count));
    char* o = out.data() + start;
    for (int y = 0; y < count; ++y) {
        const std::uint8_t* row = rows + rowBytes * static_cast<std::size_t>(y);
        for (std::size_t at = 0; at < rowBytes; at += kBytesPerLine) {
            *o++ = '\t';
            const std::size_t last = std::min(rowBytes, at + kBytesPerLine);
            for (std::size_t i = at; i < last; ++i) {
                const char* text = kByteTexts.text[row[i]];
                if (!words) {
                    std::memcpy(o, text, 5);
                    o += 5;
                } else if (i % 2 == 0) {
                    std::memcpy(o, text, 4); // "0xAB", the high byte
                    o += 4;
                } else {
                    std::memcpy(o, text + 2, 3); // "CD,", the low byte
                    o += 3;
                }
            }
            *o++ = '\n';
        }
    }
}

std::string cSourceTrailer(const EncodedPicture& p, const Settings& s, const std::string& label) {
    std::string out = "};\n";
    for (const FrameTable& table : frameTables(p))
        out += frameTableArray(table.values, label + table.suffix, label);
    if (p.isColourMap() && writesOwnPalette(s))
        out += paletteArray(p.palette, label);
    if (s.objectHeader)
        out += objectArray(objectFields(p, writesOwnPalette(s)), label, glassCry(s));
    return out;
}

std::string paletteSetCHeader(const std::vector<std::uint16_t>& words, const Settings& s,
                              const std::string& description, const std::string& label) {
    std::string out = commentBlock(
        {"Generated by rastix: " + description, "model:         " + modelDescription(s)});
    out += "#ifndef " + includeGuard(label) + "\n#define " + includeGuard(label) + "\n\n";
    out += "#include <stdint.h>\n\n";
    out += "#define " + label + "_colours " + std::to_string(words.size()) +
           " /* palette entries */\n\n";
    out += std::string(kCppOpen) + "\nextern const uint16_t " + label + "_clut[" + label +
           "_colours];\n\n" + kCppClose + "\n#endif\n";
    return out;
}

std::string paletteSetCSource(const std::vector<std::uint16_t>& words, const Settings& s,
                              const std::string& description, const std::string& label,
                              const std::string& headerFile) {
    std::string out = commentBlock(
        {"Generated by rastix: " + description, "model:         " + modelDescription(s)});
    out += includeOf(headerFile, paletteSetCHeader(words, s, description, label)) + kAlignment;
    return out + paletteArray(words, label);
}

} // namespace rastix
