#include <gtest/gtest.h>

#include "collect/collection_state.h"
#include "collect/drive_survey.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "support/fake_drives.h"
#include "support/refused_threads.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"
#include "util/file_helpers.h"
#include "util/utf8.h"

#include <algorithm>
#include <filesystem>

using namespace verdan;
using verdan::test::FakeDriveProvider;
using verdan::test::TempFolder;
using verdan::test::ThreadedFakeUi;
namespace fs = std::filesystem;

// Whole scans, workers on their own threads handing over to this test's thread.
class MediaScan : public ::testing::Test {
protected:
    TempFolder drive;
    FakeDriveProvider provider;
    ThreadedFakeUi ui;
    ProgramState program;
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(program.drives);
    CollectionState& state = *owned;
    std::uint32_t now = 5000;

    void SetUp() override {
        state.tick = [this] { return now; };
        program.catalogue.params.media[0].extensionFilter = "avi, mkv";
        program.catalogue.params.media[1].extensionFilter = "mp3";
        provider.add(drive.path(), "FILMS", "0A1B2C3D");
    }
    void TearDown() override {
        owned.reset(); // stops what still runs
    }
    void file(const std::string& rel, const std::string& bytes = "x") {
        fs::create_directories(fs::path(test::pathFromUtf8(drive.file(rel))).parent_path());
        drive.write(rel, bytes);
    }
    void chooseDrive() {
        RefreshDrives(state, provider, ui);
        state.drives.setCurrentRow(1);
        StringGrid_hdClick(state, ui);
    }
    void tick(const std::string& name) {
        for (std::size_t i = 0; i < state.folders.items.size(); ++i)
            if (state.folders.items[i].name == name)
                return CheckListBox_repClick(state, ui, static_cast<int>(i), true);
        ADD_FAILURE() << "no folder " << name;
    }
    bool scanOver() { return !state.scanWorkers.current(); }
    void start() { BitBtn_lister_mediaClick(program, state, ui); }
    void startAndFinish(std::uint32_t duration = 250) {
        start();
        now = 5000 + duration;
        ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    }
    std::vector<std::string> infos() const {
        std::vector<std::string> out;
        for (const auto& s : ui.shown)
            if (s.kind == "info") out.push_back(s.text);
        return out;
    }
    int summaries() const {
        auto i = infos();
        return static_cast<int>(std::count_if(
            i.begin(), i.end(), [](const std::string& t) { return t.rfind(" Listage terminé", 0) == 0; }));
    }
    void waitForAllWorkers() {
        ASSERT_TRUE(ui.pumpUntil([&] { return state.scanWorkers.liveWorkers() == 0; }));
    }
};

TEST_F(MediaScan, RefusedStartsSayWhyAndStillEmptyTheList) {
    state.found.insert("ancienne ligne");
    start();
    chooseDrive();
    start();
    fs::create_directory(test::pathFromUtf8(drive.file("films")));
    chooseDrive();
    tick("films");
    program.catalogue.params.media[0].extensionFilter = " ";
    program.catalogue.params.media[1].extensionFilter = "";
    start();
    EXPECT_EQ(infos(),
              (std::vector<std::string>{" choisir un disque...", " sélectionner un ou des répertoires...",
                                        " aucun filtre de défini..."}));
    EXPECT_TRUE(state.found.empty());
    EXPECT_TRUE(state.addButtonEnabled);
    EXPECT_TRUE(scanOver());
}

TEST_F(MediaScan, ScanListsTheMediaAndSumsUpOnce) {
    file("films/a.avi");
    file("films/sub/b.MKV", "1234");
    file("films/c.mp3");
    file("films/d.txt");
    chooseDrive();
    tick("films");
    start();
    EXPECT_EQ(state.scanStatus, "Listage en cours...");
    EXPECT_FALSE(state.addButtonEnabled);
    EXPECT_TRUE(scanLocked(state));
    now = 5250;
    ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    EXPECT_EQ(state.found.size(), 3u);
    EXPECT_EQ(state.foundCountCaption, "3");
    EXPECT_EQ(state.scanStatus, "Listage terminé en 250ms");
    EXPECT_EQ(infos(), (std::vector<std::string>{" Listage terminé,   3 médias retenus  en  250ms"}));
    EXPECT_EQ(state.scanLog, (std::vector<std::string>{"Scan : " + joinPath(drive.path(), "films"),
                                                       "1 --- Recherche terminée !!!! ---"}));
    EXPECT_EQ(ui.sounds.size(), 3u);
    EXPECT_EQ(ui.busy.back(), false);
    EXPECT_TRUE(state.addButtonEnabled);
    EXPECT_FALSE(state.unreadablePanel.visible);
    EXPECT_FALSE(scanLocked(state));
}

