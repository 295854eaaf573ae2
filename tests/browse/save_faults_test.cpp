// Saves and Undo under I/O failures: every write, sync, rename, link and removal of a whole
// save or Undo is made to fail in turn, and after each the catalogue must be whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "browse/list_commands.h"
#include "catalogue/catalogue_access.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/program_fixture.h"
#include "util/error.h"

using namespace verdan;
using namespace verdan::test;

namespace {

// The contents a list file of this test can have, by name.
struct Versions {
    std::string older, current, saved;
    std::string nameOf(const std::string& bytes) const {
        if (bytes == older) return "older";
        if (bytes == current) return "current";
        if (bytes == saved) return "saved";
        return bytes.empty() ? "missing or empty" : "damaged (" + std::to_string(bytes.size()) + " bytes)";
    }
};

std::string readOrEmpty(const std::string& path) {
    std::string bytes;
    platform::readWholeFile(path, bytes);
    return bytes;
}

class SaveFaults : public ::testing::Test, public ProgramFixture {
protected:
    SaveFaults() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        program.settings.listFolder = listFolder();
        program.settings.listName = "liste_globale_médias";
    }
    void TearDown() override {
        platform::setWriteFailureAfter(-1);
        platform::faults::failOperation(0);
        platform::faults::setExchangeSupported(true);
        resetScratchFailureNotice();
    }
    std::string list() const { return program.catalogue.paths.ListFilePath; }
    std::string backup() const { return program.catalogue.paths.backupPath(); }

    // list = current, backup = older, the table loaded from the list with one row added.
    void prepare() {
        writeList({row("1", "A", "ancien")});
        v.older = readOrEmpty(list());
        writeList({row("1", "A", "ancien"), row("2", "A", "courant")});
        v.current = readOrEmpty(list());
        platform::writeFileAtomically(backup(), v.older);
        lire_liste(program.globalList.table, list(), ListMode::Replace, ui, dir.path());
        // Read by this program, as a load remembers it: no other program wrote it since.
        rememberListFile(program);
        program.globalList.table.appendRow({"3", "A", "vidéo", "nouveau"});
        program.globalList.table.ListModified = true;
        af_nb_media_bd(program);
    }
    std::vector<std::string> temporaries() const {
        std::vector<std::string> left;
        for (const std::string& folder : {listFolder(), dir.path()})
            for (const std::string& name : platform::folderEntries(folder))
                if (platform::temporaryNameOwner(name) >= 0) left.push_back(name);
        return left;
    }
    // Runs a save with the n-th operation failing; true when it said it succeeded.
    bool saveFailingAt(long long n, bool sticky, std::string& error) {
        error.clear();
        ui.answers = {DialogButton::Yes};
        ui.shown.clear();
        platform::faults::failOperation(n, sticky);
        bool ok = false;
        try {
            ok = Button_enregistrer_listeClick(program, ui);
        } catch (const VerdanError& e) {
            error = e.text();
        }
        seen = platform::faults::operationsSeen();
        platform::faults::failOperation(0);
        return ok && !ui.shown.empty() && ui.shown.back().text == "   Enregistrement effectué     ";
    }
    void expectStandardError(const std::string& error) {
        const bool standard = error.rfind("Impossible de créer le fichier ", 0) == 0 ||
                              error.rfind("Impossible d'écrire dans ", 0) == 0 ||
                              error.rfind("Impossible d'ouvrir le fichier ", 0) == 0;
        EXPECT_TRUE(standard) << error;
    }

    Versions v;
    long long seen = 0;
};

} // namespace

TEST_F(SaveFaults, EveryFailingOperationOfASaveLeavesAWholeListAndBackup) {
    prepare();
    std::string cleanError;
    ASSERT_TRUE(saveFailingAt(0, false, cleanError)) << cleanError;
    v.saved = readOrEmpty(list());
    ASSERT_NE(v.saved, v.current);
    int injected = 0;
    for (const bool sticky : {false, true}) {
        for (long long n = 1;; ++n) {
            SCOPED_TRACE("operation " + std::to_string(n) + (sticky ? ", disk full from then on" : ""));
            prepare();
            std::string error;
            const bool succeeded = saveFailingAt(n, sticky, error);
            const bool reached = seen >= n;

            const std::string onList = readOrEmpty(list());
            const std::string onBackup = readOrEmpty(backup());
            EXPECT_TRUE(onList == v.current || onList == v.saved) << "list: " << v.nameOf(onList);
            EXPECT_TRUE(onBackup == v.older || onBackup == v.current) << "backup: " << v.nameOf(onBackup);
            if (onList == v.saved) {
                EXPECT_EQ(v.nameOf(onBackup), "current");
            }
            if (succeeded) {
                EXPECT_EQ(v.nameOf(onList), "saved");
                EXPECT_EQ(v.nameOf(onBackup), "current");
                EXPECT_FALSE(program.globalList.table.ListModified);
            } else {
                expectStandardError(error);
                if (onList != v.saved) {
                    EXPECT_TRUE(program.globalList.table.ListModified);
                }
            }
            EXPECT_EQ(temporaries(), std::vector<std::string>{});
            if (!reached) {
                // Create, write, sync, close, link, rename, rename, folder sync at least, then the
                // settings and parameter files.
                EXPECT_GE(n, 12);
                break;
            }
            ++injected;
            ASSERT_LT(n, 200) << "a save should not take this many operations";
        }
    }
    std::printf("%d failures injected into saves, every list and backup whole\n", injected);
}

