// Shows the converter's binary output on an emulated console and compares every pixel of the
// screen with what the console makes of the words written (exactly), with the source picture
// (within a stated tolerance) and with the empty frame around the pictures. Also assembles the
// converter's assembly output with GNU as and compares it with the binary output.
//
// Usage: test_console CASE. Exit status 0 pass, 1 fail, 77 the emulator cannot run here.
#include "codec/crytable.h"
#include "emulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int kSkip = 77;

// The NTSC frame the display cartridge sets up, as measured in the emulator: 326 x 240 pixels
// of which the first 3 columns and rows show the border, the rest the active area.
constexpr int kFrameWidth = console::kWindowWidth / 2;
constexpr int kFrameHeight = console::kWindowHeight / 2;
constexpr int kBorder = 3;

// Largest difference per channel between a source colour and its colour on screen.
// RGB16: a 5-bit field shows v << 3, so rounding 0..255 to it is off by at most 4, except near
// the top (252..255 show 248) and green of a mixed-mode word (see colourOf): one 5-bit step.
constexpr int kRgbTolerance = 8;
// CRY: the nearest of the 256 table colours at full intensity is off by at most 25 in a channel
// (searched over the whole colour cube), plus rounding in scaling to full intensity and the
// truncating intensity multiply.
constexpr int kCryTolerance = 28;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

QString text(const Rgb& c) {
    return QStringLiteral("(%1,%2,%3)").arg(c.r).arg(c.g).arg(c.b);
}

// ---- How the console turns a line-buffer word into a colour -------------------------------

enum class Screen { Rgb16, Cry16, Mixed };

std::uint16_t videoMode(Screen s) {
    // VIDEN, CSYNC, BGEN, PWIDTH4, and the mode: CRY16, RGB16, or CRY16 with VARMOD.
    switch (s) {
    case Screen::Rgb16:
        return 0x06C7;
    case Screen::Cry16:
        return 0x06C1;
    case Screen::Mixed:
        break;
    }
    return 0x07C1;
}

Rgb rgb16(std::uint16_t w) {
    return {(w >> 11) << 3, (w & 63) << 2, ((w >> 6) & 31) << 3};
}

Rgb cry(std::uint16_t w) {
    const int colour = w >> 8;
    const int y = w & 0xFF;
    const rastix::CryRomEntry& e = rastix::cryRom()[colour];
    // The emulator's red table differs from the manual's at two colour bytes (15 for 115 and
    // 7 for 17, a copying slip); the screen shows the emulator's values.
    int red = e.red;
    if (colour == 0x8C)
        red = 15;
    else if (colour == 0x8F)
        red = 7;
    return {red * y >> 8, e.green * y >> 8, e.blue * y >> 8};
}

Rgb colourOf(std::uint16_t w, Screen s) {
    switch (s) {
    case Screen::Rgb16:
        return rgb16(w);
    case Screen::Cry16:
        return cry(w);
    case Screen::Mixed:
        break;
    }
    // Bit 0 picks the model. The manual has the hardware feed 0 instead of bit 0 into the
    // converter, leaving RGB green 5 bits; the emulator keeps bit 0 as green's lowest bit.
    return (w & 1) ? rgb16(w) : cry(w);
}

// Read-modify-write: each field of the word is a signed delta added to the line buffer and
// clamped: intensity (8 bits), then the two colour nibbles.
std::uint16_t addRelative(std::uint16_t old, std::uint16_t delta) {
    const auto field = [&](int shift, int bits) {
        const int mask = (1 << bits) - 1;
        int d = (delta >> shift) & mask;
        if (d >> (bits - 1))
            d -= 1 << bits;
        return std::clamp(((old >> shift) & mask) + d, 0, mask) << shift;
    };
    return static_cast<std::uint16_t>(field(12, 4) | field(8, 4) | field(0, 8));
}

// ---- A scene: bitmap objects as the cartridge shows them ------------------------------------

struct Layer {
    QString name;
    QByteArray pixels;                  // rows as written by the converter, phrase-padded
    QByteArray shown;                   // what the cartridge holds, when deliberately different
    std::vector<std::uint16_t> palette; // a colour map's own palette, loaded at clutBase
    int bpp = 16;
    int phrases = 0;
    int height = 0;
    int x = 0; // frame position of the top-left pixel
    int y = 0;
    // REFLECT: the picture's width; its first pixel is drawn at x + reflectWidth - 1 and the
    // rest leftwards, so the picture still covers x onwards and its padding lies left of x.
    int reflectWidth = 0;
    // Where DATA points in the scene's sheet; -1: at a copy of pixels of the layer's own.
    long long sheetOffset = -1;
    int clutBase = 0; // first palette entry in the console's table; INDEX is half of it
    bool relative = false;
    bool trans = true; // value 0 is not drawn
    // The object rastix wrote for the picture (--object-header), to be shown as it is with only
    // what the game decides filled in; empty: the cartridge makes its own.
    QByteArray readyObject;
    QImage source; // the picture as it should look (after any cut or turn); null: no source
    int tolerance = 0;

    int paddedWidth() const { return phrases * 64 / bpp; }
    int screenX(int px) const { return reflectWidth ? x + reflectWidth - 1 - px : x + px; }
    int left() const { return reflectWidth ? x + reflectWidth - paddedWidth() : x; }
    int value(int px, int py) const {
        const int bit = py * phrases * 64 + px * bpp;
        const auto byte = static_cast<unsigned char>(pixels[bit / 8]);
        if (bpp == 16)
            return byte << 8 | static_cast<unsigned char>(pixels[bit / 8 + 1]);
        return (byte >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
    }
    bool covers(int fx, int fy) const {
        return fx >= left() && fx < left() + paddedWidth() && fy >= y && fy < y + height;
    }
};

struct Scene {
    Screen screen = Screen::Rgb16;
    std::uint16_t background = 0;
    std::uint16_t border = 0x2080;   // BORD1: green in the high byte, red in the low byte
    std::vector<std::uint16_t> clut; // a table the maps share, loaded from entry 0
    std::vector<Layer> layers;
    QByteArray sheet; // data several layers show parts of (see Layer::sheetOffset)
};

// The console's colour table once the scene is loaded: the shared table first, then each
// layer's own palette in order, as the cartridge copies them.
std::vector<std::uint16_t> colourTable(const Scene& s) {
    std::vector<std::uint16_t> table(256, 0);
    std::copy(s.clut.begin(), s.clut.end(), table.begin());
    for (const Layer& l : s.layers)
        std::copy(l.palette.begin(), l.palette.end(), table.begin() + l.clutBase);
    return table;
}

using Frame = std::vector<Rgb>; // kFrameWidth x kFrameHeight

Rgb borderColour(const Scene& s) {
    return {s.border & 0xFF, s.border >> 8, 0};
}

bool inBorder(int fx, int fy) {
    return fx < kBorder || fy < kBorder;
}

// The frame the console should show with the first layerCount objects drawn. Transparent
// pixels (index 0, word 0) of an object with TRANS are skipped; the line buffer starts each
// line as the background.
Frame expectedFrame(const Scene& s, std::size_t layerCount) {
    std::vector<std::uint16_t> words(kFrameWidth * kFrameHeight, s.background);
    const std::vector<std::uint16_t> table = colourTable(s);
    for (std::size_t i = 0; i < layerCount; ++i) {
        const Layer& l = s.layers[i];
        for (int py = 0; py < l.height; ++py)
            for (int px = 0; px < l.paddedWidth(); ++px) {
                const int fx = l.screenX(px);
                const int fy = l.y + py;
                if (fx < 0 || fx >= kFrameWidth || fy >= kFrameHeight)
                    continue;
                const int v = l.value(px, py);
                // The pixel's own value decides: in a bank other than the first, value 0 is
                // transparent although its palette entry is not entry 0.
                if (v == 0 && l.trans)
                    continue;
                std::uint16_t word = static_cast<std::uint16_t>(v);
                if (l.bpp < 16) {
                    // 1 to 4 bits: the object's INDEX supplies the entry's upper bits; those
                    // below the bank's size are ignored.
                    const int entry = l.bpp == 8 ? v : (l.clutBase & (0xFF << l.bpp)) | v;
                    word = table[static_cast<std::size_t>(entry)];
                }
                std::uint16_t& at = words[static_cast<std::size_t>(fy * kFrameWidth + fx)];
                at = l.relative ? addRelative(at, word) : word;
            }
    }
    Frame f(words.size());
    for (int fy = 0; fy < kFrameHeight; ++fy)
        for (int fx = 0; fx < kFrameWidth; ++fx) {
            const std::size_t i = static_cast<std::size_t>(fy * kFrameWidth + fx);
            f[i] = inBorder(fx, fy) ? borderColour(s) : colourOf(words[i], s.screen);
        }
    return f;
}

// The window as console pixels; a 2 x 2 block that is not one colour counts as broken.
Frame consolePixels(const QImage& window, int& brokenBlocks) {
    Frame f(kFrameWidth * kFrameHeight);
    brokenBlocks = 0;
    for (int fy = 0; fy < kFrameHeight; ++fy)
        for (int fx = 0; fx < kFrameWidth; ++fx) {
            const QRgb p = window.pixel(2 * fx, 2 * fy);
            if (window.pixel(2 * fx + 1, 2 * fy) != p || window.pixel(2 * fx, 2 * fy + 1) != p ||
                window.pixel(2 * fx + 1, 2 * fy + 1) != p)
                ++brokenBlocks;
            f[static_cast<std::size_t>(fy * kFrameWidth + fx)] = {qRed(p), qGreen(p), qBlue(p)};
        }
    return f;
}

// ---- The comparisons -----------------------------------------------------------------------

struct LayerReport {
    int wordMismatches = 0;   // pixels unlike what the console makes of the words written
    int sourceMismatches = 0; // pixels beyond tolerance from the source, or not background
    int largestError = 0;     // largest channel difference from an opaque source pixel
    int sourceChecked = 0;
};

struct Report {
    int brokenBlocks = 0;
    int frameMismatches = 0; // outside every picture: border and background
    std::vector<LayerReport> layers;
    QStringList examples;

