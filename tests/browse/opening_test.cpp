#include <gtest/gtest.h>

#include <filesystem>

#include "browse/favourites_copy.h"
#include "browse/opening.h"
#include "browse/search.h"
#include "browse_fixture.h"
#include "catalogue/drive_table.h"
#include "catalogue/shared_actions.h"
#include "util/error.h"
#include "util/safe_open.h"

using namespace verdan;
using namespace verdan::test;

using Calls = std::vector<FakeShell::Call>;

TEST(DriveLookup, NameAndSerialFirstThenSerialAlone) {
    const DriveRows drives = {{"D:\\", "AUTRE", "1111AAAA"},
                              {"E:\\", "FILMS", "2222BBBB"},
                              {"F:\\", "FILMS_NEUF", "2222BBBB"},
                              {"G:\\", "COPIE", "3333CCCC"},
                              {"H:\\", "films", "3333CCCC"}};
    EXPECT_EQ(FindDriveByDisk(drives, "FILMS", "2222BBBB"), "E");
    EXPECT_EQ(FindDriveByDisk(drives, "FILMS_NEUF", "2222BBBB"), "F");
    EXPECT_EQ(FindDriveByDisk(drives, "FILMS", "3333CCCC"), ""); // case-sensitive: not "films"
    EXPECT_EQ(FindDriveBySerial(drives, "3333CCCC"), "G");
    EXPECT_EQ(FindDriveBySerial(drives, "3333cccc"), "");
    EXPECT_EQ(FindDriveBySerial({}, ""), "");
    EXPECT_EQ(FindDriveBySerial({{"/media/anna/FILMS/", "FILMS", "2222BBBB"}}, "2222BBBB"),
              "/media/anna/FILMS");
}

