// The assembly rastix writes (Madmac syntax), put through the assembler and linker most Jaguar
// projects build with: RMAC must turn every file into exactly the bytes --binary writes, under
// any picture name, and RLN must link its labels into a program.
#include "aoutobject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kTextAddress = 0x4000; // rln -a 4000 x x: text, then data
constexpr int kProgramTimeoutMs = 60000;

QString toolPath(const char* variable, const char* built) {
    const QString overridden = qEnvironmentVariable(variable);
    return overridden.isEmpty() ? QString::fromUtf8(built) : overridden;
}

QString rmacPath() {
    return toolPath("GLYPHMILL_RMAC", TOOLCHAIN_RMAC);
}
QString rlnPath() {
    return toolPath("GLYPHMILL_RLN", TOOLCHAIN_RLN);
}

struct Finished {
    bool ran = false; // started, ended by itself within the time, not by a crash
    int status = -1;
    QString output;
};

Finished runProgram(const QString& program, const QStringList& args, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    Finished finished;
    if (!process.waitForStarted()) {
        finished.output = program + QStringLiteral(" does not start");
        return finished;
    }
    if (!process.waitForFinished(kProgramTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        finished.output = program + QStringLiteral(" did not end within a minute");
        return finished;
    }
    finished.output = QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() == QProcess::CrashExit) {
        finished.output.prepend(program + QStringLiteral(" crashed: "));
        return finished;
    }
    finished.ran = true;
    finished.status = process.exitCode();
    return finished;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Pictures whose colours fill what each mode holds: many colours in steps no two pixels share,
// a transparent corner, a width no phrase divides; or three colours for the fewest bits; or
// many colours repeating every 8 columns, the transparent corner too.
enum class Colours { Many, Three, EightColumns };

bool writePicture(const QString& path, Colours colours, int variant) {
    QImage image(13, 7, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int three[3][3] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}};
            const int* c = three[(x + y + variant) % 3];
            const int column = colours == Colours::EightColumns ? x % 8 : x;
            image.setPixel(x, y,
                           colours == Colours::Three
                               ? qRgb(c[0], c[1], c[2])
                               : qRgb(column * 19, y * 36, (column * y * 7 + variant * 40) % 256));
        }
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    if (colours == Colours::EightColumns)
        image.setPixel(8, 0, qRgba(0, 0, 0, 0));
    return image.save(path, "PNG");
}

// Equates of a file of rastix's assembly by name ("pic_size = 24").
std::map<std::string, long> equates(const QByteArray& source) {
    std::map<std::string, long> found;
    static const QRegularExpression line(QStringLiteral(R"(^(\S+) ==? (\d+)\b)"),
                                         QRegularExpression::MultilineOption);
    for (auto match = line.globalMatch(QString::fromUtf8(source)); match.hasNext();) {
        const auto m = match.next();
        found[m.captured(1).toStdString()] = m.captured(2).toLong();
    }
    return found;
}

std::string joined(const std::set<QString>& names) {
    return QStringList(names.begin(), names.end()).join(' ').toStdString();
}

// A file's assembled data: a label with a NAME_end after it, and the binary file it must equal.
struct Block {
    std::string label;
    std::uint32_t size = 0;
    QByteArray expected;
};

// rastix's outputs for the same pictures, as text and as --binary.
struct Converted {
    QString textDir;
    QString binaryDir;
    QString workDir;
};

class ToolchainTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& tool : {rmacPath(), rlnPath()}) {
            if (tool.isEmpty() || !QFileInfo(tool).isExecutable()) {
                const std::string reason =
                    (tool.isEmpty() ? QStringLiteral("rmac and rln are not built (no toolchain "
                                                     "folder; GLYPHMILL_TOOLCHAIN_DIR)")
                                    : tool + QStringLiteral(" is not there"))
                        .toStdString();
                if (qEnvironmentVariableIsSet("GLYPHMILL_REQUIRE_CONSOLE"))
                    FAIL() << reason;
                GTEST_SKIP() << reason;
            }
        }
        ASSERT_TRUE(root.isValid());
        for (const char* folder : {"pictures", "text", "binary", "work"})
            ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(folder)));
        converted = {root.filePath("text"), root.filePath("binary"), root.filePath("work")};
    }

    QString picturesDir() const { return root.filePath("pictures"); }

    // Writes the pictures and converts them twice, with the options, as text and as binary.
    void convert(const QStringList& options, const QStringList& pictures, Colours colours,
                 const QString& folder) {
        QStringList paths;
        for (int i = 0; i < pictures.size(); ++i) {
            paths << QDir(folder).filePath(pictures[i]);
            ASSERT_TRUE(writePicture(paths.back(), colours, i)) << paths.back().toStdString();
        }
        for (const QString& target : {converted.textDir, converted.binaryDir}) {
            QStringList args{"--target-dir", target};
            args << options;
            if (target == converted.binaryDir)
                args << "--binary";
            args << "--" << paths;
            const Finished rastix = runProgram(QStringLiteral(RASTIX_PROGRAM), args, folder);
            ASSERT_TRUE(rastix.ran && rastix.status == 0) << rastix.output.toStdString();
        }
    }

    // Assembles text/NAME.s, with more rmac options, into work/NAME.o.
    Finished assemble(const QString& source, const QStringList& more = {}) {
        const QString object =
            QDir(converted.workDir).filePath(QFileInfo(source).completeBaseName() + ".o");
        return runProgram(rmacPath(), more + QStringList{"-fb", "-o", object, source},
                          converted.workDir);
    }

    // The blocks of one assembled file, each against the binary file of its kind: NAME_clut
    // against STEM.clut, the pixels against STEM.rgb, .cry or .map.
    std::vector<Block> blocksOf(const QString& source, const AoutObject& object) {
        const QString stem = QFileInfo(source).completeBaseName();
        const QDir binary(converted.binaryDir);
        std::vector<Block> blocks;
        for (const auto& [label, start] : object.dataLabels) {
            const auto end = object.dataLabels.find(label + "_end");
            if (end == object.dataLabels.end())
                continue;
            QString file = binary.filePath(stem + ".clut");
            if (QString::fromStdString(label).endsWith("_object"))
                file = binary.filePath(stem + ".obj");
            else if (!QString::fromStdString(label).endsWith("_clut"))
                for (const char* suffix : {".rgb", ".cry", ".map"})
                    if (QFileInfo::exists(binary.filePath(stem + suffix)))
                        file = binary.filePath(stem + suffix);
            matchedFiles.insert(QFileInfo(file).fileName());
            blocks.push_back({label, end->second - start, readAll(file)});
        }
        return blocks;
    }

    // Every file of text/ assembles (as an object and raw) into the bytes of binary/; returns
    // every block for the link.
    std::vector<Block> assembleAll() {
        std::vector<Block> all;
        const QDir text(converted.textDir);
        const QStringList sources = text.entryList({"*.s"}, QDir::Files, QDir::Name);
        EXPECT_FALSE(sources.isEmpty());
        for (const QString& name : sources) {
            const QString source = text.filePath(name);
            SCOPED_TRACE(name.toStdString());
            const Finished bsd = assemble(source);
            EXPECT_TRUE(bsd.ran && bsd.status == 0) << bsd.output.toStdString();
            const QString raw = QDir(converted.workDir).filePath(name + ".raw");
            const Finished absolute =
                runProgram(rmacPath(), {"-fr", "-o", raw, source}, converted.workDir);
            EXPECT_TRUE(absolute.ran && absolute.status == 0) << absolute.output.toStdString();
            QString error;
            const auto object = readAoutObject(
                readAll(
                    QDir(converted.workDir).filePath(QFileInfo(name).completeBaseName() + ".o")),
                error);
            if (!object) {
                ADD_FAILURE() << error.toStdString();
                continue;
            }
            EXPECT_TRUE(readAll(raw) == object->data) << "-fr and -fb assemble different data";
            const auto values = equates(readAll(source));
            const std::vector<Block> blocks = blocksOf(source, *object);
            EXPECT_FALSE(blocks.empty()) << "no label with its _end";
            for (const Block& block : blocks) {
                SCOPED_TRACE(block.label);
                const std::uint32_t start = object->dataLabels.at(block.label);
                EXPECT_TRUE(object->data.mid(start, block.size) == block.expected);
                EXPECT_EQ(block.size, std::uint32_t(block.expected.size()));
                const auto size = values.find(block.label + "_size");
                if (size != values.end()) {
                    EXPECT_EQ(size->second, long(block.size)) << "_size against _end";
                }
                all.push_back(block);
            }
        }
        const QStringList binaries = QDir(converted.binaryDir).entryList(QDir::Files);
        EXPECT_EQ(joined(matchedFiles), joined({binaries.begin(), binaries.end()}))
            << "every binary file must be some file's assembled data";
        return all;
    }

    // A program whose text holds each block's two labels links with all the objects; its
    // output holds each block's data, phrase-aligned, between those labels.
    void link(const std::vector<Block>& blocks) {
        const QDir work(converted.workDir);
        QByteArray main = "\t.68000\n";
        for (const Block& block : blocks)
            main += "\t.extern\t" + QByteArray::fromStdString(block.label) + "," +
                    QByteArray::fromStdString(block.label) + "_end\n";
        main += "\t.text\n";
        for (const Block& block : blocks)
            main += "\tdc.l\t" + QByteArray::fromStdString(block.label) + "," +
                    QByteArray::fromStdString(block.label) + "_end\n";
        ASSERT_TRUE(writeAll(work.filePath("main.s"), main));
        const Finished mainObject =
            runProgram(rmacPath(), {"-fb", "-o", work.filePath("main.o"), work.filePath("main.s")},
                       work.path());
        ASSERT_TRUE(mainObject.ran && mainObject.status == 0) << mainObject.output.toStdString();
        QStringList args{"-m",
                         "-z",
                         "-n",
                         "-a",
                         "4000",
                         "x",
                         "x",
                         "-o",
                         work.filePath("out.bin"),
                         work.filePath("main.o")};
        for (const QString& object : work.entryList({"*.o"}, QDir::Files, QDir::Name))
            if (object != "main.o")
                args << work.filePath(object);
        const Finished rln = runProgram(rlnPath(), args, work.path());
        ASSERT_TRUE(rln.ran && rln.status == 0) << rln.output.toStdString();
        loadMap = rln.output;
        program = readAll(work.filePath("out.bin"));
        const QByteArray& linked = program;
        ASSERT_GE(linked.size(), qsizetype(blocks.size() * 8));
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            SCOPED_TRACE(blocks[i].label);
            const auto address = [&](std::size_t at) {
                std::uint32_t value = 0;
                for (int b = 0; b < 4; ++b)
                    value = value << 8 | std::uint8_t(linked[qsizetype(at * 4 + b)]);
                return value;
            };
            const std::uint32_t start = address(i * 2);
            const std::uint32_t end = address(i * 2 + 1);
            EXPECT_EQ(start % 8, 0u) << "an object's data must start on a phrase";
            EXPECT_EQ(end - start, blocks[i].size);
            ASSERT_GE(start, kTextAddress);
            EXPECT_TRUE(linked.mid(start - kTextAddress, end - start) == blocks[i].expected);
        }
    }

    // Where RLN's load map (-m) puts a global symbol; 0 if it names none.
    std::uint32_t linkedAddress(const std::string& symbol) const {
        const QRegularExpression entry(QStringLiteral("(?:^|\\s)") +
                                       QRegularExpression::escape(QString::fromStdString(symbol)) +
                                       QStringLiteral("\\s+G\\s+([0-9A-Fa-f]{8})\\b"));
        const auto m = entry.match(loadMap);
        return m.hasMatch() ? m.captured(1).toUInt(nullptr, 16) : 0;
    }

    std::uint32_t linkedLong(std::uint32_t address) const {
        std::uint32_t value = 0;
        for (std::uint32_t b = 0; b < 4; ++b)
            value = value << 8 | std::uint8_t(program[qsizetype(address - kTextAddress + b)]);
        return value;
    }

    // In the linked program, pic's address plus NAME_frametable[k] is where frame k's bytes lie:
    // those --binary writes for the frame stored[k], each stored frame once.
    void checkFrameTable(const std::vector<int>& stored) {
        const auto values = equates(readAll(QDir(converted.textDir).filePath("pic.s")));
        ASSERT_TRUE(values.count("pic_frames") && values.count("pic_framebytes"));
        ASSERT_EQ(values.at("pic_frames"), long(stored.size()));
        const std::uint32_t bytes = std::uint32_t(values.at("pic_framebytes"));
        const std::uint32_t pic = linkedAddress("pic");
        const std::uint32_t table = linkedAddress("pic_frametable");
        ASSERT_TRUE(pic >= kTextAddress && table >= kTextAddress) << loadMap.toStdString();
        ASSERT_LE(table - kTextAddress + 4 * stored.size(), std::size_t(program.size()));
        const QByteArray binary = readAll(QDir(converted.binaryDir).filePath("pic.map"));
        const int frames = *std::max_element(stored.begin(), stored.end()) + 1;
        ASSERT_EQ(binary.size(), qsizetype(frames) * bytes) << "a repeated frame stored again";
        for (std::size_t k = 0; k < stored.size(); ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            const std::uint32_t offset = linkedLong(table + 4 * std::uint32_t(k));
            EXPECT_EQ(offset, std::uint32_t(stored[k]) * bytes);
            EXPECT_TRUE(program.mid(pic + offset - kTextAddress, bytes) ==
                        binary.mid(qsizetype(stored[k]) * bytes, bytes));
        }
    }

    QTemporaryDir root;
    Converted converted;
    std::set<QString> matchedFiles;
    QByteArray program; // the linked program's bytes, from kTextAddress
    QString loadMap;
};