    void example(const QString& line) {
        if (examples.size() < 6)
            examples << line;
    }
};

Report compare(const Scene& s, const QImage& window) {
    Report r;
    r.layers.resize(s.layers.size());
    const Frame seen = consolePixels(window, r.brokenBlocks);
    const Frame expected = expectedFrame(s, s.layers.size());
    const auto at = [](int fx, int fy) {
        return static_cast<std::size_t>(fy * kFrameWidth + fx);
    };

    for (int fy = 0; fy < kFrameHeight; ++fy)
        for (int fx = 0; fx < kFrameWidth; ++fx) {
            if (seen[at(fx, fy)] == expected[at(fx, fy)])
                continue;
            auto top = std::find_if(s.layers.rbegin(), s.layers.rend(),
                                    [&](const Layer& l) { return l.covers(fx, fy); });
            if (top == s.layers.rend())
                ++r.frameMismatches;
            else
                ++r.layers[static_cast<std::size_t>(s.layers.rend() - top - 1)].wordMismatches;
            r.example(QStringLiteral("(%1,%2): words give %3, screen shows %4")
                          .arg(fx)
                          .arg(fy)
                          .arg(text(expected[at(fx, fy)]), text(seen[at(fx, fy)])));
        }

    for (std::size_t i = 0; i < s.layers.size(); ++i) {
        const Layer& l = s.layers[i];
        if (l.source.isNull())
            continue;
        const Frame beneath = expectedFrame(s, i);
        LayerReport& lr = r.layers[i];
        for (int py = 0; py < l.height; ++py)
            for (int px = 0; px < l.paddedWidth(); ++px) {
                const int fx = l.screenX(px);
                const int fy = l.y + py;
                const Rgb shown = seen[at(fx, fy)];
                // The source as it should look on screen, from x onwards.
                const int sx = fx - l.x;
                const bool inside = sx >= 0 && sx < l.source.width() && py < l.source.height();
                const QRgb src = inside ? l.source.pixel(sx, py) : 0;
                ++lr.sourceChecked;
                if (qAlpha(src) == 0) {
                    // Padding and transparent pixels let what lies beneath show.
                    if (shown == beneath[at(fx, fy)])
                        continue;
                    ++lr.sourceMismatches;
                    r.example(QStringLiteral("%1 (%2,%3): transparent, shows %4 not %5")
                                  .arg(l.name)
                                  .arg(sx)
                                  .arg(py)
                                  .arg(text(shown), text(beneath[at(fx, fy)])));
                    continue;
                }
                const int error =
                    std::max({std::abs(shown.r - qRed(src)), std::abs(shown.g - qGreen(src)),
                              std::abs(shown.b - qBlue(src))});
                lr.largestError = std::max(lr.largestError, error);
                if (error <= l.tolerance)
                    continue;
                ++lr.sourceMismatches;
                r.example(QStringLiteral("%1 (%2,%3): source %4, screen %5")
                              .arg(l.name)
                              .arg(sx)
                              .arg(py)
                              .arg(text({qRed(src), qGreen(src), qBlue(src)}), text(shown)));
            }
    }
    return r;
}

bool clean(const Report& r, std::size_t layer) {
    return r.layers[layer].wordMismatches == 0 && r.layers[layer].sourceMismatches == 0;
}

bool clean(const Report& r) {
    if (r.brokenBlocks || r.frameMismatches)
        return false;
    for (std::size_t i = 0; i < r.layers.size(); ++i)
        if (!clean(r, i))
            return false;
    return true;
}

// ---- Test pictures -------------------------------------------------------------------------

// 61 pixels wide: every depth needs padding to a whole phrase.
constexpr int kWidth = 61;
constexpr int kHeight = 40;

int ramp(int x) {
    // Never 0: opaque black in RGB16 is the transparent word.
    return 8 + x * 247 / (kWidth - 1);
}

// Bands of ramps (primaries, grey, secondaries), flat patches and transparent pixels.
QImage rampsPicture() {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    const QRgb patches[] = {qRgb(255, 255, 255), qRgb(255, 128, 0), qRgb(40, 200, 120),
                            qRgb(200, 60, 160), qRgb(90, 90, 200)};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int v = ramp(x);
            const int band = y / 5;
            const QRgb c[] = {qRgb(v, 0, 0), qRgb(0, v, 0), qRgb(0, 0, v), qRgb(v, v, v),
                              qRgb(v, v, 0), qRgb(0, v, v), qRgb(v, 0, v), patches[x / 10 % 5]};
            img.setPixel(x, y, c[band]);
        }
    for (int y = 35; y < kHeight; ++y)
        for (int x = 50; x < kWidth; ++x)
            img.setPixel(x, y, 0);
    for (int y = 0; y < 5; ++y)
        img.setPixel(30, y, 0);
    return img;
}

// Colours of the CRY table at a few intensities, none of the bytes the emulator shows wrong or
// tinted: both models keep them apart.
std::vector<QRgb> cryTableColours(int count) {
    std::vector<QRgb> list;
    for (int i = 0; list.size() < static_cast<std::size_t>(count); ++i) {
        const int c = (i * 97 + 13) % 256;
        if (c == 0x8C || c == 0x8F || c == 0x88)
            continue;
        const rastix::CryRomEntry& e = rastix::cryRom()[c];
        const int k = 255 - (i % 3) * 50;
        list.push_back(qRgb(e.red * k / 255, e.green * k / 255, e.blue * k / 255));
    }
    return list;
}

// Exactly `colours` colours taken from the CRY table, in blocks, with a transparent corner; one
// colour alternates with transparent stripes. Pictures made with different `first` colours of
// the same list share those they both take.
QImage mapPicture(int colours, int first = 0) {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    const std::vector<QRgb> list = cryTableColours(first + colours);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool hole = colours == 1 ? (x / 3 + y / 2) % 2 : x >= 52 && y >= 32;
            img.setPixel(
                x, y,
                hole ? 0 : list[static_cast<std::size_t>(first + (x / 4 + y / 4 * 16) % colours)]);
        }
    return img;
}

QImage flatPicture(QRgb colour) {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    img.fill(colour);
    return img;
}

// ---- Running things ------------------------------------------------------------------------

struct Run {
    int status = -1;
    QByteArray out;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = p.readAll();
    return r;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

struct Failure {
    QString message;
};

void require(bool ok, const QString& message) {
    if (!ok)
        throw Failure{message};
}

std::vector<std::uint16_t> words(const QByteArray& bytes) {
    std::vector<std::uint16_t> w;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        w.push_back(static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) << 8 |
                                               static_cast<unsigned char>(bytes[i + 1])));
    return w;
}

QString savedPicture(const QString& dir, const QString& name, const QImage& picture) {
    const QString png = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    require(picture.save(png), QStringLiteral("cannot save ") + png);
    return png;
}

// Converts pictures in one run with the given options into binary output in dir; returns
// rastix's report of the files written.
QString convertTogether(const QString& dir, const QStringList& options,
                        const QStringList& pictures) {
    // Options always precede the pictures they apply to.
    const Run r = run(QStringLiteral(RASTIX_PROGRAM),
                      QStringList{QStringLiteral("--target-dir"), dir, QStringLiteral("--binary")} +
                          options + pictures);
    require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
    return QString::fromUtf8(r.out);
}

enum class Output { TrueColour, OwnPalette, SharedPalette };

// The layer rastix wrote for the picture `name`, expected with bpp bits per pixel.
Layer writtenLayer(const QString& dir, const QString& name, Output output, bool cry, int bpp,
                   const QImage& looksLike) {
    Layer l;
    l.name = name;
    l.bpp = bpp;
    l.height = looksLike.height();
    l.phrases = (looksLike.width() * bpp + 63) / 64;
    l.source = looksLike;
    const QString base = dir + QLatin1Char('/') + name;
    const QString clut = base + QStringLiteral(".clut");
    if (output == Output::TrueColour) {
        l.pixels = readFile(base + (cry ? QStringLiteral(".cry") : QStringLiteral(".rgb")));
    } else {
        l.pixels = readFile(base + QStringLiteral(".map"));
        if (output == Output::OwnPalette) {
            l.palette = words(readFile(clut));
            require(!l.palette.empty() && l.palette.size() <= (1u << bpp),
                    QStringLiteral("%1: %2 palette entries for %3 bits")
                        .arg(name)
                        .arg(l.palette.size())
                        .arg(bpp));
        } else {
            require(!QFile::exists(clut), name + QStringLiteral(": a palette of its own written"));
        }
    }
    require(l.pixels.size() == l.phrases * 8 * l.height,
            QStringLiteral("%1: %2 bytes of pixels, not %3 (expected %4 bits per pixel)")
                .arg(name)
                .arg(l.pixels.size())
                .arg(l.phrases * 8 * l.height)
                .arg(bpp));
    l.tolerance = cry ? kCryTolerance : kRgbTolerance;
    return l;
}

