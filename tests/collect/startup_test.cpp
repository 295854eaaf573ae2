#include <gtest/gtest.h>

#include "collect/startup.h"
#include "platform/files.h"
#include "support/foreign_hold.h"
#include "support/program_fixture.h"
#include "support/unprivileged.h"
#include "util/cp1252.h"
#include "util/error.h"

#include <filesystem>

using namespace verdan;
using namespace verdan::test;

namespace {

struct RecordingView : StartupView {
    std::vector<std::string> events;
    ScreenInfo screenInfo() override { return {1920, 1080, {0, 0, 1920, 1040}}; }
    void currentBounds(WindowGeometry& f1, WindowGeometry& f2) override {
        f1 = {0, 0, 1561, 751, 0};
        f2 = {0, 0, 1561, 751, 0};
    }
    void applyState() override { events.push_back("apply"); }
    void showLoadingPanel(bool shown) override { events.push_back(shown ? "panel on" : "panel off"); }
    void showGlobalListLoading(bool shown) override {
        events.push_back(shown ? "form2 panel on" : "form2 panel off");
    }
    void showGlobalListWindow() override { events.push_back("show form2"); }
    void focusGlobalListButton() override { events.push_back("focus"); }
};

} // namespace

class OpeningSequence : public ::testing::Test, public ProgramFixture {
protected:
    void writeSettings(bool advanced) {
        std::ofstream(verdan::test::pathFromUtf8(program.settingsPath()), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder())
            << "\r\n[Options]\r\nCheckBox_mode_avancer=" << (advanced ? 1 : 0) << "\r\n";
    }
    CollectionState form1{program.drives};
    RecordingView view;
};

TEST_F(OpeningSequence, NoListFileWritesBothFilesAndLoadsNothing) {
    writeSettings(true);
    openingSequence(program, form1, ui, view);
    EXPECT_FALSE(form1.FirstActivation);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(platform::isFile(joinPath(listFolder(), "liste_globale_médias.prm")));
    const std::string ini = TempFolder::read(program.settingsPath());
    EXPECT_NE(ini.find("Edit_nom_fic_media.text=liste_globale_m\xE9"
                       "dias"),
              std::string::npos);
    EXPECT_FALSE(program.catalogue.ParamsModified);
    EXPECT_EQ(program.collectionListFileCaption, "liste_globale_médias");
    EXPECT_EQ(program.globalList.helpText, program.HelpTextAdvanced);
    EXPECT_EQ(form1.helpPanelText, program.HelpTextAdvanced);
    EXPECT_FALSE(form1.indexControls.radioGroupEnabled);
    EXPECT_FALSE(form1.indexControls.reinitEnabled);
}

// Copied where the user cannot write ("Program Files"): the program's files live in the user's own
// folder, said once, and the empty-list template is still read beside the program.
TEST_F(OpeningSequence, AnInstallationThatCannotBeWrittenSaysWhereItsFilesAreOnce) {
    TempFolder installed;
    program.installedFolder = installed.path();
    openingSequence(program, form1, ui, view);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{
                              programFolderElsewhereText(installed.path(), program.programFolder)}));
    EXPECT_TRUE(platform::isFile(program.settingsPath()));

    ui.shown.clear();
    CollectionState again{program.drives};
    openingSequence(program, again, ui, view);
    EXPECT_TRUE(ui.shown.empty()) << "said once, at the first start";
    EXPECT_EQ(program.installedFiles(), installed.path());
}

TEST_F(OpeningSequence, AdvancedModeAsksWithTheCountThenLoads) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil")});
    ui.answers = {DialogButton::Yes};
    openingSequence(program, form1, ui, view);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text,
              ".   Charger la liste globale de  2  <vidéos+musiques>  du fichier suivant  ?          "
              "\n\n     liste_globale_médias.txt");
    EXPECT_EQ(program.globalList.table.rowCount(), 3u);
    EXPECT_EQ(program.globalList.keys.size(), 2u);
    EXPECT_EQ(program.globalList.mediaCountCaption, "2 médias");
    EXPECT_EQ(program.globalListButtonCaption, "Liste globale des 2 médias =>");
    EXPECT_EQ(program.globalList.disks, (std::vector<std::string>{"FILMS-1234ABCD"}));
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"apply", "apply", "panel on", "focus", "panel off", "apply"}));
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
}

TEST_F(OpeningSequence, AdvancedModeDeclinedLoadsNothing) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::No};
    openingSequence(program, form1, ui, view);
    EXPECT_EQ(program.globalList.table.mediaCount(), 0u);
    EXPECT_FALSE(form1.FirstActivation);
}

TEST_F(OpeningSequence, BasicModeLoadsWithoutAQuestionAndShowsTheGlobalList) {
    writeSettings(false);
    writeList({row("1", "FILMS", "Alien")});
    openingSequence(program, form1, ui, view);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(program.globalList.table.rowCount(), 2u);
    EXPECT_EQ(program.globalList.helpText, program.HelpTextSimple);
    EXPECT_EQ(view.events, (std::vector<std::string>{"apply", "apply", "form2 panel on", "show form2",
                                                     "form2 panel off", "apply"}));
}

