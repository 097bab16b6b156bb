// How close the console's colours come to a photo: the files a conversion wrote are decoded
// with the console's display rules (quality/consoledecoder.h, which shares nothing with the
// converter) and compared with the source picture.
//   palette_quality [--clut PALETTE] CRY_TABLE SOURCE MODEL WORDS [SHOWN.png]
//       PALETTE    the palette of the map WORDS when it is not NAME.clut beside it (one that
//                  several maps share, written once)
//       CRY_TABLE  the CRY colour ROMs as index,red,green,blue lines (rastix/data/cry-table.csv)
//       SOURCE     the picture that was converted, or that another tool's result was made from
//       MODEL      rgb16 or cry16: the words of WORDS, or of its palette for a map
//       WORDS      NAME.rgb, NAME.cry or NAME.map (with NAME.clut beside it) that rastix
//                  --binary wrote, the size of SOURCE
//       SHOWN.png  receives the decoded picture, to be looked at
// Prints: PSNR (dB), mean CIEDE2000, low-pass PSNR (dB, after a 9-tap binomial blur,
// sigma 1.4 px: banding stays, fine dither noise goes), distinct words the pixels show.
#include "quality/colourdifference.h"
#include "quality/consoledecoder.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>
#include <exception>
#include <set>
#include <stdexcept>
#include <string>

using namespace quality;

namespace {

QImage loaded(const char* path) {
    const QImage image(QString::fromLocal8Bit(path));
    if (image.isNull())
        throw std::runtime_error(std::string("cannot read ") + path);
    // The photos are opaque; a conversion would show transparent pixels as its own word.
    return image.convertToFormat(QImage::Format_RGB32);
}

Pixels pixelsOf(const QImage& image) {
    Pixels pixels;
    pixels.reserve(static_cast<std::size_t>(image.width()) *
                   static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            pixels.push_back({qRed(p), qGreen(p), qBlue(p)});
        }
    return pixels;
}

WordModel modelNamed(const std::string& name, const std::string& wordsPath) {
    if (name != "rgb16" && name != "cry16")
        throw std::runtime_error("the model is rgb16 or cry16, not " + name);
    const WordModel model = name == "rgb16" ? WordModel::Rgb16 : WordModel::Cry16;
    const std::string tail = wordsPath.size() >= 4 ? wordsPath.substr(wordsPath.size() - 4) : "";
    if ((tail == ".rgb" && model != WordModel::Rgb16) ||
        (tail == ".cry" && model != WordModel::Cry16))
        throw std::runtime_error(wordsPath + " does not hold " + name + " words");
    return model;
}

void save(const Pixels& shown, int width, int height, const char* path) {
    QImage out(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour& c = shown[static_cast<std::size_t>(y) * width + x];
            out.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    if (!out.save(QString::fromLocal8Bit(path)))
        throw std::runtime_error(std::string("cannot write ") + path);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // image plugins without a display
    // Qt keeps argc and argv for the application's life: the operands are read from a copy.
    int count = argc;
    char** args = argv;
    std::string palette;
    if (count > 2 && std::string(args[1]) == "--clut") {
        palette = args[2];
        args += 2;
        count -= 2;
    }
    if (count != 5 && count != 6) {
        std::fprintf(stderr, "usage: see the comment at the top of bench/palette_quality.cpp\n");
        return 2;
    }
    try {
        const CryTable table = readCryTable(args[1]);
        const QImage source = loaded(args[2]);
        const WordModel model = modelNamed(args[3], args[4]);
        const Words words = readConversion(args[4], source.width(), source.height(), palette);
        const Pixels original = pixelsOf(source);
        const Pixels onScreen = shown(words, model, table);
        const int w = source.width(), h = source.height();
        const std::set<std::uint16_t> distinct(words.pixels.begin(), words.pixels.end());
        std::printf("%.2f %.3f %.2f %zu\n", psnr(original, onScreen),
                    meanCiede2000(original, onScreen),
                    psnr(blurred(original, w, h), blurred(onScreen, w, h)), distinct.size());
        if (count == 6)
            save(onScreen, w, h, args[5]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "palette_quality: %s\n", e.what());
        return 1;
    }
    return 0;
}
