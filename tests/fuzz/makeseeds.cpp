// Writes the seed corpus of the fuzz targets: tiny pictures of every kind each reader takes,
// written by Qt or from the TGA layout (tgafiles.h), each also cut short, and command lines of
// every option, and a palette file of each format; animations from the APNG layout
// (apngfiles.h), ImageMagick's convert and the webp tools. Run by hand after changing it:
// rastix-fuzz-seeds tests/fuzz/corpus SAMPLES_DIR
#include "apngfiles.h"
#include "cli/commandline.h"
#include "palette/palettefile.h"
#include "tgafiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

QString g_corpus;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

void save(const QString& target, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(g_corpus + "/" + target);
    writeFile(g_corpus + "/" + target + "/" + name, bytes);
}

// A file whole, and cut off halfway through: the damage every reader must notice.
void saveWithCut(const QString& target, const QString& name, const QByteArray& bytes) {
    save(target, name, bytes);
    save(target, "cut-" + name, bytes.left(bytes.size() / 2));
}

// Runs of one colour (for run-length packets), a gradient, and a half-transparent corner.
QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           x < width / 2 ? qRgb(200, 30, 30)
                                         : qRgba(x * 40, y * 60, 255 - x * 20, y == 0 ? 100 : 255));
    return image;
}

QByteArray written(const QImage& image, const char* format, int quality = -1,
                   bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image)) {
        std::fprintf(stderr, "Qt cannot write %s: %s\n", format, qPrintable(writer.errorString()));
        std::exit(1);
    }
    return bytes;
}

QByteArray sample(const QString& samples, const QString& name) {
    QFile file(samples + "/" + name);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    return file.readAll();
}

void tgaSeeds() {
    const QImage image = picture(6, 4);
    const struct {
        const char* name;
        tgafiles::Layout layout;
    } layouts[] = {
        {"map8-24.tga", {1, 8, 24}},
        {"map16-15-first3.tga", {1, 16, 15, 3}},
        {"true15.tga", {2, 15}},
        {"true16-alpha.tga", {2, 16, 0, 0, 0, 1}},
        {"true24-id.tga", {2, 24, 0, 0, 0, 0, 5}},
        {"true32-topright.tga", {2, 32, 0, 0, 0x30, 8}},
        {"grey8.tga", {3, 8}},
        {"rle-map8-32.tga", {9, 8, 32}},
        {"rle-true24-footer.tga", {10, 24, 0, 0, 0x20, 0, 0, true}},
        {"rle-true16-alpha.tga", {10, 16, 0, 0, 0x10, 1}},
        {"rle-grey8.tga", {11, 8}},
    };
    for (const auto& [name, layout] : layouts)
        saveWithCut("tga", name, tgafiles::writeTga(image, layout));
}

void pictureSeeds(const QString& samples) {
    const QImage image = picture(7, 5);
    // BMP in each depth Qt writes, and GIF from the samples (Qt writes none).
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32,
                                        QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QByteArray bmp = written(image.convertToFormat(format), "bmp");
        const QString name = QString("depth%1.bmp").arg(image.convertToFormat(format).depth());
        saveWithCut("picturechecks", name, bmp);
        saveWithCut("qtreader", name, bmp);
    }
    const QByteArray gif = sample(samples, "ship.gif");
    saveWithCut("picturechecks", "ship.gif", gif);
    saveWithCut("qtreader", "ship.gif", gif);

    saveWithCut("jpeg", "grey.jpg",
                written(image.convertToFormat(QImage::Format_Grayscale8), "jpeg", 90));
    saveWithCut("jpeg", "colour.jpg",
                written(picture(17, 9).convertToFormat(QImage::Format_RGB32), "jpeg", 50));
    saveWithCut("jpeg", "progressive.jpg",
                written(picture(17, 9).convertToFormat(QImage::Format_RGB32), "jpeg", 75, true));
    save("jpeg", "orbs.jpg", sample(samples, "orbs.jpg"));
    save("qtreader", "colour.jpg",
         written(picture(17, 9).convertToFormat(QImage::Format_RGB32), "jpeg", 50));

    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_Grayscale8, QImage::Format_ARGB32,
          QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_RGBA64}) {
        const QImage converted = image.convertToFormat(format);
        const QString name = QString("depth%1-%2.png").arg(converted.depth()).arg(int(format));
        saveWithCut("png", name, written(converted, "png"));
    }
    save("qtreader", "rgb.png", written(image.convertToFormat(QImage::Format_RGB32), "png"));
    save("qtreader", "argb.png", written(image, "png"));
    // Every other format this Qt writes, from its own plugins; once each (tif is tiff).
    QSet<QByteArray> kept;
    for (const QByteArray& format : QImageWriter::supportedImageFormats()) {
        if (format == "bmp" || format == "png" || format == "jpeg" || format == "jpg" ||
            format == "jfif" || format == "icns") // ICNS: see fuzz_qtreader.cpp
            continue;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (QImageWriter(&buffer, format).write(image) && bytes.size() <= 4096 &&
            !kept.contains(bytes)) {
            kept.insert(bytes);
            save("qtreader", "picture." + QString::fromLatin1(format), bytes);
        }
    }
}