TEST(DriveLookup, RowsOfTheCollectionWindowsTable) {
    DriveTable table;
    EXPECT_TRUE(driveRowsOf(table).empty()); // its blank row is no drive
    table.setCell(1, 0, "E:\\");
    table.setCell(1, 1, "FILMS");
    table.setCell(1, 3, "2222BBBB");
    const int r = table.addRow();
    table.setCell(r, 0, "/media/anna/MUSIQUE");
    table.setCell(r, 3, "3333CCCC");
    const DriveRows rows = driveRowsOf(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(FindDriveByDisk(rows, "FILMS", "2222BBBB"), "E");
    EXPECT_EQ(FindDriveBySerial(rows, "3333CCCC"), "/media/anna/MUSIQUE");
}

TEST(DriveLookup, CatalogueFoldersOnTodaysRoot) {
    EXPECT_EQ(nativeFilePath("E", ":\\Films\\Action", "Alien.avi"), "E:\\Films\\Action\\Alien.avi");
    EXPECT_EQ(nativeFilePath("E", ":\\", "Alien.avi"), "E:\\Alien.avi");
    EXPECT_EQ(nativeFilePath("/media/anna/FILMS", ":\\films\\2020", "a.avi"),
              "/media/anna/FILMS/films/2020/a.avi");
    EXPECT_EQ(nativeFilePath("/media/anna/FILMS", ":\\", "a.avi"), "/media/anna/FILMS/a.avi");
    EXPECT_EQ(nativeFilePath("/", ":\\", "a.avi"), "/a.avi");
    EXPECT_EQ(nativeFilePath("/", ":\\home\\anna", "a.avi"), "/home/anna/a.avi");
    EXPECT_EQ(folderOfPath("E:\\Films\\Alien.avi"), "E:\\Films");
    EXPECT_EQ(folderOfPath("E:\\Alien.avi"), "E:\\");
    EXPECT_EQ(folderOfPath("/media/x/a.avi"), "/media/x");
    EXPECT_EQ(folderOfPath("/a.avi"), "/");
    EXPECT_EQ(fileNameOfPath("/media/x/a b.avi"), "a b.avi");
    EXPECT_EQ(fileNameOfPath("E:\\Films\\Alien.avi"), "Alien.avi");
    // A Windows path written with "/" in part (a dialog's, a typed one) is cut at either; a Linux
    // name may hold a "\\".
    EXPECT_EQ(fileNameOfPath("C:\\Temp\\films/Alien.avi"), "Alien.avi");
    EXPECT_EQ(folderOfPath("C:\\Temp\\films/Alien.avi"), "C:\\Temp\\films");
    EXPECT_EQ(folderOfPath("C:/Alien.avi"), "C:/");
    EXPECT_EQ(fileNameOfPath("/media/x/a\\b.avi"), "a\\b.avi");
    EXPECT_EQ(driveRoot("D:\\"), "D");
    EXPECT_EQ(driveRoot(""), "");
    EXPECT_EQ(driveRoot("/"), "/");
}

// Rows whose disk holds the test's folder, so that files and folders really exist: on Linux the
// disk is mounted there, on Windows it is that folder's drive and the rows' folders lead to it.
class Opening : public ::testing::Test, public BrowseFixture {
protected:
    Opening() {
        platform::createFolders(folder("films"));
        drives = {{driveCell(), "FILMS", "1234ABCD"}};
        Media m;
        m.folder = folderCell("films");
        m.title = "Alien";
        add(m); // row 1: present
        m.title = "Perdu";
        add(m); // row 2: file missing, folder present
        m.title = "Ailleurs";
        m.folder = folderCell("disparu");
        add(m); // row 3: folder missing
        m.disk = "ABSENT";
        m.serial = "0000FFFF";
        m.title = "Loin";
        m.folder = folderCell("films");
        add(m); // row 4: disk absent
        dir.write("mnt/films/Alien.avi", "x");
        reindex();
    }
    void dblClick(std::size_t row, int col = 3, Grid grid = Grid::Full) {
        StringGrid1DblClick(program, browse, ui, shell, drives, grid, row, GridCell{row, col}, &keys);
    }
    bool rightClick(std::optional<std::size_t> row, Grid grid = Grid::Full) {
        return StringGrid1MouseDown(program, browse, ui, drives, grid, row, around,
                                    [](const std::string& s) { return static_cast<int>(s.size()) * 7; });
    }
    DriveRows drives;
    platform::SortKeyMaker keys{"fr_FR"};
    PanelSurroundings around{100, 50, 8, 1200, 0, 600, 120};
};

TEST_F(Opening, DoubleClickOpensThePresentFile) {
    dblClick(1);
    EXPECT_EQ(shell.calls, (Calls{{"open", file("Alien.avi")}}));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(browse.keyboard.CursorRow, 1u);
    EXPECT_EQ(RowFilePath(list(), 1, drives), file("Alien.avi"));
}

TEST_F(Opening, DoubleClickReportsMissingFileAndAbsentDisk) {
    dblClick(2);
    dblClick(4);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{"Fichier " + file("Perdu.avi") + " introuvable",
                                        " Disque <ABSENT>   0000FFFF   introuvable, veuillez le brancher "}));
    EXPECT_EQ(RowFilePath(list(), 4, drives), "");
}

TEST_F(Opening, ARenamedDiskIsFoundByItsSerial) {
    drives = {{driveCell(), "NOUVEAU_NOM", "1234ABCD"}};
    dblClick(1);
    EXPECT_EQ(shell.calls, (Calls{{"open", file("Alien.avi")}}));
}

TEST_F(Opening, DoubleClickOnTheHeaderSortsInsteadOfOpening) {
    dblClick(0, 3);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(list().cell(0, 3), "titre >>");
    EXPECT_EQ(list().cell(1, 3), "Perdu");
    StringGrid1DblClick(program, browse, ui, shell, drives, Grid::Full, 2, std::nullopt, &keys);
    EXPECT_TRUE(shell.calls.empty()); // outside the cells
}

