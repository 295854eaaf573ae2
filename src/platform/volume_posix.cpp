#include "platform/volume_info.h"

#include <cerrno>
#include <sys/statvfs.h>

namespace verdan::platform {

std::optional<VolumeInfo> queryVolume(const std::string& root) {
    struct statvfs st {};
    int rc;
    do {
        rc = ::statvfs(root.c_str(), &st);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return std::nullopt;
    VolumeInfo info;
    // f_bavail, not f_bfree: the blocks reserved for root are not the user's to fill.
    info.freeBytes = static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
    info.totalBytes = static_cast<std::int64_t>(st.f_blocks) * static_cast<std::int64_t>(st.f_frsize);
    return info;
}

} // namespace verdan::platform
