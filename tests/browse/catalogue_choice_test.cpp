#include <gtest/gtest.h>

#include <fstream>

#include "browse/catalogue_choice.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"

using namespace verdan;
using namespace verdan::test;

namespace {

struct ChoiceView : CatalogueChoiceView {
    std::vector<bool> waiting;
    std::vector<bool> loading;
    int focused = 0;
    void showWaitingPanels(bool shown) override { waiting.push_back(shown); }
    void showLoadingPanel(bool shown) override { loading.push_back(shown); }
    void focusGlobalListButton() override { ++focused; }
};

std::string readBytes(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(pathFromUtf8(path), std::ios::binary) << bytes;
}

const std::string kTemplate = std::string(VERDAN_INSTALLED_DATA) + "/" + kEmptyListTemplate;

} // namespace

// Catalogue "films" is current, loaded from its files; "series" is another catalogue of the same folder.
class CatalogueChoice : public ::testing::Test, public ProgramFixture {
protected:
    CatalogueChoice() {
        program.settings.listFolder = listFolder();
        useCatalogue("films");
        writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil"), row("3", "FILMS", "Casino")},
                  "films");
        writeParams("films", "vidéos", "musiques", 1);
        writeList({row("1", "SERIES", "Dune"), row("2", "FILMS", "Alien")}, "series");
        writeParams("series", "séries", "documentaires", 0);
        lire_parametre_liste(program.catalogue.paths.ParamFilePath, program.catalogue.params);
        lire_liste(table(), program.catalogue.paths.ListFilePath, ListMode::Replace, ui, dir.path());
        indexer_liste(table(), program.globalList.keys, program.catalogue.params.indexLevel, false,
                      program.globalList.index);
        af_nb_media_bd(program);
    }
    void useCatalogue(const std::string& name) {
        program.catalogue.paths.derive(listFolder(), name);
        program.settings.listName = name;
        program.collectionListFileCaption = name;
    }
    // A parameter file as the program writes it, for a catalogue of the list folder.
    void writeParams(const std::string& name, const std::string& media1, const std::string& media2, int level,
                     const std::string& folder = "") {
        CurrentCatalogue c;
        c.paths.derive(folder.empty() ? listFolder() : folder, name);
        c.params.media[0].name = media1;
        c.params.media[1].name = media2;
        c.params.indexLevel = level;
        enregistrer_parametre_liste(c, ui, false);
    }
    std::string prm(const std::string& name) const { return joinPath(listFolder(), name + ".prm"); }
    GlobalList& table() { return program.globalList.table; }
    std::vector<std::string> titles() {
        std::vector<std::string> out;
        for (std::size_t r = 1; r < table().rowCount(); ++r) out.emplace_back(table().cell(r, 3));
        return out;
    }
    void installTemplate() { platform::duplicateEntry(kTemplate, joinPath(dir.path(), kEmptyListTemplate)); }
    const FakeUi::Shown& last() const { return ui.shown.back(); }
    ChoiceView view;
};

