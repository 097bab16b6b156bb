// What the built converter writes for a build: the metadata beside a picture's outputs, the make
// rules of a run, and its arguments read from files.
#include "folderfiles.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

Ran runIn(const QTemporaryDir& dir, const QStringList& args) {
    QProcess rastix;
    rastix.setWorkingDirectory(dir.path());
    rastix.start(QStringLiteral(RASTIX_PROGRAM), args);
    Ran ran;
    if (!rastix.waitForFinished(60000))
        return ran;
    ran.status = rastix.exitStatus() == QProcess::NormalExit ? rastix.exitCode() : -1;
    // Windows ends the lines with "\r\n".
    ran.out = QString::fromUtf8(rastix.readAllStandardOutput()).replace("\r\n", "\n");
    ran.err = QString::fromUtf8(rastix.readAllStandardError()).replace("\r\n", "\n");
    return ran;
}

void copySample(const QTemporaryDir& dir, const QString& name) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(RASTIX_SAMPLES "/") + name, dir.filePath(name)));
}

QJsonObject jsonIn(const QString& path) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(readAll(path), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << path.toStdString();
    return doc.object();
}

// The value of LABEL_NAME = VALUE in an assembly file.
int equate(const QString& path, const QString& name) {
    const QRegularExpression line("^" + QRegularExpression::escape(name) + " = (\\d+)",
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(readAll(path)));
    EXPECT_TRUE(m.hasMatch()) << name.toStdString() << " in " << path.toStdString();
    return m.captured(1).toInt();
}

QStringList strings(const QJsonValue& array) {
    QStringList list;
    for (const QJsonValue& v : array.toArray())
        list << v.toString();
    return list;
}

} // namespace

TEST(Metadata, ATrueColourPictureAgreesWithItsAssembly) {
    QTemporaryDir dir;
    copySample(dir, "sunset.bmp");
    ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
    const Ran ran =
        runIn(dir, {"-cry", "--glass", "--metadata", "--target-dir", "out", "sunset.bmp"});
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    EXPECT_EQ(ran.out.toStdString(),
              "wrote out/sunset.s (96x64, CRY16 glass both, true colour)\n"
              "wrote out/sunset.json (96x64, CRY16 glass both, true colour)\n");
    const QByteArray text = readAll(dir.filePath("out/sunset.json"));
    EXPECT_TRUE(text.startsWith("{\n  \"source\": \"sunset.bmp\",\n  \"outputs\": [\"sunset.s\"],"))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("\n}\n"));
    const QJsonObject json = jsonIn(dir.filePath("out/sunset.json"));
    const QString s = dir.filePath("out/sunset.s");
    EXPECT_EQ(json["width"].toInt(), equate(s, "sunset_width"));
    EXPECT_EQ(json["height"].toInt(), equate(s, "sunset_height"));
    EXPECT_EQ(json["phrases"].toInt(), equate(s, "sunset_phrases"));
    EXPECT_EQ(json["depth"].toInt(), equate(s, "sunset_depth"));
    EXPECT_EQ(json["bits_per_pixel"].toInt(), equate(s, "sunset_bpp"));
    EXPECT_EQ(json["data_bytes"].toInt(), equate(s, "sunset_size"));
    EXPECT_EQ(json["width"].toInt(), 96);
    EXPECT_EQ(json["padded_width"].toInt(), 96);
    const QRegularExpression modelLine("^; model: +(.*)$", QRegularExpression::MultilineOption);
    EXPECT_EQ(json["model"].toString().toStdString(),
              modelLine.match(QString::fromUtf8(readAll(s))).captured(1).toStdString());
    EXPECT_EQ(json["model"].toString().toStdString(), "CRY16 glass both");
    EXPECT_EQ(json["mode"].toString(), "true colour");
    EXPECT_EQ(json["palette_entries"].toInt(-1), 0);
    EXPECT_EQ(json["palette_bytes"].toInt(-1), 0);
    EXPECT_TRUE(json["bank"].isNull());
    EXPECT_EQ(json["index"].toInt(-1), 0);
    EXPECT_FALSE(json["transparent_index_zero"].toBool(true));
    // No opaque pixel is word 0 in CRY, so the object may skip the padding.
    EXPECT_TRUE(json["trans"].toBool(false));
    EXPECT_TRUE(json["palette"].isNull());
    EXPECT_TRUE(json["warnings"].isArray());
    EXPECT_TRUE(json["warnings"].toArray().isEmpty());
}

