#include "folderfiles.h"
#include "runharness.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace rastix;
using namespace rastix::testing;

namespace {

// A sheet whose every pixel differs from the others, so that no two frames are alike and
// every frame's place in the output shows.
Image distinctSheet(int width, int height) {
    Image sheet(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sheet.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(y * 40) << 16 |
                             static_cast<std::uint32_t>(x * 24) << 8 | 0x80u;
    return sheet;
}

// Frames side by side, each filled with one of the colours.
Image stripOf(const std::vector<std::uint32_t>& colours, int width, int height) {
    Image sheet(width * static_cast<int>(colours.size()), height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < sheet.width; ++x)
            sheet.at(x, y) = colours[static_cast<std::size_t>(x / width)];
    return sheet;
}

struct Converted {
    RunResult run;
    QByteArray data;
    QByteArray json;
};

// Converts sheet.png under the options; data is its first output, json its metadata.
Converted convert(const Image& sheet, std::vector<std::string> options,
                  const std::string& dataFile) {
    QTemporaryDir dir;
    FakePictures pictures;
    pictures.images["sheet.png"] = sheet;
    options.insert(options.begin(), {"--metadata", "--target-dir", dir.path().toStdString()});
    options.push_back("sheet.png");
    AtomicFileWriter writer;
    Converted c{run(options, pictures, writer), {}, {}};
    c.data = readAll(dir.filePath(QString::fromStdString(dataFile)));
    c.json = readAll(dir.filePath("sheet.json"));
    return c;
}

std::string cutOption(int x, int y, int w, int h) {
    return std::to_string(x) + "," + std::to_string(y) + ":" + std::to_string(w) + "x" +
           std::to_string(h);
}

TEST(Frames, EachFrameIsThePictureOfItsRectangleInReadingOrder) {
    struct Case {
        int sheetWidth, sheetHeight;
        std::string frames;
        int frameWidth, frameHeight;
        std::vector<std::string> more;
    };
    const Case cases[] = {
        {8, 6, "4x3", 4, 3, {}},                 // 2 x 2 frames: across, then down
        {9, 2, "3", 3, 2, {}},                   // 3 side by side
        {6, 4, "3x2", 3, 2, {"--rotate", "90"}}, // each frame turned on its own
        {6, 4, "3x2", 3, 2, {"--rotate", "30"}}, // on a canvas of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        const Image sheet = distinctSheet(c.sheetWidth, c.sheetHeight);
        std::vector<std::string> options = c.more;
        options.insert(options.end(), {"--binary", "--frames", c.frames});
        const Converted framed = convert(sheet, options, "sheet.rgb");
        ASSERT_EQ(framed.run.status, 0) << framed.run.err;
        QByteArray expected;
        for (int y = 0; y < c.sheetHeight; y += c.frameHeight)
            for (int x = 0; x < c.sheetWidth; x += c.frameWidth) {
                std::vector<std::string> alone = c.more;
                alone.insert(alone.end(),
                             {"--binary", "--cut", cutOption(x, y, c.frameWidth, c.frameHeight)});
                expected += convert(sheet, alone, "sheet.rgb").data;
            }
        EXPECT_EQ(framed.data, expected);
        const int frames = (c.sheetWidth / c.frameWidth) * (c.sheetHeight / c.frameHeight);
        EXPECT_TRUE(framed.json.contains("\"frames\": " + QByteArray::number(frames)));
    }
}

TEST(Frames, ASheetThatIsNotWholeFramesFailsAloneWithOneLine) {
    QTemporaryDir dir;
    FakePictures pictures;
    pictures.images["odd.png"] = Image(10, 4, kRed);
    pictures.images["fine.png"] = distinctSheet(12, 4);
    AtomicFileWriter writer;
    for (const std::string frames : {"4x4", "3", "4x3"}) {
        SCOPED_TRACE(frames);
        const RunResult r =
            run({"--overwrite", "--binary", "--target-dir", dir.path().toStdString(), "--frames",
                 frames, "odd.png", "--frames", "4x2", "fine.png"},
                pictures, writer);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("odd.png"), std::string::npos);
        EXPECT_NE(r.err.find("frames"), std::string::npos);
        EXPECT_FALSE(QFile::exists(dir.filePath("odd.rgb")));
        EXPECT_EQ(readAll(dir.filePath("fine.rgb")).size(), 3 * 2 * 8 * 2); // 6 frames of 1 phrase
    }
}

TEST(Frames, AMapsFramesShareThePaletteOfTheWholeSheet) {
    // Alone, each frame would be its one colour at index 0, and the two frames alike.
    const Converted c = convert(stripOf({kRed, kGreen}, 8, 1), {"--clut", "--frames", "2"}, "");
    ASSERT_EQ(c.run.status, 0) << c.run.err;
    EXPECT_TRUE(c.json.contains("\"palette_entries\": 2")) << c.json.toStdString();
    EXPECT_TRUE(c.json.contains("\"frame_offsets\": [0, 8]")) << c.json.toStdString();
}

TEST(Frames, FramesWithTheSameBytesAreStoredOnce) {
    const Image sheet = stripOf({kRed, kBlue, kRed, kRed}, 4, 2);
    const Converted c = convert(sheet, {"--binary", "--frames", "4x2"}, "sheet.rgb");
    ASSERT_EQ(c.run.status, 0) << c.run.err;
    EXPECT_EQ(c.data.size(), 2 * 16); // two frames of 2 rows of one phrase
    EXPECT_TRUE(c.json.contains("\"frame_offsets\": [0, 16, 0, 0]")) << c.json.toStdString();
    EXPECT_TRUE(c.json.contains("\"data_bytes\": 32"));
    EXPECT_TRUE(c.json.contains("\"frame_bytes\": 16"));
}

TEST(Frames, TheSourceGivesTheFramesAndTheirTableInEachSyntax) {
    struct Case {
        std::vector<std::string> options;
        std::string file;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{"--syntax", "madmac"},
         "sheet.s",
         {"sheet_frames = 3\t", "sheet_framebytes = 8\t", "sheet_size = 16\t", "sheet_width = 2\t",
          "\t.globl\tsheet_frametable\nsheet_frametable:\n\tdc.l\t0,8,0\n"}},
        {{"--syntax", "gas"},
         "sheet.s",
         {"sheet_frames = 3\t", "sheet_framebytes = 8\t",
          "\t.globl\tsheet_frametable\nsheet_frametable:\n\t.long\t0,8,0\n"}},
        {{"--c"},
         "sheet.c",
         {"const uint32_t sheet_frametable[sheet_frames] = {\n\t0, 8, 0,\n};\n"}},
        {{"--c"}, "sheet.h", {"#define sheet_frames 3 ", "#define sheet_framebytes 8 "}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--frames", "3"});
        const Converted converted = convert(stripOf({kRed, kGreen, kRed}, 2, 1), options, c.file);
        ASSERT_EQ(converted.run.status, 0) << converted.run.err;
        for (const std::string& line : c.lines)
            EXPECT_TRUE(converted.data.contains(QByteArray::fromStdString(line)))
                << line << " not in\n"
                << converted.data.toStdString();
    }
}

// Frames of 3 x 2 side by side, each drawn by one of the functions of (x, y).
Image stripDrawn(const std::vector<std::function<std::uint32_t(int, int)>>& frames) {
    Image sheet(3 * static_cast<int>(frames.size()), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < sheet.width; ++x)
            sheet.at(x, y) = frames[static_cast<std::size_t>(x / 3)](x % 3, y);
    return sheet;
}

TEST(Frames, MirroredAndEmptyFramesPointAtOneStoredFrame) {
    const auto a = [](int x, int y) {
        return 0xFF000000u | std::uint32_t(x * 80 + y * 20) << 16;
    };
    const auto mirrorOfA = [&](int x, int y) {
        return a(2 - x, y);
    };
    const auto b = [](int x, int y) {
        return 0xFF0000FFu | std::uint32_t(x * 70 + y * 30) << 8;
    };
    const auto empty = [](int, int) {
        return 0x00FFFFFFu;
    };
    struct Case {
        std::vector<std::function<std::uint32_t(int, int)>> frames;
        std::vector<std::string> options;
        std::vector<std::string> expected; // in the metadata, or absent with a leading '!'
    };
    const Case cases[] = {
        {{a, mirrorOfA, b}, {}, {"\"frame_offsets\": [0, 16, 32]", "!frame_reflect"}},
        {{a, mirrorOfA, b},
         {"--mirror-frames"},
         {"\"frame_offsets\": [0, 0, 16]", "\"frame_reflect\": [0, 1, 0]", "!frame_empty"}},
        // Four bits a pixel: the mirror is found nibble by nibble.
        {{a, b, mirrorOfA},
         {"--mirror-frames", "--clut", "--opt-clut"},
         {"\"bits_per_pixel\": 4", "\"frame_offsets\": [0, 16, 0]",
          "\"frame_reflect\": [0, 0, 1]"}},
        {{a, empty, a, empty, b}, {}, {"\"frame_offsets\": [0, 16, 0, 16, 32]"}},
        {{a, empty, a, empty, b},
         {"--drop-empty-frames"},
         {"\"frame_offsets\": [0, 32, 0, 32, 16]", "\"frame_empty\": 32"}},
        {{a, b}, {"--drop-empty-frames"}, {"\"frame_empty\": null"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--binary", "--frames", std::to_string(c.frames.size())});
        const Converted converted = convert(stripDrawn(c.frames), options, "");
        ASSERT_EQ(converted.run.status, 0) << converted.run.err;
        for (const std::string& text : c.expected) {
            const bool absent = text.front() == '!';
            EXPECT_NE(converted.json.contains(QByteArray::fromStdString(text.substr(absent))),
                      absent)
                << text << " in\n"
                << converted.json.toStdString();
        }
    }
    // The tables and the equate, in the source.
    const Converted source =
        convert(stripDrawn({a, mirrorOfA, empty}),
                {"--mirror-frames", "--drop-empty-frames", "--frames", "3"}, "sheet.s");
    ASSERT_EQ(source.run.status, 0) << source.run.err;
    for (const char* line : {"sheet_emptyframe = 16\t", "sheet_reflect:\n\tdc.l\t0,1,0\n"})
        EXPECT_TRUE(source.data.contains(line)) << line << " not in\n" << source.data.toStdString();
}

TEST(Frames, TheConsoleLimitsHoldForEachFrame) {
    struct Case {
        std::vector<std::string> options;
        bool warned;
    };
    const Case cases[] = {{{}, true}, {{"--frames", "4x1023"}, false}, {{"--frames", "1"}, true}};
    for (const Case& c : cases) {
        std::vector<std::string> options = c.options;
        options.push_back("--binary");
        const Converted converted = convert(Image(4, 2046, kRed), options, "sheet.rgb");
        ASSERT_EQ(converted.run.status, 0) << converted.run.err;
        EXPECT_EQ(converted.json.contains("more than one object"), c.warned);
    }
}

} // namespace

// An animation read as its frames stacked top to bottom: each frame is that frame converted
// alone, --cut cuts every frame alike, the delays are the table's, and --frames is refused.
TEST(Frames, AnAnimationsFramesAreItsOwnWithTheirDelays) {
    const Image strip = distinctSheet(6, 12); // three frames of 6 x 4
    FakePictures pictures;
    pictures.images["anim.gif"] = strip;
    pictures.animations["anim.gif"] = {4, {100, 250, 40}};
    for (const CutFrame& cut : {CutFrame{0, 0, 6, 4}, CutFrame{1, 1, 3, 2}}) {
        SCOPED_TRACE(cut.width);
        QTemporaryDir dir;
        AtomicFileWriter writer;
        const std::string out = dir.path().toStdString();
        const RunResult r = run({"--target-dir", out, "--cut",
                                 cutOption(cut.x, cut.y, cut.width, cut.height), "anim.gif"},
                                pictures, writer);
        ASSERT_EQ(r.status, 0) << r.err;
        const QByteArray text = readAll(dir.filePath("anim.s"));
        EXPECT_TRUE(text.contains("anim_frames = 3\t"));
        EXPECT_TRUE(text.contains("anim_delays:\n\tdc.l\t100,250,40\n")) << text.toStdString();
        const RunResult binary =
            run({"--target-dir", out, "--frames", "3", "--no-frames", "--binary", "--cut",
                 cutOption(cut.x, cut.y, cut.width, cut.height), "anim.gif"},
                pictures, writer);
        ASSERT_EQ(binary.status, 0) << binary.err;
        const QByteArray frames = readAll(dir.filePath("anim.rgb"));
        for (int k = 0; k < 3; ++k) {
            const Converted alone = convert(
                strip,
                {"--binary", "--cut", cutOption(cut.x, k * 4 + cut.y, cut.width, cut.height)},
                "sheet.rgb");
            EXPECT_TRUE(frames.mid(k * alone.data.size(), alone.data.size()) == alone.data)
                << "frame " << k;
        }
    }
    QTemporaryDir dir;
    AtomicFileWriter writer;
    const RunResult refused = run(
        {"--target-dir", dir.path().toStdString(), "--frames", "2", "anim.gif"}, pictures, writer);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("--frames"), std::string::npos) << refused.err;
}
