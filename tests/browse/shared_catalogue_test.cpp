// One catalogue open in two programs (two computers on a share, or twice by mistake): the other
// program is played here by writing its files, as it would.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "browse/catalogue_choice.h"
#include "browse/list_commands.h"
#include "catalogue/catalogue_access.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/program_fixture.h"

using namespace verdan;
using namespace verdan::test;

namespace {

struct QuietView : CatalogueChoiceView {
    void showLoadingPanel(bool) override {}
    void showWaitingPanels(bool) override {}
    void focusGlobalListButton() override {}
};

const std::string kOtherLock = "[VERROU]\r\nmachine=AUTRE-PC\r\nutilisateur=bruno\r\nprocessus=4242\r\n"
                               "depuis=12/06/2026 22:45\r\n";
const LockHolder kBruno{"AUTRE-PC", "bruno", 4242, "12/06/2026 22:45"};

} // namespace

class SharedCatalogue : public ::testing::Test, public ProgramFixture {
protected:
    SharedCatalogue() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        program.settings.listFolder = listFolder();
        program.settings.listName = "liste_globale_médias";
        writeList({row("1", "A", "a"), row("2", "A", "b"), row("3", "A", "c")});
    }
    // What the start-up does: the lock, then the list read.
    void open() {
        followListLock(program, ui);
        rememberListFile(program);
        ui.answers.push_back(DialogButton::Yes);
        Button_charger_bdClick(program, ui, view);
        ui.shown.clear();
    }
    // The other program's save: its list in place, a moment after this one read it.
    void otherSaves(const std::vector<std::string>& lines) {
        const auto before = std::filesystem::last_write_time(pathFromUtf8(listFile()));
        platform::replaceEntry(listFile(), program.catalogue.paths.backupPath());
        writeList(lines);
        std::filesystem::last_write_time(pathFromUtf8(listFile()), before + std::chrono::seconds(2));
    }
    void deleteFirstRow() {
        program.globalList.table.removeRows({1});
        program.globalList.table.ListModified = true;
        af_nb_media_bd(program);
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        const GlobalList& list = program.globalList.table;
        for (std::size_t r = 1; r < list.rowCount(); ++r) t.emplace_back(list.cell(r, 3));
        return t;
    }
    std::vector<std::string> fileTitles(const std::string& path) const {
        GlobalList read;
        FakeUi quiet;
        lire_liste(read, path, ListMode::Replace, quiet, dir.path());
        std::vector<std::string> t;
        for (std::size_t r = 1; r < read.rowCount(); ++r) t.emplace_back(read.cell(r, 3));
        return t;
    }
    std::string lockPath() const { return lockFilePath(listFile()); }
    QuietView view;
    const std::vector<std::string> kSixRows = {row("1", "A", "a"), row("2", "A", "b"), row("3", "A", "c"),
                                               row("4", "B", "d"), row("5", "B", "e"), row("6", "B", "f")};
};

TEST_F(SharedCatalogue, SavingOverAListAnotherProgramSavedAsksFirst) {
    struct Case {
        int answer;
        std::vector<std::string> table, file, backup;
        bool saved;
    };
    const std::vector<std::string> six = {"a", "b", "c", "d", "e", "f"};
    const Case cases[] = {
        {0, six, six, {"a", "b", "c"}, false},        // reloaded: the changes made here are gone
        {1, {"b", "c"}, {"b", "c"}, six, true},       // written anyway: the other version is the backup
        {2, {"b", "c"}, six, {"a", "b", "c"}, false}, // cancelled: both stay as they are
    };
    for (const Case& c : cases) {
        writeList({row("1", "A", "a"), row("2", "A", "b"), row("3", "A", "c")});
        program.catalogue.accessListFile.clear();
        program.globalList.table.resetToEmptyList();
        open();
        otherSaves(kSixRows);
        deleteFirstRow();
        ui.answers = {DialogButton::Yes};
        ui.threeChoiceAnswers = {c.answer};
        EXPECT_EQ(Button_enregistrer_listeClick(program, ui), c.saved);
        ASSERT_GE(ui.shown.size(), 2u);
        const FakeUi::Shown& asked = ui.shown[1];
        EXPECT_EQ(asked.kind, "three");
        EXPECT_EQ(asked.text,
                  "  Le fichier de la liste a changé depuis sa lecture (un autre programme l'a "
                  "enregistré ?)  \n\n    " +
                      listFile() +
                      "\n\n  Recharger : les modifications faites ici sont perdues. \n  Enregistrer "
                      "quand même : l'autre version est gardée dans la sauvegarde. ");
        EXPECT_EQ(asked.captions,
                  (std::vector<std::string>{"Recharger", "Enregistrer quand même", "Annuler"}));
        EXPECT_EQ(ui.texts().back() == "   Enregistrement effectué     ", c.saved) << c.answer;
        EXPECT_EQ(titles(), c.table) << c.answer;
        EXPECT_EQ(fileTitles(listFile()), c.file) << c.answer;
        EXPECT_EQ(fileTitles(program.catalogue.paths.backupPath()), c.backup) << c.answer;
        EXPECT_EQ(program.globalList.table.ListModified, c.answer == 2) << c.answer;
        ui.shown.clear();
    }
}

