// A disk refreshed through the program object on a labelled ext4 image, loop-mounted in a private
// mount namespace: the disk's name and serial are those the system reads from the image, and the
// dates are those a real file system keeps. Linux only, as root; skipped where mounting is refused.
#include <gtest/gtest.h>

#include "collect/folders.h"
#include "collect/scan.h"
#include "platform/drives.h"
#include "program/program.h"
#include "support/child_process.h"
#include "support/fake_shell.h"
#include "support/program_views.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"

#include <sys/mount.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace verdan;
using verdan::test::FakeShell;
using verdan::test::TempFolder;
using verdan::test::ThreadedFakeUi;
namespace fs = std::filesystem;

namespace {

// The serial is the UUID's last eight digits, wherever udev runs or not: a fixed UUID makes it known.
constexpr const char* kUuid = "5e1f0c2a-7b3d-4c5e-9f60-00000a1b2c3d";
constexpr const char* kSerial = "0A1B2C3D";

// The columns of a list row, as its header names them.
constexpr std::size_t kDiskNameColumn = 1, kTitleColumn = 3, kExtColumn = 4, kDateColumn = 5,
                      kFolderColumn = 6, kSizeColumn = 7, kSerialColumn = 10;

class RealMountRefresh : public ::testing::Test {
protected:
    TempFolder dir;
    ThreadedFakeUi ui;
    FakeShell shell;
    std::unique_ptr<platform::DriveProvider> drives = platform::makeSystemDriveProvider();
    ProgramState state;
    std::unique_ptr<Program> program;
    test::ProgramViews windows;
    std::string image;
    std::string disk; // the mount point, once mounted
    std::string label = "FILMS_2";
    std::string listedLabel = label; // as the list keeps it, in Windows-1252

    void TearDown() override {
        program.reset(); // stops what still runs on the disk
        if (!disk.empty()) ::umount2(disk.c_str(), MNT_DETACH);
    }

    // Inside the namespace only: the image, its mount and a program started on an empty list.
    void start() {
        image = dir.file("disk.img");
        std::ofstream(image).close();
        fs::resize_file(image, 16 << 20);
        if (std::system(
                ("mkfs.ext4 -q -F -L '" + label + "' -U " + kUuid + " '" + image + "' 2>&1").c_str()) != 0)
            refuse("no mkfs.ext4 (e2fsprogs)");
        mount(dir.file("disque"));

        test::writeProgramFolder(state, dir.path(), "");
        program = std::make_unique<Program>(state, ui, shell, *drives);
        program->addView(windows);
        ui.answers = {DialogButton::Yes};
        program->openingSequence(windows);
    }
    void mount(const std::string& point) {
        fs::create_directories(point);
        if (std::system(("mount -o loop '" + image + "' '" + point + "' 2>&1").c_str()) != 0)
            refuse("loop mount of an ext4 image");
        disk = point;
    }
    // The refusal ends the child at once, past every destructor: the image would stay behind.
    [[noreturn]] void refuse(const std::string& why) {
        std::error_code ec;
        fs::remove_all(dir.path(), ec);
        test::refuseMounting(why);
    }
    // The disk taken out and put back between two scans, where a desktop may mount it elsewhere.
    void replug(const std::string& point) {
        ASSERT_EQ(::umount2(disk.c_str(), 0), 0);
        disk.clear();
        mount(point);
    }

    std::string path(const std::string& name) const { return disk + "/" + name; }
    // `minute` minutes into a day forty days ago: each file its own date, kept by a move.
    void put(const std::string& name, std::size_t size, int minute) {
        fs::create_directories(fs::path(path(name)).parent_path());
        std::ofstream(path(name), std::ios::binary) << std::string(size, 'x');
        const auto day = std::chrono::floor<std::chrono::hours>(fs::file_time_type::clock::now() -
                                                                std::chrono::hours(24 * 40));
        fs::last_write_time(path(name), day + std::chrono::minutes(minute));
    }
    void move(const std::string& from, const std::string& to) {
        fs::create_directories(fs::path(path(to)).parent_path());
        fs::rename(path(from), path(to));
    }

