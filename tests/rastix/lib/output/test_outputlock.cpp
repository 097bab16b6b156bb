#include "folderfiles.h"
#include "output/outputlock.h"

#include <gtest/gtest.h>

using namespace rastix;

TEST(OutputLock, OneHolderForEachSetOfOutputs) {
    QTemporaryDir dir;
    const auto at = [&](const char* name) {
        return dir.filePath(name).toStdString();
    };
    OutputLock map(at("p.map"));
    OutputLock clut(at("p.clut")); // the same set, as another run would take it
    OutputLock other(at("q.map"));
    ASSERT_TRUE(map.tryLock());
    EXPECT_FALSE(clut.tryLock());
    EXPECT_TRUE(other.tryLock());
    EXPECT_EQ(entries(dir).join(' ').toStdString(), ".p.rastix-lock .q.rastix-lock");
    map.unlock();
    other.unlock();
    // Gone once let go, and free for the next.
    EXPECT_EQ(entries(dir).join(' ').toStdString(), "");
    EXPECT_TRUE(clut.tryLock());
    EXPECT_FALSE(map.tryLock());
    clut.unlock();
    EXPECT_TRUE(map.lock());
    map.unlock();
    EXPECT_EQ(entries(dir).join(' ').toStdString(), "");
}

TEST(OutputLock, ALeftoverFileIsTakenAndRemoved) {
    // What a run killed outright while it took the lock may leave.
    QTemporaryDir dir;
    QFile leftover(dir.filePath(".p.rastix-lock"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    OutputLock lock(dir.filePath("p.map").toStdString());
    ASSERT_TRUE(lock.tryLock());
    lock.unlock();
    EXPECT_EQ(entries(dir).join(' ').toStdString(), "");
}

TEST(OutputLock, ALongNameKeepsItsLockBesideIt) {
#ifdef _WIN32
    GTEST_SKIP() << "a temporary folder and a name of 255 bytes pass the 260 of MAX_PATH";
#endif
    QTemporaryDir dir;
    const std::string base(250, 'n');
    OutputLock first(dir.filePath(QString::fromStdString(base + ".clut")).toStdString());
    OutputLock second(dir.filePath(QString::fromStdString(base + ".map")).toStdString());
    ASSERT_TRUE(first.tryLock());
    EXPECT_EQ(first.path().filename().string().size(), 255U);
    EXPECT_FALSE(second.tryLock());
}
