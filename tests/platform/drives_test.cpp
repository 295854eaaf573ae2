#include <gtest/gtest.h>

#include "platform/drives.h"

#include <algorithm>

using namespace verdan::platform;

TEST(DriveRoot, WindowsUpperCasesAndAddsTheBackslash) {
    EXPECT_EQ(windowsDriveRoot("d:"), "D:\\");
    EXPECT_EQ(windowsDriveRoot("D:\\"), "D:\\");
    EXPECT_EQ(windowsDriveRoot("e:\\"), "E:\\");
    EXPECT_EQ(windowsDriveRoot("d:x"), "D:X");
}

TEST(DriveRoot, PosixDropsTrailingSlashesButKeepsRoot) {
    EXPECT_EQ(posixDriveRoot("/media/anna/FILMS/"), "/media/anna/FILMS");
    EXPECT_EQ(posixDriveRoot("/media/anna/FILMS"), "/media/anna/FILMS");
    EXPECT_EQ(posixDriveRoot("/"), "/");
    EXPECT_EQ(posixDriveRoot("//"), "/");
}

#ifndef _WIN32
TEST(SystemDrives, RootIsListedWithItsSpace) {
    auto provider = makeSystemDriveProvider();
    auto drives = provider->listDrives();
    auto root = std::find_if(drives.begin(), drives.end(), [](const DriveInfo& d) { return d.root == "/"; });
    ASSERT_NE(root, drives.end());
    EXPECT_TRUE(root->ok);
    EXPECT_GT(root->totalBytes, 0);
    EXPECT_GE(root->freeBytes, 0);
    EXPECT_EQ(root->serial.size(), 8u);
    EXPECT_EQ(root->serial.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                               [](const DriveInfo& a, const DriveInfo& b) { return a.root < b.root; }));
    for (const auto& d : drives) EXPECT_NE(d.root.rfind("/proc", 0), 0u) << d.root;
}

TEST(SystemDrives, QueryOfAFolderGivesItsVolumeAndOfNothingFails) {
    auto provider = makeSystemDriveProvider();
    DriveInfo root = provider->queryDisk("/");
    DriveInfo tmp = provider->queryDisk("/proc");
    EXPECT_TRUE(root.ok);
    EXPECT_TRUE(tmp.ok);
    EXPECT_EQ(tmp.fileSystem, "proc");
    DriveInfo none = provider->queryDisk("/nonexistent/verdan");
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.typeCode, kDriveNoRoot);
}

#endif