TEST(Metadata, AMapGivesTheSizesOfItsFiles) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    const Ran ran = runIn(
        dir, {"--binary", "--clut", "--opt-clut", "--colours", "16", "--metadata", "ship.gif"});
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    const QJsonObject json = jsonIn(dir.filePath("ship.json"));
    EXPECT_EQ(strings(json["outputs"]), (QStringList{"ship.map", "ship.clut"}));
    EXPECT_EQ(json["mode"].toString(), "colour map");
    EXPECT_EQ(json["bits_per_pixel"].toInt(), 4);
    EXPECT_EQ(json["depth"].toInt(), 2);
    EXPECT_EQ(json["data_bytes"].toInt(), readAll(dir.filePath("ship.map")).size());
    EXPECT_EQ(json["data_bytes"].toInt(), json["phrases"].toInt() * 8 * json["height"].toInt());
    EXPECT_EQ(json["palette_bytes"].toInt(), readAll(dir.filePath("ship.clut")).size());
    EXPECT_EQ(json["palette_entries"].toInt() * 2, json["palette_bytes"].toInt());
    EXPECT_EQ(json["padded_width"].toInt(), json["phrases"].toInt() * 16);
    EXPECT_TRUE(json["bank"].isNull());
    EXPECT_TRUE(json["palette"].isNull());
}

TEST(Metadata, ABankedMapNamesItsBankAndItsSetsPalette) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    copySample(dir, "orbs.jpg");
    const Ran ran = runIn(dir, {"--clut", "--colours", "16", "--banks", "sprites", "--metadata",
                                "ship.gif", "orbs.jpg"});
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    for (const QString name : {"ship", "orbs"}) {
        const QJsonObject json = jsonIn(dir.filePath(name + ".json"));
        const QString s = dir.filePath(name + ".s");
        EXPECT_EQ(strings(json["outputs"]), QStringList{name + ".s"});
        EXPECT_EQ(json["palette"].toString(), "sprites.s");
        EXPECT_EQ(json["index"].toInt(), equate(s, name + "_index"));
        EXPECT_EQ(json["bits_per_pixel"].toInt(), equate(s, name + "_bpp"));
        // A bank of a 4-bit map holds 16 entries; the INDEX field counts pairs of entries.
        EXPECT_EQ(json["bank"].toInt(-1) * 16, json["index"].toInt() * 2) << name.toStdString();
        EXPECT_EQ(json["palette_entries"].toInt(-1), 0); // the set's file holds them
    }
}

TEST(Metadata, APictureTooTallForOneObjectCarriesItsWarning) {
    QTemporaryDir dir;
    QImage tall(8, 1100, QImage::Format_RGB32);
    tall.fill(Qt::red);
    ASSERT_TRUE(tall.save(dir.filePath("tall.png")));
    const Ran ran = runIn(dir, {"--metadata", "tall.png"});
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    const QString prefix = "rastix: tall.png: warning: ";
    ASSERT_TRUE(ran.err.startsWith(prefix)) << ran.err.toStdString();
    const QJsonObject json = jsonIn(dir.filePath("tall.json"));
    EXPECT_EQ(strings(json["warnings"]), QStringList{ran.err.mid(prefix.size()).trimmed()});
}

