#include "platform/volume_info.h"
#include "platform/wide_win.h"

namespace verdan::platform {

using win::narrow;
using win::widen;

std::optional<VolumeInfo> queryVolume(const std::string& root) {
    const std::wstring wroot = widen(root);
    VolumeInfo info;
    info.driveType = static_cast<int>(::GetDriveTypeW(wroot.c_str()));
    if (info.driveType == DRIVE_UNKNOWN || info.driveType == DRIVE_NO_ROOT_DIR) return std::nullopt;

    // A volume whose name cannot be read is still listed when its space can be.
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (::GetVolumeInformationW(wroot.c_str(), label, MAX_PATH + 1, &serial, nullptr, nullptr, fileSystem,
                                MAX_PATH + 1)) {
        info.label = narrow(label);
        info.fileSystem = narrow(fileSystem);
        info.serial = serialText(serial);
    }

    ULARGE_INTEGER freeToCaller{}, total{};
    if (!::GetDiskFreeSpaceExW(wroot.c_str(), &freeToCaller, &total, nullptr)) return std::nullopt;
    info.freeBytes = static_cast<std::int64_t>(freeToCaller.QuadPart);
    info.totalBytes = static_cast<std::int64_t>(total.QuadPart);
    return info;
}

} // namespace verdan::platform