// Converts a picture with the given options into binary output in dir.
Layer convert(const QString& dir, const QString& name, const QImage& picture,
              const QStringList& options, int bpp, const QImage& looksLike) {
    convertTogether(dir, options, {savedPicture(dir, name, picture)});
    return writtenLayer(dir, name,
                        options.contains(QStringLiteral("--clut")) ? Output::OwnPalette
                                                                   : Output::TrueColour,
                        options.contains(QStringLiteral("-cry")), bpp, looksLike);
}

int depthCode(int bpp) {
    switch (bpp) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    default:
        return 4;
    }
}

QString hex(long long v) {
    return QStringLiteral("0x") + QString::number(v, 16).toUpper();
}

// A phrase of a 16-byte object, big-endian as the console reads it.
std::uint64_t phraseOf(const QByteArray& object, int phrase) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | static_cast<unsigned char>(object[phrase * 8 + i]);
    return value;
}

// The object rastix wrote for a layer, completed as a game would: DATA, LINK and YPOS put into
// phrase 0 and XPOS into phrase 1 at the bit positions its comment names (RMW for relative CRY
// too); nothing else changed.
QString readyObject(const Layer& l, long long data, long long link) {
    const std::uint64_t p0 =
        phraseOf(l.readyObject, 0) | static_cast<std::uint64_t>(data >> 3) << 43 |
        static_cast<std::uint64_t>(link >> 3) << 24 | static_cast<std::uint64_t>(32 + 2 * l.y) << 3;
    const std::uint64_t p1 = phraseOf(l.readyObject, 1) | (l.relative ? 1ULL << 46 : 0) |
                             static_cast<std::uint64_t>((l.x - kBorder) & 0xFFF);
    return QStringLiteral("        .long   %1, %2, %3, %4\n")
        .arg(hex(static_cast<long long>(p0 >> 32)), hex(static_cast<long long>(p0 & 0xFFFFFFFF)),
             hex(static_cast<long long>(p1 >> 32)), hex(static_cast<long long>(p1 & 0xFFFFFFFF)));
}

// Writes scene.s and the files it pulls in, and builds the cartridge with the CMake script
// users' builds share.
QString buildCartridge(const Scene& s, const QString& dir) {
    constexpr long long kCart = 0x800000;
    constexpr long long kObjects = 0x4000;
    long long next = kCart + 0x10000;
    QString pictures;
    QString palettes;
    QString objects;
    const auto place = [&](const QByteArray& data, const QString& file) {
        const long long address = next;
        require(writeFile(dir + QLatin1Char('/') + file, data),
                QStringLiteral("cannot write ") + file);
        pictures += QStringLiteral("        .org    %1\n        .incbin \"%2\"\n")
                        .arg(hex(address - kCart), file);
        next = (address + data.size() + 0xFF) & ~0xFFLL;
        return address;
    };
    const auto load = [&](const std::vector<std::uint16_t>& table, int first, const QString& file) {
        QByteArray bytes;
        for (std::uint16_t w : table)
            bytes.append(static_cast<char>(w >> 8)).append(static_cast<char>(w & 0xFF));
        palettes += QStringLiteral("        .long   %1\n        .short  %2, %3\n")
                        .arg(hex(place(bytes, file)))
                        .arg(first)
                        .arg(table.size());
    };
    if (!s.clut.empty())
        load(s.clut, 0, QStringLiteral("shared.clut"));
    const long long sheet = s.sheet.isEmpty() ? 0 : place(s.sheet, QStringLiteral("sheet.bin"));
    for (std::size_t i = 0; i < s.layers.size(); ++i) {
        const Layer& l = s.layers[i];
        const long long data = l.sheetOffset >= 0 ? sheet + l.sheetOffset
                                                  : place(l.shown.isEmpty() ? l.pixels : l.shown,
                                                          QStringLiteral("layer%1.bin").arg(i));
        if (!l.palette.empty())
            load(l.palette, l.clutBase, QStringLiteral("layer%1.clut").arg(i));
        const long long link = kObjects + 16 * static_cast<long long>(i + 1);
        if (!l.readyObject.isEmpty()) {
            objects += readyObject(l, data, link);
            continue;
        }
        // TRANS, RMW, REFLECT
        const int flags = (l.trans ? 4 : 0) | (l.relative ? 2 : 0) | (l.reflectWidth ? 1 : 0);
        objects += QStringLiteral("        bitmap  %1, %2, %3, %4, %5, %6, %7, %8, %9\n")
                       .arg(hex(data), hex(link))
                       .arg(l.height)
                       .arg(32 + 2 * l.y)
                       .arg(depthCode(l.bpp))
                       .arg(l.phrases)
                       .arg(l.bpp < 8 ? l.clutBase / 2 : 0)
                       .arg(flags)
                       .arg(l.screenX(0) - kBorder);
    }
    const QString scene = QStringLiteral("scene_vmode:    .short  %1\n"
                                         "scene_bg:       .short  %2\n"
                                         "scene_border:   .short  %3\n"
                                         "scene_longs:    .short  %4\n"
                                         "scene_palettes:\n%5        .long   0\n"
                                         "        .balign 16\n"
                                         "scene_objects:\n%6        stop\n%7")
                              .arg(hex(videoMode(s.screen)), hex(s.background), hex(s.border))
                              .arg(4 * s.layers.size() + 2)
                              .arg(palettes, objects, pictures);
    require(writeFile(dir + QStringLiteral("/scene.s"), scene.toUtf8()),
            QStringLiteral("cannot write scene.s"));
    const QString cartridge = dir + QStringLiteral("/scene.j64");
    const Run r =
        run(QStringLiteral(CMAKE_PROGRAM),
            {QStringLiteral("-DSCENE_DIR=") + dir, QStringLiteral("-DCARTRIDGE=") + cartridge,
             QStringLiteral("-P"), QStringLiteral(CONSOLE_DIR "/cartridge.cmake")});
    require(r.status == 0, QStringLiteral("cartridge build failed:\n") + QString::fromUtf8(r.out));
    return cartridge;
}

// ---- The cases -----------------------------------------------------------------------------

struct Case {
    const char* name;
    std::function<Scene(const QString& dir)> scene;
    // Whether a report is what the case wants; by default, everything clean.
    std::function<bool(const Report&)> accept;
};

// Frame position for the n-th picture of a scene: two rows of three.
void place(Layer& l, int n) {
    l.x = 10 + (n % 3) * 100;
    l.y = 12 + (n / 3) * 110;
}

struct Picture {
    QString name;
    QImage image;
    QStringList options;
    int bpp;
};

Scene pictures(const QString& dir, Screen screen, std::uint16_t background,
               const std::vector<Picture>& list) {
    Scene s;
    s.screen = screen;
    s.background = background;
    for (const Picture& p : list) {
        Layer l = convert(dir, p.name, p.image, p.options, p.bpp, p.image);
        place(l, static_cast<int>(s.layers.size()));
        s.layers.push_back(l);
    }
    return s;
}

Scene colourMaps(const QString& dir, const QString& model, std::uint16_t background) {
    Scene s;
    s.screen = model == QStringLiteral("-cry") ? Screen::Cry16 : Screen::Rgb16;
    s.background = background;
    // Each map's palette goes to its own part of the table, reached through INDEX.
    const struct {
        int colours, bpp, clutBase;
    } maps[] = {{40, 8, 0}, {12, 4, 0x40}, {3, 2, 0x60}, {1, 1, 0x70}};
    for (const auto& m : maps) {
        const QString name = QStringLiteral("map%1").arg(m.bpp);
        Layer l = convert(dir, name, mapPicture(m.colours),
                          {model, QStringLiteral("--clut"), QStringLiteral("--opt-clut")}, m.bpp,
                          mapPicture(m.colours));
        l.clutBase = m.clutBase;
        place(l, static_cast<int>(s.layers.size()));
        s.layers.push_back(l);
    }
    return s;
}

QImage turnedClockwise(const QImage& img) {
    QImage out(img.height(), img.width(), img.format());
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, img.pixel(y, img.height() - 1 - x));
    return out;
}

QImage mirroredLeftRight(const QImage& img) {
    QImage out(img.size(), img.format());
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, img.pixel(img.width() - 1 - x, y));
    return out;
}

// The kinds of broken data the comparison must catch, made from good RGB16 rows.
QByteArray swappedBytes(QByteArray d) {
    for (qsizetype i = 0; i + 1 < d.size(); i += 2)
        std::swap(d[i], d[i + 1]);
    return d;
}

QByteArray exchangedRedBlue(QByteArray d) {
    for (qsizetype i = 0; i + 1 < d.size(); i += 2) {
        const unsigned w =
            static_cast<unsigned char>(d[i]) << 8 | static_cast<unsigned char>(d[i + 1]);
        const unsigned x = ((w >> 6) & 31) << 11 | ((w >> 11) & 31) << 6 | (w & 63);
        d[i] = static_cast<char>(x >> 8);
        d[i + 1] = static_cast<char>(x & 0xFF);
    }
    return d;
}

QByteArray rowShiftedByAPhrase(QByteArray d, int rowBytes, int row) {
    const qsizetype start = static_cast<qsizetype>(row) * rowBytes;
    const QByteArray shifted = QByteArray(8, 0) + d.mid(start, rowBytes - 8);
    d.replace(start, rowBytes, shifted);
    return d;
}

const std::uint16_t kRgbBackground = 0x4308; // (64, 32, 96): in no test picture
const std::uint16_t kCryBackground = 0x3A60; // a dim blue-green, bit 0 clear: CRY in mixed mode

