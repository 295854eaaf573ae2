#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "collect/disk_identity.h"
#include "collect/scan_rules.h"

namespace verdan {

class DiskRows;

// One scan: its settings, its stop flag and its counters, shared by its workers only, so that the
// workers of an earlier scan never reach a later one.
struct ScanRun {
    ScanSettings settings;
    // The chosen drive's root. A catalogue stores paths below it only, so its own characters never
    // make a name unstorable (a Linux mount point may be named after a Cyrillic label).
    std::string driveRoot;
    DiskIdentity disk;                      // the drive's disk when the scan started
    std::vector<std::string> folders;       // one a worker, as paths
    std::atomic<bool> stopRequested{false}; // ScanStopRequested
    ScanCounters counters;
    std::uint32_t startTick = 0; // ScanStartTick
    // User-interface thread only.
    // The disk's rows in the list, gathered a slice at each hand-off, for a refresh of the disk.
    std::shared_ptr<DiskRows> rows;
    int workers = 0;
    int finished = 0; // FinishedScans

    // Any worker: a folder, as found lines show it, that the walk did not read to its end (refused,
    // gone, skipped, another file system, left at a stop). A disk refresh compares nothing under it.
    void noteUnread(std::string folder) {
        const std::lock_guard lock(m_unreadMutex);
        m_unread.push_back(std::move(folder));
    }
    std::vector<std::string> unread() const {
        const std::lock_guard lock(m_unreadMutex);
        return m_unread;
    }

private:
    mutable std::mutex m_unreadMutex;
    std::vector<std::string> m_unread;
};

// Walks the folder depth first and hands every accepted file's found line to `found`. Folders
// named "Windows", "Program Files" and "System Volume Information" (exactly) are skipped; links
// are never followed and no other mounted file system is entered. Stops at the next entry once a
// stop is requested. Whatever it leaves unread is noted in the run.
void ScanFolder(const std::string& folder, ScanRun& run, const std::function<void(std::string&&)>& found);

} // namespace verdan
