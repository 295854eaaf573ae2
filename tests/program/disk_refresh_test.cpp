#include <gtest/gtest.h>

#include "catalogue/index_keys.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "platform/drives.h"
#include "program/program.h"
#include "support/fake_drives.h"
#include "support/fake_shell.h"
#include "support/program_fixture.h"
#include "support/program_views.h"
#include "support/ui_thread.h"
#include "support/unprivileged.h"
#include "util/cp1252.h"

#include <algorithm>
#include <filesystem>

using namespace verdan;
using namespace verdan::test;
namespace fs = std::filesystem;

namespace {

// A disk made of a folder, scanned and refreshed through the program object alone.
class DiskRefresh : public ProgramOnAFolderDisk {
protected:
    void SetUp() override {
        // Another disk's row, and a row of this disk under a folder that is never ticked.
        std::string series = ProgramFixture::row("2", "FILMS", "Lost", "700 Mo", "0A1B2C3D");
        series.replace(series.find(":\\films"), 7, ":\\series");
        start(ProgramFixture::row("1", "ARCHIVES", "Brazil", "700 Mo", "99998888") + "\r\n" + series +
              "\r\n");
        ui.answers = {DialogButton::Yes};
        program->openingSequence(windows);
    }
    // A file of `size` bytes last written at a fixed time of day `minute` minutes in.
    void put(const std::string& name, std::size_t size, int minute = 0) {
        fs::create_directories(fs::path(pathFromUtf8(disk.file(name))).parent_path());
        disk.write(name, std::string(size, 'x'));
        stamp(name, minute);
    }
    void stamp(const std::string& name, int minute) {
        const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24 * 40);
        const auto day = std::chrono::floor<std::chrono::hours>(base);
        fs::last_write_time(pathFromUtf8(disk.file(name)), day + std::chrono::minutes(minute));
    }
    void move(const std::string& from, const std::string& to) {
        fs::create_directories(fs::path(pathFromUtf8(disk.file(to))).parent_path());
        fs::rename(pathFromUtf8(disk.file(from)), pathFromUtf8(disk.file(to)));
    }
    void remove(const std::string& name) { fs::remove(pathFromUtf8(disk.file(name))); }

    void scan(const std::vector<std::string>& ticked = {"films"}, bool stop = false) {
        CollectionState& c = program->collection();
        RefreshDrives(c, drives, ui);
        c.drives.setCurrentRow(1);
        StringGrid_hdClick(c, ui);
        for (std::size_t i = 0; i < c.folders.items.size(); ++i)
            if (std::find(ticked.begin(), ticked.end(), c.folders.items[i].name) != ticked.end())
                CheckListBox_repClick(c, ui, static_cast<int>(i), true);
        if (stop) c.scanTuning.batchLines = 1; // the walker waits on its first file
        program->listMedia();
        if (stop) Button2Click(c, ui);
        ASSERT_TRUE(ui.pumpUntil([&] { return !c.scanWorkers.current(); }));
        // A worker still on its way out of its last hand-off holds a reference inside the hand-off's
        // condition variable: a child forked then (asUnprivileged) inherits it, and hangs at its
        // first hand-off.
        ASSERT_TRUE(ui.pumpUntil([&] { return c.scanWorkers.liveWorkers() == 0; }));
    }
    void scanAndAdd() {
        scan();
        ui.answers = {DialogButton::Yes};
        program->addToGlobalList();
    }