TEST_F(SharedCatalogue, WhatThisProgramWroteIsWhatItRemembers) {
    open();
    for (int i = 0; i < 2; ++i) {
        deleteFirstRow();
        ui.answers = {DialogButton::Yes};
        ASSERT_TRUE(Button_enregistrer_listeClick(program, ui));
    }
    EXPECT_EQ(fileTitles(listFile()), (std::vector<std::string>{"c"}));
    // The reload takes the file as it is again: no question after it either.
    otherSaves(kSixRows);
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Button_charger_bdClick(program, ui, view);
    ASSERT_TRUE(Button_enregistrer_listeClick(program, ui));
    for (const FakeUi::Shown& s : ui.shown) EXPECT_NE(s.kind, "three") << s.text;
}

TEST_F(SharedCatalogue, AListFileGoneSinceItWasReadIsAskedAbout) {
    open();
    deleteFirstRow();
    platform::removeFile(listFile());
    ui.answers = {DialogButton::Yes, DialogButton::No};
    EXPECT_FALSE(Button_enregistrer_listeClick(program, ui));
    EXPECT_EQ(ui.shown[1].text, "  Le fichier de la liste a disparu depuis sa lecture :  \n\n    " +
                                    listFile() + "\n\n  L'enregistrer quand même ?");
    EXPECT_FALSE(platform::exists(listFile()));
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    EXPECT_TRUE(Button_enregistrer_listeClick(program, ui));
    EXPECT_EQ(fileTitles(listFile()), (std::vector<std::string>{"b", "c"}));
}