TEST_F(OpeningSequence, ALoadStoppedWithEscapeEndsTheStartWithoutTheListInEitherMode) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 20000; ++i)
        lines.push_back(row(std::to_string(i), "FILMS", "t" + std::to_string(i)));
    const std::string path = writeList(lines);
    for (const bool advanced : {false, true}) {
        writeSettings(advanced);
        form1.FirstActivation = true;
        ui.shown.clear();
        ui.progressTexts.clear();
        ui.escapeAtProgress = 1;
        if (advanced) ui.answers = {DialogButton::Yes};
        openingSequence(program, form1, ui, view);
        EXPECT_EQ(program.globalList.table.mediaCount(), 0u);
        EXPECT_FALSE(form1.FirstActivation) << "the next activation does not read it again";
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_EQ(ui.shown.back().text,
                  "  Lecture annulée : la liste affichée reste telle qu'elle était  \n\n  " + path);
        EXPECT_EQ(view.events.back(), "apply");
    }
}

TEST_F(OpeningSequence, AHeaderOnlyFileLoadsWithoutAQuestionInAdvancedMode) {
    writeSettings(true);
    writeList({});
    openingSequence(program, form1, ui, view);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
}

TEST_F(OpeningSequence, MediaTextOfTheQuestion) {
    EXPECT_EQ(loadQuestion(3, "", "", "a.txt"),
              ".   Charger la liste globale de  3  <médias>  du fichier suivant  ?          \n\n     a.txt");
    EXPECT_NE(loadQuestion(3, "", "clips", "a.txt").find("<+clips>"), std::string::npos);
    EXPECT_NE(loadQuestion(3, "VidÃ©os", "", "a.txt").find("<Vidéos>"), std::string::npos);
}

TEST_F(OpeningSequence, ParameterFileIsReadAndLeftAsItWas) {
    writeSettings(true);
    const std::string prm = joinPath(listFolder(), "liste_globale_médias.prm");
    std::ofstream(verdan::test::pathFromUtf8(prm), std::ios::binary)
        << "[LISTE]\r\nRadioGroup_index.ItemIndex=3\r\nform2.ComboBox1.ItemIndex=3\r\n[MEDIA_1]\r\n"
           "Edit_type_media_1_.Text=films\r\n";
    const std::string written = TempFolder::read(prm);
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    openingSequence(program, form1, ui, view);
    EXPECT_EQ(program.catalogue.params.indexLevel, 3);
    EXPECT_EQ(program.catalogue.params.fontIndex, 3);
    // Read is not changed: a quit does not write it back (another program may have changed it).
    EXPECT_FALSE(program.catalogue.ParamsModified);
    EXPECT_FALSE(enregistrer_parametre_liste(program.catalogue, ui, false));
    EXPECT_EQ(TempFolder::read(prm), written);
    EXPECT_EQ(program.globalList.index.levelCaption, "idx4");
    EXPECT_NE(ui.shown[0].text.find("<films+musiques>"), std::string::npos);
}

TEST_F(OpeningSequence, AnUnreadableListFileStopsAndRunsAgainNextTime) {
    verdan::test::asUnprivileged({dir.path()}, [&] {
        writeSettings(true);
        const std::string list = writeList({row("1", "FILMS", "Alien")});
        {
            Unreadable lock(list);
            if (!lock.whyNot().empty()) GTEST_SKIP() << lock.whyNot();
            EXPECT_THROW(openingSequence(program, form1, ui, view), VerdanError);
            EXPECT_TRUE(form1.FirstActivation);
        }
        ui.answers = {DialogButton::Yes};
        openingSequence(program, form1, ui, view);
        EXPECT_FALSE(form1.FirstActivation);
        EXPECT_EQ(program.globalList.table.rowCount(), 2u);
    });
}

TEST(Activation, TitleEndsWithTheListNameAndMarksAreCleared) {
    ProgramState program;
    program.collectionListFileCaption = "films";
    program.globalList.table.setCell(1, 13, " x");
    program.globalList.table.appendRow({"2", "D", "", "t", "", "", "", "", "", "", "", "", "", " x"});
    EXPECT_EQ(activate(program), "V E R D A N   v 1 . 9      films");
    EXPECT_EQ(program.globalList.table.cell(1, 13), "");
    EXPECT_EQ(program.globalList.table.cell(2, 13), "");
}

TEST_F(OpeningSequence, AListFolderThatNoLongerExistsIsMadeAgain) {
    platform::createFolders(listFolder());
    std::filesystem::remove_all(listFolder());
    writeSettings(true);
    openingSequence(program, form1, ui, view);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(platform::isFile(joinPath(listFolder(), "liste_globale_médias.prm")));
}