    // "title ext folder size" of the disk's rows, in the table's order.
    std::vector<std::string> filmsRows() {
        std::vector<std::string> out;
        const GlobalList& t = state.globalList.table;
        for (std::size_t r = 1; r < t.rowCount(); ++r)
            if (t.cell(r, 1) == "FILMS") {
                std::string size(t.cell(r, 7));
                std::replace(size.begin(), size.end(), ',', '.'); // the system's decimal separator
                out.push_back(std::string(t.cell(r, 3)) + std::string(t.cell(r, 4)) + " " +
                              std::string(t.cell(r, 6)) + " " + size);
            }
        return out;
    }
    void refreshLookAlikes(int level) {
        state.catalogue.params.indexLevel = level;
        put("films/a/X.avi", 4000);
        put("films/c/Z.avi", 4000);
        scanAndAdd();
        move("films/a/X.avi", "films/a/Y.avi");
        put("films/b/X.avi", 4000);
        move("films/c/Z.avi", "films/c/W.avi");
        scan();
        EXPECT_EQ(refreshAnsweringOui(), question(1, 0, 2, 0));
        std::vector<std::string> rows = filmsRows();
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, (std::vector<std::string>{"Lost.avi :\\series 700 Mo", "W.avi :\\films\\c 3.91 Ko",
                                                  "X.avi :\\films\\b 3.91 Ko", "Y.avi :\\films\\a 3.91 Ko"}));
        // The set follows the moved rows' new keys: as a rebuild makes it.
        KeySet rebuilt;
        IndexState index;
        indexer_liste(state.globalList.table, rebuilt, level, false, index);
        EXPECT_EQ(state.globalList.keys.size(), rebuilt.size());
        EXPECT_EQ(state.globalList.keys.rowCount(), rebuilt.rowCount());
    }

    // "Oui" to the refresh's question; returns the question.
    std::string refreshAnsweringOui() {
        ui.threeChoiceAnswers = {0};
        program->refreshDisk();
        return ui.shown[ui.shown.size() - 2].text;
    }
    static std::string question(int added, int vanished, int moved, int modified,
                                const std::string& note = "") {
        return "  Disque FILMS : " + std::to_string(added) + " nouveaux, " + std::to_string(vanished) +
               " disparus, " + std::to_string(moved) + " déplacés ou renommés, " + std::to_string(modified) +
               " modifiés (taille ou date) \n\n" + note + "  Mettre la liste à jour ?";
    }

    // A file of the disk as the scan names it, with the system's separators.
    std::string native(const std::string& rel) const {
        return utf8FromPath(fs::path(pathFromUtf8(disk.file(rel))).make_preferred());
    }
    std::string lastText() const { return ui.shown.empty() ? "" : ui.shown.back().text; }
};

} // namespace

