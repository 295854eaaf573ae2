#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/ini_file.h"
#include "collect/category_edits.h"
#include "collect/collection_state.h"
#include "collect/found_actions.h"
#include "collect/scan_rules.h"
#include "platform/files.h"
#include "support/fake_shell.h"
#include "support/program_fixture.h"
#include "util/error.h"

using namespace verdan;
using namespace verdan::test;

namespace {

// A found list over real files of the test's folder.
class FoundActions : public ::testing::Test, public ProgramFixture {
protected:
    FoundActions() {
        platform::createFolders(dir.file("films"));
        alien = film("Alien.avi", "a");
        lost = filmPath("Perdu é?.avi");
        state.found.insert(makeFoundLine("2020-01-01 10:00", 1, alien, "."));
        state.found.insert(makeFoundLine("2020-01-01 10:00", 1, lost, "."));
    }
    // Paths as the system writes them: a found line holds native separators only.
    std::string filmPath(const std::string& name) const {
        return dir.file("films") + platform::nativeSeparator() + name;
    }
    std::string film(const std::string& name, const std::string& bytes) const {
        std::ofstream(pathFromUtf8(filmPath(name)), std::ios::binary) << bytes;
        return filmPath(name);
    }
    std::size_t lineOf(const std::string& path) {
        for (std::size_t i = 0; i < state.found.size(); ++i)
            if (foundLinePath(state.found.at(i)) == path) return i;
        ADD_FAILURE() << path;
        return 0;
    }
    bool rightClick(std::optional<std::size_t> line) {
        return openFoundFilePanel(state, line, around,
                                  [](const std::string& s) { return 7 * int(s.size()); });
    }
    DriveTable drives;
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(drives);
    CollectionState& state = *owned;
    FakeShell shell;
    std::string alien, lost;
    int repaints = 0;
    std::function<void()> repaint = [this] { ++repaints; };
    // The list at 20,100 in the window, 400 x 300; the panel 120 high.
    FoundListSurroundings around{30, 40, 20, 100, 400, 300, 120, 8, 90};
};

using Calls = std::vector<FakeShell::Call>;

} // namespace

TEST_F(FoundActions, ThePathIsWhatFollowsTheFirstMarkAndTheHintNamesTheFile) {
    EXPECT_EQ(foundLinePath("2020-01-01 10:00   1 oct      >    /a/b c.avi  "), "/a/b c.avi");
    EXPECT_EQ(foundLinePath("sans repère"), "sans repère");
    EXPECT_EQ(foundListHint(state, lineOf(alien)), std::to_string(lineOf(alien)) + "   Alien.avi   ");
    EXPECT_EQ(foundListHint(state, 2), "");
    EXPECT_EQ(foundListHint(state, std::nullopt), "");
    EXPECT_EQ(unreadableListLine("2020   N/A   >   /x/a = b.avi = 12"), "2020   N/A   >   /x/a = b.avi");
}