TEST_F(OpeningSequence, AListFolderThatCannotBeMadeIsSaidOnceAndTheStartGoesOn) {
    const std::string blocker = dir.write("un_fichier", "x");
    std::ofstream(verdan::test::pathFromUtf8(program.settingsPath()), std::ios::binary)
        << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(joinPath(blocker, "listes"))
        << "\r\n";
    openingSequence(program, form1, ui, view);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].type, DialogType::Error);
    EXPECT_EQ(ui.shown[0].text, "Impossible d'écrire dans " +
                                    joinPath(joinPath(blocker, "listes"), "liste_globale_médias.prm"));
    EXPECT_FALSE(form1.FirstActivation);
    EXPECT_TRUE(platform::isFile(program.settingsPath()));
}

TEST_F(OpeningSequence, AParameterFileWithImpossiblePositionsStillStarts) {
    writeSettings(true);
    std::ofstream(verdan::test::pathFromUtf8(joinPath(listFolder(), "liste_globale_médias.prm")),
                  std::ios::binary)
        << "[LISTE]\r\nRadioGroup_index.ItemIndex=7\r\nform2.ComboBox1.ItemIndex=9\r\n";
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    openingSequence(program, form1, ui, view);
    EXPECT_EQ(program.catalogue.params.indexLevel, 1);
    EXPECT_EQ(program.catalogue.params.fontIndex, 0);
    EXPECT_EQ(program.globalList.keys.size(), 1u);
}

// A list file lost while its backup survived (an older version killed mid-save): starting on an
// empty catalogue would let the first save throw the backup away.
TEST_F(OpeningSequence, AMissingListWithABackupOffersToRestoreIt) {
    writeSettings(false);
    const std::string list = writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil")});
    const std::string backup = joinPath(listFolder(), "liste_globale_médias.bak");
    platform::replaceEntry(list, backup);
    const std::string killedSave = list + ".tmp999999999_0";
    std::ofstream(verdan::test::pathFromUtf8(killedSave), std::ios::binary) << "n\tnom-disque\r\nhalf a li";
    const std::string favourites = joinPath(program.programFolder, "favoris");
    platform::createFolders(favourites);
    const std::string killedCopy = joinPath(favourites, "Alien.avi.tmp999999999_3");
    std::ofstream(verdan::test::pathFromUtf8(killedCopy), std::ios::binary) << "half a film";

    ui.answers = {DialogButton::Yes};
    openingSequence(program, form1, ui, view);
    ASSERT_GE(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "  Le fichier de la liste est introuvable :\n\n    " + list +
                                    "\n\n  mais sa sauvegarde existe (2 médias) :\n\n    " + backup +
                                    "\n\n  Restaurer la sauvegarde ?");
    EXPECT_EQ(program.globalList.table.mediaCount(), 2u);
    EXPECT_EQ(TempFolder::read(list), TempFolder::read(backup));
    EXPECT_FALSE(platform::exists(killedSave)) << "what a killed save left is removed at start-up";
    EXPECT_FALSE(platform::exists(killedCopy)) << "and what a killed copy left in the favourites";
}

TEST_F(OpeningSequence, DecliningTheRestoreKeepsTheBackupForLater) {
    writeSettings(false);
    const std::string list = writeList({row("1", "FILMS", "Alien")});
    const std::string backup = joinPath(listFolder(), "liste_globale_médias.bak");
    platform::replaceEntry(list, backup);
    ui.answers = {DialogButton::No};
    openingSequence(program, form1, ui, view);
    EXPECT_EQ(program.globalList.table.mediaCount(), 0u);
    EXPECT_FALSE(platform::exists(list));
    EXPECT_TRUE(platform::isFile(backup));
}

TEST_F(OpeningSequence, ACatalogueInAFolderWindows1252CannotSpellIsFoundAfterARestart) {
    const std::string home = joinPath(dir.path(), "łukasz");
    const std::string lists = joinPath(home, "Каталоги");
    platform::createFolders(lists);
    std::ofstream(verdan::test::pathFromUtf8(joinPath(lists, "filmy_łódź.txt")), std::ios::binary)
        << cp1252::encode("n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille\tdrive\ttype-disque"
                          "\tNS-disque\tlibre\ttotal\t x\r\n" +
                          row("1", "FILMS", "Alien") + "\r\n");
    program.settings.listFolder = lists;
    program.settings.listName = "filmy_łódź";
    program.settings.favouritesFolder = joinPath(home, "ulubione");
    program.saveSettings();

    ProgramState restarted;
    restarted.programFolder = dir.path();
    CollectionState form1Again{restarted.drives};
    ui.answers = {DialogButton::Yes};
    openingSequence(restarted, form1Again, ui, view);
    EXPECT_EQ(restarted.catalogue.paths.ListFilePath, joinPath(lists, "filmy_łódź.txt"));
    EXPECT_EQ(restarted.globalList.table.mediaCount(), 1u);
    EXPECT_EQ(restarted.collectionListFileCaption, "filmy_łódź");
    EXPECT_EQ(restarted.globalList.favouritesCaption, joinPath(home, "ulubione"));
    for (const auto& e : std::filesystem::recursive_directory_iterator(pathFromUtf8(dir.path())))
        EXPECT_EQ(utf8FromPath(e.path()).find('?'), std::string::npos) << utf8FromPath(e.path());
}