TEST_F(CatalogueChoice, ReplacingLoadsTheChosenCatalogueWithItsOwnParametersAndKeys) {
    ui.fileAnswers = {prm("series")};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);

    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "Choix d'une liste de médias (vidéos, musiques, ...)  *.prm");
    EXPECT_EQ(ui.shown[0].filter, "Listes de médias(*.prm)|*.prm");
    EXPECT_EQ(ui.shown[0].initialFolder, listFolder());
    EXPECT_EQ(ui.shown[1].text, "  Que faire avec cette liste de  2  séries+documentaires                \n\n"
                                "  vis à vis de l'actuelle de 3 médias  ?");
    EXPECT_EQ(ui.shown[1].captions,
              (std::vector<std::string>{"Ecraser l'actuelle", "Compléter l'actuelle", "Annuler"}));
    EXPECT_EQ(ui.shown[1].buttonWidth, 120);

    EXPECT_EQ(titles(), (std::vector<std::string>{"Dune", "Alien"}));
    const ListPaths& p = program.catalogue.paths;
    EXPECT_EQ(p.ListName, "series");
    EXPECT_EQ(p.ParamFilePath, prm("series"));
    EXPECT_EQ(p.ListFilePath, listFile("series"));
    EXPECT_EQ(program.settings.listName, "series");
    EXPECT_EQ(program.collectionListFileCaption, "series");
    EXPECT_EQ(program.globalList.listFileCaption, "series");
    EXPECT_EQ(program.catalogue.params.media[0].name, "séries");
    EXPECT_EQ(program.catalogue.params.indexLevel, 0);
    EXPECT_EQ(program.globalList.index.levelCaption, "idx1");
    EXPECT_TRUE(program.catalogue.ParamsModified);
    EXPECT_FALSE(table().ListModified);
    EXPECT_EQ(program.globalList.mediaCountCaption, "2 médias");
    EXPECT_EQ(program.globalList.disks, (std::vector<std::string>{"SERIES-1234ABCD", "FILMS-1234ABCD"}));
    // The keys are the loaded list's alone: a film only the previous catalogue held is not known.
    EXPECT_EQ(program.globalList.keys.size(), 2u);
    EXPECT_TRUE(program.globalList.keys.contains("Dune.aviSERIES1234ABCD"));
    EXPECT_FALSE(program.globalList.keys.contains("Brazil.aviFILMS1234ABCD"));
    EXPECT_EQ(view.waiting, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.focused, 1);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
}

TEST_F(CatalogueChoice, CompletingWithItselfDoublesEveryRowAndOffersToRemoveThem) {
    ui.fileAnswers = {prm("films")};
    ui.threeChoiceAnswers = {1};
    ui.answers = {DialogButton::Yes};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(ui.shown[1].text, "  Que faire avec cette liste de  3  vidéos+musiques                \n\n"
                                "  vis à vis de l'actuelle de 3 médias  ?");
    EXPECT_EQ(ui.shown[2].text,
              "  Nettoyer la liste globale de 6 médias des 3 doublons dûs au changement d'index ");
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alien", "Brazil", "Casino"}));
    EXPECT_EQ(program.globalList.mediaCountCaption, "3 médias");
    // Completed in memory: the file is behind until it is saved.
    EXPECT_TRUE(table().ListModified);
}

TEST_F(CatalogueChoice, CompletingWithAnotherCatalogueKeepsBothAndFindsTheFilmTheyShare) {
    ui.fileAnswers = {prm("series")};
    ui.threeChoiceAnswers = {1};
    ui.answers = {DialogButton::No};
    BitBtn_fic_lstClick(program, ui, view);
    // The level is the chosen catalogue's (idx1): "Alien" on FILMS is in both lists.
    EXPECT_EQ(ui.shown[2].text,
              "  Nettoyer la liste globale de 5 médias des 1 doublons dûs au changement d'index ");
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alien", "Brazil", "Casino", "Dune", "Alien"}));
    EXPECT_EQ(program.catalogue.paths.ListName, "series");
    EXPECT_TRUE(table().ListModified);
}

