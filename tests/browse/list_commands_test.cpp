#include <gtest/gtest.h>

#include <fstream>

#include "browse/list_commands.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"
#include "util/error.h"

using namespace verdan;
using namespace verdan::test;

namespace {
struct PanelView : ListCommandsView {
    std::vector<bool> panel;
    void showLoadingPanel(bool shown) override { panel.push_back(shown); }
};
const std::vector<DialogButton> kYesNo = {DialogButton::Yes, DialogButton::No};
} // namespace

class ListCommands : public ::testing::Test, public ProgramFixture {
protected:
    ListCommands() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        program.settings.listFolder = listFolder();
        program.settings.listName = "liste_globale_médias";
    }
    void load() {
        lire_liste(program.globalList.table, program.catalogue.paths.ListFilePath, ListMode::Replace, ui,
                   dir.path());
        indexer_liste(program.globalList.table, program.globalList.keys, 1, false, program.globalList.index);
        af_nb_media_bd(program);
    }
    std::string backup() const { return program.catalogue.paths.backupPath(); }
    PanelView view;
};

TEST_F(ListCommands, ReloadAsksWithTheFileCountThenReplaces) {
    writeList({row("1", "A", "a"), row("2", "A", "b"), row("3", "B", "c")});
    ui.answers = {DialogButton::Yes};
    Button_charger_bdClick(program, ui, view);
    EXPECT_EQ(ui.shown[0].text,
              "   charger la liste globale  liste_globale_médias contenant              \n\n"
              "       3 médias ?");
    EXPECT_EQ(program.globalList.table.rowCount(), 4u);
    EXPECT_EQ(program.globalList.mediaCountCaption, "3 médias");
    EXPECT_EQ(program.globalList.disks.size(), 2u);
    EXPECT_EQ(view.panel, (std::vector<bool>{true, false}));

    // With 3 data rows in the table, a second question protects them.
    ui.answers = {DialogButton::Yes, DialogButton::No};
    Button_charger_bdClick(program, ui, view);
    EXPECT_EQ(ui.shown.back().text, " écraser les 3 médias actuels ?");
}

TEST_F(ListCommands, AReloadStoppedWithEscapeLeavesTheListItsKeysAndItsFilesAsTheyWere) {
    writeList({row("1", "A", "a"), row("2", "A", "b"), row("3", "B", "c")});
    load();
    std::vector<std::string> lines;
    for (int i = 1; i <= 40000; ++i) lines.push_back(row(std::to_string(i), "C", "t" + std::to_string(i)));
    const std::string path = writeList(lines);
    const std::string fileBefore = TempFolder::read(path);
    const std::string backupBefore = TempFolder::read(backup());
    const std::size_t keys = program.globalList.keys.size();
    ui.progressTexts.clear();
    ui.escapeAtProgress = 2;
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    EXPECT_FALSE(Button_charger_bdClick(program, ui, view));
    EXPECT_EQ(ui.shown.back().kind, "info");
    EXPECT_EQ(ui.shown.back().text,
              "  Lecture annulée : la liste affichée reste telle qu'elle était  \n\n  " + path);
    EXPECT_EQ(ui.progressTexts,
              (std::vector<std::string>{"  Lecture de la liste globale   (Échap : annuler)   405",
                                        "  Lecture de la liste globale   (Échap : annuler)   818", "end"}));
    EXPECT_EQ(program.globalList.table.rowCount(), 4u);
    EXPECT_EQ(program.globalList.table.cell(3, 3), "c");
    EXPECT_EQ(program.globalList.keys.size(), keys);
    EXPECT_FALSE(program.globalList.table.ListModified);
    EXPECT_EQ(view.panel, (std::vector<bool>{true, false}));
    EXPECT_EQ(TempFolder::read(path), fileBefore);
    EXPECT_EQ(TempFolder::read(backup()), backupBefore);
}

TEST_F(ListCommands, ReloadOfAnEmptyListAndWithTwoRowsAsksOnce) {
    writeList({""});
    program.globalList.table.appendRow({"2", "X"});
    ui.answers = {DialogButton::Yes};
    Button_charger_bdClick(program, ui, view);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "   charger la liste vide ? \n\nliste_globale_médias");
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
}

