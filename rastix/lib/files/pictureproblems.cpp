#include "files/pictureproblems.h"

#include "files/utf8path.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace rastix {

std::string pictureAccessProblem(const std::string& path, const OpenError& openError) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_type type = fs::status(utf8Path(path), ec).type();
    if (type == fs::file_type::directory)
        return "is a folder, not a picture";
    // Opening a named pipe waits for a writer, and readers open a picture more than once; a
    // device can go on for ever. Only a file is read, and nothing else is opened.
    if (type == fs::file_type::fifo)
        return "is a pipe, not a picture file";
    if (type == fs::file_type::character || type == fs::file_type::block)
        return "is a device, not a picture file";
    if (type == fs::file_type::socket)
        return "is a socket, not a picture file";
    const int error = openError(path);
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

std::string pictureAccessProblem(const std::string& path) {
    return pictureAccessProblem(path, [](const std::string& file) {
        errno = 0;
        std::FILE* f = openFile(file, "rb");
        if (!f)
            return errno != 0 ? errno : EIO;
        std::fclose(f);
        return 0;
    });
}

namespace {

// libpng's remark on a chunk it drops ("libpng warning: gAMA: invalid"), when that chunk has no
// say in the pixels as they are decoded (colour space, background, resolution, text): the
// picture is whole without it. A checksum that fails is still damage: something changed the
// file after it was written.
bool harmlessChunkRemark(const std::string& message) {
    static const std::string kPrefix = "libpng warning: ";
    const std::string remark =
        message.compare(0, kPrefix.size(), kPrefix) == 0 ? message.substr(kPrefix.size()) : message;
    static const char* const kChunks[] = {"bKGD", "cHRM", "cICP", "cLLI", "eXIf", "gAMA", "hIST",
                                          "iCCP", "iTXt", "mDCV", "oFFs", "pCAL", "pHYs", "sBIT",
                                          "sCAL", "sPLT", "sRGB", "tEXt", "tIME", "zTXt"};
    const bool aboutSuchChunk =
        remark.size() > 6 && remark.compare(4, 2, ": ") == 0 &&
        std::any_of(std::begin(kChunks), std::end(kChunks),
                    [&](const char* chunk) { return remark.compare(0, 4, chunk) == 0; });
    return aboutSuchChunk && remark.find("CRC") == std::string::npos;
}

// Remarks that name something odd about a file whose pixels are read all the same.
bool harmlessRemark(const std::string& message) {
    // libtiff reads a directory whose tags are out of order as it would sorted ones.
    return message.find("tags are not sorted in ascending order") != std::string::npos ||
           harmlessChunkRemark(message);
}

} // namespace

bool meansDamage(const std::string& message) {
    if (harmlessRemark(message))
        return false;
    std::string lower(message);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // libjpeg: "Corrupt JPEG data: ...", "Premature end of JPEG file"; libpng: "CRC error",
    // "Read Error", "invalid distance too far back", "Not enough image data", "Extra
    // compressed data"; and what other readers say of a stream that stops short.
    static const char* const kSigns[] = {
        "corrupt",
        "premature",
        "truncat",
        "crc",
        "error",
        "invalid",
        "too short",
        "not enough",
        "extra compressed",
        "unexpected end",
        "damaged",
        "bad ",
    };
    return std::any_of(std::begin(kSigns), std::end(kSigns),
                       [&](const char* sign) { return lower.find(sign) != std::string::npos; });
}

