#include "loaders/tgareader.h"

#include "files/utf8path.h"

#include <stb_image.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace rastix {

namespace {

constexpr std::size_t kHeaderBytes = 18;

// Reads a file front to back through a buffer; never seeks, so files of any size work the same
// everywhere.
class ByteReader {
public:
    explicit ByteReader(std::FILE* file)
        : m_file(file) {}

    std::size_t read(unsigned char* to, std::size_t count) {
        std::size_t done = 0;
        while (done < count && fill()) {
            const std::size_t n = std::min(count - done, m_end - m_at);
            std::memcpy(to + done, m_buffer.data() + m_at, n);
            m_at += n;
            done += n;
        }
        return done;
    }
    std::uint64_t skip(std::uint64_t count) {
        std::uint64_t done = 0;
        while (done < count && fill()) {
            const auto n =
                static_cast<std::size_t>(std::min<std::uint64_t>(count - done, m_end - m_at));
            m_at += n;
            done += n;
        }
        return done;
    }
    bool atEnd() { return !fill(); }

private:
    bool fill() {
        if (m_at < m_end)
            return true;
        m_at = 0;
        m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
        return m_end > 0;
    }

    std::FILE* m_file;
    std::array<unsigned char, 65536> m_buffer{};
    std::size_t m_at = 0;
    std::size_t m_end = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct TgaHeader {
    unsigned idLength = 0;
    unsigned mapType = 0;
    unsigned imageType = 0;
    unsigned mapFirst = 0;
    unsigned mapLength = 0;
    unsigned mapBits = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned bits = 0;
    unsigned descriptor = 0;

    explicit TgaHeader(const unsigned char* h)
        : idLength(h[0])
        , mapType(h[1])
        , imageType(h[2])
        , mapFirst(h[3] | h[4] << 8)
        , mapLength(h[5] | h[6] << 8)
        , mapBits(h[7])
        , width(h[12] | h[13] << 8)
        , height(h[14] | h[15] << 8)
        , bits(h[16])
        , descriptor(h[17]) {}

    bool indexed() const { return (imageType & 7) == 1; }
    bool trueColour() const { return (imageType & 7) == 2; }
    bool runLength() const { return imageType >= 8; }
    bool topOrigin() const { return descriptor & 0x20; }
    bool rightOrigin() const { return descriptor & 0x10; }
    unsigned pixelBytes() const { return (bits + 7) / 8; }
    std::uint64_t mapBytes() const {
        return mapType == 1 ? std::uint64_t(mapLength) * ((mapBits + 7) / 8) : 0;
    }
    std::uint64_t dataStart() const { return kHeaderBytes + idLength + mapBytes(); }
    std::uint64_t pixelCount() const { return std::uint64_t(width) * height; }
    unsigned alphaBits() const { return descriptor & 0x0F; }
    // The one bit of a 16-bit pixel that the descriptor may declare as alpha.
    bool alphaBit() const { return trueColour() && bits == 16 && alphaBits() != 0; }
};

// Why the header describes no picture this reader decodes; empty when it does.
std::string headerProblem(const TgaHeader& h) {
    const auto named = [](const char* what, unsigned value) {
        return std::string(what) + " " + std::to_string(value);
    };
    if (h.mapType > 1)
        return "not a TGA picture (" + named("colour map type", h.mapType) + ")";
    const unsigned kind = h.imageType & ~8u;
    if ((h.imageType & ~11u) != 0 || kind < 1 || kind > 3)
        return "not a TGA picture this reader knows (" + named("image type", h.imageType) + ")";
    if (h.width == 0 || h.height == 0)
        return "the TGA header gives no pixels (" + std::to_string(h.width) + "x" +
               std::to_string(h.height) + ")";
    if (h.indexed()) {
        if (h.mapType != 1 || h.mapLength == 0)
            return "a colour-mapped TGA picture without a colour map";
        if (h.bits != 8 && h.bits != 16)
            return "colour-mapped TGA with " + named("bits per index:", h.bits);
        if (h.mapBits != 15 && h.mapBits != 16 && h.mapBits != 24 && h.mapBits != 32)
            return "TGA colour map with " + named("bits per colour:", h.mapBits);
        if (h.mapFirst + h.mapLength > 65535)
            return "TGA colour map beyond entry 65535";
    } else if (h.trueColour()) {
        if (h.bits != 15 && h.bits != 16 && h.bits != 24 && h.bits != 32)
            return "true-colour TGA with " + named("bits per pixel:", h.bits);
    } else if (h.bits != 8 && h.bits != 16) {
        return "grey TGA with " + named("bits per pixel:", h.bits);
    }
    return {};
}

// Goes through the pixel data packet by packet and hands each stored pixel to visit, with how
// many pixels of the picture it stands for. False when the file ends first. Without needPixels
// the pixel bytes are only skipped.
template <class Visit>
bool walkPixels(ByteReader& in, const TgaHeader& h, bool needPixels, Visit&& visit) {
    const std::uint64_t total = h.pixelCount();
    const unsigned bytes = h.pixelBytes();
    unsigned char pixel[4] = {};
    std::uint64_t done = 0;
    while (done < total) {
        std::uint64_t count = total - done;
        bool run = false;
        if (h.runLength()) {
            unsigned char packet = 0;
            if (in.read(&packet, 1) != 1)
                return false;
            count = std::min<std::uint64_t>(count, (packet & 0x7Fu) + 1);
            run = packet & 0x80;
        }
        if (run || needPixels) {
            for (std::uint64_t i = 0; i < (run ? 1 : count); ++i) {
                if (in.read(pixel, bytes) != bytes)
                    return false;
                visit(pixel, run ? count : 1);
            }
        } else if (in.skip(count * bytes) != count * bytes) {
            return false;
        }
        done += count;
    }
    return true;
}

// What stb_image reads: the file as it is, except for the header and colour map, which are
// handed over in the form its TGA reader expects (no identification field; a colour map that
// starts at entry 0, so leading entries are filled in; none for a true-colour picture that
// carries one).
struct StbSource {
    std::string front;
    std::size_t frontAt = 0;
    ByteReader* rest = nullptr;