TEST_F(MediaScan, NoMediaSaysSoBeforeTheSummary) {
    file("films/readme.txt");
    chooseDrive();
    RadioGroup1Click(state, 0);
    startAndFinish(1500);
    EXPECT_EQ(infos(), (std::vector<std::string>{" aucun média dans les répertoires sélectionnés...",
                                                 " Listage terminé,   n médias retenus  en  01s 500ms"}));
}

TEST_F(MediaScan, ExclusionsAreAddedToTheSummary) {
    auto& media = program.catalogue.params.media;
    media[0].minimumSizeOn = media[1].minimumSizeOn = true;
    media[0].minimumSize = media[1].minimumSize = "1";
    file("films/small.avi");
    file("films/small2.avi");
    file("films/small.mp3");
    file("films/big.avi", std::string(1048576, 'x'));
    chooseDrive();
    tick("films");
    startAndFinish();
    EXPECT_EQ(infos(), (std::vector<std::string>{
                           " Listage terminé,   1 médias retenus  en  250msExclus medias 1 2 "
                           "fichiers trop petits ...\n\nExclus medias 2 1 fichiers trop petits ..."}));
}

#ifndef _WIN32
TEST_F(MediaScan, UnreadableNamesFillThePanelAndSignalTwice) {
    file("films/Фильм.avi");
    file("films/ok.avi");
    file("films/tab\t.mp3");
    state.renamePanelVisible = true;
    chooseDrive();
    tick("films");
    startAndFinish();
    ASSERT_EQ(state.found.size(), 3u);
    const auto& panel = state.unreadablePanel;
    EXPECT_TRUE(panel.visible);
    ASSERT_EQ(panel.lines.size(), 2u);
    for (const auto& l : panel.lines) {
        auto at = l.rfind(" = ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(state.found.at(std::stoul(l.substr(at + 3))), l.substr(0, at));
    }
    EXPECT_EQ(panel.caption, "  2 fichier(s) introuvable(s)  =>  probablement des caractères incompatibles "
                             "(cyrilliques...) d'où taille = N/A");
    EXPECT_EQ(infos().back(),
              " Listage terminé,   3 médias retenus  en  250ms\n\n  2 fichier(s) introuvable(s)  => "
              "taille = N/A");
    EXPECT_EQ(ui.sounds.size(), 6u);
    EXPECT_TRUE(state.renamePanelVisible) << "left as it was when the N/A panel shows";
}
#endif

TEST_F(MediaScan, RootAndOneOfItsFoldersListEachFileOnce) {
    file("top.avi");
    file("films/a.avi");
    file("films/b.mp3");
    chooseDrive();
    tick(kRootEntry);
    tick("films");
    startAndFinish();
    EXPECT_EQ(state.found.size(), 3u);
    EXPECT_EQ(state.scanLog[0], "Scan : " + drive.path());
    EXPECT_EQ(state.scanLog.back(), "2 --- Recherche terminée !!!! ---");
    EXPECT_EQ(summaries(), 1);
}

TEST_F(MediaScan, AFolderWithoutAThreadOfItsOwnIsWalkedHereAndNothingIsLeftOut) {
    file("a/1.avi");
    file("a/2.mp3");
    file("b/3.avi");
    file("c/4.mkv");
    chooseDrive();
    tick("a");
    tick("b");
    tick("c");
    for (long long after : {0LL, 1LL, 2LL}) {
        for (long long count : {1LL, test::kEveryStart}) {
            SCOPED_TRACE("refused after " + std::to_string(after) + " starts: " + std::to_string(count));
            ui.shown.clear();
            state.scanLog.clear();
            {
                test::RefusedThreads refused(count, after);
                startAndFinish();
            }
            EXPECT_EQ(state.found.size(), 4u);
            EXPECT_EQ(summaries(), 1);
            EXPECT_EQ(state.scanLog.back(), "3 --- Recherche terminée !!!! ---");
            EXPECT_TRUE(state.addButtonEnabled);
            waitForAllWorkers();
        }
    }
}

TEST_F(MediaScan, SixtyFoldersSixtyWorkersOneSummaryNothingLost) {
    for (int i = 0; i < 60; ++i)
        for (int k = 0; k < 5; ++k) file("d" + std::to_string(i) + "/f" + std::to_string(k) + ".avi");
    chooseDrive();
    RadioGroup1Click(state, 0);
    state.folders.selected.erase(state.folders.selected.begin()); // the folders without the root
    state.scanTuning.batchLines = 1;
    startAndFinish();
    EXPECT_EQ(state.found.size(), 300u);
    EXPECT_EQ(summaries(), 1);
    EXPECT_EQ(state.scanLog.back(), "60 --- Recherche terminée !!!! ---");
    waitForAllWorkers();
}

TEST_F(MediaScan, StopKeepsWhatWasFoundAndTheSummaryFollows) {
    for (int i = 0; i < 200; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 3; }));
    Button2Click(state, ui);
    EXPECT_EQ(ui.busy.back(), false) << "the arrow comes back at once";
    EXPECT_FALSE(scanLocked(state));
    ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    EXPECT_EQ(summaries(), 1);
    EXPECT_GE(state.found.size(), 3u);
    EXPECT_LT(state.found.size(), 200u);
    EXPECT_TRUE(state.addButtonEnabled);
}

