// Times one operation on a list file and prints "seconds=... hwm_kb=... rows=..." for scripts/bench.
// Usage: verdan_list_bench idle|load|write|index|reindex|add LIST_FILE WORK_FOLDER
// "add" appends 100,000 found lines of real files (made once under WORK_FOLDER/drive) to the list
// indexed at idx2, as "4- rajouter dans la liste globale" does.
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
#include "collect/scan.h"
#include "platform/system.h"
#include "support/answering_ui.h"
#include "util/error.h"

namespace {

using verdan::test::AnsweringUi;

// Peak resident memory of this process (Linux).
long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

constexpr int kFoundFolders = 1000, kFilesPerFolder = 100;

std::string foundPath(const std::string& drive, int folder, int file) {
    return drive + "/films/" + std::to_string(folder) + "/Vidéo n°" + std::to_string(folder) + "-" +
           std::to_string(file) + " (VOSTFR).avi";
}

// The files to be found: sparse, so that a tree of terabytes takes no room.
void makeFoundTree(const std::string& drive) {
    namespace fs = std::filesystem;
    if (fs::exists(drive + "/.complete")) return;
    fs::remove_all(drive);
    std::uint64_t seed = 88172645463325252ULL;
    for (int f = 0; f < kFoundFolders; ++f) {
        fs::create_directories(drive + "/films/" + std::to_string(f));
        for (int i = 0; i < kFilesPerFolder; ++i) {
            seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
            const std::string path = foundPath(drive, f, i);
            std::ofstream(path, std::ios::binary).flush();
            fs::resize_file(path, 1048576 + seed % (4ULL << 30));
        }
    }
    std::ofstream(drive + "/.complete").flush();
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s idle|load|write|index|reindex|add LIST_FILE WORK_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1], path = argv[2], work = argv[3];
    if (mode == "idle") {
        std::printf("seconds=0 hwm_kb=%ld rows=0\n", peakResidentKb());
        return 0;
    }
    if (mode == "add") {
        try {
            AnsweringUi ui;
            verdan::ProgramState program;
            verdan::GlobalListState& form2 = program.globalList;
            // The list as the program's start leaves it: read, its keys and its disk list made.
            verdan::loadIndexedList(form2, path, 1, false, true, ui, work);
            const std::string drive = work + "/drive";
            makeFoundTree(drive);
            verdan::CollectionState state(program.drives);
            const int row = state.drives.addRow();
            state.drives.setCell(row, 0, drive);
            state.drives.setCurrentRow(row);
            const std::string separator = verdan::platform::decimalSeparator();
            for (int f = 0; f < kFoundFolders; ++f) {
                for (int i = 0; i < kFilesPerFolder; ++i)
                    state.found.insert(verdan::makeFoundLine("2021-06-15 20:45", 734003200,
                                                             foundPath(drive, f, i), separator));
            }
            BenchDrives drives;
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
