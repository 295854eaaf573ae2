#include <gtest/gtest.h>

#include "collect/add_media.h"
#include "collect/collection_state.h"
#include "collect/folders.h"
#include "collect/new_row.h"
#include "collect/scan.h"
#include "platform/files.h"
#include "support/fake_drives.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"

#include <filesystem>
#include <map>
#include <set>

using namespace verdan;
using verdan::test::FakeDriveProvider;
using verdan::test::TempFolder;
using verdan::test::ThreadedFakeUi;
namespace fs = std::filesystem;

namespace {
const std::string kDvdLine = "2025-03-05  >   -DVD      12 - :\\Les Temps modernes";
} // namespace

// The operation, on found lines made of real files of a temporary drive.
class AddMedia : public ::testing::Test {
protected:
    TempFolder drive;
    FakeDriveProvider provider;
    ThreadedFakeUi ui;
    ProgramState program;
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(program.drives);
    CollectionState& state = *owned;
    GlobalList& list = program.globalList.table;

    void SetUp() override {
        // On Windows the drive text is looked up as its upper-case root.
        provider.add(platform::nativeDriveRoot(drive.path()), "FILMS", "0A1B2C3D", platform::kDriveRemovable);
        RefreshDrives(state, provider, ui);
        state.drives.setCurrentRow(1);
    }
    void TearDown() override { owned.reset(); }
    std::string file(const std::string& rel, const std::string& bytes = "x") {
        const std::string path = drive.file(rel);
        fs::create_directories(test::pathFromUtf8(path).parent_path());
        return drive.write(rel, bytes);
    }
    void found(const std::string& rel, const std::string& date = "2020-05-01 10:30") {
        state.found.insert(makeFoundLine(date, 1, file(rel), ","));
    }
    AddOutcome add(DialogButton answer = DialogButton::Yes) {
        ui.shown.clear();
        ui.answers.push_back(answer);
        return BitBtn_rajout_bdClick(program, state, provider, ui);
    }
    std::vector<std::string> column(const char* header) const {
        std::vector<std::string> v;
        for (std::size_t r = 1; r < list.rowCount(); ++r)
            v.emplace_back(list.cell(r, list.indice_col_liste(header)));
        return v;
    }
    std::string lastText() const { return ui.shown.empty() ? "" : ui.shown.back().text; }
};

TEST_F(AddMedia, RefusesWhileAScanRunsAndStopsSilentlyWithoutDriveOrLines) {
    found("a.avi");
    state.scanWorkers.setCurrent(std::make_shared<ScanRun>());
    EXPECT_FALSE(BitBtn_rajout_bdClick(program, state, provider, ui).changed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, " Le listage n'est pas encore terminé ");
    EXPECT_EQ(ui.shown[0].buttons, std::vector<DialogButton>{DialogButton::Yes});
    state.scanWorkers.setCurrent(nullptr);

    ui.shown.clear();
    state.drives.clearToHeader();
    BitBtn_rajout_bdClick(program, state, provider, ui);
    RefreshDrives(state, provider, ui); // empties the found list
    state.drives.setCurrentRow(1);
    BitBtn_rajout_bdClick(program, state, provider, ui);
    EXPECT_TRUE(ui.shown.empty());

    found("a.avi");
    EXPECT_FALSE(add(DialogButton::No).changed);
    EXPECT_EQ(lastText(), " Rajouter ces 1 médias à la liste globale vide ?");
    provider.drives.clear(); // the disk was pulled out after the scan
    EXPECT_FALSE(add().changed);
    EXPECT_EQ(ui.shown.size(), 1u) << "no message after the question";
    EXPECT_EQ(list.rowCount(), 2u);
    EXPECT_FALSE(list.ListModified);
}