// A map made by hand, 64 pixels wide, counting through every value of its depth from left to
// right, with a palette of distinct opaque words (none 0, none the background) at clutBase.
Layer countingMap(int bpp, int clutBase) {
    Layer l;
    l.name = QStringLiteral("%1-bit map at entry %2").arg(bpp).arg(clutBase);
    l.bpp = bpp;
    l.phrases = bpp;
    l.height = 8;
    l.clutBase = clutBase;
    for (int row = 0; row < l.height; ++row)
        for (int byte = 0; byte < l.phrases * 8; ++byte) {
            int bits = 0;
            for (int px = byte * 8 / bpp; px < (byte + 1) * 8 / bpp; ++px)
                bits = bits << bpp | px * (1 << bpp) / 64;
            l.pixels.append(static_cast<char>(bits));
        }
    for (int e = clutBase; e < clutBase + (1 << bpp); ++e)
        l.palette.push_back(static_cast<std::uint16_t>(e << 8 | 0x80 | (e & 0x3F)));
    return l;
}

// The INDEX rastix reports for the map it wrote for `name` (named with its folder).
int reportedIndex(const QString& report, const QString& name) {
    const QRegularExpression line(QStringLiteral("^wrote (?:.*/)?") +
                                      QRegularExpression::escape(name) +
                                      QStringLiteral("\\.map .*, INDEX (\\d+)"),
                                  QRegularExpression::MultilineOption);
    const auto m = line.match(report);
    require(m.hasMatch(),
            QStringLiteral("no INDEX reported for ") + name + QStringLiteral(":\n") + report);
    return m.captured(1).toInt();
}

// Maps converted together into one table the console loads whole; each shown from it.
Scene sharingMaps(const QString& dir, const QStringList& options, const QString& table,
                  const std::vector<Picture>& list, Screen screen, std::uint16_t background,
                  QString& report) {
    QStringList files;
    for (const Picture& p : list)
        files << savedPicture(dir, p.name, p.image);
    report = convertTogether(dir, options, files);
    Scene s;
    s.screen = screen;
    s.background = background;
    s.clut = words(readFile(dir + QLatin1Char('/') + table + QStringLiteral(".clut")));
    for (const Picture& p : list) {
        Layer l = writtenLayer(dir, p.name, Output::SharedPalette, screen == Screen::Cry16, p.bpp,
                               p.image);
        place(l, static_cast<int>(s.layers.size()));
        s.layers.push_back(l);
    }
    return s;
}

Scene framesScene(const QString& dir);
Scene mirroredFramesScene(const QString& dir);

const std::vector<Case>& cases() {
    static const std::vector<Case> list = {
        {"rgb16",
         [](const QString& dir) {
             return pictures(dir, Screen::Rgb16, kRgbBackground,
                             {{"rgb16", rampsPicture(), {"-rgb"}, 16}});
         },
         {}},
        // Beside the converted picture, every colour byte at two intensities written
        // directly: the console's CRY table against ours, entry by entry.
        {"cry16",
         [](const QString& dir) {
             Scene s = pictures(dir, Screen::Cry16, kCryBackground,
                                {{"cry16", rampsPicture(), {"-cry"}, 16}});
             Layer table;
             table.name = QStringLiteral("every colour byte");
             table.phrases = 4;
             table.height = 32;
             for (int row = 0; row < table.height; ++row)
                 for (int column = 0; column < 16; ++column)
                     table.pixels.append(static_cast<char>(row % 16 * 16 + column))
                         .append(static_cast<char>(row < 16 ? 0xFF : 0x81));
             place(table, 1);
             s.layers.push_back(table);
             return s;
         },
         {}},
        // Both 15-bit kinds on one screen in mixed mode: bit 0 set marks RGB, clear marks CRY.
        {"mixed15",
         [](const QString& dir) {
             return pictures(dir, Screen::Mixed, kCryBackground,
                             {{"rgb15", rampsPicture(), {"-rgb", "--15-bits"}, 16},
                              {"cry15", rampsPicture(), {"-cry", "--15-bits"}, 16}});
         },
         {}},
        {"rgb_maps",
         [](const QString& dir) { return colourMaps(dir, "-rgb", kRgbBackground); },
         {}},
        {"cry_maps",
         [](const QString& dir) { return colourMaps(dir, "-cry", kCryBackground); },
         {}},
        {"cut_turn",
         [](const QString& dir) {
             const QImage ramps = rampsPicture();
             Scene s;
             s.screen = Screen::Rgb16;
             s.background = kRgbBackground;
             Layer cut =
                 convert(dir, "cut", ramps, {"--cut", "7,3:37x29"}, 16, ramps.copy(7, 3, 37, 29));
             Layer turned =
                 convert(dir, "turned", ramps, {"--rotate", "90"}, 16, turnedClockwise(ramps));
             place(cut, 0);
             place(turned, 1);
             s.layers = {cut, turned};
             return s;
         },
         {}},
        // Relative CRY drawn by read-modify-write over a neutral base at intensity 128: the
        // deltas rebuild the picture. Over a bright yellow base the fields saturate instead.
        {"glass",
         [](const QString& dir) {
             Scene s;
             s.screen = Screen::Cry16;
             s.background = kCryBackground;
             const QImage grey = flatPicture(qRgb(128, 128, 128));
             const QImage yellow = flatPicture(qRgb(255, 255, 0));
             Layer base = convert(dir, "grey base", grey, {"-cry"}, 16, grey);
             Layer bright = convert(dir, "yellow base", yellow, {"-cry"}, 16, yellow);
             Layer glass =
                 convert(dir, "glass", rampsPicture(), {"-cry", "--glass"}, 16, rampsPicture());
             glass.relative = true;
             Layer saturated = glass;
             saturated.name = QStringLiteral("glass, saturated");
             // What lies beneath decides the colour, so only the words are compared.
             for (Layer* l : {&base, &bright, &saturated})
                 l->source = QImage();
             place(base, 0);
             place(glass, 0);
             place(bright, 1);
             place(saturated, 1);
             s.layers = {base, glass, bright, saturated};
             return s;
         },
         {}},
        // Objects with REFLECT draw their first pixel at XPOS and the rest leftwards, padding
        // included, at every depth: a converted picture, whose transparent padding then lies
        // left of it, and hand-made maps counting through their values, padding opaque.
        {"reflect",
         [](const QString& dir) {
             Scene s = pictures(dir, Screen::Rgb16, kRgbBackground,
                                {{"reflected", rampsPicture(), {"-rgb"}, 16}});
             s.layers[0].source = mirroredLeftRight(s.layers[0].source);
             s.layers[0].reflectWidth = kWidth;
             for (const auto& [bpp, clutBase] : {std::pair{8, 0}, {4, 16}, {2, 36}, {1, 50}}) {
                 Layer l = countingMap(bpp, clutBase);
                 l.reflectWidth = 60;
                 place(l, static_cast<int>(s.layers.size()));
                 s.layers.push_back(l);
             }
             return s;
         },
         {}},
        // Hand-made maps in banks other than the first, every entry opaque: with TRANS the console
        // skips a pixel of value 0 although its entry, the bank's first, is not entry 0. Banks
        // of rastix's maps rely on this.
        {"bank_transparency",
         [](const QString&) {
             Scene s;
             s.screen = Screen::Rgb16;
             s.background = kRgbBackground;
             for (const auto& [bpp, clutBase] : {std::pair{4, 16}, {2, 36}, {1, 50}}) {
                 Layer l = countingMap(bpp, clutBase);
                 place(l, static_cast<int>(s.layers.size()));
                 s.layers.push_back(l);
             }
             return s;
         },
         {}},
        // Two sprites sharing one palette chosen for both: 12 colours and the transparent entry
        // need 4 bits for both maps, though the first alone would fit in 2.
        {"shared_clut",
         [](const QString& dir) {
             QString report;
             Scene s = sharingMaps(
                 dir, {"-cry", "--clut", "--opt-clut", "--shared-clut", "sprites"}, "sprites",
                 {{"few", mapPicture(3), {}, 4}, {"many", mapPicture(10, 2), {}, 4}}, Screen::Cry16,
                 kCryBackground, report);
             require(!s.clut.empty() && s.clut.size() <= 16,
                     QStringLiteral("%1 shared palette entries").arg(s.clut.size()));
             return s;
         },
         {}},
        // Two 4-bit sprites whose 20 colours do not fit in one bank together, each shown through
        // the INDEX rastix reports for it from the one 256-entry table.
        {"clut_banks",
         [](const QString& dir) {
             QString report;
             Scene s = sharingMaps(
                 dir, {"-rgb", "--clut", "--banks", "banks"}, "banks",
                 {{"first", mapPicture(10), {}, 4}, {"second", mapPicture(10, 10), {}, 4}},
                 Screen::Rgb16, kRgbBackground, report);
             require(s.clut.size() == 256,
                     QStringLiteral("the banks' table has %1 entries").arg(s.clut.size()));
             for (Layer& l : s.layers)
                 l.clutBase = 2 * reportedIndex(report, l.name);
             require(s.layers[0].clutBase != s.layers[1].clutBase,
                     QStringLiteral("both maps in one bank:\n") + report);
             return s;
         },
         {}},
        // The cartridge shows deliberately broken copies of good data beside the good data itself;
        // only the good copy may pass.
        // The objects rastix writes, shown as they are: their HEIGHT, widths, DEPTH, INDEX and
        // TRANS must make the pictures come out right. The opaque black picture is word 0
        // throughout and is seen only if its object has no TRANS.
        {"ready_objects",
         [](const QString& dir) {
             Scene s;
             s.screen = Screen::Rgb16;
             s.background = kRgbBackground;
             // Rows of whole phrases: padding would show, as black, without TRANS.
             QImage blackBox(64, kHeight, QImage::Format_ARGB32);
             blackBox.fill(qRgb(0, 0, 0));
             for (int y = 10; y < 20; ++y)
                 for (int x = 0; x < blackBox.width(); ++x)
                     blackBox.setPixel(x, y, qRgb(255, 255, 255));
             const QString map = QStringLiteral("--clut");
             const struct {
                 Picture picture;
                 int clutBase;
                 bool trans;
             } objects[] = {
                 {{"ramps", rampsPicture(), {"-rgb"}, 16}, 0, true},
                 {{"black", blackBox, {"-rgb"}, 16}, 0, false},
                 // Opaque without black: TRANS hides only the padding.
                 {{"flat", flatPicture(qRgb(200, 100, 50)), {"-rgb"}, 16}, 0, true},
                 {{"map8", mapPicture(40), {"-rgb", map}, 8}, 0, true},
                 {{"bank", mapPicture(12), {"-rgb", map, "--bank", "5"}, 4}, 80, true},
                 {{"map1", mapPicture(1), {"-rgb", map, "--bank", "60"}, 1}, 120, true},
             };
             for (const auto& p : objects) {
                 Layer l =
                     convert(dir, p.picture.name, p.picture.image,
                             p.picture.options + QStringList{QStringLiteral("--object-header")},
                             p.picture.bpp, p.picture.image);
                 l.readyObject =
                     readFile(dir + QLatin1Char('/') + p.picture.name + QStringLiteral(".obj"));
                 require(l.readyObject.size() == 16, p.picture.name + QStringLiteral(": no .obj"));
                 l.clutBase = p.clutBase;
                 l.trans = p.trans;
                 place(l, static_cast<int>(s.layers.size()));
                 s.layers.push_back(l);
             }
             return s;
         },
         {}},
        // A sprite sheet's frames, each shown by an object whose DATA the sheet's own assembled
        // frame table points; a repeated frame's two entries point at one copy.
        {"frames", framesScene, {}},
        // Frame 1 is frame 0 mirrored: not stored, it is shown through REFLECT from frame 0.
        {"mirrored_frames", mirroredFramesScene, {}},
        {"selfcheck",
         [](const QString& dir) {
             Scene s = pictures(dir, Screen::Rgb16, kRgbBackground,
                                {{"good", rampsPicture(), {"-rgb"}, 16}});
             const Layer good = s.layers[0];
             const int rowBytes = good.phrases * 8;
             const std::pair<QString, QByteArray> broken[] = {
                 {"byte-swapped words", swappedBytes(good.pixels)},
                 {"red and blue exchanged", exchangedRedBlue(good.pixels)},
                 {"row 20 shifted by a phrase", rowShiftedByAPhrase(good.pixels, rowBytes, 20)}};
             for (const auto& [name, data] : broken) {
                 Layer l = good;
                 l.name = name;
                 l.shown = data;
                 place(l, static_cast<int>(s.layers.size()));
                 s.layers.push_back(l);
             }
             return s;
         },
         [](const Report& r) {
             if (r.brokenBlocks || r.frameMismatches || !clean(r, 0))
                 return false;
             for (std::size_t i = 1; i < r.layers.size(); ++i)
                 if (r.layers[i].wordMismatches == 0 || r.layers[i].sourceMismatches == 0)
                     return false;
             return true;
         }},
    };
    return list;
}

