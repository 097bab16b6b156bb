#include "palette/palettefile.h"

#include "palette/palettefileformats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

namespace rastix {

namespace {

using palettefiles::parseGifPalette;
using palettefiles::parseGimpPalette;
using palettefiles::parseJascPalette;
using palettefiles::parsePngPalette;
using palettefiles::startsAsPng;

constexpr std::size_t kActColoursBytes = 3 * kMostPaletteColours;

// The extension of the last part of a path, in lower case, with its dot; empty when it has none.
std::string extensionOf(const std::string& name) {
    const std::size_t part = name.find_last_of("/\\");
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (part != std::string::npos && dot < part))
        return {};
    std::string extension = name.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return extension;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Photoshop's colour table: 256 colours, then (in the 772-byte form) the count of those in use
// and the entry shown as transparent, both big-endian; the transparent entry is nothing to a
// palette of the console's and is passed over.
bool parseAct(const std::vector<std::uint8_t>& bytes, std::vector<RgbColour>& colours,
              std::string& error) {
    std::size_t count = kMostPaletteColours;
    if (bytes.size() == kActColoursBytes + 4) {
        count = std::size_t{bytes[kActColoursBytes]} << 8 | bytes[kActColoursBytes + 1];
        if (count == 0 || count > kMostPaletteColours) {
            error =
                "is an .act that says it holds " + std::to_string(count) + " colours, not 1 to 256";
            return false;
        }
    } else if (bytes.size() != kActColoursBytes) {
        error = "is an .act of " + std::to_string(bytes.size()) +
                " bytes; one holds 768, or 772 with its count of colours";
        return false;
    }
    colours.clear();
    for (std::size_t i = 0; i < count; ++i)
        colours.push_back({bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]});
    return true;
}

// The console's colour lookup as rastix writes it: one big-endian word an entry.
bool parseClut(const std::vector<std::uint8_t>& bytes, std::vector<std::uint16_t>& words,
               std::string& error) {
    if (bytes.size() % 2 != 0) {
        error = "is a .clut of an odd number of bytes (" + std::to_string(bytes.size()) +
                "); one holds 16-bit words";
        return false;
    }
    if (bytes.size() > 2 * kMostPaletteColours) {
        error = "is a .clut of " + std::to_string(bytes.size() / 2) +
                " words, more than the 256 a palette can have";
        return false;
    }
    words.clear();
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        words.push_back(std::uint16_t(bytes[i] << 8 | bytes[i + 1]));
    return true;
}

// What a file that is not in any format read here is, as far as its name and start tell.
std::string unknownFormat(const std::string& extension, std::string_view text) {
    if (extension == ".png")
        return "is not a PNG (it does not start with the PNG signature)";
    if (extension == ".gif")
        return "is not a GIF (it does not start with GIF87a or GIF89a)";
    if (extension == ".gpl")
        return "is not a GIMP palette (its first line is not \"GIMP Palette\")";
    if (extension == ".pal" && startsWith(text, "RIFF"))
        return "is a RIFF palette, which rastix does not read (JASC-PAL it does)";
    if (extension == ".pal")
        return "is not a JASC-PAL palette (its first line is not \"JASC-PAL\")";
    return "is not a palette file rastix reads (.gpl, JASC .pal, .act, .clut, an indexed PNG or "
           "a GIF)";
}

// The name as one line of printable text, for the .gpl "Name:" line.
std::string nameLine(const std::string& name) {
    std::string line;
    for (const char c : name)
        line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return "Untitled";
    return line.substr(first, line.find_last_not_of(' ') + 1 - first);
}

void append(std::vector<std::uint8_t>& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

std::string rgbText(const RgbColour& c, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, unsigned(c.red), unsigned(c.green), unsigned(c.blue));
    return text;
}

} // namespace