struct Case {
    const char* name;
    QStringList options;
    QStringList pictures;
    Colours colours = Colours::Many;
    std::vector<int> storedFrames = {}; // for a sprite sheet, the stored frame each frame shows
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all{
        {"rgb16", {"-rgb"}, {"pic.png"}},
        {"cry16", {"-cry"}, {"pic.png"}},
        {"map1", {"--clut", "--colours", "2", "--opt-clut"}, {"pic.png"}},
        {"map2", {"--clut", "--colours", "4", "--opt-clut"}, {"pic.png"}},
        {"map4", {"-cry", "--clut", "--colours", "16", "--opt-clut"}, {"pic.png"}},
        {"map8", {"--clut"}, {"pic.png"}},
        {"optclut", {"--clut", "--opt-clut"}, {"pic.png"}, Colours::Three},
        {"glass", {"-cry", "--glass"}, {"pic.png"}},
        {"cut", {"--cut", "2,1:7x3", "--clut"}, {"pic.png"}},
        {"rotate", {"--rotate", "90"}, {"pic.png"}},
        {"dither", {"--dither", "ordered", "--clut", "--colours", "16"}, {"pic.png"}},
        {"sharedclut", {"--clut", "--opt-clut", "--shared-clut", "set"}, {"a.png", "b.png"}},
        {"banks",
         {"--clut", "--colours", "4", "--opt-clut", "--banks", "table"},
         {"a.png", "b.png"},
         Colours::Three},
        {"registers",
         {"--clut", "--opt-clut"},
         {"vbr.png", "ssp.png", "fp0.png", "tt0.png", "D0.png", "a7.png", "sr.png"},
         Colours::Three},
        {"keywords", {"--clut", "--opt-clut"}, {"equ.png", "set.png", "reg.png"}, Colours::Three},
        {"punctuation",
         {"--clut", "--opt-clut"},
         {"my ship.png", "boss-1 (final).png", "a+b=c.png", "x.y.png", "it's.png"},
         Colours::Three},
        {"leadingdigit", {"-cry"}, {"1up.png", "2.png"}},
        {"outsideascii",
         {"--clut", "--opt-clut"},
         {"\u4E2D\u56FD.png", "\u65E5\u672C.png", "caf\u00E9.png"},
         Colours::Three},
        // Frame 2 repeats frame 0.
        {"frames",
         {"--cut", "0,0:12x7", "--frames", "3", "--clut", "--rotate", "90"},
         {"pic.png"},
         Colours::EightColumns,
         {0, 1, 0}},
        {"controlcharacters", {"--clut"}, {"new\nline.png", "carriage\rreturn.png"}},
        {"objectheader", {"--clut", "--object-header", "--export-equates"}, {"pic.png"}},
    };
    return all;
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class ToolchainCase : public ToolchainTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ToolchainCase, AssemblesIntoTheBinaryBytesAndLinks) {
    ASSERT_NO_FATAL_FAILURE(
        convert(GetParam().options, GetParam().pictures, GetParam().colours, picturesDir()));
    const std::vector<Block> blocks = assembleAll();
    ASSERT_FALSE(::testing::Test::HasFailure());
    ASSERT_NO_FATAL_FAILURE(link(blocks));
    if (!GetParam().storedFrames.empty())
        checkFrameTable(GetParam().storedFrames);
}