// Every mode's assembly output, in both syntaxes, must assemble with GNU as into exactly the
// bytes of the binary output. The MADMAC-style text is first translated mechanically.
QString madmacToGas(QString t) {
    // GNU as has no .68000 directive (its processor comes from -m68000 and the like).
    return t.remove(QStringLiteral("\t.68000\n"))
        .replace(QLatin1Char(';'), QLatin1Char('|'))
        .replace(QLatin1Char('$'), QStringLiteral("0x"))
        .replace(QStringLiteral("\t.phrase"), QStringLiteral("\t.balign 8"))
        .replace(QStringLiteral("\t.dphrase"), QStringLiteral("\t.balign 16"))
        .replace(QStringLiteral("dc.l"), QStringLiteral(".long"))
        .replace(QStringLiteral("dc.w"), QStringLiteral(".short"))
        .replace(QStringLiteral("dc.b"), QStringLiteral(".byte"));
}

// The data section GNU as makes of a source file, and the symbols of its object.
struct Assembled {
    bool ok = false;
    QByteArray data;
    QString symbols;
};

Assembled assembled(const QString& source) {
    const QString base = source.chopped(2);
    Assembled a;
    a.ok = run(QStringLiteral("m68k-linux-gnu-as"), {QStringLiteral("-o"), base + ".o", source})
                   .status == 0 &&
           run(QStringLiteral("m68k-linux-gnu-objcopy"),
               {QStringLiteral("-O"), QStringLiteral("binary"), QStringLiteral("-j"),
                QStringLiteral(".data"), base + ".o", base + ".data"})
                   .status == 0;
    a.data = readFile(base + QStringLiteral(".data"));
    a.symbols = QString::fromUtf8(run(QStringLiteral("m68k-linux-gnu-nm"), {base + ".o"}).out);
    return a;
}

// A set's maps and its palette, in both syntaxes: each map's source assembles to its binary
// map alone, the set's source to the set's binary palette, and a banked map's INDEX equate
// is the INDEX its line names.
int setAssemblyFailures(const QString& dir) {
    const QStringList pictures = {savedPicture(dir, QStringLiteral("seta"), mapPicture(5)),
                                  savedPicture(dir, QStringLiteral("setb"), mapPicture(9, 30))};
    int failures = 0;
    for (const QString& set : {QStringLiteral("--shared-clut"), QStringLiteral("--banks")}) {
        const QStringList options = {QStringLiteral("--clut"), QStringLiteral("--opt-clut"), set,
                                     QStringLiteral("pal")};
        const QString bin = dir + QStringLiteral("/bin") + set;
        QDir().mkpath(bin);
        const QString report = convertTogether(bin, options, pictures);
        for (const QString& syntax : {QStringLiteral("gas"), QStringLiteral("madmac")}) {
            const QString out = dir + QLatin1Char('/') + syntax + set;
            QDir().mkpath(out);
            const Run r = run(QStringLiteral(RASTIX_PROGRAM),
                              QStringList{QStringLiteral("--target-dir"), out,
                                          QStringLiteral("--syntax"), syntax} +
                                  options + pictures);
            require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
            for (const QString& name :
                 {QStringLiteral("seta"), QStringLiteral("setb"), QStringLiteral("pal")}) {
                const QString source = out + QLatin1Char('/') + name + QStringLiteral(".s");
                if (syntax == QStringLiteral("madmac"))
                    require(writeFile(source,
                                      madmacToGas(QString::fromUtf8(readFile(source))).toUtf8()),
                            QStringLiteral("cannot write ") + source);
                const Assembled a = assembled(source);
                const QString binary =
                    bin + QLatin1Char('/') + name + (name == "pal" ? ".clut" : ".map");
                bool ok = a.ok && a.data == readFile(binary);
                if (set == QStringLiteral("--banks") && name != QStringLiteral("pal"))
                    ok = ok && a.symbols.contains(
                                   QStringLiteral("%1 a %2_index\n")
                                       .arg(reportedIndex(report, name), 8, 16, QLatin1Char('0'))
                                       .arg(name));
                std::printf("%-5s %s %-14s %s\n", qPrintable(name), qPrintable(syntax),
                            qPrintable(set), ok ? "same" : "DIFFERENT");
                failures += ok ? 0 : 1;
            }
        }
    }
    return failures;
}