    static int read(void* user, char* data, int size) {
        auto* s = static_cast<StbSource*>(user);
        auto* to = reinterpret_cast<unsigned char*>(data);
        const auto wanted = static_cast<std::size_t>(std::max(size, 0));
        const std::size_t fromFront = std::min(wanted, s->front.size() - s->frontAt);
        std::memcpy(to, s->front.data() + s->frontAt, fromFront);
        s->frontAt += fromFront;
        return static_cast<int>(fromFront + s->rest->read(to + fromFront, wanted - fromFront));
    }
    static void skip(void* user, int n) {
        auto* s = static_cast<StbSource*>(user);
        const std::size_t fromFront =
            std::min(static_cast<std::size_t>(std::max(n, 0)), s->front.size() - s->frontAt);
        s->frontAt += fromFront;
        s->rest->skip(static_cast<std::size_t>(std::max(n, 0)) - fromFront);
    }
    static int eof(void* user) {
        auto* s = static_cast<StbSource*>(user);
        return s->frontAt == s->front.size() && s->rest->atEnd();
    }
};

std::string stbFront(const unsigned char* header, const TgaHeader& h) {
    std::string front(reinterpret_cast<const char*>(header), kHeaderBytes);
    front[0] = 0;
    if (h.indexed()) {
        const unsigned entries = h.mapFirst + h.mapLength;
        front[3] = front[4] = 0;
        front[5] = static_cast<char>(entries & 0xFF);
        front[6] = static_cast<char>(entries >> 8);
        front.append(std::size_t(h.mapFirst) * ((h.mapBits + 7) / 8), '\0');
    } else {
        front[1] = 0; // colour map type
        std::fill(front.begin() + 3, front.begin() + 8, '\0');
    }
    return front;
}

// stb_image gives grey, grey and alpha, RGB or RGBA bytes; the rest of rastix wants 0xAARRGGBB
// words, opaque unless the file has alpha. Done from the last pixel back, so the words can take
// the place of the bytes.
void toArgbWords(unsigned char* data, std::uint64_t pixels, int channels, bool alpha) {
    for (std::uint64_t i = pixels; i-- > 0;) {
        const unsigned char* p = data + i * static_cast<unsigned>(channels);
        const std::uint32_t opacity = !alpha          ? 0xFF
                                      : channels == 2 ? p[1]
                                      : channels == 4 ? p[3]
                                                      : 0xFF;
        const std::uint32_t red = p[0];
        const std::uint32_t green = channels >= 3 ? p[1] : p[0];
        const std::uint32_t blue = channels >= 3 ? p[2] : p[0];
        const std::uint32_t word = opacity << 24 | red << 16 | green << 8 | blue;
        std::memcpy(data + i * 4, &word, 4);
    }
}

// The bytes a pixel takes as stb_image decodes it: grey, grey and alpha, RGB or RGBA.
unsigned stbChannels(const TgaHeader& h) {
    const unsigned bits = h.indexed() ? h.mapBits : h.bits;
    if (!h.indexed() && !h.trueColour())
        return bits == 8 ? 1 : 2;
    return bits == 32 ? 4 : 3;
}

// What decoding holds: stb_image's pixels, widened in place to 32 bits by realloc, which glibc
// does by moving the pages of a large block; elsewhere it may copy them.
std::uint64_t decodingBytes(const TgaHeader& h) {
    const std::uint64_t decoded = h.pixelCount() * stbChannels(h);
    const std::uint64_t words = h.pixelCount() * 4;
#ifdef __GLIBC__
    return std::max(decoded, words);
#else
    return decoded < words ? decoded + words : words;
#endif
}

std::uint64_t fileSize(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(utf8Path(path), ec);
    return ec ? 0 : size;
}

const char* const kExtensions[] = {".tga", ".tpic", ".icb", ".vda", ".vst"};

// The footer ends with this signature and its terminating NUL.
constexpr char kSignature[] = "TRUEVISION-XFILE.";

// Whether a TGA 2.0 extension area says the pixels' attribute bits hold no alpha (0: none, 1:
// undefined and to be ignored, 2: undefined and to be kept; 3 and 4 are alpha).
bool extensionDeniesAlpha(const std::string& path) {
    constexpr std::streamoff kAreaBytes = 495;
    constexpr std::streamoff kFooterBytes = 8 + sizeof kSignature;
    std::ifstream in(utf8Path(path), std::ios::binary);
    char footer[kFooterBytes] = {};
    if (!in.seekg(-kFooterBytes, std::ios::end) || !in.read(footer, kFooterBytes) ||
        std::memcmp(footer + 8, kSignature, sizeof kSignature) != 0)
        return false;
    const auto byte = [](const char* p, int i) {
        return static_cast<unsigned char>(p[i]);
    };
    const std::streamoff area = byte(footer, 0) | byte(footer, 1) << 8 | byte(footer, 2) << 16 |
                                static_cast<std::streamoff>(byte(footer, 3)) << 24;
    char size[2] = {};
    char attributes = 0;
    if (area == 0 || !in.seekg(area) || !in.read(size, 2) ||
        (byte(size, 0) | byte(size, 1) << 8) != kAreaBytes || !in.seekg(area + kAreaBytes - 1) ||
        !in.get(attributes))
        return false;
    return static_cast<unsigned char>(attributes) <= 2;
}

} // namespace

bool isTgaPicture(const std::string& path) {
    std::string extension = utf8Text(utf8Path(path).extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::ifstream in(utf8Path(path), std::ios::binary);
    char start[2] = {};
    const bool named = std::any_of(std::begin(kExtensions), std::end(kExtensions),
                                   [&](const char* known) { return extension == known; });
    // Every other format's signature (PNG, JPEG, GIF, BMP, TIFF, WebP, ...) puts a byte above
    // 1 where TGA keeps its colour map type: such a file is another picture under a TGA name,
    // for the readers that go by content.
    if (named)
        return !in.read(start, 2) || static_cast<unsigned char>(start[1]) <= 1;
    char tail[sizeof kSignature] = {};
    return in.seekg(-static_cast<std::streamoff>(sizeof tail), std::ios::end) &&
           in.read(tail, sizeof tail) && std::memcmp(tail, kSignature, sizeof tail) == 0;
}

bool loadTga(const std::string& path, LoadedPicture& picture, std::string& error,
             std::uint64_t maxPixelBytes) {
    picture.rowsStreamed = false;
    const auto refuse = [&](const std::string& why) {
        error = "cannot read picture: " + why;
        return false;
    };
    const auto damaged = [&](const std::string& why) {
        error = "damaged picture, not converted: " + why;
        return false;
    };
    const std::uint64_t size = fileSize(path);
    File file(openFile(path, "rb"));
    if (!file)
        return refuse("cannot open the file");
    ByteReader in(file.get());
    unsigned char header[kHeaderBytes] = {};
    if (in.read(header, kHeaderBytes) != kHeaderBytes)
        return damaged("the file is too short for a TGA header (" + std::to_string(size) +
                       " bytes)");
    const TgaHeader h(header);
    if (const std::string problem = headerProblem(h); !problem.empty())
        return refuse(problem);

    const std::uint64_t decodedBytes = h.pixelCount() * 4;
    if (maxPixelBytes != 0 && decodedBytes > maxPixelBytes)
        return refuse(std::to_string(h.width) + "x" + std::to_string(h.height) +
                      " pixels exceed the current allocation limit of " +
                      std::to_string(maxPixelBytes >> 20) + " megabytes");
    if (decodedBytes > INT_MAX) // the most stb_image allocates for one picture
        return refuse(std::to_string(h.width) + "x" + std::to_string(h.height) +
                      " pixels are more than the TGA reader decodes (2 GB)");

    // Decoders fill in what is missing without a word, so the data is checked first: it is
    // cheaper to walk than to decode, and a damaged file then costs no picture-sized memory.
    const auto cutShort = [&] {
        return damaged("the file ends before its pixel data does (" + std::to_string(size) +
                       " bytes)");
    };
    if (in.skip(h.dataStart() - kHeaderBytes) != h.dataStart() - kHeaderBytes)
        return cutShort();
    if (h.indexed()) {
        // stb_image shows an index outside the colour map as entry 0, without a word.
        std::uint64_t outside = 0;
        unsigned firstOutside = 0;
        const bool complete = walkPixels(in, h, true, [&](const unsigned char* p, std::uint64_t) {
            const unsigned index = h.bits == 8 ? p[0] : p[0] | p[1] << 8;
            if (index < h.mapFirst || index >= h.mapFirst + h.mapLength)
                firstOutside = outside++ ? firstOutside : index;
        });
        if (!complete)
            return cutShort();
        if (outside)
            return damaged(std::to_string(outside) +
                           (outside == 1 ? " pixel with a colour" : " pixels with colours") +
                           " outside the colour map (index " + std::to_string(firstOutside) +
                           ", the map holds " + std::to_string(h.mapFirst) + " to " +
                           std::to_string(h.mapFirst + h.mapLength - 1) + ")");
    } else if (h.runLength()) {
        if (!walkPixels(in, h, false, [](const unsigned char*, std::uint64_t) {}))
            return cutShort();
    } else if (size < h.dataStart() + h.pixelCount() * h.pixelBytes()) {
        return cutShort();
    }

    // Only a picture that is whole asks for its memory, and before any of it is allocated.
    if (picture.admit) {
        Admission admission;
        admission.width = static_cast<int>(h.width);
        admission.height = static_cast<int>(h.height);
        admission.decodedBytes = decodingBytes(h);
        admission.opaque = stbChannels(h) % 2 == 1 && !h.alphaBit();
        if (!picture.admit(admission, error))
            return false;
    }

    // Decoded from the start again, the colour map in the form stb_image expects.
    file.reset(openFile(path, "rb"));
    if (!file)
        return refuse("cannot open the file");
    ByteReader again(file.get());
    if (again.skip(kHeaderBytes + h.idLength) != kHeaderBytes + h.idLength)
        return cutShort();
    if (!h.indexed() && again.skip(h.mapBytes()) != h.mapBytes())
        return cutShort();
    StbSource source{stbFront(header, h), 0, &again};
    const stbi_io_callbacks callbacks{&StbSource::read, &StbSource::skip, &StbSource::eof};
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load_from_callbacks(&callbacks, &source, &width, &height, &channels, 0);
    if (!decoded) {
        const char* reason = stbi_failure_reason();
        return refuse(std::string("the TGA reader failed: ") + (reason ? reason : "no reason"));
    }
    // Widened in place rather than through stb_image's conversion to a second buffer, so a
    // picture of 24 bits or fewer never takes more than its 32-bit size.
    auto* data = static_cast<unsigned char*>(std::realloc(decoded, h.pixelCount() * 4));
    if (!data) {
        stbi_image_free(decoded);
        return refuse("not enough memory for the picture's pixels");
    }
    std::shared_ptr<void> pixels(data, [](void* p) { std::free(p); });
    // TGA 2.0: the descriptor's low bits count the attribute (alpha) bits of a pixel, and a
    // 32-bit pixel with none has a fourth byte that means nothing (stb_image, Qt's own TGA
    // reader and ImageMagick 6 take it for alpha all the same, often making every pixel clear).
    const bool hasAlpha = h.alphaBits() != 0 && !extensionDeniesAlpha(path);
    toArgbWords(data, h.pixelCount(), channels, hasAlpha);
    auto* words = reinterpret_cast<std::uint32_t*>(data);
    if (h.rightOrigin()) // stb_image turns bottom-up rows over, but not right-to-left ones
        for (unsigned y = 0; y < h.height; ++y)
            std::reverse(words + std::size_t(y) * h.width, words + std::size_t(y + 1) * h.width);

    if (hasAlpha && h.alphaBit()) {
        // stb_image reads 16-bit pixels as opaque; their top bit is alpha when the header
        // says so.
        file.reset(openFile(path, "rb"));
        if (!file)
            return refuse("cannot open the file");
        ByteReader bits(file.get());
        bits.skip(h.dataStart());
        std::uint64_t at = 0;
        const bool complete =
            walkPixels(bits, h, true, [&](const unsigned char* p, std::uint64_t count) {
                const std::uint32_t alpha = (p[1] & 0x80) ? 0xFF000000u : 0;
                for (std::uint64_t end = at + count; at < end; ++at) {
                    const std::uint64_t row = at / h.width;
                    const std::uint64_t column = at % h.width;
                    const std::uint64_t y = h.topOrigin() ? row : h.height - 1 - row;
                    const std::uint64_t x = h.rightOrigin() ? h.width - 1 - column : column;
                    std::uint32_t& word = words[y * h.width + x];
                    word = (word & 0x00FFFFFFu) | alpha;
                }
            });
        if (!complete)
            return cutShort(); // the file changed while it was read
    }

    picture.view = ImageView{words, static_cast<int>(h.width), static_cast<int>(h.height),
                             static_cast<std::ptrdiff_t>(h.width)};
    picture.keepAlive = std::move(pixels);
    return true;
}

} // namespace rastix
