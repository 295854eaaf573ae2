#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "browse/favourites_copy.h"
#include "browse/marks.h"
#include "browse/opening.h"
#include "browse/plan_copy.h"
#include "browse/retrieval_plan.h"
#include "browse_fixture.h"
#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "collect/collection_state.h"
#include "collect/dvd_import.h"
#include "platform/files.h"
#include "util/cp1252.h"

using namespace verdan;
using namespace verdan::test;

// A list file or a plan is exchanged and edited by hand: whatever its cells say, a copy writes only
// plain files directly in the favourites folder and reads only files of the row's own disk.

TEST(ContainedPaths, ANameIsOnePlainFileAndAFolderNeverClimbsAboveItsDisk) {
    for (const char* name : {"Alien.avi", "Été à Paris.mp4", "C:evil.avi", "CON", "a..b", ".cache", "Vol. 2"})
        EXPECT_TRUE(isPlainFileName(name)) << name;
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("..."), std::string(". ."),
          std::string("../x"), std::string("..\\x"), std::string("/etc/passwd"), std::string("a/b"),
          std::string("a\\b"), std::string("a\nb"), std::string("evil\0.avi", 9), std::string("a\x7f")})
        EXPECT_FALSE(isPlainFileName(name)) << shownCell(name);

    for (const char* folder : {":", ":\\", ":\\films", ":\\films\\2020", ":/films", ":\\a..b\\.x",
                               ":\\films\\\\x", ":\\Alien: Remastered"})
        EXPECT_TRUE(staysOnItsDisk(folder)) << folder;
    for (const char* folder : {"", "films", "\\films", "..\\films", ":..", ":\\..", ":\\films\\..\\..\\x",
                               ":/../x", ":\\films/../../x", ":\\...\\x", ":\\.. \\x", ":\\films\\a\tb"})
        EXPECT_FALSE(staysOnItsDisk(folder)) << folder;

    EXPECT_EQ(fileOnDisk("/media/FILMS", ":\\films", "a.avi"), "/media/FILMS/films/a.avi");
    EXPECT_EQ(fileOnDisk("E", ":\\films", "a.avi"), "E:\\films\\a.avi");
    EXPECT_EQ(fileOnDisk("E", ":\\..\\x", "a.avi"), "");
    EXPECT_EQ(fileOnDisk("E", ":\\films", "..\\a.avi"), "");
    EXPECT_EQ(fileOnDisk("", ":\\films", "a.avi"), "") << "an absent disk names no file";

    EXPECT_EQ(refusedRowText(":\\films", "../x.desktop"),
              " Le nom « ../x.desktop » n'est pas un simple nom de fichier : la ligne est refusée. \n\n"
              " (un nom ne peut contenir ni « / » ni « \\ » ni caractère de contrôle, ni n'être fait que de "
              "points) ");
    EXPECT_EQ(refusedRowText(":\\..\\x", "a.avi"),
              " Le répertoire « :\\..\\x » sort de son disque : la ligne est refusée. \n\n"
              " (un répertoire commence par « :\\ » et ne remonte jamais au-dessus de la racine du disque) ");
    EXPECT_EQ(refusedRowLine("FILMS", ":\\films", "a\nb.avi"), "FILMS   :\\films   a?b.avi");
}

namespace {

struct QuietCopyView : CopyView {
    void copyProgressChanged() override {}
};

// The cells of a crafted row.
struct Crafted {
    std::string title, ext, folder;
};

} // namespace

class ContainedCopy : public ::testing::Test, public BrowseFixture {
protected:
    ContainedCopy() {
        platform::createFolders(folder("films"));
        platform::createFolders(favourites());
        platform::createFolders(outside());
        program.globalList.favouritesCaption = favourites();
        drives = {{driveCell(), "FILMS", "1234ABCD"}};
        browse.tick = [] { return 5000u; };
        // What a climbing folder would reach, and what a crafted name would overwrite.
        dir.write("dehors/secret.avi", "secret");
        dir.write("dehors/.bashrc", "mon bashrc");
        dir.write("mnt/films/Bon.avi", "bon");
        snapshotOutside = filesOutsideFavourites();
    }

    std::string favourites() const { return dir.file("favoris"); }
    std::string outside() const { return dir.file("dehors"); }