TEST_F(CatalogueChoice, CancellingLeavesTheCurrentCatalogueAsItWas) {
    const ListPaths before = program.catalogue.paths;
    const std::string prmBefore = readBytes(prm("films"));
    for (int answer : {2, -1}) {
        ui.fileAnswers = {prm("series")};
        ui.threeChoiceAnswers = {answer};
        BitBtn_fic_lstClick(program, ui, view);
        EXPECT_EQ(program.catalogue.paths.ListFilePath, before.ListFilePath);
        EXPECT_EQ(program.catalogue.paths.ParamFilePath, before.ParamFilePath);
        EXPECT_EQ(program.settings.listName, "films");
        EXPECT_EQ(program.collectionListFileCaption, "films");
        EXPECT_EQ(program.catalogue.params.media[0].name, "vidéos");
        EXPECT_EQ(program.catalogue.params.indexLevel, 1);
        EXPECT_EQ(program.globalList.index.levelCaption, "idx2");
        EXPECT_FALSE(program.catalogue.ParamsModified);
        EXPECT_EQ(titles(), (std::vector<std::string>{"Alien", "Brazil", "Casino"}));
    }
    EXPECT_EQ(readBytes(prm("films")), prmBefore);
    EXPECT_TRUE(view.waiting.empty());

    // No file chosen: nothing is asked.
    ui.shown.clear();
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(CatalogueChoice, UnsavedRowsAreOfferedToTheirOwnCatalogueFirst) {
    table().appendRow({"4", "FILMS", "vidéo", "Delicatessen", ".avi"});
    table().ListModified = true;
    const std::string question = "   avant de changer de liste, enregistrer les modifications effectuées sur "
                                 "la liste actuelle ? \n\n       " +
                                 listFile("films");

    // Cancel: nothing else is asked and nothing changes.
    ui.fileAnswers = {prm("series")};
    ui.answers = {DialogButton::Cancel};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(last().text, question);
    EXPECT_EQ(last().buttons,
              (std::vector<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    EXPECT_EQ(program.catalogue.paths.ListName, "films");
    EXPECT_EQ(table().mediaCount(), 4u);

    // Yes: the rows go to films.txt, then the other catalogue replaces them.
    ui.fileAnswers = {prm("series")};
    ui.answers = {DialogButton::Yes};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_NE(readBytes(listFile("films")).find("Delicatessen"), std::string::npos);
    EXPECT_TRUE(platform::isFile(joinPath(listFolder(), "films.bak")));
    EXPECT_EQ(titles(), (std::vector<std::string>{"Dune", "Alien"}));
}

TEST_F(CatalogueChoice, AParameterFileElsewhereMakesItsFolderTheListFolder) {
    const std::string other = dir.file("ailleurs");
    platform::createFolders(other);
    writeParams("docs", "docs", "", 1, other);
    writeBytes(joinPath(other, "docs.txt"), readBytes(listFile("series")));
    ui.fileAnswers = {joinPath(other, "docs.prm")};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(program.catalogue.paths.ListFolder, other);
    EXPECT_EQ(program.settings.listFolder, other);
    EXPECT_EQ(program.catalogue.paths.ListFilePath, joinPath(other, "docs.txt"));
    EXPECT_TRUE(ui.shown[1].text.starts_with("  Que faire avec cette liste de  2  docs+   "));
}

TEST_F(CatalogueChoice, CategoriesOfTheQuestionAreRepairedAndNeverEmpty) {
    const std::string p = dir.file("x.prm");
    writeBytes(p, "[Form1]\r\nEdit_type_media_1_.Text=vidÃ©os\r\nEdit_type_media_2_.Text=clips\r\n");
    EXPECT_EQ(categoriesOfParamFile(p), "vidéos+clips");
    writeBytes(p, cp1252::encode("[Form1]\r\nedit_type_media_1_.Text=vidéos\r\n"));
    EXPECT_EQ(categoriesOfParamFile(p), "médias");
    writeBytes(p, cp1252::encode("Edit_type_media_2_.Text=séries\nEdit_type_media_2_.Text=autre"));
    EXPECT_EQ(categoriesOfParamFile(p), "+séries");
}

TEST_F(CatalogueChoice, AMissingListFileAndTheEmptyListTemplate) {
    writeParams("nouvelle", "vidéos", "musiques", 1);
    const std::string created = listFile("nouvelle");

    // Declined: the chosen catalogue is current, the rows in memory stay, nothing is created.
    ui.fileAnswers = {prm("nouvelle")};
    ui.answers = {DialogButton::No};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(last().text, "  Fichier inexistant   \n\n  nouvelle.txt\n\n  Créer une liste vide ?");
    EXPECT_EQ(program.catalogue.paths.ListName, "nouvelle");
    EXPECT_EQ(table().mediaCount(), 3u);
    EXPECT_FALSE(platform::exists(created));

    // No template: nothing is created, and the count of the missing file is 0, not below.
    useCatalogue("films");
    ui.shown.clear();
    ui.fileAnswers = {prm("nouvelle")};
    ui.answers = {DialogButton::Yes};
    ui.threeChoiceAnswers = {2};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(last().text, "  Que faire avec cette liste de  0  vidéos+musiques                \n\n"
                           "  vis à vis de l'actuelle de 3 médias  ?");
    EXPECT_FALSE(platform::exists(created));

    // With the template: copied, announced, the list emptied and saved, then the question with 0.
    installTemplate();
    ui.shown.clear();
    ui.fileAnswers = {prm("nouvelle")};
    ui.answers = {DialogButton::Yes, DialogButton::Yes, DialogButton::Yes};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);
    ASSERT_EQ(ui.shown.size(), 7u);
    EXPECT_EQ(ui.shown[2].text, " liste vide créée   ");
    EXPECT_EQ(ui.shown[3].text, " Effacer tous les 3 médias de la liste ?            ");
    EXPECT_EQ(ui.shown[4].text,
              "  Enregistrer la liste vide dans le fichier  \n\n    " + created + "              \n");
    EXPECT_TRUE(ui.shown[6].text.starts_with("  Que faire avec cette liste de  0  vidéos"));
    EXPECT_EQ(readBytes(created), readBytes(kTemplate));
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
    EXPECT_EQ(program.catalogue.paths.ListName, "nouvelle");
    // The films catalogue was left alone.
    EXPECT_NE(readBytes(listFile("films")).find("Casino"), std::string::npos);
}

// An installation the user cannot write keeps its files elsewhere; the template stays beside the
// program.
TEST_F(CatalogueChoice, TheTemplateIsReadBesideTheProgramWhenItsFilesAreElsewhere) {
    TempFolder installed;
    program.installedFolder = installed.path();
    platform::duplicateEntry(kTemplate, joinPath(installed.path(), kEmptyListTemplate));
    writeParams("nouvelle", "vidéos", "musiques", 1);
    ui.fileAnswers = {prm("nouvelle")};
    ui.answers = {DialogButton::Yes, DialogButton::Yes, DialogButton::Yes};
    ui.threeChoiceAnswers = {0};
    BitBtn_fic_lstClick(program, ui, view);
    ASSERT_GE(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[2].text, " liste vide créée   ");
    EXPECT_EQ(readBytes(listFile("nouvelle")), readBytes(kTemplate));
}

TEST_F(CatalogueChoice, KeepingTheRowsWhenCreatingSavesThemUnderTheirTrueCount) {
    installTemplate();
    writeParams("copie", "vidéos", "musiques", 1);
    ui.fileAnswers = {prm("copie")};
    // Create: yes; empty the list: no; save: yes; then cancel the load.
    ui.answers = {DialogButton::Yes, DialogButton::No, DialogButton::Yes};
    ui.threeChoiceAnswers = {2};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_TRUE(ui.shown[4].text.starts_with(" Enregistrer la liste des 3 médias  dans"));
    EXPECT_EQ(listFileMediaCount(listFile("copie")), 3);
    // Cancelled afterwards: the rows, still the previous catalogue's, stay with it.
    EXPECT_EQ(program.catalogue.paths.ListName, "films");
}

TEST_F(CatalogueChoice, ATemplateThatCannotBeCopiedIsSaidAndNothingElseHappens) {
    installTemplate();
    writeParams("bloquee", "vidéos", "musiques", 1);
    platform::createFolders(listFile("bloquee")); // a folder where the list file would go
    ui.fileAnswers = {prm("bloquee")};
    ui.answers = {DialogButton::Yes};
    BitBtn_fic_lstClick(program, ui, view);
    EXPECT_EQ(last().text, " liste vide impossible à créer   ");
    EXPECT_EQ(program.catalogue.paths.ListName, "bloquee");
    EXPECT_EQ(table().mediaCount(), 3u);
}

TEST_F(CatalogueChoice, TheTemplateIsAnEmptyListAsTheProgramSavesIt) {
    GlobalList empty;
    const std::string written = dir.file("vide.txt");
    ecrire_liste(empty, written);
    EXPECT_EQ(readBytes(kTemplate), readBytes(written));
    EXPECT_EQ(listFileMediaCount(kTemplate), 0);
}

// Enter in the list-name box.
TEST_F(CatalogueChoice, TypingAnExistingNameSwitchesToItWithItsOwnParameters) {
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "series.avi");
    EXPECT_EQ(ui.shown[0].text,
              "   charger la liste globale  series contenant              \n\n       2 médias ?");
    EXPECT_EQ(ui.shown[1].text, " écraser les 3 médias actuels ?");
    EXPECT_EQ(last().text, "Paramètres enregistrés  dans    \n\nseries.prm");
    EXPECT_EQ(titles(), (std::vector<std::string>{"Dune", "Alien"}));
    EXPECT_EQ(program.settings.listName, "series");
    EXPECT_EQ(program.catalogue.paths.ListFilePath, listFile("series"));
    // Its parameter file is written again with its own values, not the previous catalogue's.
    CatalogueParams read;
    lire_parametre_liste(prm("series"), read);
    EXPECT_EQ(read.media[0].name, "séries");
    EXPECT_EQ(read.indexLevel, 0);
    EXPECT_EQ(program.globalList.keys.size(), 2u);
    EXPECT_EQ(view.loading, (std::vector<bool>{true, false}));
}

TEST_F(CatalogueChoice, DecliningTheLoadOfATypedNameStaysOnTheCurrentCatalogue) {
    const std::string prmBefore = readBytes(prm("series"));
    ui.answers = {DialogButton::No};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "series");
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(program.catalogue.paths.ListName, "films");
    EXPECT_EQ(program.settings.listName, "films");
    EXPECT_EQ(program.catalogue.params.media[0].name, "vidéos");
    EXPECT_EQ(readBytes(prm("series")), prmBefore);
}

