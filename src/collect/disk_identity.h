#pragma once
#include <cstdint>
#include <string>

namespace verdan {

// What QueryDisk tells of one drive.
struct DiskIdentity {
    std::string label;
    std::string fileSystem;
    std::string serial;
    std::string typeText = "Inconnu";
    std::int64_t freeBytes = -1;
    std::int64_t totalBytes = -1;
    bool ok = false;
};

} // namespace verdan
