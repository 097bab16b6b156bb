// How close rastix's console colours come to a photo, next to other palette tools: the words a
// conversion writes are decoded with the console's rules and compared with the source picture.
//   palette_quality ours SOURCE MODEL COLOURS DITHER [SHOWN.png]
//       convert SOURCE (MODEL rgb16 or cry16; COLOURS 2-256 for a map, 0 for true colour;
//       DITHER none, ordered or diffusion)
//   palette_quality cut SOURCE MODEL COLOURS [SHOWN.png]
//       a map by plain median cut, without refinement or filling: rastix's earlier palettes
//   palette_quality other SOURCE MODEL CANDIDATE [SHOWN.png]
//       another tool's 24-bit result, brought to the words of MODEL as rastix brings any pixel
// Prints: PSNR (dB), mean CIEDE2000, low-pass PSNR (dB, after a 9-tap binomial blur,
// sigma 1.4 px: banding stays, fine dither noise goes), palette entries (distinct words),
// milliseconds (best of 5 runs of the palette and mapping; 0 for other tools).
// SHOWN.png receives the decoded picture, to be looked at.
#include "codec/pixelcodec.h"
#include "encode/pictureencoder.h"
#include "palette/dither.h"
#include "palette/quantiser.h"
#include "quality/colourdifference.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace rastix;

namespace {

using quality::Pixels;
using Picture = Pixels;

quality::Colour onScreen(const Rgb& c) {
    return {c.red, c.green, c.blue};
}

struct Loaded {
    QImage image; // ARGB32, for ImageView
    Picture rgb;
};

bool load(const char* path, Loaded& out) {
    QImage img(QString::fromLocal8Bit(path));
    if (img.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return false;
    }
    out.image = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.image.height(); ++y)
        for (int x = 0; x < out.image.width(); ++x) {
            const QRgb p = out.image.pixel(x, y);
            out.rgb.push_back({qRed(p), qGreen(p), qBlue(p)});
        }
    return true;
}

ImageView viewOf(const QImage& img) {
    return {reinterpret_cast<const std::uint32_t*>(img.constBits()), img.width(), img.height(),
            img.bytesPerLine() / 4};
}

void report(const Loaded& source, const Picture& shown, std::size_t entries, double ms,
            const char* shownPath) {
    const int w = source.image.width(), h = source.image.height();
    std::printf("%.2f %.3f %.2f %zu %.1f\n", quality::psnr(source.rgb, shown),
                quality::meanCiede2000(source.rgb, shown),
                quality::psnr(quality::blurred(source.rgb, w, h), quality::blurred(shown, w, h)),
                entries, ms);
    if (shownPath) {
        QImage out(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const quality::Colour& c = shown[static_cast<std::size_t>(y) * w + x];
                out.setPixel(x, y, qRgb(c.red, c.green, c.blue));
            }
        out.save(QString::fromLocal8Bit(shownPath));
    }
}

Settings settingsFor(const std::string& model) {
    Settings s;
    s.model = model == "cry16" ? ColourModel::Cry16 : ColourModel::Rgb16;
    return s;
}

unsigned readBits(const EncodedPicture& p, int x, int y) {
    const std::uint8_t* row = p.data.data() + static_cast<std::size_t>(y) * p.rowBytes;
    if (!p.isColourMap())
        return static_cast<unsigned>(row[2 * x] << 8 | row[2 * x + 1]);
    const int bit = x * p.bitsPerPixel;
    return (row[bit / 8] >> (8 - p.bitsPerPixel - bit % 8)) & ((1u << p.bitsPerPixel) - 1);
}

Picture shownPicture(const EncodedPicture& p, const Settings& s) {
    Picture shown;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned v = readBits(p, x, y);
            shown.push_back(onScreen(
                shownColour(static_cast<std::uint16_t>(p.isColourMap() ? p.palette[v] : v), s)));
        }
    return shown;
}

double bestMilliseconds(const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// The colour map as rastix made it before k-means: median cut in the feature space, centres
// that give the same word merged, every word mapped to its nearest centre.
Picture plainMedianCut(const ImageView& view, const Settings& s, std::size_t colours,
                       std::size_t& entries) {
    const PixelEncoder encoder(s);
    std::vector<std::uint64_t> histogram(65536, 0);
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            ++histogram[encoder(view.row(y)[x])];
    std::vector<WeightedPoint> points;
    std::vector<std::uint16_t> distinct;
    for (std::uint32_t w = 0; w < 65536; ++w)
        if (histogram[w] != 0) {
            distinct.push_back(static_cast<std::uint16_t>(w));
            points.push_back({wordFeature(static_cast<std::uint16_t>(w), s), histogram[w]});
        }
    std::vector<std::uint16_t> words;
    for (const ColourPoint& c : medianCut(points, colours)) {
        const std::uint16_t w = wordFromFeature(c, s);
        if (std::find(words.begin(), words.end(), w) == words.end())
            words.push_back(w);
    }
    std::vector<ColourPoint> features;
    for (const std::uint16_t w : words)
        features.push_back(wordFeature(w, s));
    std::vector<std::uint16_t> mapped(65536, 0);
    for (const std::uint16_t w : distinct)
        mapped[w] = words[nearestIndex(features, wordFeature(w, s))];
    Picture shown;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            shown.push_back(onScreen(shownColour(mapped[encoder(view.row(y)[x])], s)));
    entries = words.size();
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // image plugins without a display
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool ours = mode == "ours" && (argc == 6 || argc == 7);
    const bool cut = mode == "cut" && (argc == 5 || argc == 6);
    const bool other = mode == "other" && (argc == 5 || argc == 6);
    if (!ours && !cut && !other) {
        std::fprintf(stderr, "usage: see the comment at the top of bench/palette_quality.cpp\n");
        return 2;
    }
    Loaded source;
    if (!load(argv[2], source))
        return 1;
    Settings s = settingsFor(argv[3]);
    const ImageView view = viewOf(source.image);
    if (other) {
        Loaded candidate;
        if (!load(argv[4], candidate))
            return 1;
        const PixelEncoder encoder(s);
        Picture shown;
        std::set<std::uint16_t> words;
        for (int y = 0; y < candidate.image.height(); ++y)
            for (int x = 0; x < candidate.image.width(); ++x) {
                const std::uint16_t w = encoder(candidate.image.pixel(x, y) | 0xFF000000u);
                words.insert(w);
                shown.push_back(onScreen(shownColour(w, s)));
            }
        report(source, shown, words.size(), 0, argc == 6 ? argv[5] : nullptr);
        return 0;
    }
    const int colours = std::atoi(argv[4]);
    if (cut) {
        std::size_t entries = 0;
        Picture shown;
        const double ms = bestMilliseconds(
            [&] { shown = plainMedianCut(view, s, static_cast<std::size_t>(colours), entries); });
        report(source, shown, entries, ms, argc == 6 ? argv[5] : nullptr);
        return 0;
    }
    const std::string dither = argv[5];
    s.dither = dither == "ordered"     ? Dither::Ordered
               : dither == "diffusion" ? Dither::Diffusion
                                       : Dither::None;
    s.colourMap = colours > 0;
    s.mapColours = colours > 0 ? colours : 256;
    EncodedPicture encoded;
    const double ms = bestMilliseconds([&] { encoded = encodePicture(view, s); });
    report(source, shownPicture(encoded, s), encoded.palette.size(), ms,
           argc == 7 ? argv[6] : nullptr);
    return 0;
}