    // Every file of the test's folder but the favourites, with its content.
    std::map<std::string, std::string> filesOutsideFavourites() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(pathFromUtf8(dir.path()))) {
            const std::string p = utf8FromPath(e.path());
            if (p.rfind(favourites(), 0) == 0 || !e.is_regular_file()) continue;
            files[p] = TempFolder::read(p);
        }
        return files;
    }
    // The favourites folder holds plain files only, none of them the secret.
    void expectNothingLeftItsFolders() {
        EXPECT_EQ(filesOutsideFavourites(), snapshotOutside);
        for (const auto& e : std::filesystem::recursive_directory_iterator(pathFromUtf8(favourites()))) {
            EXPECT_TRUE(e.is_regular_file()) << utf8FromPath(e.path());
            EXPECT_EQ(utf8FromPath(e.path().parent_path()), favourites()) << utf8FromPath(e.path());
            EXPECT_NE(TempFolder::read(utf8FromPath(e.path())), "secret") << utf8FromPath(e.path());
        }
    }

    // Rows that climb to the secret or name a path instead of a file, on the plugged disk.
    std::vector<Crafted> craftedRows() const {
        return {
            {"../dehors/evil", ".desktop", folderCell("films")},
            {"..\\..\\dehors\\.bashrc", "", folderCell("films")},
            {dir.file("dehors") + kSep + ".bashrc", "", folderCell("films")},
            {"Alien", "/../../dehors/x", folderCell("films")},
            {std::string("evil\0", 5), ".avi", folderCell("films")},
            {".", ".", folderCell("films")},
            {"..", "", folderCell("films")},
            {"", "", folderCell("films")},
            {"secret", ".avi", folderCell("..\\dehors")},
            {"secret", ".avi", folderCell("films\\..\\..\\dehors")},
            {"secret", ".avi", folderCell("films/../../dehors")},
            {"secret", ".avi", folderCell("...\\dehors")},
            {"secret", ".avi", "..\\dehors"},
            {"secret", ".avi", "dehors"},
        };
    }
    std::size_t addCrafted(const Crafted& c, const std::string& mark = kMark) {
        Media m;
        m.title = c.title;
        m.ext = c.ext;
        m.folder = c.folder;
        m.size = "1 Ko";
        m.mark = mark;
        return add(m);
    }
    std::size_t addGood() { return addCrafted({"Bon", ".avi", folderCell("films")}); }

    DriveRows drives;
    QuietCopyView view;
    std::map<std::string, std::string> snapshotOutside;
};

TEST_F(ContainedCopy, TheMultipleCopyRefusesEveryCraftedRowAndCopiesTheOthers) {
    for (const Crafted& c : craftedRows()) addCrafted(c);
    // Names only Windows refuses are plain names elsewhere: copied there, refused by Windows.
    for (const char* device : {"CON", "NUL", "COM1"}) {
        dir.write(std::string("mnt/films/") + device + ".avi", "appareil");
        addCrafted({device, ".avi", folderCell("films")});
    }
    const std::size_t good = addGood();
    snapshotOutside = filesOutsideFavourites();
    // A file of that name already in the favourites: "écraser tous" is answered.
    dir.write("favoris/Bon.avi", "ancien");
    ui.answers = {DialogButton::Yes, DialogButton::No};
    Button_copie_multipleClick(program, browse, ui, view, drives, {});

    expectNothingLeftItsFolders();
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Bon.avi")), "bon");
    EXPECT_EQ(list().cell(good, list().indice_col_liste(kMark)), "");
    const std::vector<Crafted> crafted = craftedRows();
    std::vector<std::string> lines;
    for (const Crafted& c : crafted) lines.push_back(refusedRowLine("FILMS", c.folder, c.title + c.ext));
    EXPECT_EQ(ui.shown.at(ui.shown.size() - 2).text,
              refusedRowsText(lines, "ne sont pas copiées et restent cochées"));
    for (std::size_t row = 1; row <= crafted.size(); ++row)
        EXPECT_EQ(list().cell(row, list().indice_col_liste(kMark)), kMark) << row;
    // Nothing of a crafted row is planned either.
    openRetrievalPlan(browse.plan, favourites(), ui);
    EXPECT_TRUE(browse.plan.files().empty());
}

TEST_F(ContainedCopy, RowsOfADiskOnTheShelfAreNeverPlannedWhenCrafted) {
    drives.clear();
    for (const Crafted& c : craftedRows()) addCrafted(c);
    addGood();
    ui.answers = {DialogButton::Yes};
    Button_copie_multipleClick(program, browse, ui, view, drives, {});
    expectNothingLeftItsFolders();
    ASSERT_EQ(browse.plan.files().size(), 1u);
    EXPECT_EQ(browse.plan.files()[0].title, "Bon");
}

