#include "platform/drives.h"
#include "platform/volume_serial.h"
#include "platform/wide_win.h"

namespace verdan::platform {

namespace {

DriveInfo query(const std::string& root) {
    DriveInfo info;
    info.root = root;
    const std::wstring wroot = win::widen(root);
    const UINT type = ::GetDriveTypeW(wroot.c_str());
    info.typeCode = type <= 6 ? static_cast<int>(type) : kDriveUnknown;
    if (info.typeCode < kDriveRemovable) return info;

    // No "insert a disk" box for an empty drive: the survey must never wait on the user.
    const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t name[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (::GetVolumeInformationW(wroot.c_str(), name, MAX_PATH + 1, &serial, nullptr, nullptr, fileSystem,
                                MAX_PATH + 1)) {
        info.label = win::narrow(name);
        info.fileSystem = win::narrow(fileSystem);
        info.serial = hex8(serial);
    }
    ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
    if (::GetDiskFreeSpaceExW(wroot.c_str(), &freeToCaller, &total, &totalFree)) {
        info.freeBytes = static_cast<std::int64_t>(freeToCaller.QuadPart);
        info.totalBytes = static_cast<std::int64_t>(total.QuadPart);
        info.ok = true;
    }
    ::SetErrorMode(previousMode);
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

// Windows reports device changes to the window as messages; there is no handle to watch.
DriveChangeWatch::DriveChangeWatch() = default;
DriveChangeWatch::~DriveChangeWatch() = default;
bool DriveChangeWatch::waitForChange(int) {
    return false;
}

} // namespace verdan::platform
