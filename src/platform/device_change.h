#pragma once
#include <cstdint>

// Drive arrivals and removals as the system tells them.
namespace verdan::platform {

enum class DeviceChange { Neither, Arrived, Removed };

// A window message of Windows (number, wParam, lParam): WM_DEVICECHANGE with a device arrival
// (0x8000) or a completed removal (0x8004) whose lParam holds the device's header. Any kind of
// device counts, since a drive may come with it. Neither on systems without such messages.
DeviceChange decodeDeviceChange(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
// The same of a message as the event loop hands it over (a MSG on Windows).
DeviceChange deviceChangeOfNativeMessage(const void* message);

// Linux: a descriptor on the mount table that polls as an exception (POLLPRI) on every mount
// change; -1 where changes come as window messages instead, or the table cannot be opened.
int openMountTableWatch();
// Reads the table to its end, which re-arms the notification.
void drainMountTableWatch(int fd);
void closeMountTableWatch(int fd);

} // namespace verdan::platform
