#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/mountinfo.h"

#include <algorithm>

using namespace verdan::platform;

namespace {

std::vector<MountEntry> captured(const std::string& name) {
    std::string text;
    EXPECT_EQ(readWholeFile(std::string(VERDAN_TEST_DATA) + "/mountinfo/" + name, text), ReadStatus::Ok);
    return parseMountInfo(text);
}

std::vector<std::string> mountPoints(const std::vector<MountEntry>& mounts) {
    std::vector<std::string> out;
    for (const auto& m : mounts) out.push_back(m.mountPoint);
    return out;
}

const MountEntry& at(const std::vector<MountEntry>& mounts, const std::string& point) {
    auto it = std::find_if(mounts.begin(), mounts.end(),
                           [&](const MountEntry& m) { return m.mountPoint == point; });
    EXPECT_NE(it, mounts.end()) << point;
    return *it;
}

} // namespace

TEST(MountEscapes, OctalEscapesAreDecoded) {
    EXPECT_EQ(decodeMountEscapes("/media/anna/MY\\040FILMS"), "/media/anna/MY FILMS");
    EXPECT_EQ(decodeMountEscapes("a\\011b\\012c\\134d"), "a\tb\nc\\d");
    // Incomplete or non-octal escapes stay as they are.
    EXPECT_EQ(decodeMountEscapes("x\\04"), "x\\04");
    EXPECT_EQ(decodeMountEscapes("x\\089"), "x\\089");
    EXPECT_EQ(decodeMountEscapes("fin\\040"), "fin ");
}

TEST(MountInfoParse, ReadsEveryFieldAcrossOptionalTags) {
    auto mounts = captured("desktop.txt");
    ASSERT_EQ(mounts.size(), 23u);
    const auto& usb = at(mounts, "/media/anna/MY FILMS");
    EXPECT_EQ(usb.id, 60);
    EXPECT_EQ(usb.parentId, 29);
    EXPECT_EQ(usb.major, 8u);
    EXPECT_EQ(usb.minor, 17u);
    EXPECT_EQ(usb.root, "/");
    EXPECT_EQ(usb.fileSystem, "exfat");
    EXPECT_EQ(usb.source, "/dev/sdb1");
    EXPECT_EQ(at(mounts, "/mnt/nas").source, "nas.local:/volume1/video");
}

TEST(MountInfoParse, SkipsMalformedLines) {
    auto mounts = parseMountInfo("garbage\n"
                                 "12 1 8:1 / /ok rw - ext4 /dev/sda1 rw\n"
                                 "13 1 8:x / /bad rw - ext4 /dev/sda2 rw\n"
                                 "14 1 8:3 / /nodash rw ext4 /dev/sda3 rw\n"
                                 "15 1 8:4 / /short rw -\n"
                                 "\n"
                                 "16 1 8:5 / /no-newline rw - ext4 /dev/sda5 rw");
    EXPECT_EQ(mountPoints(mounts), (std::vector<std::string>{"/ok", "/no-newline"}));
}

TEST(DriveMounts, DesktopKeepsRealVolumesInMountPointOrder) {
    auto drives = selectDriveMounts(captured("desktop.txt"));
    EXPECT_EQ(mountPoints(drives), (std::vector<std::string>{"/", "/boot/efi", "/home/anna/remote",
                                                             "/media/anna/DVD_VIDEO", "/media/anna/MY FILMS",
                                                             "/media/anna/Sauvegarde", "/mnt/nas", "/tmp"}));
}

TEST(DriveMounts, BtrfsSubvolumesAreNoBindMounts) {
    auto drives = selectDriveMounts(captured("btrfs.txt"));
    // The subvolume at / and /home stay; a folder of /home bound elsewhere goes; /run/media stays.
    EXPECT_EQ(mountPoints(drives),
              (std::vector<std::string>{"/", "/boot", "/home", "/run/media/anna/CLÉ USB"}));
}

TEST(DriveMounts, ContainerOffersItsRootOnly) {
    auto drives = selectDriveMounts(captured("container.txt"));
    ASSERT_EQ(mountPoints(drives), (std::vector<std::string>{"/"}));
    EXPECT_EQ(drives[0].fileSystem, "overlay");
}

TEST(DriveMounts, TheTopMountOfAPointWins) {
    auto drives = selectDriveMounts(parseMountInfo("20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                                   "30 20 8:17 / /media/x rw - vfat /dev/sdb1 rw\n"
                                                   "31 20 8:33 / /media/x rw - exfat /dev/sdc1 rw\n"));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].source, "/dev/sdc1");
}

TEST(DriveMounts, RootIsListedWhateverItIs) {
    auto drives = selectDriveMounts(parseMountInfo("20 1 0:99 /sub / rw - squashfs /dev/loop0 ro\n"));
    EXPECT_EQ(mountPoints(drives), (std::vector<std::string>{"/"}));
}

TEST(MountHolding, FindsTheClosestMountOfAPath) {
    auto mounts = captured("desktop.txt");
    EXPECT_EQ(mountHolding(mounts, "/media/anna/MY FILMS/films/a.avi")->source, "/dev/sdb1");
    EXPECT_EQ(mountHolding(mounts, "/media/anna/MY FILMSX")->mountPoint, "/");
    EXPECT_EQ(mountHolding(mounts, "/home/anna")->mountPoint, "/");
    EXPECT_EQ(mountHolding(mounts, "relative"), nullptr);
}

TEST(DriveTypeCode, ByFileSystemSourceAndRemovableFlag) {
    EXPECT_EQ(driveTypeCode("tmpfs", "tmpfs", false), 6);
    EXPECT_EQ(driveTypeCode("ramfs", "none", false), 6);
    EXPECT_EQ(driveTypeCode("nfs4", "nas:/v", false), 4);
    EXPECT_EQ(driveTypeCode("cifs", "//nas/v", false), 4);
    EXPECT_EQ(driveTypeCode("fuse.sshfs", "a@b:/", false), 4);
    EXPECT_EQ(driveTypeCode("iso9660", "/dev/loop1", false), 5);
    EXPECT_EQ(driveTypeCode("udf", "/dev/sr0", true), 5);
    EXPECT_EQ(driveTypeCode("vfat", "/dev/sr1", false), 5);
    EXPECT_EQ(driveTypeCode("exfat", "/dev/sdb1", true), 2);
    EXPECT_EQ(driveTypeCode("ext4", "/dev/nvme0n1p2", false), 3);
}