namespace {

std::uint32_t littleEndian(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

std::string truncatedBmp(std::FILE* in, std::uintmax_t fileSize) {
    unsigned char h[34] = {};
    if (std::fread(h, 1, sizeof h, in) != sizeof h || h[0] != 'B' || h[1] != 'M')
        return {};
    const std::uint32_t infoSize = littleEndian(h + 14, 4);
    if (infoSize < 40)
        return {}; // the old OS/2 header: left to the reader
    const std::uint32_t offset = littleEndian(h + 10, 4);
    const auto width = static_cast<std::int32_t>(littleEndian(h + 18, 4));
    const auto height = static_cast<std::int32_t>(littleEndian(h + 22, 4));
    const std::uint32_t bits = littleEndian(h + 28, 2);
    const std::uint32_t compression = littleEndian(h + 30, 4);
    if (compression != 0 && compression != 3) // run-length and embedded pictures vary in size
        return {};
    if (width <= 0 || height == 0 || bits == 0 || bits > 32)
        return {};
    const std::uintmax_t rowBytes = (std::uintmax_t(width) * bits + 31) / 32 * 4;
    const std::uintmax_t rows =
        height < 0 ? 0 - std::uintmax_t(std::int64_t(height)) : std::uintmax_t(height);
    const std::uintmax_t needed = offset + rowBytes * rows;
    if (fileSize >= needed)
        return {};
    return "the file ends before its pixel data (" + std::to_string(fileSize) + " of " +
           std::to_string(needed) + " bytes)";
}

// Walks the blocks of a GIF up to its trailer.
std::string truncatedGif(std::FILE* in) {
    std::vector<unsigned char> d;
    unsigned char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, in)) > 0;)
        d.insert(d.end(), block, block + n);
    if (d.size() < 6 || d[0] != 'G' || d[1] != 'I' || d[2] != 'F')
        return {};
    const std::string cutShort = "the file ends before its last picture does";
    std::size_t at = 13;
    if (d.size() < at)
        return cutShort;
    const auto colourTable = [](unsigned char flags) {
        return (flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : std::size_t{0};
    };
    at += colourTable(d[10]);
    const auto skipSubBlocks = [&] {
        while (at < d.size() && d[at] != 0)
            at += std::size_t{d[at]} + 1;
        if (at >= d.size())
            return false;
        ++at;
        return true;
    };
    while (at < d.size()) {
        const unsigned char kind = d[at];
        if (kind == 0x3B)
            return {};
        if (kind == 0x21) {
            at += 2;
        } else if (kind == 0x2C) {
            if (at + 10 > d.size())
                return cutShort;
            at += 10 + colourTable(d[at + 9]) + 1; // descriptor, colours, LZW code size
        } else {
            return {}; // not a block: damage of another kind, for the reader to judge
        }
        if (!skipSubBlocks())
            return cutShort;
    }
    return cutShort;
}

} // namespace

std::string truncatedPicture(const std::string& path, const std::string& format) {
    if (format != "bmp" && format != "gif")
        return {};
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(utf8Path(path), ec);
    std::FILE* in = ec ? nullptr : openFile(path, "rb");
    if (!in)
        return {};
    std::string problem = format == "bmp" ? truncatedBmp(in, size) : truncatedGif(in);
    std::fclose(in);
    return problem;
}

std::string pngChunkPastTheEnd(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(utf8Path(path), ec);
    std::FILE* in = ec ? nullptr : openFile(path, "rb");
    if (!in)
        return {};
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char head[8];
    std::string problem;
    if (std::fread(head, 1, 8, in) == 8 && std::equal(head, head + 8, kSignature)) {
        // Each chunk: its length, its type, its data and a checksum of four bytes.
        for (std::uintmax_t at = 8; at + 8 <= size;) {
            unsigned char chunk[8];
            if (std::fseek(in, static_cast<long>(at), SEEK_SET) != 0 ||
                std::fread(chunk, 1, 8, in) != 8)
                break;
            const std::uint32_t length =
                std::uint32_t(chunk[0]) << 24 | chunk[1] << 16 | chunk[2] << 8 | chunk[3];
            const std::string type(reinterpret_cast<const char*>(chunk + 4), 4);
            const std::uintmax_t left = size - at - 8;
            if (length > left) {
                // A chunk's type is four letters; anything else is named no further.
                const bool letters = std::all_of(type.begin(), type.end(), [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
                });
                problem = "the file ends inside " + (letters ? "its " + type : "a") + " chunk (" +
                          std::to_string(length) + " bytes declared, " + std::to_string(left) +
                          " left)";
                break;
            }
            if (type == "IEND")
                break;
            at += 12 + std::uintmax_t{length};
        }
    }
    std::fclose(in);
    return problem;
}

std::string foldMessages(const std::vector<std::string>& messages) {
    std::vector<std::string> seen;
    std::string line;
    for (std::string m : messages) {
        std::replace(m.begin(), m.end(), '\n', ' ');
        while (!m.empty() && (m.back() == ' ' || m.back() == '.'))
            m.pop_back();
        if (m.empty() || std::find(seen.begin(), seen.end(), m) != seen.end())
            continue;
        seen.push_back(m);
        if (!line.empty())
            line += "; ";
        line += m;
        if (line.size() > 400) { // a decoder that repeats itself row after row
            line += "; ...";
            break;
        }
    }
    return line;
}

} // namespace rastix