int assemblyCase(const QString& dir) {
    const QString map = QStringLiteral("--clut");
    const QString opt = QStringLiteral("--opt-clut");
    const std::vector<Picture> modes = {
        {"rgb16", rampsPicture(), {"-rgb"}, 16},
        {"rgb15", rampsPicture(), {"-rgb", "--15-bits"}, 16},
        {"cry16", rampsPicture(), {"-cry"}, 16},
        {"cry15", rampsPicture(), {"-cry", "--15-bits"}, 16},
        {"glass", rampsPicture(), {"-cry", "--glass"}, 16},
        {"rgbmap8", mapPicture(40), {"-rgb", map, opt}, 8},
        {"rgbmap4", mapPicture(12), {"-rgb", map, opt}, 4},
        {"rgbmap2", mapPicture(3), {"-rgb", map, opt}, 2},
        {"rgbmap1", mapPicture(1), {"-rgb", map, opt}, 1},
        {"crymap8", mapPicture(40), {"-cry", map, opt}, 8},
        {"crymap4", mapPicture(12), {"-cry", map, opt}, 4},
        {"crymap2", mapPicture(3), {"-cry", map, opt}, 2},
        {"crymap1", mapPicture(1), {"-cry", map, opt}, 1},
    };
    int failures = 0;
    for (const QString& syntax : {QStringLiteral("gas"), QStringLiteral("madmac")})
        QDir(dir).mkdir(syntax);
    for (const Picture& m : modes) {
        const Layer binary = convert(dir, m.name, m.image, m.options, m.bpp, m.image);
        QByteArray expected = binary.pixels;
        for (std::uint16_t w : binary.palette)
            expected.append(static_cast<char>(w >> 8)).append(static_cast<char>(w & 0xFF));
        for (const QString& syntax : {QStringLiteral("gas"), QStringLiteral("madmac")}) {
            const QString out = dir + QLatin1Char('/') + syntax;
            const QString base = out + QLatin1Char('/') + m.name;
            const Run r = run(QStringLiteral(RASTIX_PROGRAM),
                              QStringList{QStringLiteral("--target-dir"), out,
                                          QStringLiteral("--syntax"), syntax} +
                                  m.options + QStringList{dir + "/" + m.name + ".png"});
            require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
            QString source = QString::fromUtf8(readFile(base + QStringLiteral(".s")));
            if (syntax == QStringLiteral("madmac"))
                require(writeFile(base + QStringLiteral(".s"), madmacToGas(source).toUtf8()),
                        QStringLiteral("cannot write ") + base);
            const Run as = run(
                QStringLiteral("m68k-linux-gnu-as"),
                {QStringLiteral("-o"), base + QStringLiteral(".o"), base + QStringLiteral(".s")});
            const Run copy = run(QStringLiteral("m68k-linux-gnu-objcopy"),
                                 {QStringLiteral("-O"), QStringLiteral("binary"),
                                  QStringLiteral("-j"), QStringLiteral(".data"),
                                  base + QStringLiteral(".o"), base + QStringLiteral(".data")});
            const QByteArray data = readFile(base + QStringLiteral(".data"));
            // The equates must describe the object the data makes.
            const QString symbols = QString::fromUtf8(
                run(QStringLiteral("m68k-linux-gnu-nm"), {base + QStringLiteral(".o")}).out);
            const bool equates = symbols.contains(QStringLiteral("%1 a %2_phrases\n")
                                                      .arg(binary.phrases, 8, 16, QLatin1Char('0'))
                                                      .arg(m.name)) &&
                                 symbols.contains(QStringLiteral("%1 a %2_height\n")
                                                      .arg(binary.height, 8, 16, QLatin1Char('0'))
                                                      .arg(m.name));
            const bool ok = as.status == 0 && copy.status == 0 && data == expected && equates;
            std::printf("%-8s %-6s %s: %lld bytes assembled, %lld written by --binary%s\n",
                        qPrintable(m.name), qPrintable(syntax), ok ? "same" : "DIFFERENT",
                        static_cast<long long>(data.size()),
                        static_cast<long long>(expected.size()), equates ? "" : "; equates wrong");
            if (as.status != 0)
                std::printf("%s", as.out.constData());
            failures += ok ? 0 : 1;
        }
    }
    return failures + setAssemblyFailures(dir) ? 1 : 0;
}

// ---- The ready bitmap object ---------------------------------------------------------------

// The address nm gives a symbol of an object file; -1 when it has none.
long long symbolAddress(const QString& symbols, const QString& name) {
    const QRegularExpression line(QStringLiteral("^([0-9a-f]+) [A-Za-z] ") +
                                      QRegularExpression::escape(name) + QStringLiteral("$"),
                                  QRegularExpression::MultilineOption);
    const auto m = line.match(symbols);
    return m.hasMatch() ? m.captured(1).toLongLong(nullptr, 16) : -1;
}

// A field of a 16-byte object, by the bit numbers of the hardware manual (63 the top bit of
// the phrase's first byte).
long long field(const QByteArray& object, int phrase, int high, int low) {
    unsigned long long value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | static_cast<unsigned char>(object[phrase * 8 + i]);
    return static_cast<long long>((value >> low) & ((1ULL << (high - low + 1)) - 1));
}

// What an object must hold for a picture, worked out from the picture alone.
struct ExpectedObject {
    int height = 0;
    int bpp = 16;
    int phrases = 0;
    int index = 0;
    bool trans = false;
};

// The fields wrong in an object, as text; empty when it is right.
QString objectProblems(const QByteArray& o, const ExpectedObject& e) {
    if (o.size() != 16)
        return QStringLiteral("%1 bytes, not 16").arg(o.size());
    const struct {
        const char* name;
        int phrase, high, low;
        long long expected;
    } fields[] = {{"DATA", 0, 63, 43, 0},
                  {"LINK", 0, 42, 24, 0},
                  {"HEIGHT", 0, 23, 14, e.height},
                  {"YPOS", 0, 13, 3, 0},
                  {"TYPE", 0, 2, 0, 0},
                  {"above TRANS", 1, 63, 48, 0},
                  {"TRANS", 1, 47, 47, e.trans ? 1 : 0},
                  {"RMW, REFLECT", 1, 46, 45, 0},
                  {"INDEX", 1, 44, 38, e.index},
                  {"IWIDTH", 1, 37, 28, e.phrases},
                  {"DWIDTH", 1, 27, 18, e.phrases},
                  {"PITCH", 1, 17, 15, 1},
                  {"DEPTH", 1, 14, 12, depthCode(e.bpp)},
                  {"XPOS", 1, 11, 0, 0}};
    QString problems;
    for (const auto& f : fields) {
        const long long got = field(o, f.phrase, f.high, f.low);
        if (got != f.expected)
            problems += QStringLiteral(" %1 %2 (not %3)")
                            .arg(QLatin1String(f.name))
                            .arg(got)
                            .arg(f.expected);
    }
    return problems;
}

QImage opaqueMap(int width) {
    QImage img(width, 6, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, (x / 8 + y) % 2 ? qRgb(200, 40, 40) : qRgb(40, 40, 200));
    return img;
}

// With --object-header, the binary PICTURE.obj and the object GNU as assembles from either
// syntax are the same 16 bytes, double-phrase aligned after the data and the palette, and hold
// the fields the picture needs at the hardware's bit positions.
int objectCase(const QString& dir) {
    const QString map = QStringLiteral("--clut");
    const QString opt = QStringLiteral("--opt-clut");
    const struct {
        Picture picture;
        ExpectedObject expected;
    } modes[] = {
        // Transparent pixels: opaque black is not $0000, so word 0 may be skipped.
        {{"rgb16", rampsPicture(), {"-rgb"}, 16}, {kHeight, 16, 16, 0, true}},
        {{"cry16", rampsPicture(), {"-cry"}, 16}, {kHeight, 16, 16, 0, true}},
        {{"glass", rampsPicture(), {"-cry", "--glass"}, 16}, {kHeight, 16, 16, 0, true}},
        // Opaque: its black is $0000 and must be drawn; without black only padding is word 0.
        {{"opaque", flatPicture(qRgb(0, 0, 0)), {"-rgb"}, 16}, {kHeight, 16, 16, 0, false}},
        {{"flat", flatPicture(qRgb(0, 0, 255)), {"-rgb"}, 16}, {kHeight, 16, 16, 0, true}},
        {{"crybk", flatPicture(qRgb(0, 0, 0)), {"-cry"}, 16}, {kHeight, 16, 16, 0, true}},
        {{"map8", mapPicture(40), {"-rgb", map, opt}, 8}, {kHeight, 8, 8, 0, true}},
        {{"map1", mapPicture(1), {"-cry", map, opt}, 1}, {kHeight, 1, 1, 0, true}},
        {{"bank", mapPicture(12), {"-rgb", map, "--bank", "5"}, 4}, {kHeight, 4, 4, 40, true}},
        // 64 pixels fill whole phrases at 8 bits: index 0 is a colour, drawn.
        {{"fullmap", opaqueMap(64), {"-rgb", map}, 8}, {6, 8, 8, 0, false}},
    };
    int failures = 0;
    const QString bin = dir + QStringLiteral("/objbin");
    QDir().mkpath(bin);
    for (const auto& m : modes) {
        const Picture& p = m.picture;
        const QString png = savedPicture(dir, p.name, p.image);
        convertTogether(bin, p.options + QStringList{QStringLiteral("--object-header")}, {png});
        const QString binBase = bin + QLatin1Char('/') + p.name;
        const QByteArray binaryObject = readFile(binBase + QStringLiteral(".obj"));
        QByteArray data = readFile(binBase + (p.options.contains(map) ? QStringLiteral(".map")
                                              : p.options.contains(QStringLiteral("-cry"))
                                                  ? QStringLiteral(".cry")
                                                  : QStringLiteral(".rgb")));
        data += readFile(binBase + QStringLiteral(".clut"));
        QString problems = objectProblems(binaryObject, m.expected);
        if (!problems.isEmpty())
            problems = QStringLiteral(" binary:") + problems;
        for (const QString& syntax : {QStringLiteral("gas"), QStringLiteral("madmac")}) {
            const QString out = dir + QStringLiteral("/obj") + syntax;
            QDir().mkpath(out);
            const Run r =
                run(QStringLiteral(RASTIX_PROGRAM),
                    QStringList{QStringLiteral("--target-dir"), out, QStringLiteral("--syntax"),
                                syntax, QStringLiteral("--object-header")} +
                        p.options + QStringList{png});
            require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
            const QString source = out + QLatin1Char('/') + p.name + QStringLiteral(".s");
            if (syntax == QStringLiteral("madmac"))
                require(
                    writeFile(source, madmacToGas(QString::fromUtf8(readFile(source))).toUtf8()),
                    QStringLiteral("cannot write ") + source);
            const Assembled a = assembled(source);
            const long long at = symbolAddress(a.symbols, p.name + QStringLiteral("_object"));
            const long long end = symbolAddress(a.symbols, p.name + QStringLiteral("_object_end"));
            if (!a.ok || at < 0) {
                problems += QStringLiteral(" %1: no object assembled").arg(syntax);
                continue;
            }
            const QByteArray object = a.data.mid(at, 16);
            if (at % 16 != 0 || end != at + 16)
                problems += QStringLiteral(" %1: object at %2 to %3").arg(syntax).arg(at).arg(end);
            if (!a.data.startsWith(data))
                problems += QStringLiteral(" %1: the data before it differs").arg(syntax);
            if (object != binaryObject)
                problems += QStringLiteral(" %1: not the binary's bytes").arg(syntax);
        }
        std::printf("%-8s object %s%s\n", qPrintable(p.name),
                    problems.isEmpty() ? "right" : "WRONG:", qPrintable(problems));
        failures += problems.isEmpty() ? 0 : 1;
    }
    return failures ? 1 : 0;
}

