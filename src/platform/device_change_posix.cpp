#include "platform/device_change.h"

#include <fcntl.h>
#include <unistd.h>

namespace verdan::platform {

DeviceChange decodeDeviceChange(unsigned, std::uintptr_t, std::intptr_t) {
    return DeviceChange::Neither;
}

DeviceChange deviceChangeOfNativeMessage(const void*) {
    return DeviceChange::Neither;
}

int openMountTableWatch() {
    return ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
}

void drainMountTableWatch(int fd) {
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

void closeMountTableWatch(int fd) {
    if (fd >= 0) ::close(fd);
}

} // namespace verdan::platform