TEST_F(AddMedia, FirstAddingReplacesTheBlankRowAndRefreshesTheCounts) {
    program.catalogue.params.indexLevel = 3; // both Heat.avi count
    found("films/action/Heat.avi");
    found("b.mp3");
    found("Heat.avi");
    const AddOutcome out = add();
    EXPECT_EQ(ui.shown[0].text, " Rajouter ces 3 médias à la liste globale vide ?");
    EXPECT_EQ(lastText(), " la liste globale contient maintenant ces 3 premièrs médias \n\n");
    ASSERT_EQ(list.rowCount(), 4u);
    EXPECT_EQ(out.added, 3u);
    EXPECT_EQ(out.lastRow, 3u);
    EXPECT_EQ(list.selectedRow(), 3u);
    EXPECT_TRUE(list.ListModified);

    EXPECT_EQ(column("n"), (std::vector<std::string>{"        1", "        2", "        3"}));
    EXPECT_EQ(column("média"), (std::vector<std::string>{"musique", "vidéo", "vidéo"}));
    EXPECT_EQ(program.globalList.mediaCountCaption, "3 médias");
    EXPECT_EQ(program.globalListButtonCaption, "Liste globale des 3 médias =>");
    EXPECT_EQ(program.globalList.disks, std::vector<std::string>{"FILMS-0A1B2C3D"});
    EXPECT_EQ(program.globalList.index.keyCountCaption, "n-idx = 3");
    EXPECT_EQ(program.globalList.index.collectionKeyCountCaption, "n-idx = 3");
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false, true, false})) << "the drive refresh, then the adding";
}

TEST_F(AddMedia, KnownKeysAreSkippedAndTheReportCountsWhatIsNew) {
    found("a.avi");
    found("b.avi");
    add();
    list.ListModified = false;
    add();
    EXPECT_EQ(ui.shown[0].text, " Rajouter ces 2 médias à la liste globale des 2 médias ?");
    EXPECT_EQ(lastText(),
              "  Inutile , \n\n  ces 2 médias sont déjà indexés    \n\n parmi les 2 de la liste globale");
    EXPECT_EQ(list.rowCount(), 3u);
    EXPECT_TRUE(list.ListModified) << "set even when nothing was new";

    program.globalList.disks = {"ancien-0000"}; // rebuilt, not extended
    found("c.avi");
    add();
    EXPECT_EQ(program.globalList.disks, std::vector<std::string>{"FILMS-0A1B2C3D"});
    EXPECT_EQ(lastText(), " 1  médias rajoutés à la liste globale \n\n  ce qui fait un total de 3");
    EXPECT_EQ(column("titre"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(column("n").back(), "        3");
}

TEST_F(AddMedia, TheIndexLevelDecidesWhatCountsAsTheSameFile) {
    program.catalogue.params.indexLevel = 0;
    found("x/Heat.avi");
    found("y/Heat.avi");
    found("z/HEAT.avi");
    add();
    EXPECT_EQ(list.rowCount(), 2u) << "idx1: one name on one disk, whatever its letter case";
    program.catalogue.params.indexLevel = 3;
    list.resetToEmptyList();
    program.globalList.keys.clear();
    add();
    EXPECT_EQ(column("répertoire"), (std::vector<std::string>{":\\x", ":\\y", ":\\z"}))
        << "idx4: the folder counts";
}

TEST_F(AddMedia, OneMediaRowStaysAndTheTenThousandthNumberHasNoBlanks) {
    list.setCell(1, 0, "ancien");
    list.setCell(1, 1, "films");
    list.setCell(1, 10, "0a1b2c3d");
    found("a.avi");
    add();
    EXPECT_EQ(column("n"), (std::vector<std::string>{"ancien", "        2"}));
    EXPECT_EQ(program.globalList.disks, std::vector<std::string>{"films-0a1b2c3d"})
        << "one disk, letter case aside";
    EXPECT_EQ(ui.shown[0].text, " Rajouter ces 1 médias à la liste globale des 1 médias ?");

    list.appendRows(std::vector<std::vector<std::string>>(9997, {"old"}));
    found("b.avi");
    add();
    EXPECT_EQ(list.cell(10000, 0), "10000");
}

TEST_F(AddMedia, CellsGoToTheColumnOfTheirHeader) {
    list.setCell(0, 3, "ext");
    list.setCell(0, 4, "titre >>");
    list.setCell(0, 12, "autre");
    found("a.avi");
    add();
    EXPECT_EQ(list.cell(1, 3), ".avi");
    EXPECT_EQ(list.cell(1, 4), "a");
    EXPECT_EQ(list.cell(1, 12), "") << "a value without its header is dropped";
}

TEST_F(AddMedia, DvdEntriesGetThePseudoDisk) {
    state.found.insert(kDvdLine);
    state.found.insert("2025-03-05  >   -DVD      13 - :\\Les Temps modernes");
    state.drives.setCurrentRow(0);
    add();
    ASSERT_EQ(list.rowCount(), 2u) << "one title, one medium";
    EXPECT_EQ(list.rowCells(1), (std::vector<std::string>{"        1", "DVD", "", "Les Temps modernes", "",
                                                          "2025-03-05", "DVD      12", "", "d", "-", "-",
                                                          FormatTaille(0), FormatTaille(0), ""}));
    EXPECT_TRUE(provider.queried.empty());
}

// Announced to the table's listener as one insertion, however many rows.
TEST_F(AddMedia, TheListHearsOfOneInsertion) {
    struct Listener : GlobalListListener {
        std::vector<std::pair<std::size_t, std::size_t>> inserted;
        void rowsInserted(std::size_t first, std::size_t count) override {
            inserted.emplace_back(first, count);
        }
    } listener;
    list.setListener(&listener);
    for (int i = 0; i < 300; ++i) found("f" + std::to_string(i) + ".avi");
    add();
    list.setListener(nullptr);
    EXPECT_EQ(listener.inserted, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 300}}));
}

