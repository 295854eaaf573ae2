// Times one operation on a list file and prints "seconds=... hwm_kb=... rows=..." for scripts/bench.
// Usage: verdan_list_bench idle|load|write|index|reindex|add|refresh LIST_FILE WORK_FOLDER
// "add" appends 100,000 found lines of real files (made once under WORK_FOLDER/drive) to the list
// indexed at idx2, as "4- rajouter dans la liste globale" does. "refresh" adds them untimed, then
// times "Mettre à jour ce disque" answered Oui after a scan that finds 1 % of them changed.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>

#include "catalogue/index_keys.h"
#include "catalogue/list_file.h"
#include "catalogue/list_load.h"
#include "collect/add_media.h"
#include "collect/collection_state.h"
#include "collect/disk_refresh.h"
#include "collect/scan.h"
#include "found_tree.h"
#include "platform/system.h"
#include "support/answering_ui.h"
#include "util/error.h"

namespace {

using verdan::test::AnsweringUi;
using namespace verdan::bench;

// Peak resident memory of this process (Linux).
long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// The one drive of the collection window, as the system would describe it.
class BenchDrives : public verdan::platform::DriveProvider {
public:
    std::vector<verdan::platform::DriveInfo> listDrives() override { return {}; }
    verdan::platform::DriveInfo queryDisk(const std::string& root) override {
        verdan::platform::DriveInfo d;
        d.root = root;
        d.label = "BANC_ESSAI";
        d.fileSystem = "ext4";
        d.serial = "0BADF00D";
        d.typeCode = verdan::platform::kDriveRemovable;
        d.freeBytes = 123LL << 30;
        d.totalBytes = 2000LL << 30;
        d.ok = true;
        return d;
    }
};

// User and system time of every thread of this process.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The disk's lines as a scan finds them, changed on disk or not.
std::vector<std::string> scannedLines(const std::string& drive, bool changed, const std::string& separator) {
    std::vector<std::string> lines;
    auto line = [&](const std::string& path) {
        lines.push_back(verdan::makeFoundLine("2021-06-15 20:45",
                                              static_cast<std::int64_t>(std::filesystem::file_size(path)),
                                              path, separator));
    };
    for (int f = 0; f < kFoundFolders; ++f) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const Change change = changed ? changeOf(f, i) : Change::None;
            if (change == Change::Gone) continue;
            line(change == Change::Renamed ? renamedPath(drive, f, i) : foundPath(drive, f, i));
            if (change == Change::NewBeside) line(newPath(drive, f, i));
        }
    }
    return lines;
}

// The list as the program's start leaves it (read, its keys and its disk list made) and the
// collection window on the found files' drive.
struct Adding {
    AnsweringUi ui;
    verdan::ProgramState program;
    verdan::CollectionState state{program.drives};
    BenchDrives drives;
    std::string drive;
    std::string separator = verdan::platform::decimalSeparator();

    Adding(const std::string& path, const std::string& work) : drive(work + "/drive") {
        verdan::loadIndexedList(program.globalList, path, 1, false, true, ui, work);
        makeFoundTree(drive);
        const int row = state.drives.addRow();
        state.drives.setCell(row, 0, drive);
        state.drives.setCurrentRow(row);
    }
};

