#include "output/assemblysource.h"

#include "codec/objectfields.h"
#include "output/commenttext.h"
#include "output/outputnames.h"
#include "output/picturefacts.h"
#include "output/sourcetext.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace rastix {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

struct HexPairs {
    char digits[256][2];
    constexpr HexPairs()
        : digits() {
        for (int b = 0; b < 256; ++b) {
            digits[b][0] = kHex[b >> 4];
            digits[b][1] = kHex[b & 15];
        }
    }
};
constexpr HexPairs kHexPairs;

// What differs between the two dialects; everything else (.data, .globl, "name = value",
// "label:") both accept.
struct Dialect {
    const char* comment;
    const char* hex;
    const char* phrase;
    const char* words;
    const char* bytes;
    const char* doublePhrase;
    const char* longs; // MADMAC's .long aligns instead
    // Before .data: Madmac source may be included from .gpu or .dsp code, whose mode would
    // otherwise still hold; GNU as knows no such directive.
    const char* cpu;
};

const Dialect kMadmac = {";", "$", ".phrase", "dc.w", "dc.b", ".dphrase", "dc.l", "\t.68000\n"};
const Dialect kGas = {"|", "0x", ".balign 8", ".short", ".byte", ".balign 16", ".long", ""};

void appendHexWord(std::string& out, const Dialect& d, unsigned w) {
    out += d.hex;
    out += kHex[(w >> 12) & 15];
    out += kHex[(w >> 8) & 15];
    out += kHex[(w >> 4) & 15];
    out += kHex[w & 15];
}

// A phrase as the console reads it: two longs, the high one first.
void appendPhrase(std::string& out, const Dialect& d, std::uint64_t phrase) {
    out += d.hex;
    for (int shift = 60; shift >= 32; shift -= 4)
        out += kHex[(phrase >> shift) & 15];
    out += ",";
    out += d.hex;
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(phrase >> shift) & 15];
}

// A label other modules can link against; both dialects write it alike.
std::string globalLabel(const std::string& label) {
    return "\t.globl\t" + label + "\n" + label + ":\n";
}

const Dialect& dialectOf(const Settings& s) {
    return s.syntax == AsmSyntax::Gas ? kGas : kMadmac;
}

// "NAME = value", or one other modules can use too: Madmac exports an equate written with "==",
// GNU as one named by .globl.
std::string equateLine(const Settings& s, const std::string& name, long long value,
                       const std::string& note) {
    const Dialect& d = dialectOf(s);
    std::string line;
    if (s.exportEquates && &d == &kGas)
        line += "\t.globl\t" + name + "\n";
    line += name + (s.exportEquates && &d == &kMadmac ? " == " : " = ") + std::to_string(value);
    return line + "\t" + d.comment + " " + note + "\n";
}

} // namespace

std::string assemblyHeader(const EncodedPicture& p, const Settings& s,
                           const std::string& sourceName, const std::string& label) {
    const Dialect& d = dialectOf(s);
    const std::string c = d.comment;
    std::string out;
    for (const std::string& line : pictureDescription(p, s, sourceName))
        out += c + " " + line + "\n";
    out += "\n";
    for (const PictureConstant& k : pictureConstants(p, s))
        out += equateLine(s, label + "_" + k.name, k.value, k.note);
    out += '\n';
    out += d.cpu;
    out += "\t.data\n\t";
    out += d.phrase;
    out += '\n';
    out += globalLabel(label);
    return out;
}

namespace {

// The text of an item that follows another on its line, separator and digits, for each value of
// its first byte, padded so that it can be copied as one 8-byte block.
struct ItemTexts {
    char text[256][8] = {};
    std::size_t length = 0;
    explicit ItemTexts(const Dialect& d) {
        const std::string between = std::string(",") + d.hex;
        length = between.size() + 2;
        for (int b = 0; b < 256; ++b) {
            std::memcpy(text[b], between.data(), between.size());
            std::memcpy(text[b] + between.size(), kHexPairs.digits[b], 2);
        }
    }
};
const ItemTexts kMadmacItems(kMadmac);
const ItemTexts kGasItems(kGas);

} // namespace