TEST_F(Opening, AfterEmptyingTheKeySetNothingOpens) {
    program.globalList.keys.clear();
    dblClick(1);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(Opening, TheResultTableOpensItsOwnRows) {
    ASSERT_TRUE(Button_rechercherClick(program, browse, "alien"));
    dblClick(1, 3, Grid::Filter);
    EXPECT_EQ(shell.calls, (Calls{{"open", file("Alien.avi")}}));
}

TEST(OpeningEmptyList, TheBlankRowIsADiskWithoutNameOrSerial) {
    BrowseFixture f;
    f.reindex(); // the empty key of the blank row
    f.ui.answers = {};
    StringGrid1DblClick(f.program, f.browse, f.ui, f.shell, {{"/x", "A", "B"}}, Grid::Full, 1,
                        GridCell{1, 3});
    EXPECT_EQ(f.ui.texts(), (std::vector<std::string>{" Disque <>      introuvable, veuillez le brancher "}));
    // A drive with neither name nor serial matches it; the path names no file.
    const std::string root = BrowseFixture::kWindows ? f.dir.path().substr(0, 3) : f.dir.path();
    StringGrid1DblClick(f.program, f.browse, f.ui, f.shell, {{root, "", ""}}, Grid::Full, 1, GridCell{1, 3});
    EXPECT_TRUE(f.shell.calls.empty());
    EXPECT_EQ(f.ui.shown.back().text, "Fichier " +
                                          (BrowseFixture::kWindows ? root.substr(0, 1) + "\\" : root + "/") +
                                          " introuvable");
}

TEST_F(Opening, LeftClickPutsTheTitleOnTheClipboardAndHidesThePanel) {
    browse.contextPanel.visible = true;
    StringGrid1Click(program, browse, ui, 3);
    EXPECT_EQ(ui.clipboard, (std::vector<std::string>{"Ailleurs"}));
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_EQ(browse.keyboard.CursorRow, 3u);

    ui.clipboardFailures = 10;
    EXPECT_THROW(StringGrid1Click(program, browse, ui, 1), VerdanError);
    EXPECT_EQ(browse.keyboard.CursorRow, 1u);
}

TEST_F(Opening, RightClickFillsAndPlacesThePanel) {
    ASSERT_TRUE(rightClick(1));
    EXPECT_TRUE(browse.contextPanel.visible);
    EXPECT_EQ(browse.SelectedFile, file("Alien.avi"));
    EXPECT_EQ(browse.SelectedFolder, folder("films"));
    EXPECT_EQ(browse.contextPanel.fileName, "Alien.avi");
    EXPECT_EQ(browse.contextPanel.folder, folder("films"));
    EXPECT_EQ(browse.contextPanel.sizeText, "700 Mo");
    EXPECT_EQ(list().selectedRow(), 1u);
    EXPECT_EQ(browse.contextPanel.placement.width, 500);
    // A file whose folder exists is enough: the file itself may be gone.
    EXPECT_TRUE(rightClick(2));
    EXPECT_EQ(browse.SelectedFile, file("Perdu.avi"));
}

TEST_F(Opening, RightClickOnTheHeaderOrAnAbsentDiskShowsNoPanel) {
    EXPECT_FALSE(rightClick(0));
    EXPECT_FALSE(rightClick(std::nullopt));
    EXPECT_FALSE(rightClick(99));
    EXPECT_TRUE(ui.shown.empty());
    browse.SelectedFile = "ancien";
    EXPECT_FALSE(rightClick(4));
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_EQ(browse.SelectedFile, "");
    EXPECT_FALSE(rightClick(3));
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Disque <ABSENT> introuvable, veuillez le brancher",
                                                    "Répertoire <" + folder("disparu") + "> inexistant"}));
    EXPECT_EQ(browse.SelectedFile, folder("disparu") + kSep + "Ailleurs.avi");
}

TEST(ContextPanel, WidensForLongNamesAndStaysInTheTable) {
    PanelSurroundings around{100, 50, 8, 1200, 10, 600, 120};
    PanelPlacement p = placeContextPanel(300, around);
    EXPECT_EQ(p.width, 500);
    EXPECT_EQ(p.buttons[0], (ButtonSpan{10, 112}));
    EXPECT_EQ(p.buttons[1], (ButtonSpan{132, 112}));
    EXPECT_EQ(p.buttons[2], (ButtonSpan{254, 112}));
    EXPECT_EQ(p.buttons[3], (ButtonSpan{376, 112}));
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.top, 50 + 120 + 25);

    p = placeContextPanel(700, around); // 700 + 2 x 8 = 716
    EXPECT_EQ(p.width, 716);
    EXPECT_EQ(p.buttons[3], (ButtonSpan{3 * 166 + 40, 166}));

    around.x = 1000; // the panel would leave the table on the right
    around.y = 560;  // and at the bottom
    p = placeContextPanel(0, around);
    EXPECT_EQ(p.left, 700);
    EXPECT_EQ(p.top, 10 + 600 - 120 + 10);

    around.tableWidth = 300; // narrower than the panel
    EXPECT_EQ(placeContextPanel(0, around).left, 0);

    // Captions wider than a quarter of 500 pixels widen the panel instead of being cut.
    around.minButtonWidth = 150;
    p = placeContextPanel(300, around);
    EXPECT_EQ(p.width, 650);
    EXPECT_EQ(p.buttons[3], (ButtonSpan{3 * 150 + 40, 150}));
    EXPECT_EQ(placeContextPanel(800, around).width, 816);
}

