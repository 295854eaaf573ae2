#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "catalogue/program_state.h"
#include "catalogue/settings.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// ".avi", ".mp4" from "avi, mp4": items cut at commas, leading blanks skipped, empty items
// dropped, lower-cased. Blanks at the end of an item stay part of it.
std::vector<std::string> BuildExtensionList(std::string_view filter);

// What every worker of a scan reads; fixed when the scan starts.
struct ScanSettings {
    std::array<std::vector<std::string>, 2> extensions; // ExtList1, ExtList2
    std::array<bool, 2> filterSet{};
    std::array<bool, 2> minimumOn{};
    std::array<std::int64_t, 2> minimumSize{}; // MinSize1, MinSize2, in bytes
    std::string decimalSeparator = ".";
};

// The whole number of a minimum-size text in bytes (MB times 1,048,576); 0 when it is none.
std::int64_t minimumSizeBytes(std::string_view text);
ScanSettings makeScanSettings(const std::array<MediaCategory, 2>& media, std::string decimalSeparator);

struct ScanCounters {
    std::atomic<std::int64_t> tooSmall1{0};  // TooSmallCount1
    std::atomic<std::int64_t> tooSmall2{0};  // TooSmallCount2
    std::atomic<std::int64_t> unreadable{0}; // UnreadableSizeCount
    // Folders the walk met but could not enter (refused, too deep or too long for the system).
    std::atomic<std::int64_t> inaccessibleFolders{0};
};

// Category (1 or 2) of a file that is to be listed, 0 when it is not. `size` is asked only when
// the category has a minimum; -1 (unreadable) is below any minimum of 0 or more.
int AcceptFile(std::string_view name, const std::function<std::int64_t()>& size, const ScanSettings& settings,
               ScanCounters& counters);

// The name as a catalogue can store it: characters Windows-1252 lacks, control characters, bytes
// that are no UTF-8 and "\" (a separator of the catalogue's folders) become "?". `altered` tells
// whether that happened.
std::string storableName(std::string_view name, bool& altered);

// "yyyy-mm-dd hh:nn", three blanks, the size text padded to 16 characters, "    >    ", the path.
std::string makeFoundLine(std::string_view modified, std::int64_t size, std::string_view path,
                          std::string_view decimalSeparator);
// The size part of a found line says "N/A".
bool hasUnreadableSize(std::string_view line);

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

// The worker threads of the scans, with the scan that currently owns the found list.
class ScanWorkers {
public:
    ScanWorkers() = default;
    ~ScanWorkers();
    ScanWorkers(const ScanWorkers&) = delete;
    ScanWorkers& operator=(const ScanWorkers&) = delete;

    const std::shared_ptr<ScanRun>& current() const { return m_current; }
    void setCurrent(std::shared_ptr<ScanRun> run) { m_current = std::move(run); }
    // The current scan is stopped and loses the found list: what its workers still hand over is dropped.
    void abandonCurrent();

    void launch(Ui& ui, std::function<void()> body);
    // Stops every scan and waits for all workers, running their hand-offs meanwhile.
    void stopAndWait();
    std::size_t liveWorkers() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void reap();

    std::shared_ptr<ScanRun> m_current;
    std::vector<std::shared_ptr<ScanRun>> m_abandoned;
    std::vector<Worker> m_workers;
    Ui* m_ui = nullptr;
};

// How workers hand their lines over: what a worker found during `batchDelay` goes at once, so
// the list and its view change a few times a second however fast files come; `batchLines`
// only bounds what a worker holds.
struct ScanTuning {
    std::size_t batchLines = 1 << 16;
    std::chrono::milliseconds batchDelay{50};
};

// "3- lister les médias des répertoires cochés  ==> ", with the media categories of the catalogue.
void BitBtn_lister_mediaClick(ProgramState& program, CollectionState& state, Ui& ui);
// One worker per selected folder.
void StartScans(CollectionState& state, Ui& ui, const std::shared_ptr<ScanRun>& run);
// User-interface thread: one found line into the sorted found list.
void AddFoundLine(CollectionState& state, std::string line);
// User-interface thread: a worker's batch of found lines into the sorted found list at once.
void AddFoundLines(CollectionState& state, std::vector<std::string> lines);
// User-interface thread, at the end of each worker; the last one shows the summary.
void FinishScan(CollectionState& state, Ui& ui, ScanRun& run);
// The end of a scan that no longer owns the found list: the pointer, the status, the N/A panel and
// the summary message.
void SummarizeScan(CollectionState& state, Ui& ui, ScanRun& run);
// "stop (Esc) " and the Escape key. Each scan has its own stop flag, which its workers read: the
// program-wide ScanStopRequested is set as well but never cleared under a running worker.
void Button2Click(ProgramState& program, CollectionState& state, Ui& ui);

// A scan runs and no stop was asked: the drive table, the folder lists and the scan button are
// locked, and adding to the global list waits.
bool scanLocked(const CollectionState& state);
// A scan still running or stopping loses the found list: its workers wind down unheard.
void abandonScan(CollectionState& state, Ui& ui);

} // namespace verdan