// More lines than one batch of values: rows keep the found list's order and numbering, and a key
// met in an earlier batch still counts.
TEST_F(AddMedia, LongFoundListsKeepTheirOrder) {
    for (int i = 0; i < 20000; ++i) {
        const std::string title = i % 1000 == 999 ? "Titre 0" : "Titre " + std::to_string(i);
        state.found.insert("2025-03-05  >   -DVD" + PadLeftPairs(std::to_string(i), 4) + " - :\\" + title);
    }
    state.drives.setCurrentRow(0);
    add();
    std::vector<std::string> expected;
    std::set<std::string> seen;
    for (const auto& line : state.found) {
        const std::string title = line.substr(line.find(":\\") + 2);
        if (seen.insert(title).second) expected.push_back(title);
    }
    EXPECT_EQ(column("titre"), expected);
    ASSERT_EQ(list.rowCount(), 19981u);
    EXPECT_EQ(list.cell(19980, 0), "19980");
    EXPECT_EQ(lastText(), " la liste globale contient maintenant ces 19980 premièrs médias \n\n");
}

// A real tree scanned by the workers through the user-interface thread, then added.
TEST_F(AddMedia, ScannedTreeEndsInTheListCellByCell) {
    file("films/2020/a.avi", "1234");
    file("films/b.MKV", std::string(2048, 'x'));
    file("films/notes.txt");
    StringGrid_hdClick(state, ui);
    for (std::size_t i = 0; i < state.folders.items.size(); ++i)
        if (state.folders.items[i].name == "films")
            CheckListBox_repClick(state, ui, static_cast<int>(i), true);
    BitBtn_lister_mediaClick(program, state, ui);
    ASSERT_TRUE(ui.pumpUntil([&] { return !state.scanWorkers.current(); }));
    ASSERT_EQ(state.found.size(), 2u);
    std::string dateA;
    for (const auto& line : state.found)
        if (line.find("a.avi") != std::string::npos) dateA = line.substr(0, 16);

    add();
    ASSERT_EQ(list.rowCount(), 3u);
    // The found list is sorted on its lines, the size text before the path.
    const std::size_t a = list.cell(1, 3) == "a" ? 1 : 2, b = 3 - a;
    EXPECT_EQ(list.rowCells(a),
              (std::vector<std::string>{PadLeftPairs(std::to_string(a), 4), "FILMS", "vidéo", "a", ".avi",
                                        dateA, ":\\films\\2020", FormatTaille(4), driveCell(drive.path()),
                                        "USB", "0A1B2C3D", FormatTaille(1536LL * 1048576),
                                        FormatTaille(4LL * 1073741824), ""}));
    EXPECT_EQ(list.cell(b, 3), "b");
    EXPECT_EQ(list.cell(b, 4), ".MKV");
    EXPECT_EQ(list.cell(b, 6), ":\\films");
    EXPECT_EQ(list.cell(b, 7), FormatTaille(2048));
    EXPECT_EQ(program.globalList.keys.size(), 2u);
}