TEST_F(FoundActions, TheRightClickedFileFillsThePanelPlacedAndSizedByItsName) {
    EXPECT_FALSE(rightClick(std::nullopt)); // no line under the pointer
    EXPECT_FALSE(rightClick(5));
    EXPECT_FALSE(state.foundPanel.visible);

    ASSERT_TRUE(rightClick(lineOf(alien))); // the first line like any other
    const FoundFilePanel& p = state.foundPanel;
    EXPECT_TRUE(p.visible);
    EXPECT_FALSE(state.foundHintsOn);
    EXPECT_EQ(state.selectedFoundFile, alien);
    EXPECT_EQ(p.fileName, "Alien.avi");
    EXPECT_EQ(p.folder, dir.file("films"));
    EXPECT_EQ(p.width, 500);
    EXPECT_EQ(p.buttonWidth, 112);
    EXPECT_EQ(p.buttonLefts, (std::array<int, 4>{10, 132, 254, 376}));
    // Kept within the list (20 + 400 - 500) but not beyond the window's edge; just under the
    // pointer (100 + 40 + 25), above the list's bottom (100 + 300 - 120 - 35).
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 165);
    around.y = 290; // near the bottom: lifted so that it shows whole
    around.listWidth = 1000;
    ASSERT_TRUE(rightClick(lineOf(alien)));
    EXPECT_EQ(p.top, 245);
    EXPECT_EQ(p.left, 50);
    around.y = 40;
    around.listWidth = 400;

    // A long name widens the panel, the buttons share it; captions that need more widen it too.
    const std::string longName = film(std::string(100, 'n') + ".avi", "n");
    state.found.insert(makeFoundLine("2020-01-01 10:00", 1, longName, "."));
    ASSERT_TRUE(rightClick(lineOf(longName)));
    EXPECT_EQ(p.width, 7 * 104 + 16);
    EXPECT_EQ(p.buttonWidth, (7 * 104 + 16 - 50) / 4);
    around.minButtonWidth = 300;
    ASSERT_TRUE(rightClick(lineOf(alien)));
    EXPECT_EQ(p.width, 1250);

    hideFoundFilePanel(state);
    EXPECT_FALSE(p.visible);
    EXPECT_TRUE(state.foundHintsOn);
    EXPECT_EQ(state.selectedFoundFile, alien); // kept until the next right click
}

TEST_F(FoundActions, PanelButtonsActOnTheSelectedFile) {
    ASSERT_TRUE(rightClick(lineOf(alien)));
    showFoundFileFolder(state, shell);
    EXPECT_FALSE(state.foundPanel.visible);
    ASSERT_TRUE(rightClick(lineOf(alien)));
    playFoundFile(state, ui, shell, repaint);
    EXPECT_EQ(shell.calls, (Calls{{"show", alien}, {"open", alien}}));

    // The found list changes; the panel's buttons still act on the file right-clicked.
    state.found.clear();
    program.settings.favouritesFolder = dir.file("favoris");
    std::vector<std::string> status;
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copyFoundFileToFavourites(state, program, ui, [&](const std::string& s) { status.push_back(s); });
    EXPECT_EQ(TempFolder::read(dir.file("favoris") + platform::nativeSeparator() + "Alien.avi"), "a");
    EXPECT_EQ(status, (std::vector<std::string>{"Copie en cours ...", ""}));
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
}