TEST_F(ContainedCopy, OpeningShowingAndTheSingleCopyRefuseACraftedRowWithItsReason) {
    const Crafted name = craftedRows()[0];
    const Crafted climb = {"secret", ".avi", folderCell("..\\dehors")};
    for (const Crafted& c : {name, climb}) {
        const std::size_t row = addCrafted(c, "");
        reindex();
        ui.shown.clear();
        openRowFile(program, ui, shell, drives, list(), row);
        BitBtn2Click(program, browse, ui, shell, drives, row);
        BitBtn_copie_un_par_unClick(program, browse, ui, shell, view, drives, row);
        const std::string why = refusedRowText(c.folder, c.title + c.ext);
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{why, why, why}));
    }
    EXPECT_TRUE(shell.calls.empty());
    expectNothingLeftItsFolders();
    EXPECT_TRUE(platform::folderEntries(favourites()).empty());
}

TEST_F(ContainedCopy, APlanEditedIntoPathsIsReadWithoutItsCraftedLines) {
    const std::string header = "nom-disque\tNS-disque\trépertoire\ttitre\text\ttaille\r\n";
    std::string text = header;
    for (const Crafted& c : craftedRows())
        text += "FILMS\t1234ABCD\t" + c.folder + "\t" + c.title + "\t" + c.ext + "\t1 Ko\r\n";
    text += "FILMS\t1234ABCD\t" + folderCell("films") + "\tBon\t.avi\t1 Ko\r\n";
    const std::string bytes = cp1252::encode(text);
    dir.write("favoris/a_rapatrier.txt", bytes);
    openRetrievalPlan(browse.plan, favourites(), ui);
    ASSERT_EQ(browse.plan.files().size(), 1u);
    EXPECT_EQ(browse.plan.files()[0].title, "Bon");
    // Every crafted line is dropped, and the file is kept as it was.
    EXPECT_EQ(TempFolder::read(favourites() + kSep + "a_rapatrier.txt.abime"), bytes);
    // Nor can a crafted file be planned from a row.
    for (const Crafted& c : craftedRows())
        EXPECT_FALSE(browse.plan.add({"FILMS", "1234ABCD", c.folder, c.title, c.ext, "1 Ko"}))
            << shownCell(c.title);

    PlannedDisk disk{"FILMS", "1234ABCD", 1, 1024, driveRoot(driveCell())};
    ui.shown.clear();
    copyPlannedDisk(program, browse, ui, view, disk);
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Bon.avi")), "bon");
    expectNothingLeftItsFolders();
}

TEST_F(ContainedCopy, DvdTitlesThatWouldLeaveTheFavouritesFolderAreRefusedAtTheImport) {
    CollectionState state(program.drives);
    const std::string path = dir.write(
        "dvd.txt", "n\ttitre\r\n1\tAC/DC Live\r\n2\t..\r\n3\tLes Temps modernes\r\n4\tStar Wars: IV\r\n");
    ui.fileAnswers.push_back(path);
    importDvdList(state, ui, "2025-03-05");
    EXPECT_EQ(state.found.lines(),
              (std::vector<std::string>{"2025-03-05  >   -DVD        3 - :\\Les Temps modernes",
                                        "2025-03-05  >   -DVD        4 - :\\Star Wars: IV"}));
    EXPECT_EQ(state.foundCountCaption, "2");
    EXPECT_EQ(ui.shown.back().text,
              " 2 titre(s) refusé(s) : un titre ne peut contenir « / » ni n'être fait que de points, son nom "
              "sortirait du dossier des favoris. \n\n    1 - AC/DC Live\n    2 - ..");
}

#ifndef _WIN32
TEST_F(ContainedCopy, ALinkInTheFavouritesFolderIsReplacedNeverFollowed) {
    // A link named as a copy's destination, pointing out of the folder: overwriting it replaces
    // the link, and what it pointed to stays as it was.
    std::filesystem::create_symlink(pathFromUtf8(dir.file("dehors/.bashrc")),
                                    pathFromUtf8(dir.file("favoris/Bon.avi")));
    addGood();
    ui.answers = {DialogButton::Yes, DialogButton::No};
    Button_copie_multipleClick(program, browse, ui, view, drives, {});
    EXPECT_EQ(TempFolder::read(dir.file("dehors/.bashrc")), "mon bashrc");
    EXPECT_FALSE(std::filesystem::is_symlink(pathFromUtf8(dir.file("favoris/Bon.avi"))));
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Bon.avi")), "bon");
    expectNothingLeftItsFolders();

    // A favourites folder reached through a link is still itself: its copies go there.
    const std::string linked = dir.file("lien_favoris");
    std::filesystem::create_directory_symlink(pathFromUtf8(favourites()), pathFromUtf8(linked));
    EXPECT_EQ(checkDestination(linked, "x.avi"), DestinationCheck::Inside);
    EXPECT_EQ(checkDestination(linked, "../x.avi"), DestinationCheck::NotPlain);
    EXPECT_EQ(checkDestination(dir.file("absent"), "x.avi"), DestinationCheck::Elsewhere);
}
#endif
