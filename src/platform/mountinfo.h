#pragma once
#include <string>
#include <string_view>
#include <vector>

// The Linux mount table (/proc/self/mountinfo) as text, and which of its mounts are drives.
// Pure text handling, so that it is tested on captured tables on every system.
namespace verdan::platform {

struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root; // the part of the file system seen at the mount point
    std::string mountPoint;
    std::string fileSystem; // "ext4", "fuse.sshfs"
    std::string source;     // "/dev/sdb1", "server:/share", "tmpfs"
    std::string superOptions;
};

// Octal escapes of the table (\040 blank, \011 tab, \012 line feed, \134 backslash) decoded.
std::string decodeMountEscapes(std::string_view field);

// Malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Kernel and container file systems that hold no user files.
bool isPseudoFileSystem(std::string_view fileSystem);

// The mounts offered as drives, ordered by mount point: no pseudo file systems, no system
// folders (/proc, /sys, /dev, /run except /run/media), no bind mounts or second mounts of the
// same file system, only the top mount where several share a mount point; "/" always.
std::vector<MountEntry> selectDriveMounts(const std::vector<MountEntry>& mounts);

// The mount whose mount point holds `path` most closely; null when none does.
const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, std::string_view path);

// Drive type code (2 removable, 3 fixed, 4 network, 5 optical, 6 RAM disk) from the file system,
// the source and whether the source's disk is removable.
int driveTypeCode(std::string_view fileSystem, std::string_view source, bool removable);

} // namespace verdan::platform
