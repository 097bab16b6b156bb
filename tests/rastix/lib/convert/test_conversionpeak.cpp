// What a conversion holds at its peak is known on each route from what the loader tells before
// decoding, so that pictures converted together can share the memory there is.
#include "convert/conversionpeak.h"
#include "convert/route.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rastix;

namespace {

constexpr std::uint64_t kSide = 8000;
constexpr std::uint64_t kPixels = kSide * kSide;
constexpr std::uint64_t kDecoded = kPixels * 4;            // 32-bit pixels
constexpr std::uint64_t kWords = kPixels * 2;              // true colour, 16000 bytes a row
constexpr std::uint64_t kWorking = std::uint64_t{8} << 20; // one thread's tables
// A stream encoder without a thread of its own: one chunk of 16 rows and its words.
constexpr std::uint64_t kStream = kSide * 16 * 4 + kSide * 2 * 16;
constexpr std::uint64_t kStreamText = kStream + kSide * 2 * 16 * 6;
// A progressive JPEG of 4:2:0: 128 bytes for each block of 8 x 8 luma and 16 x 16 chroma pixels.
constexpr std::uint64_t kCoefficients = kPixels / 64 * 128 + 2 * (kPixels / 256 * 128);

Settings with(OutputFormat format, bool colourMap, int rotate = 0) {
    Settings s;
    s.format = format;
    s.colourMap = colourMap;
    s.rotateDegrees = rotate;
    return s;
}

Admission picture(bool streamed, bool opaque, std::uint64_t decoded = kDecoded,
                  std::uint64_t decoder = 0) {
    Admission a;
    a.width = a.height = static_cast<int>(kSide);
    a.decodedBytes = decoded;
    a.decoderBytes = decoder;
    a.streamed = streamed;
    a.opaque = opaque;
    return a;
}

std::uint64_t peak(const Admission& a, const Settings& s, bool toDisk = true) {
    return conversionPeakBytes(a, chooseRoute(s), s, toDisk, 1);
}

} // namespace