TEST_F(CatalogueChoice, TypingANewNameCreatesTheCatalogueByEachAnswer) {
    const auto question = [](const std::string& name, const std::string& count) {
        return " Liste inexistante : " + name + "\n\n oui - Créer cette liste avec les " + count +
               "\n\n non - Créer cette liste vide ";
    };
    // Yes: a copy of the current list.
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "copie");
    EXPECT_EQ(ui.shown[0].text, question("copie", "3 médias"));
    EXPECT_EQ(ui.shown[0].buttons,
              (std::vector<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    EXPECT_EQ(listFileMediaCount(listFile("copie")), 3);
    EXPECT_EQ(last().text, "Paramètres enregistrés  dans    \n\ncopie.prm");
    EXPECT_TRUE(platform::isFile(prm("copie")));
    EXPECT_EQ(program.collectionListFileCaption, "copie");

    // No: an empty list, after the emptying's own question.
    ui.shown.clear();
    ui.answers = {DialogButton::No, DialogButton::Yes, DialogButton::Yes};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "vide");
    EXPECT_EQ(ui.shown[0].text, question("vide", "3 médias"));
    EXPECT_EQ(ui.shown[1].text, " Effacer tous les 3 médias de la liste ?            ");
    EXPECT_EQ(listFileMediaCount(listFile("vide")), 0);
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
    EXPECT_EQ(last().text, "Paramètres enregistrés  dans    \n\nvide.prm");

    // Cancel: no list file, but the catalogue is current and its parameter file is written.
    ui.shown.clear();
    ui.answers = {DialogButton::Cancel};
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "annulee");
    EXPECT_EQ(ui.shown[0].text, question("annulee", "aucun média"));
    EXPECT_FALSE(platform::exists(listFile("annulee")));
    EXPECT_TRUE(platform::isFile(prm("annulee")));
    EXPECT_EQ(last().text, "Paramètres enregistrés  dans    \n\nannulee.prm");
    EXPECT_EQ(program.catalogue.paths.ListName, "annulee");
    // The catalogues made before were left as they were saved.
    EXPECT_EQ(listFileMediaCount(listFile("copie")), 3);
    EXPECT_EQ(listFileMediaCount(listFile("films")), 3);
}

TEST_F(CatalogueChoice, ANameThatCannotBeAFileNameChangesNothing) {
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "   ");
    EXPECT_TRUE(ui.shown.empty());
    Edit_nom_fic_media_sans_extKeyDown(program, ui, view, "a/b");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(last().text, "  Nom de liste impossible :  \n\n  a/b");
    EXPECT_EQ(program.catalogue.paths.ListName, "films");
    EXPECT_EQ(program.settings.listName, "films");
}
