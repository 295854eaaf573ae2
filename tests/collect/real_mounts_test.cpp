// The survey, the scan and the adding on real file systems, mounted in a private mount namespace
// so that the machine never sees them. Linux only, as root; skipped where mounting is refused.
#include <gtest/gtest.h>

#include "catalogue/drive_lookup.h"
#include "catalogue/index_keys.h"
#include "catalogue/list_file.h"
#include "collect/add_media.h"
#include "collect/collection_state.h"
#include "collect/drive_survey.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "platform/drives.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"
#include "util/file_helpers.h"

#include <sys/mount.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace verdan;
using verdan::test::TempFolder;
using verdan::test::ThreadedFakeUi;
namespace fs = std::filesystem;

class RealMounts : public ::testing::Test {
protected:
    TempFolder work;
    ThreadedFakeUi ui;
    ProgramState program;
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(program.drives);
    CollectionState& state = *owned;
    std::unique_ptr<platform::DriveProvider> drives = platform::makeSystemDriveProvider();
    std::vector<std::string> mounted;
    std::uint32_t now = 1000;

    void SetUp() override {
        state.tick = [this] { return now; };
        program.catalogue.params.media[0].extensionFilter = "avi, mkv";
        program.catalogue.params.media[1].extensionFilter = "mp3";
        program.programFolder = work.path();
    }
    void TearDown() override {
        owned.reset(); // stops what still runs
        for (auto it = mounted.rbegin(); it != mounted.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
    }

    // The refusal ends the child past every destructor: what the test made would stay behind.
    [[noreturn]] void refuse(const std::string& why) {
        for (auto it = mounted.rbegin(); it != mounted.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
        std::error_code ec;
        fs::remove_all(work.path(), ec);
        test::refuseMounting(why);
    }
    std::string folder(const std::string& path) {
        fs::create_directories(path);
        return path;
    }
    void file(const std::string& path, const std::string& bytes = "abc") {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // tmpfs serials come from their source name: each gets its own.
    std::string mountTmpfs(const std::string& path, const std::string& source) {
        folder(path);
        if (::mount(source.c_str(), path.c_str(), "tmpfs", 0, "size=16m") != 0) refuse("tmpfs at " + path);
        mounted.push_back(path);
        return path;
    }
    std::string mountExt4(const std::string& path, const std::string& label) {
        const std::string image = work.file("disk.img");
        folder(path);
        std::ofstream(image).close();
        fs::resize_file(image, 16 << 20);
        if (std::system(("mkfs.ext4 -q -F -L '" + label + "' '" + image + "' 2>&1").c_str()) != 0)
            refuse("no mkfs.ext4 (e2fsprogs)");
        if (std::system(("mount -o loop '" + image + "' '" + path + "' 2>&1").c_str()) != 0)
            refuse("loop mount of an ext4 image");
        mounted.push_back(path);
        return path;
    }
    void bind(const std::string& from, const std::string& to) {
        folder(to);
        if (::mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) != 0) refuse("bind mount at " + to);
        mounted.push_back(to);
    }

    int rowOf(const std::string& mountPoint) const {
        for (int r = 1; r < state.drives.rowCount(); ++r)
            if (state.drives.cell(r, 0) == mountPoint) return r;
        return 0;
    }
    void choose(const std::string& mountPoint) {
        RefreshDrives(state, *drives, ui);
        const int row = rowOf(mountPoint);
        ASSERT_GT(row, 0) << mountPoint << " is no drive";
        state.drives.setCurrentRow(row);
        StringGrid_hdClick(state, ui);
    }
    void tick(const std::string& name) {
        for (std::size_t i = 0; i < state.folders.items.size(); ++i)
            if (state.folders.items[i].name == name)
                return CheckListBox_repClick(state, ui, static_cast<int>(i), true);
        ADD_FAILURE() << "no folder " << name;
    }
    void scan() {
        BitBtn_lister_mediaClick(program, state, ui);
        ASSERT_TRUE(ui.pumpUntil([&] { return !state.scanWorkers.current(); }));
    }
    std::vector<std::string> foundPaths() const {
        std::vector<std::string> out;
        for (const auto& line : state.found) out.push_back(line.substr(line.find('>') + 5));
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string add() {
        ui.answers.push_back(DialogButton::Yes);
        BitBtn_rajout_bdClick(program, state, *drives, ui);
        return ui.shown.back().text;
    }
    int summaries() const {
        return static_cast<int>(std::count_if(ui.shown.begin(), ui.shown.end(), [](const auto& s) {
            return s.kind == "info" && s.text.rfind(" Listage terminé", 0) == 0;
        }));
    }
};

TEST_F(RealMounts, ADiskLabelledInCyrillicIsFoundAgainAfterASaveAndNotAddedTwice) {
    VERDAN_IN_MOUNT_NAMESPACE();
    const std::string disk = mountExt4(work.file("films"), "ФИЛЬМЫ");
    file(disk + "/films/a.avi");
    file(disk + "/b.mkv");
    choose(disk);
    const int row = rowOf(disk);
    EXPECT_EQ(state.drives.cell(row, 1), "??????");
    tick(kRootEntry);
    scan();
    ASSERT_EQ(state.found.size(), 2u);
    EXPECT_EQ(add(), " la liste globale contient maintenant ces 2 premièrs médias \n\n");

    // Saved, then read back as at the next start, with a new survey of the drives.
    GlobalList& list = program.globalList.table;
    const std::string listFile = work.file("liste.txt");
    ecrire_liste(list, listFile);
    ASSERT_EQ(lire_liste(list, listFile, ListMode::Replace, ui, work.path()), LoadResult::Loaded);
    indexer_liste(list, program.globalList.keys, program.catalogue.params.indexLevel, false,
                  program.globalList.index);
    RefreshDrives(state, *drives, ui);
    const std::string name(list.cell(1, list.indice_col_liste("nom-disque")));
    const std::string serial(list.cell(1, list.indice_col_liste("NS-disque")));
    EXPECT_EQ(name, "??????");
    EXPECT_EQ(FindDriveByDisk(driveRowsOf(state.drives), name, serial), disk);

    choose(disk);
    tick(kRootEntry);
    scan();
    EXPECT_EQ(add(),
              "  Inutile , \n\n  ces 2 médias sont déjà indexés    \n\n parmi les 2 de la liste globale");
    EXPECT_EQ(list.mediaCount(), 2u);
}

TEST_F(RealMounts, TickedMountPointsOfOtherFileSystemsAreNotWalked) {
    VERDAN_IN_MOUNT_NAMESPACE();
    const std::string drive = mountTmpfs(work.file("drive"), "verdan_drive");
    file(drive + "/own/a.avi");
    const std::string other = mountTmpfs(drive + "/other", "verdan_other");
    file(other + "/b.avi");
    bind(drive + "/own", drive + "/bound"); // the same file system, seen a second time
    choose(drive);
    EXPECT_GT(rowOf(other), 0) << "a disk of its own";
    EXPECT_EQ(rowOf(drive + "/bound"), 0) << "a bind mount is no drive";
    for (const char* name : {"other", "bound"}) tick(name);
    scan();
    EXPECT_TRUE(state.found.empty());
    tick(kRootEntry);
    scan();
    EXPECT_EQ(foundPaths(), std::vector<std::string>{drive + "/own/a.avi"});
}

TEST_F(RealMounts, MountingDuringAScanLeavesItAloneUntilItsOwnDriveGoes) {
    VERDAN_IN_MOUNT_NAMESPACE();
    const std::string drive = mountTmpfs(work.file("drive"), "verdan_drive");
    for (int i = 0; i < 200; ++i) file(drive + "/films/f" + std::to_string(i) + ".avi");
    choose(drive);
    tick("films");
    state.scanTuning.batchLines = 1;
    BitBtn_lister_mediaClick(program, state, ui);
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 2; }));
    // What desktops and containers mount all the time: no drive among them.
    if (::mount("proc", folder(work.file("proc")).c_str(), "proc", 0, nullptr) == 0)
        mounted.push_back(work.file("proc"));
    bind(drive + "/films", work.file("view"));
    followDeviceChange(state, *drives, ui);
    // A new disk.
    const std::string usb = mountTmpfs(work.file("usb"), "verdan_usb");
    followDeviceChange(state, *drives, ui);
    EXPECT_GT(rowOf(usb), 0);
    EXPECT_EQ(state.SelectedDrive, drive);
    EXPECT_EQ(state.drives.cell(state.drives.currentRow(), 0), drive);
    ASSERT_TRUE(ui.pumpUntil([&] { return !state.scanWorkers.current(); }));
    EXPECT_EQ(state.found.size(), 200u);
    EXPECT_EQ(summaries(), 1);

    // The chosen drive goes in the middle of its scan: the scan ends there, with its summary.
    BitBtn_lister_mediaClick(program, state, ui);
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 2; }));
    ASSERT_EQ(::umount2(drive.c_str(), MNT_DETACH), 0);
    mounted.erase(std::find(mounted.begin(), mounted.end(), drive));
    followDeviceChange(state, *drives, ui);
    EXPECT_EQ(summaries(), 2);
    EXPECT_FALSE(state.scanWorkers.current());
    ASSERT_TRUE(ui.pumpUntil([&] { return state.scanWorkers.liveWorkers() == 0; }));
    ui.drain();
    EXPECT_TRUE(state.found.empty());
    EXPECT_EQ(summaries(), 2);
    EXPECT_EQ(state.SelectedDrive, "");
}
