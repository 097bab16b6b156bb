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
#include "palette/boxcut.h"
#include "palette/dither.h"
#include "palette/nearestcolour.h"
#include "palette/quantiser.h"

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

struct Lab {
    double l, a, b;
};

double linear(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Lab toLab(const Rgb& c) {
    const double r = linear(c.red), g = linear(c.green), b = linear(c.blue);
    // sRGB primaries, D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const auto f = [](double t) {
        return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

// Sharma, Wu and Dalal, "The CIEDE2000 color-difference formula: implementation notes".
double ciede2000(const Lab& p, const Lab& q) {
    constexpr double kPi = 3.14159265358979323846;
    const auto deg = [](double r) {
        return r * 180.0 / kPi;
    };
    const auto rad = [](double d) {
        return d * kPi / 180.0;
    };
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
    const double cMean = (c1 + c2) / 2;
    const double c7 = std::pow(cMean, 7);
    const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double cp1 = std::hypot(a1, p.b), cp2 = std::hypot(a2, q.b);
    const auto hue = [&](double b, double a) {
        if (a == 0 && b == 0)
            return 0.0;
        const double h = deg(std::atan2(b, a));
        return h < 0 ? h + 360 : h;
    };
    const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);
    const double dL = q.l - p.l, dC = cp2 - cp1;
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = h2 - h1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(rad(dh / 2));
    const double lMean = (p.l + q.l) / 2, cpMean = (cp1 + cp2) / 2;
    double hMean = h1 + h2;
    if (cp1 * cp2 != 0) {
        if (std::abs(h1 - h2) <= 180)
            hMean = (h1 + h2) / 2;
        else
            hMean = h1 + h2 < 360 ? (h1 + h2 + 360) / 2 : (h1 + h2 - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(rad(hMean - 30)) + 0.24 * std::cos(rad(2 * hMean)) +
                     0.32 * std::cos(rad(3 * hMean + 6)) - 0.20 * std::cos(rad(4 * hMean - 63));
    const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
    const double cp7 = std::pow(cpMean, 7);
    const double rc = 2 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
    const double sl = 1 + 0.015 * std::pow(lMean - 50, 2) / std::sqrt(20 + std::pow(lMean - 50, 2));
    const double sc = 1 + 0.045 * cpMean, sh = 1 + 0.015 * cpMean * t;
    const double rt = -std::sin(rad(2 * dTheta)) * rc;
    return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                     rt * (dC / sc) * (dH / sh));
}

using Picture = std::vector<Rgb>; // row after row

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

Picture blurred(const Picture& p, int width, int height) {
    static const int kTaps[9] = {1, 8, 28, 56, 70, 56, 28, 8, 1};
    const auto pass = [&](const Picture& in, bool across) {
        Picture out(in.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int r = 0, g = 0, b = 0;
                for (int k = -4; k <= 4; ++k) {
                    const int sx = across ? std::clamp(x + k, 0, width - 1) : x;
                    const int sy = across ? y : std::clamp(y + k, 0, height - 1);
                    const Rgb& c = in[static_cast<std::size_t>(sy) * width + sx];
                    r += c.red * kTaps[k + 4];
                    g += c.green * kTaps[k + 4];
                    b += c.blue * kTaps[k + 4];
                }
                out[static_cast<std::size_t>(y) * width + x] = {(r + 128) / 256, (g + 128) / 256,
                                                                (b + 128) / 256};
            }
        return out;
    };
    return pass(pass(p, true), false);
}

double psnr(const Picture& a, const Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double dr = a[i].red - b[i].red, dg = a[i].green - b[i].green,
                     db = a[i].blue - b[i].blue;
        sum += dr * dr + dg * dg + db * db;
    }
    const double mse = sum / (3.0 * static_cast<double>(a.size()));
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void report(const Loaded& source, const Picture& shown, std::size_t entries, double ms,
            const char* shownPath) {
    const int w = source.image.width(), h = source.image.height();
    double de = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        de += ciede2000(toLab(source.rgb[i]), toLab(shown[i]));
    de /= static_cast<double>(shown.size());
    std::printf("%.2f %.3f %.2f %zu %.1f\n", psnr(source.rgb, shown), de,
                psnr(blurred(source.rgb, w, h), blurred(shown, w, h)), entries, ms);
    if (shownPath) {
        QImage out(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb& c = shown[static_cast<std::size_t>(y) * w + x];
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
            shown.push_back(
                shownColour(static_cast<std::uint16_t>(p.isColourMap() ? p.palette[v] : v), s));
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
            shown.push_back(shownColour(mapped[encoder(view.row(y)[x])], s));
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
                shown.push_back(shownColour(w, s));
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