TEST_F(FoundActions, AFileTheNameDoesNotReachStartsTheRenameHelp) {
    const std::string question = lost +
                                 "\n\n Ce fichier semble introuvable, peut-être dû à des caractères spéciaux "
                                 "\n\n  (oui) => Renommer ce fichier dans le répertoire\n\n      le "
                                 "presse_papier contient le nom corrigé : Perdu é?\n\n\n  (non) => ignorer ";
    ui.answers = {DialogButton::Yes};
    openFoundLine(state, ui, shell, state.found.at(lineOf(lost)), FoundSource::FoundList, repaint);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{question}));
    EXPECT_TRUE(state.renamePanelVisible);
    EXPECT_EQ(state.renamePanelName, "Perdu é?.avi");
    EXPECT_EQ(repaints, 1); // painted before the question
    EXPECT_EQ(ui.clipboard, (std::vector<std::string>{"Perdu é?"}));
    EXPECT_EQ(shell.calls, (Calls{{"folder", dir.file("films")}}));

    // No: the panel goes. The N/A list asks the same without the panel.
    ui.answers = {DialogButton::No};
    openFoundLine(state, ui, shell, state.found.at(lineOf(lost)), FoundSource::FoundList, repaint);
    EXPECT_FALSE(state.renamePanelVisible);
    ui.answers = {DialogButton::No};
    openFoundLine(state, ui, shell, unreadableListLine(state.found.at(lineOf(lost)) + " = 1"),
                  FoundSource::UnreadableList, repaint);
    EXPECT_EQ(ui.shown.back().text, question);
    EXPECT_FALSE(state.renamePanelVisible);
    EXPECT_EQ(repaints, 2);

    // A clipboard that stays busy: the error, and no file manager.
    ui.clipboardFailures = 100;
    ui.answers = {DialogButton::Yes};
    EXPECT_THROW(
        openFoundLine(state, ui, shell, state.found.at(lineOf(lost)), FoundSource::FoundList, repaint),
        VerdanError);
    EXPECT_EQ(shell.calls.size(), 1u);

    openFoundLine(state, ui, shell, "", FoundSource::FoundList, repaint); // an empty line: nothing
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(FoundActions, DeletingRemovesExactlyTheHighlightedLinesAfterTheQuestion) {
    const std::string other = film("Brazil.avi", "b");
    state.found.insert(makeFoundLine("2020-01-01 10:00", 1, other, "."));
    state.foundCountCaption = "3";
    ui.answers = {DialogButton::No};
    deleteFoundLines(state, ui, {lineOf(alien)});
    EXPECT_EQ(state.found.size(), 3u);

    // A scan hands a line over while the question waits: it goes before the chosen lines, yet
    // exactly the highlighted lines go.
    ui.onAsk = [&] { state.found.insert(makeFoundLine("2019-01-01 10:00", 1, filmPath("Zorro.avi"), ".")); };
    ui.answers = {DialogButton::Yes};
    deleteFoundLines(state, ui, {lineOf(alien), lineOf(other)});
    ui.onAsk = nullptr;
    ASSERT_EQ(state.found.size(), 2u);
    EXPECT_EQ(foundLinePath(state.found.at(0)), filmPath("Zorro.avi"));
    EXPECT_EQ(foundLinePath(state.found.at(1)), lost);
    EXPECT_EQ(ui.shown.back().text, " Effacer le ou les médias sélectionnés  ?");
    EXPECT_EQ(state.foundCountCaption, "3");

    ui.shown.clear();
    deleteFoundLines(state, ui, {}); // nothing highlighted: no question
    EXPECT_TRUE(ui.shown.empty());
}

TEST(FilterBoxes, SeparatorsBecomeCommasAndDoubleClickGivesTheDefaults) {
    std::string typed;
    for (char c : std::string("avi;mp4.mkv:ts")) typed += filterBoxCharacter(c);
    EXPECT_EQ(typed, "avi,mp4,mkv,ts");
    EXPECT_STREQ(defaultFilter(0), "avi, mp4, mkv, mov, wmv, flv, vob, ts");
    EXPECT_STREQ(defaultFilter(1), "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi");
}

TEST(CategoryEdits, AnEditIsKeptUntilSavedAndTheTriggersWriteTheFile) {
    ProgramFixture f;
    CurrentCatalogue& c = f.program.catalogue;
    c.paths.ListFolder = f.listFolder();
    c.paths.ListName = "films";
    editCategory(c, 1, CategoryField::Filter, "flac, ogg");
    EXPECT_EQ(c.params.media[1].extensionFilter, "flac, ogg");
    EXPECT_TRUE(c.ParamsModified); // the quit writes it if nothing else does
    saveCategories(c, f.ui);
    EXPECT_FALSE(c.ParamsModified);
    EXPECT_EQ(f.ui.texts(), (std::vector<std::string>{"Paramètres enregistrés  dans    \n\nfilms.prm"}));
    const IniFile ini = IniFile::load(f.listFolder() + platform::nativeSeparator() + "films.prm");
    EXPECT_EQ(ini.readString("MEDIA_2", "Edit_filtre_ext_2_.Text", ""), "flac, ogg");

    CheckBox_miniClick(c, f.ui, 0, true);
    EXPECT_TRUE(c.params.media[0].minimumSizeOn);
    EXPECT_FALSE(c.ParamsModified);
    EXPECT_EQ(f.ui.shown.size(), 2u);

    editCategory(c, 0, CategoryField::Name, c.params.media[0].name); // unchanged text: nothing behind
    EXPECT_FALSE(c.ParamsModified);
}