// One palette file of each format parsePaletteFile reads.
void paletteSeeds(const QString& samples) {
    const std::vector<rastix::RgbColour> colours = {{0, 0, 0},     {255, 255, 255}, {200, 30, 30},
                                                    {30, 200, 30}, {30, 30, 200},   {90, 90, 90}};
    for (const auto format : {rastix::PaletteFileFormat::Gpl, rastix::PaletteFileFormat::JascPal,
                              rastix::PaletteFileFormat::Act}) {
        const std::vector<std::uint8_t> bytes = rastix::writePaletteFile(format, colours, "seed");
        save("palettefile",
             "palette" + QString::fromStdString(rastix::paletteFileExtension(format)),
             QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    save("palettefile", "words.clut", QByteArray::fromHex("00008888f0f0ffff0f0f7777"));
    QImage indexed(4, 2, QImage::Format_Indexed8);
    indexed.setColorCount(int(colours.size()));
    for (int i = 0; i < int(colours.size()); ++i)
        indexed.setColor(i, qRgb(colours[i].red, colours[i].green, colours[i].blue));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            indexed.setPixel(x, y, uint((x + y * 4) % colours.size()));
    save("palettefile", "indexed.png", written(indexed, "png"));
    save("palettefile", "global.gif", sample(samples, "ship.gif"));
    // No global table: a graphic control extension, a comment, then an image with a local one
    // (one pixel of entry 0 in LZW codes of 3 bits: clear, 0, end).
    save("palettefile", "local.gif",
         QByteArray::fromHex("474946383961010001000000"
                             "21f9040000000000"
                             "21fe026869012100"
                             "2c000000000100010081"
                             "000000ffffffc81e1e1ec81e"
                             "0202440100"
                             "3b"));
}

QByteArray arguments(const std::vector<std::string>& args) {
    QByteArray bytes;
    for (const std::string& arg : args)
        bytes.append(arg.data(), qsizetype(arg.size())).append('\0');
    return bytes;
}

void commandLineSeeds() {
    const std::vector<std::vector<std::string>> lines = {
        {"picture.png"},
        {"-cry", "--clut", "--opt-clut", "--colours", "16", "--dither", "diffusion", "a.bmp",
         "-rgb", "--no-clut", "b.gif"},
        {"--target-dir", "out", "--overwrite", "--binary", "--rotate", "-90", "--cut", "1,2:30x40",
         "pic.jpg", "--no-cut", "pic2.jpg"},
        {"--assembly", "--syntax", "gas", "--", "-named-like-an-option.png"},
        {"--target-dir", "nowhere", "a.png"},
        {"--rotate", "99999999999", "a.png"},
        {"--help"},
        {"--version"},
        {"a.png", "a.png"},
        // Labels that clash, and letters outside ASCII.
        {"--export-equates", "--clut", "my-logo.png", "my_logo.png", "\xe4\xb8\xad.png",
         "caf\xe9.png"},
    };
    int n = 0;
    for (const auto& line : lines)
        save("commandline", QString("line%1").arg(++n), arguments(line));
    // The fuzzer's dictionary: every option and every word an option takes.
    QByteArray dictionary = "# Written by makeseeds.cpp: the words of rastix's command line.\n";
    for (const std::string& option : rastix::optionNames()) {
        save("commandline", QString::fromStdString("option" + option),
             arguments({option, "picture.png"}));
        dictionary += "\"" + QByteArray::fromStdString(option) + "\\x00\"\n";
    }
    for (const char* word : {"none", "ordered", "diffusion", "madmac", "gas", "0,0:1x1", "-"})
        dictionary += "\"" + QByteArray(word) + "\\x00\"\n";
    writeFile(g_corpus + "/../commandline.dict", dictionary);
}

void run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed (ImageMagick and the webp tools are needed)\n",
                     qPrintable(program));
        std::exit(1);
    }
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return file.readAll();
}

