#include "platform/drives.h"
#include "platform/volume_info.h"
#include "platform/wide_win.h"

namespace verdan::platform {

namespace {

DriveInfo query(const std::string& root) {
    DriveInfo info;
    info.root = root;
    // No "insert a disk" box for an empty drive: the survey must never wait on the user.
    const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const std::optional<VolumeInfo> volume = queryVolume(root);
    const UINT type =
        volume ? static_cast<UINT>(volume->driveType) : ::GetDriveTypeW(win::widen(root).c_str());
    ::SetErrorMode(previousMode);
    info.typeCode = type <= 6 ? static_cast<int>(type) : kDriveUnknown;
    if (!volume) return info;
    info.label = volume->label;
    info.fileSystem = volume->fileSystem;
    info.serial = volume->serial;
    info.freeBytes = volume->freeBytes;
    info.totalBytes = volume->totalBytes;
    info.ok = true;
    return info;
}

class WinDriveProvider : public DriveProvider {
public:
    std::vector<DriveInfo> listDrives() override {
        std::vector<DriveInfo> drives;
        const DWORD mask = ::GetLogicalDrives();
        for (int bit = 0; bit < 26; ++bit) {
            if (!(mask & (1u << bit))) continue;
            std::string root = std::string(1, static_cast<char>('A' + bit)) + ":\\";
            drives.push_back(query(root));
        }
        return drives;
    }

    DriveInfo queryDisk(const std::string& root) override { return query(root); }
};

} // namespace

std::unique_ptr<DriveProvider> makeSystemDriveProvider() {
    return std::make_unique<WinDriveProvider>();
}

} // namespace verdan::platform