    void scan(const std::vector<std::string>& ticked) {
        CollectionState& c = program->collection();
        RefreshDrives(c, *drives, ui);
        int row = 0;
        for (int r = 1; r < c.drives.rowCount(); ++r)
            if (c.drives.cell(r, 0) == disk) row = r;
        ASSERT_GT(row, 0) << disk << " is no drive";
        c.drives.setCurrentRow(row);
        StringGrid_hdClick(c, ui);
        for (std::size_t i = 0; i < c.folders.items.size(); ++i)
            if (std::find(ticked.begin(), ticked.end(), c.folders.items[i].name) != ticked.end())
                CheckListBox_repClick(c, ui, static_cast<int>(i), true);
        program->listMedia();
        ASSERT_TRUE(ui.pumpUntil([&] { return !c.scanWorkers.current(); }));
    }

    // "title+ext folder size" of the disk's rows, sorted; every one must carry the disk's identity.
    std::vector<std::string> diskRows() {
        std::vector<std::string> out;
        const GlobalList& t = state.globalList.table;
        for (std::size_t r = 1; r < t.rowCount(); ++r) {
            EXPECT_EQ(t.cell(r, kDiskNameColumn), listedLabel) << "row " << r;
            EXPECT_EQ(t.cell(r, kSerialColumn), kSerial) << "row " << r;
            std::string size(t.cell(r, kSizeColumn));
            std::replace(size.begin(), size.end(), ',', '.'); // the system's decimal separator
            out.push_back(std::string(t.cell(r, kTitleColumn)) + std::string(t.cell(r, kExtColumn)) + " " +
                          std::string(t.cell(r, kFolderColumn)) + " " + size);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string dateOf(const std::string& title) const {
        const GlobalList& t = state.globalList.table;
        for (std::size_t r = 1; r < t.rowCount(); ++r)
            if (t.cell(r, kTitleColumn) == title) return std::string(t.cell(r, kDateColumn));
        return "no row " + title;
    }
    std::string lastText() const { return ui.shown.empty() ? "" : ui.shown.back().text; }
};

} // namespace

TEST_F(RealMountRefresh, EveryKindOfChangeOnAnExt4DiskIsAppliedAndASecondRefreshFindsNothing) {
    VERDAN_IN_MOUNT_NAMESPACE();
    start();
    ASSERT_EQ(drives->queryDisk(disk).label, label);
    ASSERT_EQ(drives->queryDisk(disk).serial, kSerial) << "read from the image, not from its loop device";

    put("films/Alien.avi", 2048, 0);
    put("films/Aliens.mkv", 3000, 1);
    put("films/Brazil.avi", 5000, 2);
    put("films/old/Heat.avi", 7000, 3);
    put("series/Lost.avi", 4000, 4);
    scan({"films", "series"});
    ui.answers = {DialogButton::Yes};
    ASSERT_EQ(program->addToGlobalList().added, 5u);
    const std::string alienDate = dateOf("Alien");
    const std::string aliensDate = dateOf("Aliens");

    put("films/Ran.avi", 9000, 8);                    // new
    fs::remove(path("films/Brazil.avi"));             // vanished
    move("films/Alien.avi", "films/Alien 1979.avi");  // renamed
    move("films/old/Heat.avi", "films/new/Heat.avi"); // moved
    put("films/Aliens.mkv", 3500, 7);                 // modified
    fs::remove(path("series/Lost.avi"));              // under a folder the next scan leaves out
    replug(dir.file("FILMS_2 (2)"));
    scan({"films"});
    ASSERT_TRUE(program->refreshOffered());

    ui.threeChoiceAnswers = {0};
    const RefreshOutcome done = program->refreshDisk();
    ASSERT_GE(ui.shown.size(), 2u);
    EXPECT_EQ(
        ui.shown[ui.shown.size() - 2].text,
        "  Disque FILMS_2 : 1 nouveaux, 1 disparus, 2 déplacés ou renommés, 1 modifiés (taille ou date) "
        "\n\n  Mettre la liste à jour ?");
    ASSERT_EQ(ui.details.size(), 1u);
    ASSERT_EQ(ui.details[0].size(), 4u);
    EXPECT_EQ(ui.details[0][0].lines, std::vector<std::string>{path("films/Ran.avi")});
    EXPECT_EQ(ui.details[0][1].lines, std::vector<std::string>{path("films/Brazil.avi")})
        << "a vanished file is named where the disk is now";
    EXPECT_EQ(lastText(), "  Disque FILMS_2 mis à jour : 1 rajoutés, 1 effacés, 2 déplacés ou renommés, 1 "
                          "modifiés \n\n  ce qui fait un total de 5");
    EXPECT_EQ(done.added, 1u);
    EXPECT_EQ(done.removed, 1u);
    EXPECT_EQ(done.updated, 3u);
    EXPECT_EQ(diskRows(),
              (std::vector<std::string>{"Alien 1979.avi :\\films 2.00 Ko", "Aliens.mkv :\\films 3.42 Ko",
                                        "Heat.avi :\\films\\new 6.84 Ko", "Lost.avi :\\series 3.91 Ko",
                                        "Ran.avi :\\films 8.79 Ko"}))
        << "Lost stays: its folder was not ticked";
    EXPECT_EQ(dateOf("Alien 1979"), alienDate) << "a rename keeps the file's date";
    EXPECT_NE(dateOf("Aliens"), aliensDate) << "a modified file takes its new date";
    EXPECT_EQ(state.globalList.keys.size(), 5u);
    EXPECT_EQ(state.globalList.keys.rowCount(), 5u);
    EXPECT_EQ(state.globalList.index.keyCountCaption, "n-idx = 5");

    // Asked again on the same scan, and on a new scan of the disk as the refresh left it.
    const std::string nothing = "  Disque FILMS_2 : rien n'a changé dans les dossiers listés \n\n";
    ui.threeChoiceAnswers.clear();
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(lastText(), nothing);
    scan({"films"});
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(lastText(), nothing);
    EXPECT_EQ(diskRows().size(), 5u);
}

// The list keeps names in Windows-1252: a label or a name it lacks is kept with "?" in its place, and
// must not look changed at every refresh.
TEST_F(RealMountRefresh, NamesTheListCannotKeepLookChangedOnlyWhenTheyChange) {
    label = "ФИЛЬМЫ";
    listedLabel = "??????";
    VERDAN_IN_MOUNT_NAMESPACE();
    start();
    put("films/Сталкер.avi", 2048, 0);
    put("films/Le Mépris.avi", 3000, 1);
    put("films/été/Ran.avi", 4000, 2);
    scan({"films"});
    ui.answers = {DialogButton::Yes};
    ASSERT_EQ(program->addToGlobalList().added, 3u);
    ASSERT_TRUE(program->refreshOffered());
    ui.threeChoiceAnswers.clear();
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(lastText(), "  Disque ?????? : rien n'a changé dans les dossiers listés \n\n");

    put("films/Сталкер.avi", 2500, 5);
    move("films/Le Mépris.avi", "films/été/Le Mépris 1963.avi");
    scan({"films"});
    ui.threeChoiceAnswers = {0};
    EXPECT_TRUE(program->refreshDisk().changed);
    EXPECT_EQ(ui.shown[ui.shown.size() - 2].text,
              "  Disque ?????? : 0 nouveaux, 0 disparus, 1 déplacés ou renommés, 1 modifiés (taille ou date) "
              "\n\n  Mettre la liste à jour ?");
    const std::vector<std::string> rows = diskRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], "Le Mépris 1963.avi :\\films\\été 2.93 Ko");
    EXPECT_EQ(rows[0].rfind("???????.avi :\\films ", 0), 0u) << rows[0] << ": its size is the adding's";

    scan({"films"});
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(lastText(), "  Disque ?????? : rien n'a changé dans les dossiers listés \n\n");
    EXPECT_EQ(diskRows(), rows);
}