// The count in the question of a second reload comes from the first reading while the file is
// unchanged: it must be what reading the file for it gives, whatever its line ends, and follow a
// file another program rewrote since.
TEST_F(ListCommands, ReloadCountsTheFileAsItsReadingDidUntilItChanges) {
    const std::string header = "n\tnom-disque\tm\xE9"
                               "dia\ttitre";
    const std::string path = program.catalogue.paths.ListFilePath;
    auto askedCount = [&] {
        ui.shown.clear();
        ui.answers = {DialogButton::No};
        Button_charger_bdClick(program, ui, view);
        return ui.shown.at(0).text;
    };
    auto expectedQuestion = [&] {
        const std::int64_t m = listFileMediaCount(path);
        return m == 0 ? "   charger la liste vide ? \n\nliste_globale_médias"
                      : "   charger la liste globale  liste_globale_médias contenant              \n\n"
                        "       " +
                            std::to_string(m) + " médias ?";
    };
    const std::vector<std::string> bodies = {"\r\n1\tA\r\n2\tB\r\n",
                                             "1\tA\n\n2\tB\n3\tC",
                                             "1\tA\r2\tB\r\n3\r",
                                             "\r\n",
                                             "",
                                             "\n\n\n",
                                             "1\tA\r\n\t\t\r\n2\tB\r\n" + std::string(5000, 'x') + "\r\n"};
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body.substr(0, 40));
        std::ofstream(test::pathFromUtf8(path), std::ios::binary) << header + "\r\n" + body;
        ui.answers = {DialogButton::Yes, DialogButton::Yes};
        ASSERT_TRUE(Button_charger_bdClick(program, ui, view));
        EXPECT_EQ(askedCount(), expectedQuestion());
        // Another program adds a line.
        std::ofstream(test::pathFromUtf8(path), std::ios::binary | std::ios::app) << "9\tZ\r\n";
        EXPECT_EQ(askedCount(), expectedQuestion());
    }
}

TEST_F(ListCommands, SaveMakesTheBackupAndWritesEverything) {
    writeList({row("1", "A", "ancien")});
    load();
    program.globalList.table.appendRow({"2", "A", "vidéo", "nouveau"});
    program.globalList.table.ListModified = true;
    af_nb_media_bd(program);
    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(Button_enregistrer_listeClick(program, ui));
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{" Enregistrer la liste des 2 médias  dans le fichier  \n\n    " +
                                            listFile() + "              \n",
                                        "   Enregistrement effectué     "}));
    EXPECT_EQ(ui.shown[1].type, DialogType::Information);
    EXPECT_FALSE(program.globalList.table.ListModified);
    EXPECT_NE(TempFolder::read(backup()).find("ancien"), std::string::npos);
    EXPECT_NE(TempFolder::read(listFile()).find("nouveau"), std::string::npos);
    EXPECT_TRUE(platform::isFile(program.settingsPath()));
    EXPECT_TRUE(platform::isFile(program.catalogue.paths.ParamFilePath));
    EXPECT_LE(program.catalogue.params.dateLabel.size(), 16u);
    EXPECT_NE(program.catalogue.params.dateLabel, "Date de la modification");
}