TEST(ConversionPeak, CountsWhatEachRouteHoldsAtOnce) {
    const Settings binary = with(OutputFormat::Binary, false);
    const Settings assembly = with(OutputFormat::Assembly, false);
    const Settings map = with(OutputFormat::Binary, true);
    Settings cut = binary;
    cut.cut = CutFrame{500, 500, 7000, 7000};
    Settings cutMap = cut;
    cutMap.colourMap = true;
    Settings dithered = binary;
    dithered.dither = Dither::Ordered;
    Settings ditheredMap = map;
    ditheredMap.dither = Dither::Ordered;
    ditheredMap.mapColours = 16;
    Settings fourBitMap = ditheredMap;
    fourBitMap.optimiseMapDepth = true;
    const std::uint64_t cutPixels = 7000ull * 7000;
    const RotatedSize canvas = rotatedSize(kSide, kSide, 30);
    const std::uint64_t canvasPixels = canvas.width * canvas.height;
    const std::uint64_t canvasWords = (canvas.width * 2 + 7) / 8 * 8 * canvas.height;
    struct Case {
        const char* what;
        Admission admission;
        Settings settings;
        bool toDisk;
        std::uint64_t expected;
    };
    const Case cases[] = {
        // Rows streamed to disk: nothing held whole.
        {"streamed", picture(true, true), binary, true, kStream},
        {"streamed as text", picture(true, true), assembly, true, kStreamText},
        {"progressive, streamed", picture(true, true, kDecoded, kCoefficients), binary, true,
         kCoefficients + kStream},
        {"streamed to memory", picture(true, true), binary, false, kStream + kWords},
        {"streamed to memory as text", picture(true, true), assembly, false, kWords * 7},
        // Decoded whole: an opaque picture still streams its words; one that may have
        // transparent pixels holds the words beside the pixels.
        {"opaque, whole", picture(false, true), binary, true, kDecoded + kStream},
        {"progressive, whole", picture(false, true, kDecoded, kCoefficients), binary, true,
         kDecoded + kCoefficients},
        {"with alpha, whole", picture(false, false), binary, true, kDecoded + kWords + kWorking},
        // A colour table's bytes and their 32-bit copy.
        {"indexed, whole", picture(false, false, kPixels * 5), binary, true,
         kDecoded + kWords + kWorking},
        // The cut is a view of the picture on its way to the stream; otherwise a copy.
        {"opaque cut", picture(false, true), cut, true, kDecoded + 7000 * 16 * 4 + 14000 * 16},
        {"cut with alpha", picture(false, false), cut, true, kDecoded + cutPixels * 4},
        {"quarter turn", picture(false, true), with(OutputFormat::Binary, false, 90), true,
         kDecoded + kStream},
        {"odd angle", picture(false, true), with(OutputFormat::Binary, false, 30), true,
         std::max(kDecoded + canvasPixels * 4, canvasPixels * 4 + canvasWords + kWorking)},
        {"dithered", picture(false, true), dithered, true, kDecoded + kWords + kWorking},
        // A map collected as it is decoded: the pixels, then the bytes of the map.
        {"map", picture(true, true), map, true, kDecoded + kPixels + kWorking},
        {"map of a picture decoded whole", picture(false, false), map, true,
         kDecoded + kPixels + kWorking},
        // A reduced, dithered map holds a palette index for each pixel before it packs them;
        // 16 entries pack into 4 bits with --opt-clut.
        {"dithered map", picture(true, true), ditheredMap, true,
         kDecoded + kPixels + kPixels + kWorking},
        {"dithered 4-bit map", picture(true, true), fourBitMap, true,
         kDecoded + kPixels + kPixels / 2 + kWorking},
        {"cut map", picture(false, true), cutMap, true, kDecoded + cutPixels * 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(peak(c.admission, c.settings, c.toDisk), c.expected) << c.what;
}

TEST(ConversionPeak, ATurnedStripNeedsItsWholeCanvas) {
    // 65304 x 24 turned by 30 degrees: a canvas of about 56600 x 32700 pixels.
    const RotatedSize size = rotatedSize(65304, 24, 30);
    EXPECT_EQ(size.width, 56567u);
    EXPECT_EQ(size.height, 32673u);
    Admission strip;
    strip.width = 65304;
    strip.height = 24;
    strip.decodedBytes = 65304ull * 24 * 4;
    const std::uint64_t need = peak(strip, with(OutputFormat::Binary, false, 30));
    EXPECT_GE(need, size.width * size.height * 6); // canvas and words
    EXPECT_EQ(rotatedSize(3, 7, -90).width, 7u);
}

TEST(ConversionPeak, MoreThreadsWorkWithMoreTables) {
    const Admission a = picture(false, false);
    const auto extra = [&](const Settings& s, int threads) {
        const Route route = chooseRoute(s);
        return conversionPeakBytes(a, route, s, true, threads) -
               conversionPeakBytes(a, route, s, true, 1);
    };
    const Settings map = with(OutputFormat::Binary, true);
    const Settings trueColour = with(OutputFormat::Binary, false);
    EXPECT_EQ(extra(map, 4), 3 * kWorking);
    EXPECT_EQ(extra(trueColour, 4), 3 * kWorking);
    // A map is made in at most 16 bands; true colour in as many as there are threads.
    EXPECT_EQ(extra(map, 64), 15 * kWorking);
    EXPECT_EQ(extra(trueColour, 64), 63 * kWorking);
}

TEST(ConversionPeak, ASheetsFramesAreHeldOnlyWithoutAFileToGoTo) {
    Settings sheet = with(OutputFormat::Binary, false);
    sheet.frames = FrameSize{100, 100, 0};
    Settings text = sheet;
    text.format = OutputFormat::Assembly;
    Settings turned = sheet;
    turned.rotateDegrees = 30;
    // Each frame turned on a canvas of its own: 6400 frames of 137 x 137 pixels.
    const RotatedSize canvas = rotatedSize(100, 100, 30);
    const std::uint64_t canvasPixels = canvas.width * canvas.height;
    const std::uint64_t turnedWords = 6400 * ((canvas.width * 2 + 7) / 8 * 8 * canvas.height);
    struct Case {
        const char* what;
        Settings settings;
        bool toDisk;
        std::uint64_t expected;
    };
    const Case cases[] = {
        {"to disk", sheet, true, kDecoded + kWorking},
        {"as text to disk", text, true, kDecoded + kWorking},
        {"in memory", sheet, false, kDecoded + kWords + kWorking},
        {"turned, to disk", turned, true, kDecoded + canvasPixels * 4 + kWorking},
        {"turned, in memory", turned, false, kDecoded + canvasPixels * 4 + turnedWords + kWorking},
    };
    for (const Case& c : cases)
        EXPECT_EQ(peak(picture(false, false), c.settings, c.toDisk), c.expected) << c.what;
}