// ---- C source -------------------------------------------------------------------------------

// The bytes of each defined symbol of a compiled file's read-only data, by name.
std::map<QString, QByteArray> compiledArrays(const QString& source, QString& problem) {
    const QString object = source.chopped(2) + QStringLiteral(".o");
    const QString rodata = source.chopped(2) + QStringLiteral(".rodata");
    // Freestanding, as a game for the console is built: <stdint.h> is then the compiler's own
    // and needs no C library for the 68000.
    const Run cc = run(QStringLiteral("m68k-linux-gnu-gcc"),
                       {QStringLiteral("-c"), QStringLiteral("-ffreestanding"),
                        QStringLiteral("-O2"), QStringLiteral("-Wall"), QStringLiteral("-Wextra"),
                        QStringLiteral("-Werror"), QStringLiteral("-o"), object, source});
    if (cc.status != 0) {
        problem = QStringLiteral("does not compile: ") + QString::fromUtf8(cc.out);
        return {};
    }
    run(QStringLiteral("m68k-linux-gnu-objcopy"),
        {QStringLiteral("-O"), QStringLiteral("binary"), QStringLiteral("-j"),
         QStringLiteral(".rodata"), object, rodata});
    const QByteArray bytes = readFile(rodata);
    // "address size type name" for every defined symbol with a size.
    const QString symbols =
        QString::fromUtf8(run(QStringLiteral("m68k-linux-gnu-nm"),
                              {QStringLiteral("-S"), QStringLiteral("--defined-only"), object})
                              .out);
    std::map<QString, QByteArray> arrays;
    const QRegularExpression line(QStringLiteral("^([0-9a-f]+) ([0-9a-f]+) R (\\S+)$"),
                                  QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(symbols); it.hasNext();) {
        const auto m = it.next();
        const long long at = m.captured(1).toLongLong(nullptr, 16);
        const long long size = m.captured(2).toLongLong(nullptr, 16);
        // An array must start where the console can read it: a phrase, an object 16 bytes.
        const int alignment = m.captured(3).endsWith(QStringLiteral("_object")) ? 16 : 8;
        if (at % alignment != 0)
            problem += QStringLiteral(" %1 at %2").arg(m.captured(3)).arg(at);
        arrays[m.captured(3)] = bytes.mid(at, size);
    }
    return arrays;
}

// Every mode's C source, compiled for the 68000, holds in its arrays exactly the bytes the
// binary output writes: the data, a map's palette, the object, and a set's palette.
int cSourceCase(const QString& dir) {
    const QString map = QStringLiteral("--clut");
    const QString opt = QStringLiteral("--opt-clut");
    const QString object = QStringLiteral("--object-header");
    const std::vector<Picture> modes = {
        {"rgb16", rampsPicture(), {"-rgb", object}, 16},
        {"cry15", rampsPicture(), {"-cry", "--15-bits"}, 16},
        {"glass", rampsPicture(), {"-cry", "--glass", object}, 16},
        {"map8", mapPicture(40), {"-rgb", map, object}, 8},
        {"map4", mapPicture(12), {"-cry", map, opt}, 4},
        {"map1", mapPicture(1), {"-rgb", map, opt, object}, 1},
        {"bank", mapPicture(12), {"-rgb", map, "--bank", "3", object}, 4},
        {"shared", mapPicture(5), {"-rgb", map, opt, "--shared-clut", "pal"}, 4},
    };
    const QString bin = dir + QStringLiteral("/cbin");
    const QString out = dir + QStringLiteral("/c");
    QDir().mkpath(bin);
    QDir().mkpath(out);
    int failures = 0;
    for (const Picture& m : modes) {
        const QString png = savedPicture(dir, m.name, m.image);
        convertTogether(bin, m.options, {png});
        const Run r = run(QStringLiteral(RASTIX_PROGRAM),
                          QStringList{QStringLiteral("--target-dir"), out, QStringLiteral("--c")} +
                              m.options + QStringList{png});
        require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
        const QString binBase = bin + QLatin1Char('/') + m.name;
        std::map<QString, QByteArray> expected;
        if (m.options.contains(map))
            expected[m.name] = readFile(binBase + QStringLiteral(".map"));
        else
            expected[m.name] = readFile(binBase + (m.options.contains(QStringLiteral("-cry"))
                                                       ? QStringLiteral(".cry")
                                                       : QStringLiteral(".rgb")));
        if (QFile::exists(binBase + QStringLiteral(".clut")))
            expected[m.name + QStringLiteral("_clut")] =
                readFile(binBase + QStringLiteral(".clut"));
        if (m.options.contains(object))
            expected[m.name + QStringLiteral("_object")] =
                readFile(binBase + QStringLiteral(".obj"));
        QString problem;
        const std::map<QString, QByteArray> got =
            compiledArrays(out + QLatin1Char('/') + m.name + QStringLiteral(".c"), problem);
        if (got != expected)
            problem += QStringLiteral(" arrays differ from the binary files");
        if (m.options.contains(QStringLiteral("--shared-clut"))) {
            const std::map<QString, QByteArray> set =
                compiledArrays(out + QStringLiteral("/pal.c"), problem);
            if (set != std::map<QString, QByteArray>{{QStringLiteral("pal_clut"),
                                                      readFile(bin + QStringLiteral("/pal.clut"))}})
                problem += QStringLiteral(" the set's palette differs from pal.clut");
        }
        std::printf("%-8s C arrays %s%s (%d arrays)\n", qPrintable(m.name),
                    problem.isEmpty() ? "the same as --binary" : "WRONG:", qPrintable(problem),
                    static_cast<int>(got.size()));
        failures += problem.isEmpty() ? 0 : 1;
    }
    return failures ? 1 : 0;
}

// ---- Sprite-sheet frames --------------------------------------------------------------------

// Padded to a whole phrase both at 16 and at 8 bits per pixel.
constexpr int kFrameW = 22;
constexpr int kFrameH = 18;

// Frame pattern p: stripes of a slant and colours of its own and one transparent pixel of its
// own, so no two patterns look alike and none is its own mirror image.
QRgb framePixel(int p, int x, int y) {
    static const std::vector<QRgb> colours = cryTableColours(40);
    if (x == 1 + 5 * p && y == 2 + 3 * p)
        return 0;
    const int stripe = p == 1   ? (x + 2 * y) / 3
                       : p == 3 ? (x / 3 + y / 3) % 2 * 5 + x / 5
                                : x / (2 + p) + y / 4 * 3;
    return colours[static_cast<std::size_t>(7 * p + stripe) % colours.size()];
}

QRect frameRect(int k, int columns) {
    return {k % columns * kFrameW, k / columns * kFrameH, kFrameW, kFrameH};
}

// A sheet of frames `columns` to a row, frame k drawn by draw(k, x, y).
QImage frameSheet(int frames, int columns, const std::function<QRgb(int, int, int)>& draw) {
    QImage img(columns * kFrameW, (frames + columns - 1) / columns * kFrameH,
               QImage::Format_ARGB32);
    img.fill(0);
    for (int k = 0; k < frames; ++k)
        for (int y = 0; y < kFrameH; ++y)
            for (int x = 0; x < kFrameW; ++x)
                img.setPixel(frameRect(k, columns).topLeft() + QPoint(x, y), draw(k, x, y));
    return img;
}

long long longAt(const QByteArray& bytes, long long at) {
    long long value = 0;
    for (long long i = at; i < at + 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(static_cast<qsizetype>(i)));
    return value;
}

// A sheet as the converter wrote it twice: as GNU as source, assembled, with the tables read
// from the assembled data at their labels, and as binary output with its metadata.
struct ConvertedSheet {
    QByteArray assembled; // the data section
    long long label = -1; // NAME's offset in it
    std::vector<long long> table;
    std::vector<long long> reflect; // empty where the source has no NAME_reflect
    int bpp = 0, phrases = 0, height = 0;
    QJsonObject metadata;
    QByteArray binary;
    std::vector<std::uint16_t> palette;
};

ConvertedSheet convertSheet(const QString& dir, const QString& name, const QImage& sheet,
                            const QStringList& options) {
    const QString png = savedPicture(dir, name, sheet);
    convertTogether(dir, options + QStringList{QStringLiteral("--metadata")}, {png});
    const QString gas = dir + QStringLiteral("/gas");
    QDir().mkpath(gas);
    const Run r = run(QStringLiteral(RASTIX_PROGRAM),
                      QStringList{QStringLiteral("--target-dir"), gas, QStringLiteral("--syntax"),
                                  QStringLiteral("gas")} +
                          options + QStringList{png});
    require(r.status == 0, QStringLiteral("rastix failed: ") + QString::fromUtf8(r.out));
    const Assembled a = assembled(gas + QLatin1Char('/') + name + QStringLiteral(".s"));
    require(a.ok, name + QStringLiteral(": the source does not assemble"));
    const auto symbol = [&](const char* suffix) {
        return symbolAddress(a.symbols, name + QLatin1String(suffix));
    };
    ConvertedSheet c;
    c.assembled = a.data;
    c.label = symbol("");
    c.bpp = static_cast<int>(symbol("_bpp"));
    c.phrases = static_cast<int>(symbol("_phrases"));
    c.height = static_cast<int>(symbol("_height"));
    const long long frames = symbol("_frames");
    require(c.label >= 0 && frames > 0, name + QStringLiteral(": no NAME or NAME_frames"));
    const auto longs = [&](const char* suffix) {
        std::vector<long long> values;
        const long long at = symbol(suffix);
        for (long long k = 0; at >= 0 && k < frames; ++k)
            values.push_back(longAt(a.data, at + 4 * k));
        return values;
    };
    c.table = longs("_frametable");
    c.reflect = longs("_reflect");
    require(!c.table.empty(), name + QStringLiteral(": no NAME_frametable"));
    const QString base = dir + QLatin1Char('/') + name;
    c.metadata = QJsonDocument::fromJson(readFile(base + QStringLiteral(".json"))).object();
    c.binary =
        readFile(base + (options.contains(QStringLiteral("--clut")) ? QStringLiteral(".map")
                                                                    : QStringLiteral(".rgb")));
    c.palette = words(readFile(base + QStringLiteral(".clut")));
    return c;
}

