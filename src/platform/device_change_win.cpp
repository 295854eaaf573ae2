#include "platform/device_change.h"

#include <windows.h>

#include <dbt.h>

namespace verdan::platform {

DeviceChange decodeDeviceChange(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message != WM_DEVICECHANGE) return DeviceChange::Neither;
    if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE) return DeviceChange::Neither;
    // Both events come with a device header; a message without one is not from the system.
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return DeviceChange::Neither;
    return wParam == DBT_DEVICEARRIVAL ? DeviceChange::Arrived : DeviceChange::Removed;
}

DeviceChange deviceChangeOfNativeMessage(const void* message) {
    const MSG* msg = static_cast<const MSG*>(message);
    return decodeDeviceChange(msg->message, msg->wParam, msg->lParam);
}

int openMountTableWatch() {
    return -1;
}

void drainMountTableWatch(int) {}

void closeMountTableWatch(int) {}

} // namespace verdan::platform