TEST_F(MediaScan, ARestartAtOnceKeepsTheOldWorkersAway) {
    for (int i = 0; i < 100; ++i) file("old/o" + std::to_string(i) + ".avi");
    for (int i = 0; i < 10; ++i) file("new/n" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("old");
    state.scanTuning.batchLines = 1;
    start();
    // The old worker now waits with a line in hand.
    ASSERT_TRUE(ui.waitForHandOff());
    Button2Click(state, ui);
    state.folders.selected = {"new"};
    start();
    ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    waitForAllWorkers();
    ui.drain();
    EXPECT_EQ(state.found.size(), 10u);
    for (const auto& line : state.found) EXPECT_NE(line.find("new"), std::string::npos) << line;
    EXPECT_EQ(summaries(), 1);
    EXPECT_EQ(infos().back(), " Listage terminé,   10 médias retenus  en  0ms");
}

TEST_F(MediaScan, WhileRunningTheChoicesAreLocked) {
    for (int i = 0; i < 20; ++i) file("films/f" + std::to_string(i) + ".avi");
    fs::create_directory(test::pathFromUtf8(drive.file("autre")));
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.waitForHandOff());
    const auto selected = state.folders.selected;
    tick("autre");
    RadioGroup1Click(state, 0);
    state.drives.setCurrentRow(1);
    StringGrid_hdClick(state, ui);
    start();
    EXPECT_EQ(state.folders.selected, selected);
    EXPECT_EQ(state.folders.radioIndex, -1);
    ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    EXPECT_EQ(state.found.size(), 20u);
    EXPECT_EQ(summaries(), 1);
}

TEST_F(MediaScan, ADriveRefreshStopsTheScanSilently) {
    for (int i = 0; i < 50; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 2; }));
    RefreshDrives(state, provider, ui);
    EXPECT_TRUE(scanOver());
    EXPECT_EQ(ui.busy.back(), false);
    EXPECT_TRUE(state.addButtonEnabled);
    EXPECT_EQ(state.scanStatus, "---");
    waitForAllWorkers();
    ui.drain();
    EXPECT_TRUE(state.found.empty());
    EXPECT_EQ(summaries(), 0);
}

