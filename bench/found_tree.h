#pragma once
// The disk of the adding and refresh figures: 100,000 sparse media files in 1,000 folders, made
// once under a work folder, and the same disk with 1 % of its files changed.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace verdan::bench {

constexpr int kFoundFolders = 1000, kFilesPerFolder = 100;

inline std::string foundPath(const std::string& drive, int folder, int file) {
    return drive + "/films/" + std::to_string(folder) + "/Vidéo n°" + std::to_string(folder) + "-" +
           std::to_string(file) + " (VOSTFR).avi";
}

// Sparse files, so that a tree of terabytes takes no room.
inline void makeFoundTree(const std::string& drive) {
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

// One change in a hundred, a quarter of each kind: the file at `k` of 400 is gone (0), renamed in
// its folder (1), grown by 10 MB (2), or joined by a new file beside it (3).
enum class Change { None, Gone, Renamed, Grown, NewBeside };
inline Change changeOf(int folder, int file) {
    const int k = (folder * kFilesPerFolder + file) % 400;
    return k < 4 ? static_cast<Change>(k + 1) : Change::None;
}
inline std::string renamedPath(const std::string& drive, int folder, int file) {
    return drive + "/films/" + std::to_string(folder) + "/Vidéo n°" + std::to_string(folder) + "-" +
           std::to_string(file) + " (VF).avi";
}
inline std::string newPath(const std::string& drive, int folder, int file) {
    return drive + "/films/" + std::to_string(folder) + "/Nouveau " + std::to_string(folder) + "-" +
           std::to_string(file) + ".avi";
}
constexpr std::uintmax_t kGrowth = 64ULL << 20;

// Makes the changes on disk, or takes them back; a run stopped half-way is taken back first.
inline void changeFoundTree(const std::string& drive, bool apply) {
    namespace fs = std::filesystem;
    const std::string marker = drive + "/.changed";
    if (apply && fs::exists(marker)) changeFoundTree(drive, false);
    if (!apply && !fs::exists(marker)) return;
    if (apply) std::ofstream(marker).flush();
    for (int f = 0; f < kFoundFolders; ++f) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const std::string path = foundPath(drive, f, i);
            switch (changeOf(f, i)) {
            case Change::None:
                break;
            case Change::Gone:
                // Kept aside under another extension, which the scan skips.
                fs::rename(apply ? path : path + ".parti", apply ? path + ".parti" : path);
                break;
            case Change::Renamed:
                fs::rename(apply ? path : renamedPath(drive, f, i), apply ? renamedPath(drive, f, i) : path);
                break;
            case Change::Grown:
                fs::resize_file(path, apply ? fs::file_size(path) + kGrowth : fs::file_size(path) - kGrowth);
                break;
            case Change::NewBeside:
                if (apply) {
                    std::ofstream(newPath(drive, f, i), std::ios::binary).flush();
                    fs::resize_file(newPath(drive, f, i), 5ULL << 20);
                } else {
                    fs::remove(newPath(drive, f, i));
                }
                break;
            }
        }
    }
    if (!apply) fs::remove(marker);
}

} // namespace verdan::bench