INSTANTIATE_TEST_SUITE_P(Modes, ToolchainCase, ::testing::ValuesIn(cases()),
                         [](const auto& test) { return std::string(test.param.name); });

// Assembles work/host.s, which includes the picture's file in the given mode, and checks the
// picture's data came through.
class IncludedInRisc : public ToolchainTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(IncludedInRisc, AssemblesThePicturesData) {
    ASSERT_NO_FATAL_FAILURE(convert({"--clut"}, {"pic.png"}, Colours::Many, picturesDir()));
    const QString host = QDir(converted.workDir).filePath("host.s");
    const QString source = QDir(converted.textDir).filePath("pic.s");
    ASSERT_TRUE(writeAll(host, "\t" + QByteArray(GetParam()) + "\n\t.include\t\"" +
                                   source.toUtf8() + "\"\n"));
    const Finished rmac = assemble(host);
    ASSERT_TRUE(rmac.ran && rmac.status == 0)
        << "a picture's file must state .68000 before its .data to be included in " << GetParam()
        << " code: " << rmac.output.toStdString();
    QString error;
    const auto object = readAoutObject(readAll(QDir(converted.workDir).filePath("host.o")), error);
    ASSERT_TRUE(object) << error.toStdString();
    ASSERT_TRUE(object->dataLabels.count("pic") && object->dataLabels.count("pic_end"));
    const std::uint32_t start = object->dataLabels.at("pic");
    EXPECT_TRUE(object->data.mid(start, object->dataLabels.at("pic_end") - start) ==
                readAll(QDir(converted.binaryDir).filePath("pic.map")));
}