TEST_F(Opening, ShowFolderChecksDiskAndFolderWithItsOwnWording) {
    ASSERT_TRUE(rightClick(2));
    BitBtn2Click(program, browse, ui, shell, drives, 2);
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_EQ(shell.calls, (Calls{{"show", file("Perdu.avi")}}));

    BitBtn2Click(program, browse, ui, shell, drives, 4);
    BitBtn2Click(program, browse, ui, shell, drives, 3);
    BitBtn2Click(program, browse, ui, shell, drives, 0);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{" Disque <ABSENT>   introuvable, veuillez le brancher ",
                                                    " Répertoire <" + folder("disparu") + "> inexistant "}));
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(Opening, CopyToFavouritesCopiesTheRowsFileAfterTheSameChecks) {
    struct : CopyView {
        int repaints = 0;
        void copyProgressChanged() override { ++repaints; }
    } view;
    platform::createFolders(dir.file("favoris"));
    program.globalList.favouritesCaption = dir.file("favoris");
    ASSERT_TRUE(rightClick(1));
    BitBtn_copie_un_par_unClick(program, browse, ui, shell, view, drives, 1);
    BitBtn_copie_un_par_unClick(program, browse, ui, shell, view, drives, 4);
    EXPECT_EQ(dir.read(dir.file("favoris/Alien.avi")), "x");
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{" Disque <ABSENT>   introuvable, veuillez le brancher "}));
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_FALSE(browse.copyPanel.visible);
    EXPECT_GT(view.repaints, 0);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(Opening, PanelViewButtonOpensTheFileAndCancelOnlyHides) {
    ASSERT_TRUE(rightClick(1));
    viewContextRow(program, browse, ui, shell);
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_EQ(shell.calls, (Calls{{"open", file("Alien.avi")}}));
    ASSERT_TRUE(rightClick(2));
    viewContextRow(program, browse, ui, shell);
    EXPECT_EQ(ui.shown.back().text, "Fichier " + file("Perdu.avi") + " introuvable");
    ASSERT_TRUE(rightClick(1));
    BitBtn4Click(browse);
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(Opening, AwkwardNamesReachTheShellAsOneArgument) {
    std::vector<std::string> names = {"$(rm -rf ~)", "-rf", "a 'b' `c` & d", "100%"};
    if (!kWindows) names.push_back("\"quoted\" name"); // Windows names hold no double quote
    for (const std::string& name : names) {
        platform::createFolders(folder(name));
        dir.write("mnt/" + name + "/" + name + ".avi", "x");
        Media m;
        m.folder = folderCell(name);
        m.title = name;
        const std::size_t row = add(m);
        reindex();
        shell.calls.clear();
        dblClick(row);
        BitBtn2Click(program, browse, ui, shell, drives, row);
        const std::string path = folder(name) + kSep + name + ".avi";
        EXPECT_EQ(shell.calls, (Calls{{"open", path}, {"show", path}})) << name;
    }
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(Opening, AProgramNamedByARowIsShownInItsFolderNeverStarted) {
    // A foreign list can name anything; these would run if handed to the desktop.
    std::vector<std::size_t> rows;
    for (const char* ext : {".exe", ".BAT", ".lnk", ".exe."}) {
        Media m;
        m.folder = folderCell("films");
        m.title = "Installer";
        m.ext = ext;
        dir.write(std::string("mnt/films/Installer") + ext, "MZ");
        rows.push_back(add(m));
    }
    reindex();
    for (std::size_t row : rows) dblClick(row);
    ASSERT_TRUE(rightClick(rows[0]));
    viewContextRow(program, browse, ui, shell);
    dblClick(1); // the film next to them opens as before

    Calls expected;
    std::vector<std::string> texts;
    for (const char* ext : {".exe", ".BAT", ".lnk", ".exe.", ".exe"}) {
        expected.push_back({"show", file(std::string("Installer") + ext)});
        texts.push_back(programNotStartedText(file(std::string("Installer") + ext)));
    }
    expected.push_back({"open", file("Alien.avi")});
    EXPECT_EQ(shell.calls, expected);
    EXPECT_EQ(ui.texts(), texts);
}

TEST(Favourites, ChosenFolderGoesToBothWindows) {
    ProgramFixture f;
    f.ui.folderAnswers = {f.dir.path()};
    EXPECT_TRUE(BitBtn_rep_favoriClick(f.program, f.ui));
    EXPECT_EQ(f.ui.shown[0].kind, "folder");
    EXPECT_EQ(f.ui.shown[0].text, "Sélection du répertoire");
    EXPECT_EQ(f.program.settings.favouritesFolder, f.dir.path());
    EXPECT_EQ(f.program.globalList.favouritesCaption, f.dir.path());

    f.ui.folderAnswers = {std::nullopt};
    EXPECT_FALSE(BitBtn_rep_favoriClick(f.program, f.ui));
    EXPECT_EQ(f.program.globalList.favouritesCaption, f.dir.path());
}

TEST(Favourites, ATypedFolderIsCreatedOnYesOnly) {
    ProgramFixture f;
    const std::string wanted = f.dir.file("nouveau/favoris");
    f.ui.folderAnswers = {wanted, wanted};
    f.ui.answers = {DialogButton::No, DialogButton::Yes};
    EXPECT_FALSE(BitBtn_rep_favoriClick(f.program, f.ui));
    EXPECT_FALSE(platform::isFolder(wanted));
    EXPECT_TRUE(BitBtn_rep_favoriClick(f.program, f.ui));
    EXPECT_TRUE(platform::isFolder(wanted));
    EXPECT_EQ(f.ui.shown[1].text, "Le répertoire spécifié n'existe pas. Le créer ?");
    EXPECT_EQ(f.program.settings.favouritesFolder, wanted);
}

TEST(ListFolder, TheCatalogueMovesToTheChosenFolderAndIsWrittenThereLater) {
    ProgramFixture f;
    CurrentCatalogue& c = f.program.catalogue;
    c.paths.derive(f.listFolder(), "films");
    const std::string wanted = f.dir.file("ailleurs");
    f.ui.folderAnswers = {std::nullopt, wanted};
    f.ui.answers = {DialogButton::Yes};
    EXPECT_FALSE(BitBtn_nomfic_mediaClick(f.program, f.ui)); // cancelled: nothing moves
    EXPECT_EQ(c.paths.ListFolder, f.listFolder());
    EXPECT_FALSE(c.ParamsModified);

    EXPECT_TRUE(BitBtn_nomfic_mediaClick(f.program, f.ui));
    EXPECT_EQ(f.ui.shown.back().text, "Le répertoire spécifié n'existe pas. Le créer ?");
    EXPECT_TRUE(platform::isFolder(wanted));
    EXPECT_EQ(f.program.settings.listFolder, wanted);
    EXPECT_EQ(c.paths.ListFilePath, joinPath(wanted, "films.txt"));
    EXPECT_EQ(c.paths.ParamFilePath, joinPath(wanted, "films.prm")); // the pair stays together
    EXPECT_TRUE(c.ParamsModified);
    EXPECT_TRUE(platform::folderEntries(wanted).empty()); // nothing written before a save
}

TEST(Favourites, TheFolderButtonPassesTheTextUnchecked) {
    FakeShell shell;
    SpeedButton1Click("/nulle part/$(x)", shell);
    EXPECT_EQ(shell.calls, (Calls{{"folder", "/nulle part/$(x)"}}));
}

TEST(Help, OpensTheDocumentOnlyWhenItIsThere) {
    TempFolder dir;
    FakeShell shell;
    BitBtn_helpClick(shell, dir.path());
    EXPECT_TRUE(shell.calls.empty());
    const std::string pdf = dir.write("help_verdan.pdf", "%PDF");
    BitBtn_helpClick(shell, dir.path());
    EXPECT_EQ(shell.calls, (Calls{{"open", pdf}}));
}