void appendAssemblyRows(std::string& out, const std::uint8_t* rows, int count,
                        const EncodedPicture& p, const Settings& s) {
    // Written straight into the string from tables, a block of eight characters at a time: this
    // is most of the text, and appending it a character at a time took longer than decoding.
    const Dialect& d = dialectOf(s);
    const ItemTexts& itemText = &d == &kGas ? kGasItems : kMadmacItems;
    const bool words = !p.isColourMap();
    const int bytesPerItem = words ? 2 : 1;
    const int items = p.rowBytes / bytesPerItem;
    const int perLine = words ? 8 : 16;
    const std::string lineStart = std::string("\t") + (words ? d.words : d.bytes) + "\t" + d.hex;
    const std::size_t itemLength = itemText.length + (words ? 2 : 0);
    const auto lines = static_cast<std::size_t>((items + perLine - 1) / perLine);
    const std::size_t rowText =
        lines * (lineStart.size() + 1) + static_cast<std::size_t>(items) * itemLength - lines;
    constexpr std::size_t kSlack = 8; // for the last block copied
    const std::size_t start = out.size();
    out.resize(start + rowText * static_cast<std::size_t>(count) + kSlack);
    char* o = out.data() + start;
    const auto digits = [&o](std::uint8_t byte) {
        std::memcpy(o, kHexPairs.digits[byte], 2);
        o += 2;
    };
    for (int y = 0; y < count; ++y) {
        const std::uint8_t* byte = rows + static_cast<std::size_t>(y) * p.rowBytes;
        for (int first = 0; first < items; first += perLine) {
            const int last = std::min(items, first + perLine);
            std::memcpy(o, lineStart.data(), lineStart.size());
            o += lineStart.size();
            for (int i = first; i < last; ++i) {
                if (i == first) {
                    digits(*byte++);
                } else {
                    std::memcpy(o, itemText.text[*byte++], 8);
                    o += itemText.length;
                }
                if (words)
                    digits(*byte++);
            }
            *o++ = '\n';
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

namespace {

// A phrase-aligned, global table of palette words under `label`.
std::string paletteTable(const std::vector<std::uint16_t>& words, const Dialect& d,
                         const std::string& label) {
    const std::string wordLine = std::string("\t") + d.words + "\t";
    std::string out = "\n\t" + std::string(d.phrase) + "\n";
    out += globalLabel(label);
    for (std::size_t i = 0; i < words.size(); ++i) {
        out += i % 8 == 0 ? wordLine : ",";
        appendHexWord(out, d, words[i]);
        if (i % 8 == 7 || i == words.size() - 1)
            out += '\n';
    }
    out += globalLabel(label + "_end");
    return out;
}

// A global table of longs, one a frame: where each frame starts, in bytes from the data's label,
// or how long an animation shows it.
std::string frameTable(const std::vector<long long>& offsets, const Dialect& d,
                       const std::string& label) {
    const std::string longLine = std::string("\t") + d.longs + "\t";
    std::string out = globalLabel(label);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        out += i % 8 == 0 ? longLine : ",";
        out += std::to_string(offsets[i]);
        if (i % 8 == 7 || i == offsets.size() - 1)
            out += '\n';
    }
    return out;
}

} // namespace

namespace {

// The picture's bitmap object under `label`, double-phrase aligned as the object processor
// needs; what only the game knows (where the data and the next object are, where it is shown)
// is left 0.
std::string objectTable(const ObjectFields& f, const Dialect& d, const std::string& label,
                        bool relativeCry) {
    const std::string c = d.comment;
    const BitmapObject o = bitmapObject(f);
    std::string out = "\n\t" + std::string(d.doublePhrase) + "\n";
    out += c + " A bitmap object: HEIGHT " + std::to_string(f.height) + ", DEPTH " +
           std::to_string(f.depth) + ", PITCH " + std::to_string(f.pitch) + ", DWIDTH " +
           std::to_string(f.dwidth) + ", IWIDTH " + std::to_string(f.iwidth) + ", INDEX " +
           std::to_string(f.index) + ", TRANS " + (f.trans ? "1" : "0") + ".\n";
    out += c + " The game fills in what is 0 here: phrase 0 holds DATA (the data's address / 8)\n";
    out += c + " in bits 63-43, LINK (the next object's address / 8) in bits 42-24 and YPOS\n";
    out += c + " (half-lines) in bits 13-3; phrase 1 holds XPOS in bits 11-0.\n";
    if (relativeCry)
        out += c + " Relative CRY adds to the line buffer only with RMW, bit 46 of phrase 1.\n";
    out += globalLabel(label);
    out += '\t';
    out += d.longs;
    out += '\t';
    appendPhrase(out, d, o.phrase0);
    out += "\t" + c + " HEIGHT in bits 23-14, TYPE 0 (bitmap) in 2-0\n";
    out += '\t';
    out += d.longs;
    out += '\t';
    appendPhrase(out, d, o.phrase1);
    out +=
        "\t" + c + " TRANS 47, INDEX 44-38, IWIDTH 37-28, DWIDTH 27-18, PITCH 17-15, DEPTH 14-12\n";
    out += globalLabel(label + "_end");
    return out;
}

} // namespace

std::string assemblyTrailer(const EncodedPicture& p, const Settings& s, const std::string& label) {
    // LABEL_end marks where the pixel data ends, for a build that copies or sizes it by label.
    std::string out = globalLabel(label + "_end");
    for (const FrameTable& table : frameTables(p))
        out += frameTable(table.values, dialectOf(s), label + table.suffix);
    if (p.isColourMap() && writesOwnPalette(s))
        out += paletteTable(p.palette, dialectOf(s), label + "_clut");
    if (s.objectHeader)
        out += objectTable(objectFields(p, writesOwnPalette(s)), dialectOf(s), label + "_object",
                           glassCry(s));
    return out;
}

std::string paletteSetAssembly(const std::vector<std::uint16_t>& words, const Settings& s,
                               const std::string& description, const std::string& label) {
    const Dialect& d = dialectOf(s);
    const std::string c = d.comment;
    const std::string lead = c + " Generated by rastix: ";
    std::string out = lead + commentName(description, kLongestTextLine - lead.size()) + "\n";
    out += c + " model:         " + modelDescription(s) + "\n\n";
    out +=
        equateLine(s, label + "_colours", static_cast<long long>(words.size()), "palette entries");
    out += '\n';
    out += d.cpu;
    out += "\t.data";
    out += paletteTable(words, d, label + "_clut");
    return out;
}

std::string assemblySource(const EncodedPicture& p, const Settings& s,
                           const std::string& sourceName, const std::string& label) {
    std::string out;
    out.reserve(p.data.size() * 5 + 1024);
    writeSourceText(p, s, sourceName, label, [&](const std::string& piece) {
        out += piece;
        return true;
    });
    return out;
}

} // namespace rastix