INSTANTIATE_TEST_SUITE_P(Modes, IncludedInRisc, ::testing::Values(".gpu", ".dsp"),
                         [](const auto& test) { return std::string(test.param + 1); });

// rmac's listing (-l) holds a line in 1024 characters: a longer one ends rmac. A picture's
// path, however long, must not make such a line.
TEST_F(ToolchainTest, AListingOfAPictureFromADeepFolderAssembles) {
    QString deep = picturesDir();
    while (deep.size() <= 1100) {
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        ASSERT_TRUE(QDir().mkpath(deep));
    }
    ASSERT_NO_FATAL_FAILURE(convert({"--clut"}, {"pic.png"}, Colours::Many, deep));
    const QString source = QDir(converted.textDir).filePath("pic.s");
    const Finished rmac = assemble(source, {"-l" + QDir(converted.workDir).filePath("pic.lst")});
    ASSERT_TRUE(rmac.ran && rmac.status == 0)
        << "rmac's listing ends on a line over 1024 characters: a picture's file must keep "
           "every line shorter: "
        << rmac.output.left(200).toStdString();
    EXPECT_FALSE(assembleAll().empty());
}

// Equates written with --export-equates are global: another module links against them.
TEST_F(ToolchainTest, ExportedEquatesReachAnotherModule) {
    ASSERT_NO_FATAL_FAILURE(
        convert({"--clut", "--export-equates"}, {"pic.png"}, Colours::Many, picturesDir()));
    const QDir work(converted.workDir);
    ASSERT_TRUE(writeAll(work.filePath("main.s"),
                         "\t.68000\n\t.extern\tpic_width,pic_size\n\t.text\n"
                         "\tdc.l\tpic_width,pic_size\n"));
    for (const QString& source :
         {work.filePath("main.s"), QDir(converted.textDir).filePath("pic.s")}) {
        const Finished rmac = assemble(source);
        ASSERT_TRUE(rmac.ran && rmac.status == 0) << rmac.output.toStdString();
    }
    const Finished rln =
        runProgram(rlnPath(),
                   {"-z", "-n", "-a", "4000", "x", "x", "-o", work.filePath("out.bin"),
                    work.filePath("main.o"), work.filePath("pic.o")},
                   work.path());
    ASSERT_TRUE(rln.ran && rln.status == 0) << rln.output.toStdString();
    const QByteArray linked = readAll(work.filePath("out.bin"));
    ASSERT_GE(linked.size(), 8);
    const auto longAt = [&](int at) {
        std::uint32_t value = 0;
        for (int b = 0; b < 4; ++b)
            value = value << 8 | std::uint8_t(linked[at + b]);
        return value;
    };
    const auto values = equates(readAll(QDir(converted.textDir).filePath("pic.s")));
    ASSERT_TRUE(values.count("pic_width") && values.count("pic_size"));
    EXPECT_EQ(longAt(0), std::uint32_t(values.at("pic_width")));
    EXPECT_EQ(longAt(4), std::uint32_t(values.at("pic_size")));
}

// The assembler built here refuses the DSP56001 mode it lacks, rather than assembling
// anything in it.
TEST_F(ToolchainTest, Dsp56001CodeIsRefused) {
    if (!TOOLCHAIN_RMAC_REFUSES_56001 || qEnvironmentVariableIsSet("GLYPHMILL_RMAC"))
        GTEST_SKIP() << "this rmac is not the one built without its DSP56001 assembler";
    const QString source = QDir(converted.workDir).filePath("dsp.s");
    ASSERT_TRUE(writeAll(source, "\t.56001\n\tdc.l\t1\n"));
    const Finished directive = assemble(source);
    ASSERT_TRUE(directive.ran);
    EXPECT_NE(directive.status, 0);
    EXPECT_TRUE(directive.output.contains("DSP56001")) << directive.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(converted.workDir).filePath("dsp.o")));
}

} // namespace