TEST(Metadata, AFailedPictureWritesNone) {
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.png"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\x89PNG\r\n\x1a\n not really");
    bad.close();
    copySample(dir, "ship.gif");
    const Ran ran = runIn(dir, {"--metadata", "bad.png", "ship.gif"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(entries(dir), (QStringList{"bad.png", "ship.gif", "ship.json", "ship.s"}));
}

#ifndef _WIN32
TEST(Metadata, ANameThatIsNotUtf8IsEscapedByTheByte) {
    QTemporaryDir dir;
    QProcess rastix;
    rastix.setWorkingDirectory(dir.path());
    // Made and given as bytes, as a shell gives them.
    rastix.start("/bin/sh",
                 {"-c",
                  "name=$(printf 'caf\\351.gif') && cp \"$1\" \"$name\" && "
                  "\"$0\" --metadata \"$name\"",
                  QStringLiteral(RASTIX_PROGRAM), QStringLiteral(RASTIX_SAMPLES "/ship.gif")});
    ASSERT_TRUE(rastix.waitForFinished(60000));
    ASSERT_EQ(rastix.exitCode(), 0) << rastix.readAllStandardError().toStdString();
    QProcess cat;
    cat.setWorkingDirectory(dir.path());
    cat.start("/bin/sh", {"-c", "cat \"$(printf 'caf\\351.json')\""});
    ASSERT_TRUE(cat.waitForFinished(10000));
    const QByteArray text = cat.readAllStandardOutput();
    EXPECT_TRUE(text.contains("\"source\": \"caf\\u00e9.gif\",")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"outputs\": [\"caf\\u00e9.s\"],")) << text.toStdString();
}
#endif

TEST(Depfile, WrittenWithAFailedPicturesRuleAndTheRunStillFails) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    QFile args(dir.filePath("assets.args"));
    ASSERT_TRUE(args.open(QIODevice::WriteOnly));
    args.write("# the sprites\n--metadata\r\nship.gif\n  missing.png  \n");
    args.close();
    // Anywhere on the line, the last one counting.
    const Ran ran = runIn(dir, {"--depfile", "first.d", "@assets.args", "--depfile", "assets.d"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.startsWith("rastix: missing.png: ")) << ran.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("first.d")));
    EXPECT_EQ(readAll(dir.filePath("assets.d")), "ship.s ship.json: ship.gif assets.args\n"
                                                 "missing.s missing.json: missing.png assets.args\n"
                                                 "\nship.gif:\n\nassets.args:\n\nmissing.png:\n");
}

TEST(Depfile, MayNotReplaceAnOutput) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    const Ran ran = runIn(dir, {"ship.gif", "--depfile", "ship.s"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.err, "rastix: --depfile ship.s would replace ship.s, an output\n");
    EXPECT_EQ(entries(dir), QStringList{"ship.gif"});
}

TEST(ArgumentFile, ThatCannotBeReadStopsTheRunWithOneLine) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    const Ran ran = runIn(dir, {"ship.gif", "@nothing.args"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.err, "rastix: @nothing.args: No such file or directory\n");
    EXPECT_EQ(entries(dir), QStringList{"ship.gif"});
}

TEST(Update, LeavesPicturesWhoseOutputsAreNewerAlone) {
    QTemporaryDir dir;
    copySample(dir, "ship.gif");
    copySample(dir, "sunset.bmp");
    const QStringList args{"--update", "--overwrite", "ship.gif", "sunset.bmp"};
    ASSERT_EQ(runIn(dir, args).status, 0);
    // The picture made older than its output, the other newer.
    const QDateTime now = QDateTime::currentDateTime();
    QFile ship(dir.filePath("ship.gif"));
    ASSERT_TRUE(ship.open(QIODevice::ReadWrite));
    ASSERT_TRUE(ship.setFileTime(now.addSecs(-100), QFileDevice::FileModificationTime));
    ship.close();
    QFile sunset(dir.filePath("sunset.bmp"));
    ASSERT_TRUE(sunset.open(QIODevice::ReadWrite));
    ASSERT_TRUE(sunset.setFileTime(now.addSecs(100), QFileDevice::FileModificationTime));
    sunset.close();
    const Ran again = runIn(dir, args);
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, "wrote sunset.s (96x64, RGB16, true colour)\n");
}