TEST_F(SaveFaults, TwoFailedSavesThenARestartAndASaveLoseNothing) {
    prepare();
    std::string error;
    ASSERT_FALSE(saveFailingAt(1, true, error));
    ASSERT_FALSE(saveFailingAt(2, true, error));
    EXPECT_EQ(v.nameOf(readOrEmpty(list())), "current");
    EXPECT_EQ(v.nameOf(readOrEmpty(backup())), "older");
    EXPECT_TRUE(program.globalList.table.ListModified);

    // What a restart sees: the previous list whole, which it loads; the next save keeps it as backup.
    GlobalList restarted;
    lire_liste(restarted, list(), ListMode::Replace, ui, dir.path());
    EXPECT_EQ(restarted.mediaCount(), 2u);
    ASSERT_TRUE(saveFailingAt(0, false, error)) << error;
    EXPECT_EQ(v.nameOf(readOrEmpty(backup())), "current");
}

TEST_F(SaveFaults, EveryFailingOperationOfUndoLeavesBothVersions) {
    int injected = 0;
    for (const bool oneStep : {true, false}) {
        platform::faults::setExchangeSupported(oneStep);
        for (long long n = 1;; ++n) {
            SCOPED_TRACE("operation " + std::to_string(n) + (oneStep ? "" : ", swap through second names"));
            prepare();
            program.globalList.table.ListModified = false;
            ui.shown.clear();
            ui.answers = {DialogButton::Yes, DialogButton::Yes};
            platform::faults::failOperation(n);
            Button_undoClick(program, ui);
            const bool reached = platform::faults::operationsSeen() >= n;
            platform::faults::failOperation(0);

            const std::string onList = readOrEmpty(list());
            const std::string onBackup = readOrEmpty(backup());
            EXPECT_EQ((std::set<std::string>{v.nameOf(onList), v.nameOf(onBackup)}),
                      (std::set<std::string>{"older", "current"}));
            if (ui.texts().back() == "  Récupération de la sauvegarde impossible\n\n") {
                EXPECT_EQ(v.nameOf(onList), "current");
            } else {
                EXPECT_EQ(v.nameOf(onList), "older");
                EXPECT_EQ(program.globalList.table.mediaCount(), 1u) << "the backup is what is shown";
            }
            EXPECT_EQ(temporaries(), std::vector<std::string>{});
            if (!reached) {
                EXPECT_GE(n, oneStep ? 2 : 6);
                break;
            }
            ++injected;
            ASSERT_LT(n, 100);
        }
    }
    std::printf("%d failures injected into Undo, both versions kept every time\n", injected);
}

TEST_F(SaveFaults, TheFirstSaveOfANewCatalogueAndASaveWithoutBackupYet) {
    program.globalList.table.appendRow({"1", "A", "vidéo", "premier"});
    af_nb_media_bd(program);
    std::string error;
    ASSERT_TRUE(saveFailingAt(0, false, error)) << error;
    EXPECT_FALSE(platform::exists(backup()));
    ASSERT_TRUE(saveFailingAt(0, false, error)) << error;
    EXPECT_EQ(readOrEmpty(backup()), readOrEmpty(list()));
}

TEST_F(SaveFaults, ADiskThatFillsUpAtAnyOfFortySizesLosesNothing) {
    prepare();
    for (int i = 0; i < 3000; ++i)
        program.globalList.table.appendRow(
            {std::to_string(i + 4), "A", "vidéo", "titre assez long " + std::to_string(i)});
    af_nb_media_bd(program);
    std::string error;
    ASSERT_TRUE(saveFailingAt(0, false, error)) << error;
    v.saved = readOrEmpty(list());
    const long long size = static_cast<long long>(v.saved.size());
    for (int step = 0; step < 40; ++step) {
        const long long room = size * step / 39 + (step == 39 ? 4096 : 0);
        SCOPED_TRACE("room for " + std::to_string(room) + " of " + std::to_string(size) + " bytes");
        platform::writeFileAtomically(list(), v.current);
        platform::writeFileAtomically(backup(), v.older);
        rememberListFile(program); // the list as this program last saw it
        program.globalList.table.ListModified = true;
        ui.answers = {DialogButton::Yes};
        platform::setWriteFailureAfter(room);
        bool ok = false;
        try {
            ok = Button_enregistrer_listeClick(program, ui);
        } catch (const VerdanError& e) {
            expectStandardError(e.text());
        }
        platform::setWriteFailureAfter(-1);
        const std::string onList = readOrEmpty(list());
        const std::string onBackup = readOrEmpty(backup());
        if (ok) {
            EXPECT_EQ(v.nameOf(onList), "saved");
            EXPECT_EQ(v.nameOf(onBackup), "current");
        } else if (onList == v.saved) {
            EXPECT_EQ(v.nameOf(onBackup), "current") << "the list went in; a later file did not";
        } else {
            EXPECT_EQ(v.nameOf(onList), "current");
            EXPECT_EQ(v.nameOf(onBackup), "older");
            EXPECT_TRUE(program.globalList.table.ListModified);
        }
        EXPECT_EQ(temporaries(), std::vector<std::string>{});
    }
}
