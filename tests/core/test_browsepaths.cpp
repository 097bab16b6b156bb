#include "browsepaths.h"

#include <gtest/gtest.h>

using namespace glyphmill;

TEST(VolumeHolding, LongestWholeComponentMountPointWins) {
    const std::vector<std::string> volumes = {"/", "/home", "/home/user/usb", "/media/cd"};
    EXPECT_EQ(volumeHolding("/home/user/pics/a.bmp", volumes, '/'), "/home");
    EXPECT_EQ(volumeHolding("/home", volumes, '/'), "/home");
    EXPECT_EQ(volumeHolding("/homework/x", volumes, '/'), "/");
    EXPECT_EQ(volumeHolding("/home/user/usb/a", volumes, '/'), "/home/user/usb");
    EXPECT_EQ(volumeHolding("/media/cdrom", volumes, '/'), "/");
    EXPECT_EQ(volumeHolding("relative/path", volumes, '/'), "");
    EXPECT_EQ(volumeHolding("/x", {}, '/'), "");
}

TEST(VolumeHolding, DriveLettersIgnoreCase) {
    const std::vector<std::string> volumes = {"a:", "c:", "d:"};
    EXPECT_EQ(volumeHolding("C:\\pics\\a.bmp", volumes, '\\'), "c:");
    EXPECT_EQ(volumeHolding("d:", volumes, '\\'), "d:");
    EXPECT_EQ(volumeHolding("e:\\x", volumes, '\\'), "");
    EXPECT_EQ(volumeHolding("c:pics", volumes, '\\'), "");
}

TEST(VolumeRootFolder, DrivesGetTheirRoot) {
    EXPECT_EQ(volumeRootFolder("c:", '\\'), "c:\\");
    EXPECT_EQ(volumeRootFolder("/media/cd", '/'), "/media/cd");
    EXPECT_EQ(volumeRootFolder("/", '/'), "/");
}

TEST(JoinPath, OneSeparatorBetween) {
    EXPECT_EQ(joinPath("/pics", "a.bmp", '/'), "/pics/a.bmp");
    EXPECT_EQ(joinPath("/", "a.bmp", '/'), "/a.bmp");
    EXPECT_EQ(joinPath("c:\\", "a.bmp", '\\'), "c:\\a.bmp");
    EXPECT_EQ(joinPath("c:\\pics", "a.bmp", '\\'), "c:\\pics\\a.bmp");
}

TEST(NameAfterLastSeparator, BareNames) {
    EXPECT_EQ(nameAfterLastSeparator("C:\\pics\\a.bmp", '\\'), "a.bmp");
    EXPECT_EQ(nameAfterLastSeparator("/pics/a.bmp", '/'), "a.bmp");
    EXPECT_EQ(nameAfterLastSeparator("a.bmp", '/'), "a.bmp");
    EXPECT_EQ(nameAfterLastSeparator("/pics/", '/'), "");
}

TEST(FolderOfDroppedItem, FileGoesToItsFolderAndFolderStays) {
    EXPECT_EQ(folderOfDroppedItem("C:\\pics\\a.bmp", false, '\\'), "C:\\pics");
    EXPECT_EQ(folderOfDroppedItem("C:\\pics", true, '\\'), "C:\\pics");
    EXPECT_EQ(folderOfDroppedItem("/home/u/a.bmp", false, '/'), "/home/u");
    EXPECT_EQ(folderOfDroppedItem("/home/u", true, '/'), "/home/u");
}

TEST(FolderOfDroppedItem, FileInARootGivesTheRoot) {
    EXPECT_EQ(folderOfDroppedItem("/a.bmp", false, '/'), "/");
    EXPECT_EQ(folderOfDroppedItem("C:\\a.bmp", false, '\\'), "C:\\");
    EXPECT_EQ(folderOfDroppedItem("a.bmp", false, '/'), "");
}

TEST(TargetDirForDroppedItem, FolderAndFileGiveTheSameFolder) {
    EXPECT_EQ(targetDirForDroppedItem("C:\\pics\\a.bmp", false, '\\'), "C:\\pics\\");
    EXPECT_EQ(targetDirForDroppedItem("C:\\pics", true, '\\'), "C:\\pics\\");
    EXPECT_EQ(targetDirForDroppedItem("C:\\", true, '\\'), "C:\\");
    EXPECT_EQ(targetDirForDroppedItem("/tmp/out", true, '/'), "/tmp/out/");
    EXPECT_EQ(targetDirForDroppedItem("/tmp/out/b.gif", false, '/'), "/tmp/out/");
}
