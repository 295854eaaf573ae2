#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The drives present on the machine and the identity of their volumes.
namespace verdan::platform {

// Drive type codes, as Windows numbers them.
enum DriveTypeCode : int {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

struct DriveInfo {
    std::string root;  // "D:\" on Windows, the mount point on Linux
    std::string label; // empty when unreadable or absent
    std::string fileSystem;
    std::string serial; // 8 upper-case hexadecimal digits; empty when unreadable
    int typeCode = kDriveUnknown;
    std::int64_t freeBytes = -1; // available to the calling user
    std::int64_t totalBytes = -1;
    bool ok = false; // the disk space could be read
};

class DriveProvider {
public:
    virtual ~DriveProvider() = default;
    // Every candidate drive in drive order, queried; those that cannot be used have ok false.
    virtual std::vector<DriveInfo> listDrives() = 0;
    // One drive by its root as returned by nativeDriveRoot.
    virtual DriveInfo queryDisk(const std::string& root) = 0;
};

// The drives of the running system.
std::unique_ptr<DriveProvider> makeSystemDriveProvider();

// The root a drive text names: on Windows upper case, with "\" added to "d:"; on Linux the path
// without a trailing "/".
std::string windowsDriveRoot(const std::string& text);
std::string posixDriveRoot(const std::string& text);
std::string nativeDriveRoot(const std::string& text);

} // namespace verdan::platform