namespace palettefiles {

bool goesByExtension(const std::string& name, std::uint64_t fileSize) {
    const std::string extension = extensionOf(name);
    if (extension == ".act")
        return fileSize == kActColoursBytes || fileSize == kActColoursBytes + 4;
    return extension == ".clut" && fileSize % 2 == 0 && fileSize > 0 &&
           fileSize <= 2 * kMostPaletteColours;
}

bool parsePaletteStart(const std::string& name, const std::vector<std::uint8_t>& bytes,
                       std::uint64_t fileSize, PaletteFileContents& out, std::string& error) {
    if (bytes.empty()) {
        error = "is empty";
        return false;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (startsWith(text, "\xEF\xBB\xBF")) // a byte order mark, as Windows editors save UTF-8
        text.remove_prefix(3);
    const std::string extension = extensionOf(name);
    PaletteFileContents read;
    bool ok = false;
    const bool byExtension = goesByExtension(name, fileSize);
    if (byExtension && extension == ".act")
        ok = parseAct(bytes, read.colours, error);
    else if (byExtension)
        ok = read.holdsWords = parseClut(bytes, read.words, error);
    else if (startsAsPng(bytes))
        ok = parsePngPalette(bytes, read.colours, error);
    else if (startsWith(text, "GIF87a") || startsWith(text, "GIF89a"))
        ok = parseGifPalette(bytes, read.colours, error);
    else if (startsWith(text, "GIMP Palette"))
        ok = parseGimpPalette(text, read.colours, error);
    else if (startsWith(text, "JASC-PAL"))
        ok = parseJascPalette(text, read.colours, error);
    else if (extension == ".act")
        ok = parseAct(bytes, read.colours, error);
    else if (extension == ".clut")
        ok = read.holdsWords = parseClut(bytes, read.words, error);
    else
        error = unknownFormat(extension, text);
    if (!ok)
        return false;
    const std::size_t count = read.holdsWords ? read.words.size() : read.colours.size();
    if (count == 0) {
        error = "holds no colours";
        return false;
    }
    if (count > kMostPaletteColours) {
        error = "holds " + std::to_string(count) + " colours, more than the 256 a palette can have";
        return false;
    }
    out = std::move(read);
    error.clear();
    return true;
}

} // namespace palettefiles

bool parsePaletteFile(const std::string& name, const std::vector<std::uint8_t>& bytes,
                      PaletteFileContents& out, std::string& error) {
    return palettefiles::parsePaletteStart(name, bytes, bytes.size(), out, error);
}

std::vector<std::uint8_t> writePaletteFile(PaletteFileFormat format,
                                           const std::vector<RgbColour>& colours,
                                           const std::string& name) {
    const std::size_t count = std::min(colours.size(), kMostPaletteColours);
    std::vector<std::uint8_t> bytes;
    switch (format) {
    case PaletteFileFormat::Gpl:
        // Sixteen to a row: a 4-bit picture on the console takes its colours from one such run.
        append(bytes, "GIMP Palette\nName: " + nameLine(name) + "\nColumns: 16\n#\n");
        for (std::size_t i = 0; i < count; ++i)
            append(bytes,
                   rgbText(colours[i], "%3u %3u %3u\t") + "Index " + std::to_string(i) + "\n");
        break;
    case PaletteFileFormat::JascPal:
        // CR LF, as PaintShop Pro writes it on Windows.
        append(bytes, "JASC-PAL\r\n0100\r\n" + std::to_string(count) + "\r\n");
        for (std::size_t i = 0; i < count; ++i)
            append(bytes, rgbText(colours[i], "%u %u %u\r\n"));
        break;
    case PaletteFileFormat::Act:
        // Photoshop reads only the full 256 entries: those not in use are black.
        bytes.assign(kActColoursBytes, 0);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[3 * i] = colours[i].red;
            bytes[3 * i + 1] = colours[i].green;
            bytes[3 * i + 2] = colours[i].blue;
        }
        bytes.push_back(std::uint8_t(count >> 8));
        bytes.push_back(std::uint8_t(count));
        bytes.push_back(0xFF); // no entry is transparent
        bytes.push_back(0xFF);
        break;
    }
    return bytes;
}

bool paletteFileFormatFromName(const std::string& text, PaletteFileFormat& format) {
    if (text == "gpl")
        format = PaletteFileFormat::Gpl;
    else if (text == "pal")
        format = PaletteFileFormat::JascPal;
    else if (text == "act")
        format = PaletteFileFormat::Act;
    else
        return false;
    return true;
}

std::string paletteFileExtension(PaletteFileFormat format) {
    switch (format) {
    case PaletteFileFormat::Gpl:
        return ".gpl";
    case PaletteFileFormat::JascPal:
        return ".pal";
    case PaletteFileFormat::Act:
        return ".act";
    }
    return {};
}

} // namespace rastix
