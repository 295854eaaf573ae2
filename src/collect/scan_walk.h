#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "collect/scan_rules.h"

namespace verdan {

// One scan: its settings, its stop flag and its counters, shared by its workers only, so that the
// workers of an earlier scan never reach a later one.
struct ScanRun {
    ScanSettings settings;
    // The chosen drive's root. A catalogue stores paths below it only, so its own characters never
    // make a name unstorable (a Linux mount point may be named after a Cyrillic label).
    std::string driveRoot;
    std::atomic<bool> stopRequested{false}; // ScanStopRequested
    ScanCounters counters;
    std::uint32_t startTick = 0; // ScanStartTick
    // User-interface thread only.
    int workers = 0;
    int finished = 0; // FinishedScans
};

// Walks the folder depth first and hands every accepted file's found line to `found`. Folders
// named "Windows", "Program Files" and "System Volume Information" (exactly) are skipped; links
// are never followed and no other mounted file system is entered. Stops at the next entry once a
// stop is requested.
void ScanFolder(const std::string& folder, ScanRun& run, const std::function<void(std::string&&)>& found);

} // namespace verdan