int refresh(const std::string& path, const std::string& work) {
    try {
        Adding adding(path, work);
        auto& [ui, program, state, drives, drive, separator] = adding;
        verdan::GlobalListState& form2 = program.globalList;
        for (std::string& line : scannedLines(drive, false, separator)) state.found.insert(std::move(line));
        verdan::BitBtn_rajout_bdClick(program, state, drives, ui);

        // What a new scan of the whole drive hands over once 1 % of it changed; the disk is put
        // back as it was afterwards.
        verdan::ScannedDisk scan;
        scan.disk = verdan::QueryDisk(drives, drive);
        scan.driveRoot = drive;
        scan.folders = {drive};
        changeFoundTree(drive, true);
        scan.lines = scannedLines(drive, true, separator);
        state.clearFound();
        state.found.insert(scan.lines);
        state.scannedDisk = std::move(scan);
        const std::size_t rowsBefore = form2.table.rowCount() - 1;
        // The comparison alone, which changes nothing, then the whole command.
        verdan::StagingInput input;
        input.disk = state.scannedDisk->disk;
        input.driveText = drive;
        input.level = 1;
        input.decimalSeparator = separator;
        auto start = std::chrono::steady_clock::now();
        const verdan::RefreshPlan plan =
            verdan::planDiskRefresh(form2.table, form2.keys, *state.scannedDisk, state.found, input);
        const double planSeconds = since(start);
        start = std::chrono::steady_clock::now();
        const verdan::RefreshOutcome outcome = verdan::BitBtn_maj_disqueClick(program, state, drives, ui);
        const double seconds = since(start);
        changeFoundTree(drive, false);
        std::printf("seconds=%.4f compare_seconds=%.4f hwm_kb=%ld rows=%zu added=%zu removed=%zu updated=%zu "
                    "unchanged=%zu still_there=%zu\n",
                    seconds, planSeconds, peakResidentKb(), rowsBefore, outcome.added, outcome.removed,
                    outcome.updated, plan.unchanged, plan.stillThere);
    } catch (const verdan::VerdanError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s idle|load|write|index|reindex|add|refresh LIST_FILE WORK_FOLDER\n",
                     argv[0]);
        return 2;
    }
    const std::string mode = argv[1], path = argv[2], work = argv[3];
    if (mode == "idle") {
        std::printf("seconds=0 hwm_kb=%ld rows=0\n", peakResidentKb());
        return 0;
    }
    if (mode == "refresh") return refresh(path, work);
    if (mode == "add") {
        try {
            Adding adding(path, work);
            auto& [ui, program, state, drives, drive, separator] = adding;
            verdan::GlobalListState& form2 = program.globalList;
            for (int f = 0; f < kFoundFolders; ++f) {
                for (int i = 0; i < kFilesPerFolder; ++i)
                    state.found.insert(verdan::makeFoundLine("2021-06-15 20:45", 734003200,
                                                             foundPath(drive, f, i), separator));
            }
            const double cpuBefore = cpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            const verdan::AddOutcome outcome = verdan::BitBtn_rajout_bdClick(program, state, drives, ui);
            const double seconds = since(start);
            std::printf("seconds=%.4f cpu=%.4f hwm_kb=%ld rows=%zu keys=%zu added=%zu\n", seconds,
                        cpuSeconds() - cpuBefore, peakResidentKb(), form2.table.rowCount(), form2.keys.size(),
                        outcome.added);
        } catch (const verdan::VerdanError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    try {
        AnsweringUi ui;
        verdan::GlobalList table;
        auto start = std::chrono::steady_clock::now();
        verdan::lire_liste(table, path, verdan::ListMode::Replace, ui, work);
        double seconds = since(start);
        const long hwm = peakResidentKb();
        verdan::KeySet keys;
        verdan::IndexState state;
        if (mode == "write") {
            start = std::chrono::steady_clock::now();
            verdan::ecrire_liste(table, work + "/written.txt");
            seconds = since(start);
        } else if (mode == "index") {
            start = std::chrono::steady_clock::now();
            verdan::indexer_liste(table, keys, 1, false, state);
            seconds = since(start);
        } else if (mode == "reindex") {
            start = std::chrono::steady_clock::now();
            verdan::reindexer_liste(table, keys, 1, state, ui);
            seconds = since(start);
        } else if (mode != "load") {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
        std::printf("seconds=%.4f hwm_kb=%ld rows=%zu keys=%zu table_kb=%zu keys_kb=%zu\n", seconds, hwm,
                    table.rowCount(), keys.size(), table.memoryUsage() / 1024, keys.memoryUsage() / 1024);
    } catch (const verdan::VerdanError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