// Lines of many folders, in the found list's order (dates first), so that the files of one folder
// come now together, now apart, across the batches made side by side: every row gets the size
// its own file has now, even after the scan, and a file gone since reads "N/A".
TEST_F(AddMedia, EachRowHasTheSizeOfItsOwnFileNow) {
    std::map<std::string, std::int64_t> sizes;
    auto pathOf = [](int i) {
        return "films/" + std::to_string(i / 10 % 7) + (i / 5 % 2 ? "/sous/" : "/") + "f" +
               std::to_string(i) + ".avi";
    };
    for (int i = 0; i < 200; ++i) {
        // Half the lines share one date, the others have dates of their own.
        found(pathOf(i), i / 20 % 2 ? "2020-05-01 10:00" : "2020-05-02 10:" + std::to_string(10 + i % 40));
        sizes["f" + std::to_string(i)] = 1;
    }
    for (int i = 0; i < 200; i += 5) {
        if (i % 3 == 0) {
            ASSERT_TRUE(platform::removeFile(drive.file(pathOf(i))));
            sizes["f" + std::to_string(i)] = -1;
        } else {
            drive.write(pathOf(i), std::string(static_cast<std::size_t>(i + 2), 'y'));
            sizes["f" + std::to_string(i)] = i + 2;
        }
    }
    EXPECT_EQ(add().added, 200u);
    const std::vector<std::string> titles = column("titre"), taille = column("taille");
    ASSERT_EQ(titles.size(), 200u);
    std::size_t gone = 0;
    for (std::size_t r = 0; r < titles.size(); ++r) {
        ASSERT_EQ(taille[r], FormatTaille(sizes.at(titles[r]))) << titles[r];
        gone += sizes.at(titles[r]) < 0;
    }
    EXPECT_EQ(gone, 14u);
}

// The disk list after an adding is the one read afresh from the table, whatever changed in the
// table between two addings: disk cells, order, rows, headers.
TEST_F(AddMedia, TheDiskListFollowsEveryChangeOfTheTableBetweenAddings) {
    std::vector<std::string> after;
    int next = 0;
    auto addOneAndCheck = [&](const char* what) {
        found("f" + std::to_string(next++) + ".avi");
        ASSERT_EQ(add().added, 1u) << what;
        after = program.globalList.disks;
        extraire_hd_liste_globale(program.globalList);
        EXPECT_EQ(after, program.globalList.disks) << what;
    };
    addOneAndCheck("first");
    addOneAndCheck("nothing changed");
    const int name = list.indice_col_liste("nom-disque"), serial = list.indice_col_liste("NS-disque");
    list.setCell(1, name, "AUTRE");
    addOneAndCheck("a disk name");
    EXPECT_EQ(after, (std::vector<std::string>{"AUTRE-0A1B2C3D", "FILMS-0A1B2C3D"}));
    list.reorderDataRows({3, 2, 1});
    addOneAndCheck("the order");
    EXPECT_EQ(after, (std::vector<std::string>{"FILMS-0A1B2C3D", "AUTRE-0A1B2C3D"}));
    list.setColumn(serial, "0000", 1, 2);
    addOneAndCheck("serials");
    EXPECT_EQ(after.front(), "FILMS-0000");
    list.removeRows({1, 2});
    addOneAndCheck("rows removed");
    // The two headers swapped: the titles now name the disks.
    const int title = list.indice_col_liste("titre");
    list.setCell(0, name, "titre");
    list.setCell(0, title, "nom-disque");
    addOneAndCheck("headers");
    EXPECT_EQ(after.front(), "f0-0A1B2C3D");
    EXPECT_EQ(after.back(), "FILMS-0A1B2C3D");
    program.globalList.disks.clear();
    addOneAndCheck("the disk list emptied by hand");
}
