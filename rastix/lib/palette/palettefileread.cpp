// readPaletteFile: the file's bytes, as few as the palette needs, then parsePaletteFile.
#include "files/utf8path.h"
#include "palette/palettefile.h"
#include "palette/palettefileformats.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace rastix {

namespace {

class ReadFile {
public:
    explicit ReadFile(const std::string& path)
        : file_(openFile(path, "rb")) {}
    ~ReadFile() {
        if (file_)
            std::fclose(file_);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return std::ferror(file_) != 0; }

    // Appends up to count bytes; false when the file ends (or fails) first.
    bool append(std::vector<std::uint8_t>& bytes, std::size_t count) {
        const std::size_t start = bytes.size();
        bytes.resize(start + count);
        const std::size_t got = count == 0 ? 0 : std::fread(bytes.data() + start, 1, count, file_);
        bytes.resize(start + got);
        return got == count;
    }

private:
    std::FILE* file_;
};

std::string systemError(const char* otherwise) {
    return errno != 0 ? std::string(std::strerror(errno)) : std::string(otherwise);
}

const char* const kTooLarge = "is larger than 16 MB, more than a palette file could be";

// A PNG's chunks up to its palette, or up to its pixels (before which a palette has to come): the
// pixels of a large picture are not read. A chunk cut short or out of bounds is read as far as
// it goes, for the parser to say what is wrong with it: only a chunk that is there in the file
// counts against the limit, one longer than the file is the file cut short.
bool readPngStart(ReadFile& file, std::uint64_t fileSize, std::vector<std::uint8_t>& bytes,
                  std::string& error) {
    for (;;) {
        if (!file.append(bytes, 8))
            return true;
        const std::uint8_t* header = &bytes[bytes.size() - 8];
        const std::uint64_t length = std::uint64_t{header[0]} << 24 |
                                     std::uint64_t{header[1]} << 16 |
                                     std::uint64_t{header[2]} << 8 | header[3];
        const bool palette = std::memcmp(header + 4, "PLTE", 4) == 0;
        if ((!palette && palettefiles::pngChunkEndsPaletteSearch(header + 4)) ||
            length > 0x7FFFFFFFu)
            return true;
        const std::uint64_t left = fileSize > bytes.size() ? fileSize - bytes.size() : 0;
        const std::uint64_t wanted = std::min(length + 4, left);
        if (bytes.size() + wanted > kMostPaletteFileBytes) {
            error = "is a PNG whose palette does not come within its first 16 MB";
            return false;
        }
        if (wanted < length + 4 || !file.append(bytes, std::size_t(wanted)) || palette)
            return true;
    }
}

bool readAll(ReadFile& file, std::vector<std::uint8_t>& bytes, std::string& error) {
    // Held to the limit while reading too: the file may grow after its size was asked.
    while (file.append(bytes, std::size_t{1} << 16))
        if (bytes.size() > kMostPaletteFileBytes) {
            error = kTooLarge;
            return false;
        }
    if (bytes.size() > kMostPaletteFileBytes) {
        error = kTooLarge;
        return false;
    }
    return true;
}

} // namespace

bool readPaletteFile(const std::string& path, PaletteFileContents& out, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path where = utf8Path(path);
    const fs::file_type type = fs::status(where, ec).type();
    // Only a file is opened: opening a named pipe waits for a writer, and a device may not end.
    if (type == fs::file_type::directory) {
        error = "is a folder, not a palette file";
        return false;
    }
    if (!ec && type != fs::file_type::regular) {
        error = "is not a regular file (pipes and devices are not read as palettes)";
        return false;
    }
    errno = 0;
    ReadFile file(path);
    if (!file.isOpen()) {
        error = systemError("cannot be opened");
        return false;
    }
    std::vector<std::uint8_t> bytes;
    file.append(bytes, 8);
    const std::uintmax_t size = fs::file_size(where, ec);
    if (palettefiles::startsAsPng(bytes) && (ec || !palettefiles::goesByExtension(path, size))) {
        const std::uint64_t fileSize = ec ? UINTMAX_MAX : size;
        if (!readPngStart(file, fileSize, bytes, error))
            return false;
        if (file.failed()) {
            error = systemError("cannot be read");
            return false;
        }
        return palettefiles::parsePaletteStart(path, bytes, fileSize, out, error);
    }
    if (!ec && size > kMostPaletteFileBytes) {
        error = kTooLarge;
        return false;
    }
    if (!readAll(file, bytes, error))
        return false;
    if (file.failed()) {
        error = systemError("cannot be read");
        return false;
    }
    return parsePaletteFile(path, bytes, out, error);
}

} // namespace rastix