TEST_F(DiskRefresh, EveryKindOfChangeIsAskedListedAppliedAndUndoneAfterASave) {
    put("films/Alien.avi", 2048);
    put("films/Aliens.mkv", 3000);
    put("films/Brazil.avi", 5000);
    put("films/old/Heat.avi", 7000);
    scanAndAdd();
    ASSERT_EQ(filmsRows().size(), 5u);
    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(program->saveList());
    const std::string before = TempFolder::read(listFile);

    put("films/Ran.avi", 9000);                       // new
    remove("films/Brazil.avi");                       // vanished
    move("films/Alien.avi", "films/Alien 1979.avi");  // renamed
    move("films/old/Heat.avi", "films/new/Heat.avi"); // moved
    put("films/Aliens.mkv", 3500, 5);                 // modified
    scan();
    ASSERT_TRUE(program->refreshOffered());

    ui.threeChoiceAnswers = {0};
    const RefreshOutcome done = program->refreshDisk();
    const auto& asked = ui.shown[ui.shown.size() - 2];
    EXPECT_EQ(asked.kind, "three");
    EXPECT_EQ(asked.text,
              "  Disque FILMS : 1 nouveaux, 1 disparus, 2 déplacés ou renommés, 1 modifiés (taille ou "
              "date) \n\n  Mettre la liste à jour ?");
    EXPECT_EQ(asked.captions, (std::vector<std::string>{"Oui", "Nouveaux seulement", "Annuler"}));
    ASSERT_EQ(ui.details.size(), 1u);
    const auto& details = ui.details.front();
    ASSERT_EQ(details.size(), 4u);
    EXPECT_EQ(details[0].words, "1 nouveaux");
    EXPECT_EQ(details[0].lines, (std::vector<std::string>{native("films/Ran.avi")}));
    EXPECT_EQ(details[1].lines, (std::vector<std::string>{native("films/Brazil.avi")}));
    EXPECT_EQ(details[2].lines.size(), 2u);
    EXPECT_NE(details[2].lines[0].find("   =>   "), std::string::npos);
    EXPECT_EQ(details[3].words, "1 modifiés (taille ou date)");

    EXPECT_TRUE(done.changed);
    EXPECT_EQ(done.added, 1u);
    EXPECT_EQ(done.removed, 1u);
    EXPECT_EQ(done.updated, 3u);
    EXPECT_EQ(lastText(),
              "  Disque FILMS mis à jour : 1 rajoutés, 1 effacés, 2 déplacés ou renommés, 1 modifiés "
              "\n\n  ce qui fait un total de 6");
    std::vector<std::string> rows = filmsRows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"Alien 1979.avi :\\films 2.00 Ko",
                                              "Aliens.mkv :\\films 3.42 Ko", "Heat.avi :\\films\\new 6.84 Ko",
                                              "Lost.avi :\\series 700 Mo", "Ran.avi :\\films 8.79 Ko"}))
        << "the row under a folder never ticked is left alone";
    EXPECT_TRUE(state.globalList.table.ListModified);
    // Every key follows: a rebuild finds the same set.
    EXPECT_EQ(state.globalList.keys.size(), 6u);
    EXPECT_EQ(state.globalList.keys.rowCount(), 6u);
    EXPECT_EQ(state.globalList.index.keyCountCaption, "n-idx = 6");

    // A second refresh finds nothing to do.
    ui.threeChoiceAnswers.clear();
    program->refreshDisk();
    EXPECT_EQ(lastText(), "  Disque FILMS : rien n'a changé dans les dossiers listés \n\n");

    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(program->saveList());
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    program->undo();
    EXPECT_EQ(TempFolder::read(listFile), before) << "Undo gives the list back as it was before the refresh";
    EXPECT_EQ(filmsRows().size(), 5u);
}

// Three look-alike files (same size and date) for two vanished rows: the closest paths pair, the
// third is new, at a level that leaves the folder out of the key and at one that keeps it.
TEST_F(DiskRefresh, LookAlikesPairByTheClosestPathAtIdx1) {
    refreshLookAlikes(0);
}

TEST_F(DiskRefresh, LookAlikesPairByTheClosestPathAtIdx4) {
    refreshLookAlikes(3);
}

// The scan lists what the catalogue's filters take today: a file they no longer take is still on
// the disk, and its row is no vanished file.
TEST_F(DiskRefresh, AFileTheFiltersNoLongerTakeKeepsItsRow) {
    put("films/Alien.avi", 2048);
    put("films/Aliens.mkv", 3000);
    scanAndAdd();
    state.catalogue.params.media[0].extensionFilter = "avi";
    remove("films/Alien.avi");
    scan();
    EXPECT_EQ(refreshAnsweringOui(), question(0, 1, 0, 0));
    EXPECT_EQ(filmsRows(),
              (std::vector<std::string>{"Lost.avi :\\series 700 Mo", "Aliens.mkv :\\films 2.93 Ko"}));
}

// The scan reads the list while it runs; rows deleted after it are not the rows it read.
TEST_F(DiskRefresh, RowsDeletedAfterTheScanAreNotCompared) {
    put("films/Alien.avi", 2048);
    put("films/Brazil.avi", 5000);
    scanAndAdd();
    remove("films/Brazil.avi");
    scan();
    ui.answers = {DialogButton::Yes};
    program->deleteRows({3}, 1); // Alien, the first row the adding made
    EXPECT_EQ(refreshAnsweringOui(), question(1, 1, 0, 0));
    EXPECT_EQ(filmsRows(),
              (std::vector<std::string>{"Lost.avi :\\series 700 Mo", "Alien.avi :\\films 2.00 Ko"}));
}