TEST_F(ListCommands, SavingAnEmptyListWritesHeaderAndOneEmptyLine) {
    af_nb_media_bd(program);
    ui.answers = {DialogButton::Yes};
    Button_enregistrer_listeClick(program, ui);
    EXPECT_EQ(ui.shown[0].text,
              "  Enregistrer la liste vide dans le fichier  \n\n    " + listFile() + "              \n");
    const std::string text = TempFolder::read(listFile());
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(ListCommands, DeclinedSaveTouchesNothing) {
    writeList({row("1", "A", "a")});
    ui.answers = {DialogButton::No};
    EXPECT_FALSE(Button_enregistrer_listeClick(program, ui));
    EXPECT_FALSE(platform::exists(backup()));
}

TEST_F(ListCommands, TwoUndoBringEverythingBack) {
    writeList({row("1", "A", "premier")});
    load();
    program.globalList.table.appendRow({"2", "A", "vidéo", "second"});
    af_nb_media_bd(program);
    ui.answers = {DialogButton::Yes};
    Button_enregistrer_listeClick(program, ui);
    const std::string saved = TempFolder::read(listFile());
    const std::string older = TempFolder::read(backup());

    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Button_undoClick(program, ui);
    EXPECT_EQ(TempFolder::read(listFile()), older);
    EXPECT_EQ(TempFolder::read(backup()), saved);
    EXPECT_EQ(program.globalList.table.rowCount(), 2u);
    EXPECT_EQ(ui.shown[ui.shown.size() - 1].text,
              "      Charger la sauvegarde de          \n\n     1 médias ?");

    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Button_undoClick(program, ui);
    EXPECT_EQ(TempFolder::read(listFile()), saved);
    EXPECT_EQ(TempFolder::read(backup()), older);
    EXPECT_EQ(program.globalList.table.rowCount(), 3u);
}

TEST_F(ListCommands, UndoListsTheDisksOfTheListItLoads) {
    writeList({row("1", "A", "premier")});
    load();
    program.globalList.table.appendRow({"2", "B", "vidéo", "second", "", "", "", "", "", "", "0B0B0B0B"});
    extraire_hd_liste_globale(program.globalList);
    ui.answers = {DialogButton::Yes};
    Button_enregistrer_listeClick(program, ui);
    ASSERT_EQ(program.globalList.disks, (std::vector<std::string>{"A-1234ABCD", "B-0B0B0B0B"}));
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Button_undoClick(program, ui);
    EXPECT_EQ(program.globalList.disks, (std::vector<std::string>{"A-1234ABCD"}));
}

TEST_F(ListCommands, UndoWithModificationsSavesThemIntoWhatBecomesTheBackup) {
    writeList({row("1", "A", "premier")});
    std::ofstream(verdan::test::pathFromUtf8(backup()), std::ios::binary)
        << TempFolder::read(listFile()) << cp1252::encode(row("2", "A", "sauvegarde")) << "\r\n";
    load();
    program.globalList.table.appendRow({"3", "A", "vidéo", "modifié"});
    program.globalList.table.ListModified = true;
    ui.answers = {DialogButton::Yes, DialogButton::Yes, DialogButton::Yes};
    Button_undoClick(program, ui);
    EXPECT_NE(ui.shown[1].text.find("avant de charger cette liste"), std::string::npos);
    EXPECT_NE(TempFolder::read(backup()).find("modifi\xE9"), std::string::npos);
    EXPECT_EQ(program.globalList.table.cell(2, 3), "sauvegarde");
}

TEST_F(ListCommands, UndoWithoutOrWithAnEmptyBackup) {
    Button_undoClick(program, ui);
    EXPECT_EQ(ui.shown[0].text, "  Pas de sauvegarde disponible \n\n" + backup());
    EXPECT_EQ(ui.shown[0].buttons, (std::vector<DialogButton>{DialogButton::Yes}));
    std::ofstream(verdan::test::pathFromUtf8(backup()), std::ios::binary) << "n\tx\r\n\r\n";
    ui.answers = {DialogButton::Cancel};
    Button_undoClick(program, ui);
    EXPECT_EQ(ui.texts().back(), "   La dernière sauvegarde ne contient rien \n\n" + backup());
}

TEST_F(ListCommands, UndoWhoseSwapFailsSaysSo) {
    std::ofstream(verdan::test::pathFromUtf8(backup()), std::ios::binary)
        << "n\r\n"
        << cp1252::encode(row("1", "A", "a")) << "\r\n";
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Button_undoClick(program, ui); // no list file: the exchange cannot happen
    EXPECT_EQ(ui.texts().back(), "  Récupération de la sauvegarde impossible\n\n");
    EXPECT_TRUE(platform::isFile(backup()));
}

TEST_F(ListCommands, QuitAsksAboutUnaddedFilesFirst) {
    ui.answers = {DialogButton::No};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 5), QuitOutcome::Stay);
    EXPECT_EQ(
        ui.shown[0].text,
        " Les fichiers filtrés n'ont pas été rajoutés à la liste globale  \n\n     Quitter quand même ?");
    EXPECT_FALSE(platform::exists(program.settingsPath()));
}

TEST_F(ListCommands, QuitDuringACopyAsksTheCopyToStopAndStays) {
    program.copyRunning = true;
    program.globalList.table.ListModified = true;
    for (QuitSender sender : {QuitSender::Button, QuitSender::Form1Closing, QuitSender::Form2Closing})
        EXPECT_EQ(Button_exitClick(program, ui, sender, 3), QuitOutcome::Stay);
    EXPECT_TRUE(program.StopRequested);
    EXPECT_TRUE(ui.shown.empty()); // the copy asks its own question, between two blocks
}

