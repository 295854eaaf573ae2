#include <gtest/gtest.h>

#include "collect/collection_state.h"
#include "collect/folders.h"
#include "platform/collation.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/file_helpers.h"

#include <algorithm>
#include <filesystem>

using namespace verdan;
using verdan::test::FakeUi;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> names(const FolderLists& lists) {
    std::vector<std::string> out;
    for (const auto& i : lists.items) out.push_back(i.name);
    return out;
}

} // namespace

class FolderList : public ::testing::Test {
protected:
    TempFolder drive;
    FakeUi ui;
    DriveTable drives;
    CollectionState state{drives};

    void SetUp() override { state.SelectedDrive = drive.path(); }
    int item(const std::string& name) {
        for (std::size_t i = 0; i < state.folders.items.size(); ++i)
            if (state.folders.items[i].name == name) return static_cast<int>(i);
        ADD_FAILURE() << name;
        return -1;
    }
    void tick(const std::string& name, bool on = true) { CheckListBox_repClick(state, ui, item(name), on); }
};

TEST_F(FolderList, RootEntryFirstThenFoldersCaseInsensitively) {
    for (auto n : {"zeta", "Alpha", "beta", "Été"}) fs::create_directory(test::pathFromUtf8(drive.file(n)));
    drive.write("film.avi", "x");
#ifndef _WIN32
    fs::create_directory(test::pathFromUtf8(drive.file(".Trash-1000")));
    fs::create_directory_symlink(test::pathFromUtf8(drive.file("beta")),
                                 test::pathFromUtf8(drive.file("lien")));
#endif
    platform::SortKeyMaker french("fr_FR");
    ListFolders(drive.path(), state.folders, french);
    EXPECT_EQ(names(state.folders),
              (std::vector<std::string>{" << racine >>", "Alpha", "beta", "Été", "zeta"}));
    for (const auto& i : state.folders.items) EXPECT_FALSE(i.checked);
}

TEST_F(FolderList, AccentedNamesSortWithTheirLettersAndBlanksDoNotLeadTheRoot) {
    for (auto n : {"Zed", "éa", "Eb", "ed", " espace", "_tiret", "10 ans", "2 ans"})
        fs::create_directory(test::pathFromUtf8(drive.file(n)));
    platform::SortKeyMaker french("fr_FR");
    ListFolders(drive.path(), state.folders, french);
    const auto got = names(state.folders);
    ASSERT_EQ(got.size(), 9u);
    EXPECT_EQ(got.front(), " << racine >>");
    auto at = [&](const char* n) { return std::find(got.begin(), got.end(), n) - got.begin(); };
    EXPECT_LT(at("éa"), at("Eb"));
    EXPECT_LT(at("Eb"), at("ed"));
    EXPECT_LT(at("ed"), at("Zed"));
}

TEST_F(FolderList, AnUnreadableDriveOffersTheRootAlone) {
    ListFolders(drive.file("absent"), state.folders);
    EXPECT_EQ(names(state.folders), (std::vector<std::string>{" << racine >>"}));
}

TEST_F(FolderList, TicksMirrorIntoTheSelectionInTickingOrder) {
    for (auto n : {"A", "B", "C"}) fs::create_directory(test::pathFromUtf8(drive.file(n)));
    ListFolders(drive.path(), state.folders);
    state.found.insert("2024-01-01 10:00   x");
    state.folders.radioIndex = 0;
    tick("A");
    tick("C");
    tick("B");
    EXPECT_EQ(state.folders.selected, (std::vector<std::string>{"A", "C", "B"}));
    tick("C", false);
    EXPECT_EQ(state.folders.selected, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(state.found.empty());
    EXPECT_EQ(state.foundCountCaption, "0");
    EXPECT_EQ(state.scanStatus, "---");
    EXPECT_EQ(state.folders.radioIndex, -1);
    EXPECT_FALSE(state.folders.items[static_cast<std::size_t>(item("C"))].checked);
    CheckListBox_repClick(state, ui, 99, true); // no item under the pointer
    EXPECT_EQ(state.folders.selected.size(), 2u);
}

#ifndef _WIN32
TEST_F(FolderList, NamesDifferingOnlyInCaseAreSelectedOnce) {
    fs::create_directory(test::pathFromUtf8(drive.file("films")));
    fs::create_directory(test::pathFromUtf8(drive.file("FILMS")));
    ListFolders(drive.path(), state.folders);
    tick("films");
    tick("FILMS");
    EXPECT_EQ(state.folders.selected, (std::vector<std::string>{"films"}));
}
#endif

TEST_F(FolderList, SelectAllAndNone) {
    for (auto n : {"b", "a"}) fs::create_directory(test::pathFromUtf8(drive.file(n)));
    ListFolders(drive.path(), state.folders);
    state.found.insert("x");
    tick("b");
    state.found.insert("y");
    RadioGroup1Click(state, 0);
    EXPECT_EQ(state.folders.selected, (std::vector<std::string>{" << racine >>", "a", "b"}));
    for (const auto& i : state.folders.items) EXPECT_TRUE(i.checked);
    EXPECT_EQ(state.found.size(), 1u) << "ticking all keeps the found list";
    RadioGroup1Click(state, 1);
    EXPECT_TRUE(state.folders.selected.empty());
    for (const auto& i : state.folders.items) EXPECT_FALSE(i.checked);
    EXPECT_EQ(state.folders.radioIndex, 1);
}

TEST_F(FolderList, HoverSelectsTheItemAndSetsItsHint) {
    for (auto n : {"a", "b", "c"}) fs::create_directory(test::pathFromUtf8(drive.file(n)));
    ListFolders(drive.path(), state.folders);
    EXPECT_TRUE(CheckListBox_repMouseMove(state.folders, 37, 18, 1)); // 37 / 18 + 1 = 3
    EXPECT_EQ(state.folders.hoveredItem, 3);
    EXPECT_EQ(state.folders.hint, "   c   \n\n   click droit pour voir le dossier");
    EXPECT_FALSE(CheckListBox_repMouseMove(state.folders, 18 * 4, 18, 0));
    EXPECT_EQ(state.folders.hoveredItem, 3);
}

TEST_F(FolderList, RightClickOffersToLookIntoTheHoveredFolder) {
    fs::create_directory(test::pathFromUtf8(drive.file("films")));
    ListFolders(drive.path(), state.folders);
    CheckListBox_repMouseMove(state.folders, 20, 18, 0);
    CheckListBox_repMouseDown(state, ui, false);
    EXPECT_TRUE(ui.shown.empty());

    ui.answers = {DialogButton::No, DialogButton::Yes};
    CheckListBox_repMouseDown(state, ui, true);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, " Ouvrir le dossier suivant ?\n\n" + joinPath(drive.path(), "films"));
    EXPECT_EQ(ui.shown[0].type, DialogType::Confirmation);
    CheckListBox_repMouseDown(state, ui, true);
    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[2].kind, "file");
    EXPECT_EQ(ui.shown[2].text, "Visualisation de répertoires");

    // The root entry stands for the drive itself.
    CheckListBox_repMouseMove(state.folders, 0, 18, 0);
    ui.answers = {DialogButton::No};
    CheckListBox_repMouseDown(state, ui, true);
    EXPECT_EQ(ui.shown.back().text, " Ouvrir le dossier suivant ?\n\n" + drive.path());
}
