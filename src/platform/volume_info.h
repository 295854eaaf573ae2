#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What the system tells about the volume mounted at a root: its identity and its space.
namespace verdan::platform {

struct VolumeInfo {
    std::string label;      // empty when the volume information is unreadable or there is none
    std::string fileSystem; // "NTFS", "FAT32", "CDFS", ...; empty when unreadable
    std::string serial;     // 8 upper-case hex digits; empty when unreadable
    int driveType = 0;      // the Windows drive type code: 2 removable, 3 fixed, 4 network, 5 optical, 6 RAM
    std::int64_t freeBytes = -1;  // free to the calling user, quotas included
    std::int64_t totalBytes = -1; // as seen by the calling user
};

// The volume at `root` ("D:\" on Windows, a mount point on POSIX). Nothing when the root does
// not exist, its type cannot be determined or its space cannot be read (an empty optical drive).
// On POSIX only the space is known here (label, file system and serial stay empty, the type 0):
// the mount table tells the rest.
std::optional<VolumeInfo> queryVolume(const std::string& root);

// A 32-bit volume serial as Windows shows it, without the dash: "0A1B2C3D".
std::string serialText(std::uint32_t serial);

} // namespace verdan::platform
