#include <gtest/gtest.h>

#include "collect/folders.h"
#include "platform/drives.h"
#include "program/program.h"
#include "support/fake_drives.h"
#include "support/fake_shell.h"
#include "support/program_fixture.h"
#include "support/program_views.h"
#include "support/ui_thread.h"
#include "util/cp1252.h"

#include <filesystem>

using namespace verdan;
using namespace verdan::test;
namespace fs = std::filesystem;

namespace {

// A whole user's path through the program object alone, with scripted answers and a disk made of
// a folder: nothing of it needs a window.
class WholePath : public ProgramOnAFolderDisk {
protected:
    void SetUp() override {
        for (const char* f : {"films/Alien.avi", "films/Aliens.mkv", "films/notes.txt"}) {
            fs::create_directories(fs::path(pathFromUtf8(disk.file(f))).parent_path());
            disk.write(f, std::string(2048, 'x'));
        }
        start(ProgramFixture::row("1", "ARCHIVES", "Brazil", "700 Mo", "99998888") + "\r\n");
    }

    std::vector<std::string> titles() {
        std::vector<std::string> out;
        const GlobalList& list = state.globalList.table;
        for (std::size_t r = 1; r < list.rowCount(); ++r) out.emplace_back(list.cell(r, 3));
        return out;
    }
    std::vector<std::string> resultTitles() {
        std::vector<std::string> out;
        const SearchResult& result = program->browse().filter;
        for (std::size_t r = 1; r < result.rowCount(); ++r) out.emplace_back(result.cell(r, 3));
        return out;
    }
    void scanFilms() {
        CollectionState& c = program->collection();
        RefreshDrives(c, drives, ui);
        c.drives.setCurrentRow(1);
        StringGrid_hdClick(c, ui);
        for (std::size_t i = 0; i < c.folders.items.size(); ++i)
            if (c.folders.items[i].name == "films") CheckListBox_repClick(c, ui, static_cast<int>(i), true);
        program->listMedia();
        ASSERT_TRUE(ui.pumpUntil([&] { return !c.scanWorkers.current(); }));
    }
};

} // namespace

TEST_F(WholePath, ScanAddSearchDeleteSaveAndSwitchCatalogueWithoutAWindow) {
    ui.answers = {DialogButton::Yes}; // the load of the list
    program->openingSequence(windows);
    program->activate();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Brazil"}));

    scanFilms();
    EXPECT_EQ(program->collection().found.size(), 2u) << "the two videos, not the notes";
    const int before = windows.changes;
    ui.answers = {DialogButton::Yes};
    const AddOutcome added = program->addToGlobalList();
    EXPECT_EQ(added.added, 2u);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Brazil", "Alien", "Aliens"}));
    EXPECT_EQ(state.globalList.disks, (std::vector<std::string>{"ARCHIVES-99998888", "FILMS-0A1B2C3D"}));
    EXPECT_EQ(state.globalList.keys.size(), 3u);
    EXPECT_GT(windows.changes, before) << "both windows are told";

    ASSERT_TRUE(program->search("alien"));
    EXPECT_EQ(resultTitles(), (std::vector<std::string>{"Alien", "Aliens"}));

    // The result's first row is deleted from the list; the result follows by itself.
    ui.answers = {DialogButton::Yes};
    program->deleteRows({1}, 1);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Brazil", "Aliens"}));
    EXPECT_EQ(resultTitles(), (std::vector<std::string>{"Aliens"}));
    EXPECT_EQ(program->browse().markCountCaption, "0");
    EXPECT_EQ(state.globalList.keys.size(), 2u);
    EXPECT_TRUE(state.globalList.table.ListModified);

    ui.answers = {DialogButton::Yes};
    program->saveList();
    EXPECT_FALSE(state.globalList.table.ListModified);
    const std::string saved = TempFolder::read(state.catalogue.paths.ListFilePath);
    EXPECT_NE(saved.find("Aliens"), std::string::npos);
    EXPECT_EQ(saved.find("\tAlien\t"), std::string::npos);

    // Another catalogue, created empty: the search result starts again from its list.
    ui.answers = {DialogButton::No, DialogButton::Yes, DialogButton::Yes};
    program->switchToNamedCatalogue(windows, "vide");
    EXPECT_EQ(state.catalogue.paths.ListName, "vide");
    EXPECT_EQ(state.globalList.table.mediaCount(), 0u);
    EXPECT_TRUE(resultTitles().empty());
    EXPECT_TRUE(state.globalList.disks.empty());
}

// Re-indexing at a coarser level removes the rows whose key repeats: a search result shown then
// loses them as it would by a deletion, instead of naming rows that moved or are gone.
TEST_F(WholePath, ASearchResultFollowsTheDuplicatesAReindexingRemoves) {
    const std::string list = joinPath(joinPath(dir.path(), "listes"), "liste_globale_médias.txt");
    std::ofstream(pathFromUtf8(list), std::ios::binary)
        << cp1252::encode("n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille\tdrive\ttype-disque"
                          "\tNS-disque\tlibre\ttotal\t x\r\n" +
                          ProgramFixture::row("1", "ARCHIVES", "Brazil", "700 Mo", "99998888") + "\r\n" +
                          ProgramFixture::row("2", "ARCHIVES", "Brazil", "800 Mo", "99998888") + "\r\n" +
                          ProgramFixture::row("3", "ARCHIVES", "Brazil 2", "900 Mo", "99998888") + "\r\n");
    ui.answers = {DialogButton::Yes};
    program->openingSequence(windows);
    ASSERT_TRUE(program->search("brazil"));
    ASSERT_EQ(resultTitles(), (std::vector<std::string>{"Brazil", "Brazil", "Brazil 2"}));

    state.catalogue.params.indexLevel = 0; // idx1: the size no longer tells the two apart
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(program->reindex(), ReindexOutcome::Cleaned);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Brazil", "Brazil 2"}));
    EXPECT_EQ(resultTitles(), (std::vector<std::string>{"Brazil", "Brazil 2"}));
    EXPECT_EQ(program->browse().filter.listRow(2), 2u);
}