TEST_F(MediaScan, MountsThatLeaveTheChosenDriveInPlaceLeaveTheScanAlone) {
    for (int i = 0; i < 50; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 2; }));
    followDeviceChange(state, provider, ui); // a tmpfs or FUSE mount: no drive changed
    TempFolder other;
    provider.add(other.path(), "CLÉ", "ABCD0001", platform::kDriveRemovable);
    followDeviceChange(state, provider, ui); // a new drive
    EXPECT_EQ(state.drives.rowCount(), 3);
    EXPECT_FALSE(scanOver());
    EXPECT_TRUE(scanLocked(state));
    now = 5300;
    ASSERT_TRUE(ui.pumpUntil([&] { return scanOver(); }));
    EXPECT_EQ(state.found.size(), 50u);
    EXPECT_EQ(infos(), (std::vector<std::string>{" Listage terminé,   50 médias retenus  en  300ms"}));
}

TEST_F(MediaScan, ADrivePulledOutDuringItsScanEndsItWithItsSummaryOnce) {
    for (int i = 0; i < 50; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.pumpUntil([&] { return state.found.size() >= 2; }));
    const std::string count = state.foundCountCaption;
    provider.drives.clear();
    now = 5100;
    followDeviceChange(state, provider, ui);
    EXPECT_TRUE(scanOver());
    EXPECT_EQ(infos(),
              (std::vector<std::string>{" Listage terminé,   " + count + " médias retenus  en  100ms"}));
    EXPECT_EQ(ui.busy.back(), false);
    EXPECT_TRUE(state.addButtonEnabled);
    EXPECT_EQ(state.SelectedDrive, "");
    EXPECT_FALSE(state.drives.hasDriveRows());
    waitForAllWorkers();
    ui.drain();
    EXPECT_TRUE(state.found.empty()) << "nothing of the gone drive comes in late";
    EXPECT_EQ(summaries(), 1);
}

TEST_F(MediaScan, ClosingTheWindowMidScanStopsTheWorkers) {
    for (int i = 0; i < 50; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    state.scanTuning.batchLines = 1;
    start();
    ASSERT_TRUE(ui.waitForHandOff());
    owned.reset();
    EXPECT_EQ(ui.waiting(), 0u);
    EXPECT_EQ(summaries(), 0);
}

TEST_F(MediaScan, BatchesOfLinesKeepTheListSortedAndUnique) {
    for (int i = 0; i < 3000; ++i)
        file("films/F" + std::to_string(i % 1000) + "_" + std::to_string(i) + ".avi");
    chooseDrive();
    tick(kRootEntry);
    tick("films"); // every line comes twice
    state.scanTuning.batchLines = 64;
    int changes = 0;
    state.onScanChanged = [&] { ++changes; };
    startAndFinish();
    EXPECT_EQ(state.found.size(), 3000u);
    EXPECT_TRUE(std::is_sorted(state.found.begin(), state.found.end(), utf8::FoldedLess{}));
    EXPECT_GT(changes, 3000 / 64);
}

TEST_F(MediaScan, AWorkerHandsOverWhatItFoundInItsTimeSlotAtOnce) {
    for (int i = 0; i < 400; ++i) file("films/f" + std::to_string(i) + ".avi");
    chooseDrive();
    tick("films");
    std::vector<std::size_t> sizes;
    state.onScanChanged = [&] { sizes.push_back(state.found.size()); };
    // A slot longer than the walk: the whole list comes in one insertion and one refresh.
    state.scanTuning.batchDelay = std::chrono::hours(1);
    startAndFinish();
    EXPECT_EQ(state.found.size(), 400u);
    EXPECT_EQ(std::count_if(sizes.begin(), sizes.end(), [](std::size_t n) { return n > 0 && n < 400; }), 0);

    // A slot of nothing: the list grows line by line while the walk goes on.
    sizes.clear();
    state.scanTuning.batchDelay = std::chrono::milliseconds(0);
    startAndFinish();
    EXPECT_EQ(state.found.size(), 400u);
    EXPECT_GE(std::count_if(sizes.begin(), sizes.end(), [](std::size_t n) { return n > 0 && n < 400; }), 300);
}