TEST_F(DiskRefresh, NewOnlyAddsAsTheAddingDoesAndCancelChangesNothing) {
    put("films/Alien.avi", 2048);
    put("films/Brazil.avi", 5000);
    scanAndAdd();
    remove("films/Brazil.avi");
    put("films/Ran.avi", 9000);
    scan();

    ui.threeChoiceAnswers = {2};
    const std::uint64_t stamp = state.globalList.table.rowsStamp();
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(state.globalList.table.rowsStamp(), stamp);

    ui.threeChoiceAnswers = {1};
    const RefreshOutcome added = program->refreshDisk();
    EXPECT_EQ(added.added, 1u);
    EXPECT_EQ(added.removed, 0u);
    EXPECT_EQ(lastText(), " 1  médias rajoutés à la liste globale \n\n  ce qui fait un total de 5");
    EXPECT_EQ(filmsRows().size(), 4u) << "Brazil stays, Ran comes";
}

// A stop leaves the folder being walked unread: its rows stay whatever the scan missed there.
TEST_F(DiskRefresh, AStoppedScanComparesNothingItDidNotWalkAndSaysSo) {
    put("films/Alien.avi", 2048);
    put("films/Brazil.avi", 5000);
    put("films/Heat.avi", 7000);
    scanAndAdd();
    remove("films/Brazil.avi");
    scan({"films"}, true);
    ASSERT_TRUE(program->collection().scannedDisk->stopped);

    ui.threeChoiceAnswers.clear();
    program->refreshDisk();
    EXPECT_EQ(lastText(),
              "  Disque FILMS : rien n'a changé dans les dossiers listés \n\n  Listage interrompu : rien "
              "n'est comparé dans les dossiers non parcourus, 3 médias y restent tels quels \n\n");
    EXPECT_EQ(filmsRows().size(), 4u);
}

TEST_F(DiskRefresh, AnUnreadableFolderComparesNothingUnderIt) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no permission bits that a test can take away from a folder";
#else
    put("films/Alien.avi", 2048);
    put("films/locked/Heat.avi", 7000);
    put("films/locked/deep/Ran.avi", 9000);
    scanAndAdd();
    remove("films/Alien.avi");
    asUnprivileged({dir.path(), disk.path()}, [&] {
        fs::permissions(pathFromUtf8(disk.file("films/locked")), fs::perms::none);
        scan();
        ui.threeChoiceAnswers = {0};
        program->refreshDisk();
        EXPECT_EQ(
            ui.shown[ui.shown.size() - 2].text,
            "  Disque FILMS : 0 nouveaux, 1 disparus, 0 déplacés ou renommés, 0 modifiés (taille ou date) "
            "\n\n  2 médias de dossiers illisibles ne sont pas comparés et restent tels quels \n\n  Mettre "
            "la "
            "liste à jour ?");
        std::vector<std::string> rows = filmsRows();
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows,
                  (std::vector<std::string>{"Heat.avi :\\films\\locked 6.84 Ko", "Lost.avi :\\series 700 Mo",
                                            "Ran.avi :\\films\\locked\\deep 8.79 Ko"}));
        fs::permissions(pathFromUtf8(disk.file("films/locked")), fs::perms::owner_all);
    });
#endif
}

// The same name and another serial is another disk: its rows are not this disk's, and a disk put in
// the drive's place after the scan is not compared with it.
TEST_F(DiskRefresh, AnotherSerialIsAnotherDisk) {
    put("films/Alien.avi", 2048);
    for (auto& d : drives.drives) d.serial = "FFFF0000";
    scan();
    EXPECT_FALSE(program->refreshOffered()) << "the list has no row of FILMS-FFFF0000";

    for (auto& d : drives.drives) d.serial = "0A1B2C3D";
    scan();
    EXPECT_TRUE(program->refreshOffered());
    for (auto& d : drives.drives) d.serial = "FFFF0000";
    const std::uint64_t stamp = state.globalList.table.rowsStamp();
    EXPECT_FALSE(program->refreshDisk().changed);
    EXPECT_EQ(lastText(), " Ce n'est plus le disque listé : relancer 3- lister...");
    EXPECT_EQ(state.globalList.table.rowsStamp(), stamp);
}
