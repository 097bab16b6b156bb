// Two runs writing the same map and palette at once: the built converter against the staging
// probe, which holds its commit of the pair half done for as long as the test wants.
#include "folderfiles.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>

#include <sys/types.h>
#endif

namespace {

const QStringList kPairOptions{"-cry", "--binary", "--clut", "--colours", "16"};

// The sample picture under the name the probe writes outputs for (p.map, p.clut).
QString pictureIn(const QTemporaryDir& dir) {
    const QString picture = dir.filePath("p.gif");
    QFile::copy(QStringLiteral(RASTIX_SAMPLES "/ship.gif"), picture);
    return picture;
}

void startRastix(QProcess& rastix, const QString& targetDir, const QString& picture) {
    rastix.start(QStringLiteral(RASTIX_PROGRAM),
                 QStringList{"--overwrite", "--target-dir", targetDir} + kPairOptions +
                     QStringList{picture});
    ASSERT_TRUE(rastix.waitForStarted());
}

// Starts the probe on folder and waits until it has moved the first of its pair into place.
void holdHalfAPair(QProcess& probe, const QString& folder) {
    probe.start(QStringLiteral(STAGING_PROBE), {"hold", folder});
    ASSERT_TRUE(probe.waitForStarted());
    while (!probe.canReadLine())
        ASSERT_TRUE(probe.waitForReadyRead(30000)) << "the probe does not answer";
    ASSERT_EQ(probe.readLine().trimmed(), "moving"); // CR LF on Windows
}

void finishThePair(QProcess& probe) {
    probe.write("go on\n");
    probe.closeWriteChannel();
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
}

} // namespace

TEST(SharedOutputs, ARunWaitsWhileAnotherCommitsTheSamePair) {
    QTemporaryDir pictures, expected, out;
    const QString picture = pictureIn(pictures);
    QProcess reference;
    startRastix(reference, expected.path(), picture);
    ASSERT_TRUE(reference.waitForFinished(60000));
    ASSERT_EQ(reference.exitCode(), 0);

    QProcess probe, rastix;
    holdHalfAPair(probe, out.path());
    startRastix(rastix, out.path(), picture);
    // Converting the sample takes a fraction of this; the run must still be waiting for the
    // probe's commit to end, not be moving its own files in between.
    EXPECT_FALSE(rastix.waitForFinished(1500)) << "did not wait for the other run's pair";
    finishThePair(probe);
    rastix.waitForFinished(60000);
    ASSERT_EQ(rastix.state(), QProcess::NotRunning);
    EXPECT_EQ(rastix.exitCode(), 0) << rastix.readAllStandardError().toStdString();
    // The later run's pair, whole, and nothing else.
    EXPECT_EQ(entries(out).join(' ').toStdString(), "p.clut p.map");
    EXPECT_TRUE(readAll(out.filePath("p.map")) == readAll(expected.filePath("p.map")));
    EXPECT_TRUE(readAll(out.filePath("p.clut")) == readAll(expected.filePath("p.clut")));
}

#ifndef _WIN32
namespace {

QStringList hiddenTemporaryFiles(const QTemporaryDir& dir) {
    return entries(dir).filter(QRegularExpression(R"(^\..*\.rastix-.*\.tmp$)"));
}

} // namespace

TEST(SharedOutputs, ARunStoppedWhileItWaitsForThePairLeavesNothingOfItsOwn) {
    QTemporaryDir pictures, out;
    const QString picture = pictureIn(pictures);
    QProcess probe, rastix;
    holdHalfAPair(probe, out.path());
    // The probe's own palette waits under its hidden name: one.
    ASSERT_EQ(hiddenTemporaryFiles(out).size(), 1);
    startRastix(rastix, out.path(), picture);
    // Once its map and palette are complete under hidden names, the run waits for the lock.
    while (hiddenTemporaryFiles(out).size() < 3)
        ASSERT_FALSE(rastix.waitForFinished(5)) << rastix.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(rastix.processId()), SIGTERM);
    ASSERT_TRUE(rastix.waitForFinished(30000));
    EXPECT_EQ(rastix.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(rastix.exitCode(), SIGTERM);
    EXPECT_EQ(hiddenTemporaryFiles(out).size(), 1) << entries(out).join(' ').toStdString();
    finishThePair(probe);
    EXPECT_EQ(entries(out).join(' ').toStdString(), "p.clut p.map");
    EXPECT_EQ(readAll(out.filePath("p.clut")).toStdString(), "new clut");
}
#endif