// The sheet's frames in a row at y, frame k shown by DATA = the assembled data's place in the
// scene's sheet + NAME + NAME_frametable[k], mirrored through REFLECT where NAME_reflect says.
// It should show the binary output's words at the metadata's frame_offsets[k] and look like
// the frame's rectangle of the picture.
void showFrames(Scene& s, const ConvertedSheet& c, const QString& name, const QImage& sheet,
                int columns, int y) {
    const long long at = s.sheet.size();
    s.sheet += c.assembled;
    while (s.sheet.size() % 8)
        s.sheet.append('\0');
    const QJsonArray offsets = c.metadata[QStringLiteral("frame_offsets")].toArray();
    const qsizetype frameBytes = c.metadata[QStringLiteral("frame_bytes")].toInt();
    require(offsets.size() == static_cast<qsizetype>(c.table.size()),
            name + QStringLiteral(": the metadata has no offset for each frame"));
    // The object's HEIGHT, DWIDTH and IWIDTH, as the equates give them, are the frame's.
    require(c.height == kFrameH && c.bpp > 0 && c.phrases == (kFrameW * c.bpp + 63) / 64,
            QStringLiteral("%1: equates for %2 lines of %3 phrases")
                .arg(name)
                .arg(c.height)
                .arg(c.phrases));
    for (std::size_t k = 0; k < c.table.size(); ++k) {
        Layer l;
        l.name = QStringLiteral("%1 frame %2").arg(name).arg(k);
        l.bpp = c.bpp;
        l.phrases = c.phrases;
        l.height = c.height;
        l.pixels = c.binary.mid(offsets[static_cast<qsizetype>(k)].toInt(), frameBytes);
        require(l.pixels.size() == l.phrases * 8 * l.height,
                l.name + QStringLiteral(": not a frame's bytes at its offset"));
        l.source = sheet.copy(frameRect(static_cast<int>(k), columns));
        l.tolerance = kRgbTolerance;
        l.sheetOffset = at + c.label + c.table[k];
        l.reflectWidth = !c.reflect.empty() && c.reflect[k] ? kFrameW : 0;
        if (k == 0)
            l.palette = c.palette;
        l.x = 10 + static_cast<int>(k) * 60;
        l.y = y;
        s.layers.push_back(l);
    }
}

Scene framesScene(const QString& dir) {
    // Read left to right, top to bottom; frame 2 is frame 0 again.
    const QImage sheet =
        frameSheet(4, 2, [](int k, int x, int y) { return framePixel(k == 2 ? 0 : k, x, y); });
    Scene s;
    s.screen = Screen::Rgb16;
    s.background = kRgbBackground;
    const QStringList frames = {QStringLiteral("-rgb"), QStringLiteral("--frames"),
                                QStringLiteral("%1x%2").arg(kFrameW).arg(kFrameH)};
    int y = 12;
    for (const QString& name : {QStringLiteral("truecolour"), QStringLiteral("map")}) {
        const ConvertedSheet c =
            convertSheet(dir, name, sheet,
                         name == QStringLiteral("map") ? frames + QStringList{"--clut"} : frames);
        const std::vector<long long>& t = c.table;
        require(t.size() == 4 && t[2] == t[0] && t[0] != t[1] && t[0] != t[3] && t[1] != t[3],
                name + QStringLiteral(": a table not of three frames, the first twice"));
        showFrames(s, c, name, sheet, 2, y);
        y += 60;
    }
    return s;
}

Scene mirroredFramesScene(const QString& dir) {
    const QImage sheet = frameSheet(3, 3, [](int k, int x, int y) {
        return framePixel(k == 2 ? 1 : 0, k == 1 ? kFrameW - 1 - x : x, y);
    });
    Scene s;
    s.screen = Screen::Rgb16;
    s.background = kRgbBackground;
    const QStringList frames = {QStringLiteral("-rgb"), QStringLiteral("--mirror-frames"),
                                QStringLiteral("--frames"), QStringLiteral("3")};
    int y = 12;
    for (const QString& name : {QStringLiteral("truecolour"), QStringLiteral("map")}) {
        const ConvertedSheet c =
            convertSheet(dir, name, sheet,
                         name == QStringLiteral("map") ? frames + QStringList{"--clut"} : frames);
        std::vector<long long> listed;
        for (const QJsonValue v : c.metadata[QStringLiteral("frame_reflect")].toArray())
            listed.push_back(v.toInt());
        const std::vector<long long>& t = c.table;
        require(t.size() == 3 && t[1] == t[0] && t[2] != t[0] &&
                    c.reflect == std::vector<long long>{0, 1, 0} && listed == c.reflect,
                name + QStringLiteral(": frame 1 not marked as frame 0 reflected"));
        showFrames(s, c, name, sheet, 3, y);
        y += 60;
    }
    return s;
}

int showCase(const Case& c, const QString& dir) {
    const Scene scene = c.scene(dir);
    const QString cartridge = buildCartridge(scene, dir);
    const auto accept = c.accept ? c.accept : [](const Report& r) {
        return clean(r);
    };
    Report report;
    const console::RunResult run = console::runCartridge(cartridge, dir, [&](const QImage& w) {
        report = compare(scene, w);
        return accept(report);
    });
    if (!run.started) {
        std::printf("SKIP: the emulator cannot run here: %s\n", qPrintable(run.message));
        return -1;
    }
    if (!run.message.isEmpty())
        std::printf("%s\n", qPrintable(run.message));
    std::printf("%d captures in %.1f s; %d broken 2x2 blocks, %d frame pixels wrong\n",
                run.captures, run.seconds, report.brokenBlocks, report.frameMismatches);
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const Layer& l = scene.layers[i];
        const LayerReport& lr = report.layers[i];
        std::printf("  %-28s %2d bpp: %5d pixels unlike the words written", qPrintable(l.name),
                    l.bpp, lr.wordMismatches);
        if (l.source.isNull())
            std::printf("\n");
        else
            std::printf("; %5d of %5d unlike the source (largest error %d, tolerance %d)\n",
                        lr.sourceMismatches, lr.sourceChecked, lr.largestError, l.tolerance);
    }
    for (const QString& e : report.examples)
        std::printf("  e.g. %s\n", qPrintable(e));
    const bool ok = !report.layers.empty() && accept(report);
    if ((!ok || qEnvironmentVariableIsSet("GLYPHMILL_KEEP_CONSOLE")) && !run.window.isNull()) {
        // Outside the scratch folder, which goes when the test ends.
        const QString shot = QDir::current().absoluteFilePath(
            QStringLiteral("console_%1%2.png").arg(QLatin1String(c.name), ok ? "" : "_failed"));
        run.window.save(shot);
        std::printf("capture kept in %s\n", qPrintable(shot));
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    // The cases that only assemble (or compile), without the emulator.
    const std::map<QString, std::function<int(const QString&)>> toolCases = {
        {QStringLiteral("assembly"), assemblyCase},
        {QStringLiteral("object"), objectCase},
        {QStringLiteral("c_source"), cSourceCase}};
    const auto toolCase = args.size() == 2 ? toolCases.find(args[1]) : toolCases.end();
    const bool assembly = toolCase != toolCases.end();
    const auto found = std::find_if(cases().begin(), cases().end(), [&](const Case& c) {
        return args.size() == 2 && args[1] == QLatin1String(c.name);
    });
    if (!assembly && found == cases().end()) {
        std::fprintf(stderr, "usage: test_console CASE\n");
        return 2;
    }
    // Where the emulator has to run (CI), not being able to is a failure, not a skip.
    const bool required = qEnvironmentVariableIsSet("GLYPHMILL_REQUIRE_CONSOLE");
    QStringList tools = {"m68k-linux-gnu-as", "m68k-linux-gnu-ld", "m68k-linux-gnu-objcopy",
                         "m68k-linux-gnu-nm"};
    if (assembly && args[1] == QLatin1String("c_source"))
        tools << "m68k-linux-gnu-gcc";
    if (!assembly)
        tools << "virtualjaguar"
              << "Xvfb"
              << "xwininfo"
              << "import";
    const QString missing = console::missingTool(tools);
    if (!missing.isEmpty()) {
        std::printf("SKIP: %s is not installed (scripts/setup.sh installs it)\n",
                    qPrintable(missing));
        return required ? 1 : kSkip;
    }
    QTemporaryDir dir;
    if (qEnvironmentVariableIsSet("GLYPHMILL_KEEP_CONSOLE"))
        dir.setAutoRemove(false);
    try {
        const int status = assembly ? toolCase->second(dir.path()) : showCase(*found, dir.path());
        if (status < 0)
            return required ? 1 : kSkip;
        return status;
    } catch (const Failure& f) {
        std::printf("FAIL: %s\n", qPrintable(f.message));
        return 1;
    }
}