TEST_F(ListCommands, QuitWithAModifiedListOffersTheSaveThenAsks) {
    program.globalList.table.appendRow({"2", "A", "vidéo", "t"});
    program.globalList.table.ListModified = true;
    program.catalogue.ParamsModified = true;
    af_nb_media_bd(program);
    ui.answers = {DialogButton::No, DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, " Quitter ?");
    EXPECT_FALSE(program.catalogue.ParamsModified);
    EXPECT_TRUE(platform::isFile(program.settingsPath()));
}

TEST_F(ListCommands, ClosingTheMainWindowInformsInsteadOfAsking) {
    ui.answers = {DialogButton::Ok};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Form1Closing, 0), QuitOutcome::CloseMainWindow);
    EXPECT_EQ(ui.shown[0].text, " Quitter                   ");
    EXPECT_EQ(ui.shown[0].type, DialogType::Information);
    ui.answers = {DialogButton::No};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Form2Closing, 0), QuitOutcome::Stay);
}

// A program folder that cannot hold the settings file, even for root: its path goes through a file.
class QuitWithoutSettings : public ListCommands {
protected:
    QuitWithoutSettings() { program.programFolder = dir.write("un_fichier", "x"); }
    std::vector<std::string> errors() const {
        std::vector<std::string> texts;
        for (const auto& s : ui.shown)
            if (s.type == DialogType::Error) texts.push_back(s.text);
        return texts;
    }
    std::string failure() const { return "Impossible d'écrire dans " + program.settingsPath(); }
};

TEST_F(QuitWithoutSettings, EveryQuitPathSaysSoOnceThenQuits) {
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_EQ(errors(), std::vector<std::string>{failure()});
    ui.shown.clear();
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Form1Closing, 0), QuitOutcome::CloseMainWindow);
    EXPECT_EQ(errors(), std::vector<std::string>{failure()});
    EXPECT_EQ(ui.shown[0].text, " Quitter                   ");
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    program.catalogue.ParamsModified = true;
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Form2Closing, 0), QuitOutcome::ExitNow);
    EXPECT_EQ(errors(), std::vector<std::string>{failure()});
    EXPECT_TRUE(platform::isFile(program.catalogue.paths.ParamFilePath));
}

TEST_F(QuitWithoutSettings, AModifiedListIsSavedWithItsDateThenTheQuitGoesOn) {
    program.globalList.table.appendRow({"2", "A", "vidéo", "t"});
    program.globalList.table.ListModified = true;
    af_nb_media_bd(program);
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_EQ(errors(), std::vector<std::string>{failure()});
    EXPECT_FALSE(program.globalList.table.ListModified);
    EXPECT_TRUE(platform::isFile(program.catalogue.paths.ListFilePath));
    CatalogueParams written;
    ASSERT_TRUE(lire_parametre_liste(program.catalogue.paths.ParamFilePath, written));
    EXPECT_EQ(written.dateLabel, program.catalogue.params.dateLabel);
    EXPECT_NE(written.dateLabel, "-/-");
}

TEST_F(QuitWithoutSettings, AListThatCannotBeSavedKeepsTheProgramOpenUntilDeclined) {
    program.catalogue.paths.derive(joinPath(program.programFolder, "listes"), "liste_globale_médias");
    program.globalList.table.appendRow({"2", "A", "vidéo", "t"});
    program.globalList.table.ListModified = true;
    af_nb_media_bd(program);
    ui.answers = {DialogButton::Yes};
    EXPECT_THROW(Button_exitClick(program, ui, QuitSender::Button, 0), VerdanError);
    ui.shown.clear();
    ui.answers = {DialogButton::No, DialogButton::Yes};
    EXPECT_EQ(Button_exitClick(program, ui, QuitSender::Button, 0), QuitOutcome::ExitNow);
    EXPECT_TRUE(program.globalList.table.ListModified);
    EXPECT_EQ(errors(), std::vector<std::string>{failure()});
}

TEST(SaveDate, CutTo16Characters) {
    EXPECT_EQ(saveDateLabel("06/12/2026 22:45:13"), "06/12/2026 22:45");
    EXPECT_EQ(saveDateLabel("6/12/26 9:05"), "6/12/26 9:05");
}