TEST_F(SharedCatalogue, UndoOverAListAnotherProgramSavedAsksFirst) {
    open();
    otherSaves(kSixRows);
    // "Charger la dernière sauvegarde ?", then the change on disk.
    ui.answers = {DialogButton::Yes};
    ui.threeChoiceAnswers = {2};
    Button_undoClick(program, ui);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].captions, (std::vector<std::string>{"Recharger", "Undo quand même", "Annuler"}));
    EXPECT_EQ(fileTitles(listFile()), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(fileTitles(program.catalogue.paths.backupPath()), (std::vector<std::string>{"a", "b", "c"}));

    // Undo anyway: the other version becomes the backup, where a second Undo finds it.
    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    ui.threeChoiceAnswers = {1};
    Button_undoClick(program, ui);
    EXPECT_EQ(titles(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(fileTitles(program.catalogue.paths.backupPath()),
              (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST_F(SharedCatalogue, HeldByAnotherProgramTheListOpensReadOnlyAndNothingWritesIt) {
    dir.write("listes/liste_globale_médias.txt.verrou", kOtherLock);
    const std::string prm =
        dir.write("listes/liste_globale_médias.prm", "[LISTE]\r\nRadioGroup_index.ItemIndex=1\r\n");
    const std::string listBefore = TempFolder::read(listFile());
    ui.answers = {DialogButton::Yes};
    followListLock(program, ui);
    ASSERT_EQ(ui.texts(),
              (std::vector<std::string>{
                  "  La liste liste_globale_médias.txt est déjà ouverte par bruno sur AUTRE-PC depuis "
                  "12/06/2026 22:45  \n\n  oui - L'ouvrir en lecture seule \n\n  non - La reprendre : "
                  "l'autre programme ne pourra plus l'enregistrer "}));
    EXPECT_TRUE(program.catalogue.readOnly);
    EXPECT_EQ(accessCaption(program),
              "lecture seule : ouverte par bruno sur AUTRE-PC depuis 12/06/2026 22:45");
    rememberListFile(program);
    ui.answers = {DialogButton::Yes};
    Button_charger_bdClick(program, ui, view); // browsing stays possible
    EXPECT_EQ(titles(), (std::vector<std::string>{"a", "b", "c"}));
    ui.shown.clear();

    const std::string refused = readOnlyMessage(kBruno, listFile());
    deleteFirstRow();
    program.catalogue.params.media[0].extensionFilter = "mkv";
    program.catalogue.ParamsModified = true;
    EXPECT_FALSE(Button_enregistrer_listeClick(program, ui));
    EXPECT_FALSE(saveCurrentList(program, ui));
    Button_undoClick(program, ui); // no backup yet: said as before
    platform::copyFile(listFile(), program.catalogue.paths.backupPath());
    ui.answers = {DialogButton::Yes};
    Button_undoClick(program, ui);
    // Quitting offers the save, which says it cannot, and quits without writing anything.
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_EQ(
        ui.texts(),
        (std::vector<std::string>{
            refused, refused, "  Pas de sauvegarde disponible \n\n" + program.catalogue.paths.backupPath(),
            "  Charger la dernière sauvegarde ? \n\n" + program.catalogue.paths.backupPath(), refused,
            refused, " Quitter ?"}));
    EXPECT_EQ(ui.shown[0].type, DialogType::Warning);
    EXPECT_EQ(TempFolder::read(listFile()), listBefore);
    EXPECT_EQ(TempFolder::read(prm), "[LISTE]\r\nRadioGroup_index.ItemIndex=1\r\n");
    EXPECT_EQ(TempFolder::read(lockPath()), kOtherLock);
}

TEST_F(SharedCatalogue, ReadOnlyTheCatalogueSwitchOffersTheSaveAndStays) {
    dir.write("listes/liste_globale_médias.txt.verrou", kOtherLock);
    ui.answers = {DialogButton::Yes};
    open();
    deleteFirstRow();
    ui.answers = {DialogButton::Yes};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "autre");
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{
                  "   avant de changer de liste, enregistrer les modifications effectuées sur la liste "
                  "actuelle ? \n\n       " +
                      listFile(),
                  readOnlyMessage(kBruno, listFile())}));
    EXPECT_EQ(program.catalogue.paths.ListName, "liste_globale_médias");
    EXPECT_EQ(titles(), (std::vector<std::string>{"b", "c"}));
}

TEST_F(SharedCatalogue, TakenOverTheListIsThisProgramsToSave) {
    dir.write("listes/liste_globale_médias.txt.verrou", kOtherLock);
    ui.answers = {DialogButton::No};
    open();
    EXPECT_FALSE(program.catalogue.readOnly);
    EXPECT_EQ(accessCaption(program), "");
    EXPECT_NE(TempFolder::read(lockPath()).find(std::to_string(platform::currentProcessId())),
              std::string::npos);
    deleteFirstRow();
    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(Button_enregistrer_listeClick(program, ui));
    // The quit lets it go.
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_FALSE(platform::exists(lockPath()));
}

#ifndef _WIN32 // on Windows the lock cannot be taken from a program that holds it open
TEST_F(SharedCatalogue, ALockTakenOverMeanwhileIsAskedAboutBeforeTheSave) {
    open();
    platform::removeFile(lockPath());
    dir.write("listes/liste_globale_médias.txt.verrou", kOtherLock);
    otherSaves(kSixRows);
    deleteFirstRow();
    // Kept away: nothing written.
    ui.answers = {DialogButton::Yes};
    EXPECT_FALSE(Button_enregistrer_listeClick(program, ui));
    EXPECT_EQ(ui.texts().back(), lockedListQuestion(listFile(), kBruno));
    EXPECT_TRUE(program.catalogue.readOnly);
    EXPECT_EQ(fileTitles(listFile()), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(TempFolder::read(lockPath()), kOtherLock);
}

TEST_F(SharedCatalogue, TakenBackTheListIsStillAskedAboutWhatTheOtherSaved) {
    open();
    platform::removeFile(lockPath());
    dir.write("listes/liste_globale_médias.txt.verrou", kOtherLock);
    otherSaves(kSixRows);
    deleteFirstRow();
    ui.answers = {DialogButton::No, DialogButton::Yes};
    ui.threeChoiceAnswers = {2};
    EXPECT_FALSE(Button_enregistrer_listeClick(program, ui));
    EXPECT_EQ(ui.shown.back().kind, "three");
    EXPECT_FALSE(program.catalogue.readOnly);
    EXPECT_EQ(fileTitles(listFile()), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}
#endif

TEST_F(SharedCatalogue, AChangeOfCatalogueMovesTheLockAndAnAbandonedOneKeepsIt) {
    writeList({row("1", "S", "serie")}, "series");
    dir.write("listes/series.prm", "[LISTE]\r\nRadioGroup_index.ItemIndex=1\r\n");
    const std::string seriesLock = lockFilePath(listFile("series"));
    // Abandoned before any lock was held here: none is left behind either.
    ui.fileAnswers = {joinPath(listFolder(), "series.prm")};
    ui.threeChoiceAnswers = {2};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_FALSE(platform::exists(seriesLock));
    EXPECT_FALSE(program.listLock.held());

    open();

    // Abandoned at "Annuler": the first catalogue keeps its lock, the other was let go.
    ui.fileAnswers = {joinPath(listFolder(), "series.prm")};
    ui.threeChoiceAnswers = {2};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(program.catalogue.paths.ListName, "liste_globale_médias");
    EXPECT_TRUE(platform::isFile(lockPath()));
    EXPECT_FALSE(platform::exists(seriesLock));
    deleteFirstRow();
    EXPECT_TRUE(saveCurrentList(program, ui)); // still this program's to write

    // Done: the lock goes with the list.
    ui.fileAnswers = {joinPath(listFolder(), "series.prm")};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(program.catalogue.paths.ListName, "series");
    EXPECT_FALSE(platform::exists(lockPath()));
    EXPECT_TRUE(platform::isFile(seriesLock));
}
