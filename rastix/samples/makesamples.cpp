// Draws the three pictures of samples/ (a BMP, a GIF with transparency, a JPEG) so a new user
// can try the converter at once. Pixels are computed directly, so no display or font is needed.
// Qt writes BMP and JPEG; it has no GIF writer, so the GIF is written here with the simplest
// valid LZW stream (literal codes only, a clear code before the code size would grow).
#include <QCoreApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QRgb mix(QRgb a, QRgb b, double t) {
    const auto m = [t](int x, int y) {
        return static_cast<int>(std::lround(x + (y - x) * t));
    };
    return qRgb(m(qRed(a), qRed(b)), m(qGreen(a), qGreen(b)), m(qBlue(a), qBlue(b)));
}

QImage sunset() {
    QImage img(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = y < 40 ? mix(qRgb(40, 20, 110), qRgb(255, 140, 40), y / 39.0)
                            : mix(qRgb(20, 60, 140), qRgb(5, 15, 50), (y - 40) / 23.0);
            const double d = std::hypot(x - 60.0, y - 38.0);
            if (y < 40 && d < 14)
                c = mix(qRgb(255, 250, 180), qRgb(255, 200, 60), d / 14.0);
            if (y >= 40 && std::abs(x - 60) < 14 - (y - 40) / 2 && (y % 3) == 0)
                c = qRgb(255, 190, 90); // the sun's reflection
            img.setPixel(x, y, c);
        }
    return img;
}

QImage orbs() {
    QImage img(128, 96, QImage::Format_RGB32);
    const struct {
        double x, y, r;
        QRgb colour;
    } orbs[] = {{36, 40, 26, qRgb(230, 40, 40)},
                {80, 36, 22, qRgb(40, 200, 70)},
                {64, 66, 24, qRgb(50, 90, 240)},
                {104, 72, 16, qRgb(250, 220, 40)}};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = mix(qRgb(250, 250, 250), qRgb(120, 120, 130), (x + y) / 222.0);
            for (const auto& o : orbs) {
                const double d = std::hypot(x - o.x, y - o.y) / o.r;
                if (d < 1)
                    c = mix(qRgb(255, 255, 255), o.colour, std::min(1.0, d * 1.6 + 0.1));
            }
            img.setPixel(x, y, c);
        }
    return img;
}

// A 24x24 ship on a transparent background (palette index 0).
std::vector<unsigned char> ship(int& w, int& h) {
    static const char* rows[] = {
        "...........11...........", "..........1221..........",  "..........1221..........",
        ".........122221.........", ".........123321.........",  "........12333321........",
        "........12333321........", ".......1222332221.......",  ".......1222222221.......",
        "......122222222221......", ".....12222222222221.....",  "....1222224422222221....",
        "...122222444422222221...", "..12222224444442222221..",  ".1222222222222222222221.",
        "122211222222222222112221", "1221..12222222222221.1221", "121....122222222221...121",
        "11.....1222112221.....11", "........121..121........",  "........555..555........",
        ".........5....5.........", "........................",  "........................"};
    w = 24;
    h = 24;
    std::vector<unsigned char> pixels;
    for (const char* row : rows)
        for (int x = 0; x < w; ++x)
            pixels.push_back(row[x] == '.' ? 0 : static_cast<unsigned char>(row[x] - '0'));
    return pixels;
}

bool writeGif(const char* path) {
    int w = 0;
    int h = 0;
    const std::vector<unsigned char> pixels = ship(w, h);
    const unsigned char palette[8][3] = {{0, 0, 0},      {20, 30, 90},  {150, 160, 180},
                                         {90, 200, 255}, {230, 50, 40}, {255, 180, 40},
                                         {0, 0, 0},      {0, 0, 0}};
    std::vector<unsigned char> out = {'G', 'I', 'F', '8', '9', 'a'};
    const auto word = [&out](int v) {
        out.push_back(static_cast<unsigned char>(v & 0xFF));
        out.push_back(static_cast<unsigned char>(v >> 8));
    };
    word(w);
    word(h);
    out.insert(out.end(), {0xF2, 0, 0}); // global table of 8 entries
    for (const auto& c : palette)
        out.insert(out.end(), {c[0], c[1], c[2]});
    out.insert(out.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 0, 0}); // index 0 transparent
    out.push_back(0x2C);
    word(0);
    word(0);
    word(w);
    word(h);
    out.push_back(0);
    const int minCodeSize = 3;
    out.push_back(minCodeSize);
    const int clear = 1 << minCodeSize;
    const int codeBits = minCodeSize + 1;
    std::vector<unsigned char> stream;
    unsigned bitBuffer = 0;
    int bitCount = 0;
    const auto putCode = [&](int code) {
        bitBuffer |= static_cast<unsigned>(code) << bitCount;
        bitCount += codeBits;
        while (bitCount >= 8) {
            stream.push_back(static_cast<unsigned char>(bitBuffer & 0xFF));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    int sinceClear = 0;
    putCode(clear);
    for (const unsigned char p : pixels) {
        if (sinceClear == clear - 2) {
            putCode(clear);
            sinceClear = 0;
        }
        putCode(p);
        ++sinceClear;
    }
    putCode(clear + 1);
    if (bitCount > 0)
        stream.push_back(static_cast<unsigned char>(bitBuffer & 0xFF));
    for (std::size_t at = 0; at < stream.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
        out.push_back(static_cast<unsigned char>(n));
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                   stream.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: rastix-samples DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = sunset().save(dir + "/sunset.bmp", "BMP");
    ok = orbs().save(dir + "/orbs.jpg", "JPEG", 90) && ok;
    ok = writeGif((dir + "/ship.gif").toLocal8Bit().constData()) && ok;
    if (!ok)
        std::fprintf(stderr, "rastix-samples: could not write every picture into %s\n", argv[1]);
    return ok ? 0 : 1;
}