// The frames of the animations: each a block of one colour, some half transparent or with a
// hole, placed apart, with every disposal and blend.
struct SeedFrame {
    int x, y, width, height;
    QRgb colour;
    int dispose; // 0 none, 1 background, 2 previous (WebP has no previous)
    int blend;   // 0 source, 1 over
};

constexpr int kCanvasWidth = 8;
constexpr int kCanvasHeight = 6;
const SeedFrame kSeedFrames[] = {
    {0, 0, 8, 6, qRgba(255, 0, 0, 128), 0, 0},
    {2, 2, 4, 3, qRgb(0, 0, 255), 1, 1},
    {4, 0, 4, 4, qRgba(0, 255, 0, 160), 2, 1},
    {0, 4, 6, 2, qRgb(255, 255, 0), 0, 0},
};

QImage seedFramePicture(const SeedFrame& f) {
    QImage image(f.width, f.height, QImage::Format_ARGB32);
    image.fill(f.colour);
    image.setPixel(f.width / 2, f.height / 2, 0);
    return image;
}

void animationSeeds() {
    std::vector<apngfiles::Frame> apng;
    for (const SeedFrame& f : kSeedFrames)
        apng.push_back({seedFramePicture(f), f.x, f.y, f.dispose, f.blend, 1, 10});
    saveWithCut("frames", "frames.png", apngfiles::writeApng(kCanvasWidth, kCanvasHeight, apng));
    save("frames", "hidden-default.png",
         apngfiles::writeApng(kCanvasWidth, kCanvasHeight, apng,
                              picture(kCanvasWidth, kCanvasHeight)));

    QTemporaryDir dir;
    static const char* const kGifDisposal[] = {"none", "background", "previous"};
    QStringList gif;
    QStringList webp;
    int k = 0;
    for (const SeedFrame& f : kSeedFrames) {
        const QString png = dir.filePath(QString("frame%1.png").arg(k));
        const QString frame = dir.filePath(QString("frame%1.webp").arg(k));
        if (!seedFramePicture(f).save(png)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(png));
            std::exit(1);
        }
        gif << "-dispose" << kGifDisposal[f.dispose] << "-delay" << QString::number(k * 5)
            << "-page"
            << QString("%1x%2+%3+%4").arg(kCanvasWidth).arg(kCanvasHeight).arg(f.x).arg(f.y) << png;
        // Lossless and lossy frames by turns: a lossy one keeps its alpha in an ALPH chunk.
        run("cwebp", QStringList{"-quiet"}
                         << (k % 2 ? QStringList{"-q", "50"} : QStringList{"-lossless", "-exact"})
                         << png << "-o" << frame);
        webp << "-frame" << frame
             << QString("+%1+%2+%3+%4%5")
                    .arg(k * 40)
                    .arg(f.x)
                    .arg(f.y)
                    .arg(f.dispose == 1)
                    .arg(f.blend ? "+b" : "-b");
        ++k;
    }
    run("convert", gif << dir.filePath("frames.gif"));
    saveWithCut("frames", "frames.gif", readFile(dir.filePath("frames.gif")));
    run("webpmux", webp << "-loop"
                        << "0"
                        << "-o" << dir.filePath("frames.webp"));
    saveWithCut("frames", "frames.webp", readFile(dir.filePath("frames.webp")));
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR SAMPLES_DIR\n", argv[0]);
        return 2;
    }
    g_corpus = QString::fromLocal8Bit(argv[1]);
    tgaSeeds();
    pictureSeeds(QString::fromLocal8Bit(argv[2]));
    commandLineSeeds();
    paletteSeeds(QString::fromLocal8Bit(argv[2]));
    animationSeeds();
    return 0;
}
