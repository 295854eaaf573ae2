#include <gtest/gtest.h>

#include "catalogue/list_backup.h"
#include "platform/files.h"
#include "support/temp_folder.h"

using namespace verdan;
using verdan::test::TempFolder;

class ListBackup : public ::testing::Test {
protected:
    void TearDown() override { platform::faults::failOperation(0); }
    TempFolder dir;
};

TEST_F(ListBackup, EchangerFichiersSwapsBothWaysAndLeavesNoTemporary) {
    const std::string a = dir.write("liste.txt", "nouveau");
    const std::string b = dir.write("liste.bak", "ancien");
    for (const bool oneStep : {true, false}) {
        platform::faults::setExchangeSupported(oneStep);
        EXPECT_TRUE(echanger_fichiers(a, b));
        EXPECT_EQ(TempFolder::read(a), "ancien");
        EXPECT_EQ(TempFolder::read(b), "nouveau");
        EXPECT_TRUE(echanger_fichiers(a, b));
        EXPECT_EQ(TempFolder::read(a), "nouveau");
        EXPECT_EQ(platform::folderEntries(dir.path()).size(), 2u) << "one step: " << oneStep;
    }
    platform::faults::setExchangeSupported(true);
}

TEST_F(ListBackup, EchangerFichiersWithAMissingFileTouchesNothing) {
    const std::string a = dir.write("liste.txt", "nouveau");
    EXPECT_FALSE(echanger_fichiers(a, dir.file("liste.bak")));
    EXPECT_EQ(TempFolder::read(a), "nouveau");
    EXPECT_FALSE(echanger_fichiers(dir.file("x"), a));
}

// The restore offered at opening: whichever step fails, the backup stays whole, the list is either
// still missing or a whole copy of it, and no temporary file is left beside them.
TEST_F(ListBackup, EveryFailingStepOfARestoreKeepsTheBackup) {
    const std::string list = dir.file("films.txt");
    const std::string backup = dir.write("films.bak", std::string(100000, 'b'));
    EXPECT_TRUE(onlyBackupLeft(list, backup));
    for (long long step = 1;; ++step) {
        ASSERT_LT(step, 50) << "the restore never succeeds";
        platform::faults::failOperation(step);
        const bool restored = restoreListBackup(list, backup);
        platform::faults::failOperation(0);
        EXPECT_EQ(TempFolder::read(backup), std::string(100000, 'b')) << "step " << step;
        const auto names = platform::folderEntries(dir.path());
        if (platform::exists(list)) {
            EXPECT_EQ(TempFolder::read(list), TempFolder::read(backup)) << "step " << step;
            EXPECT_EQ(names.size(), 2u) << "step " << step;
        } else {
            EXPECT_FALSE(restored);
            EXPECT_EQ(names.size(), 1u) << "step " << step;
        }
        if (restored) break;
        platform::removeFile(list);
    }
    EXPECT_FALSE(onlyBackupLeft(list, backup));
}

// A save rotates the backup only when there is a list file to keep, and never without a backup name.
TEST_F(ListBackup, TheRotationKeepsTheListAboutToBeReplaced) {
    EXPECT_FALSE(listBackupRotation({}));
    const std::string list = dir.file("films.txt");
    const std::string backup = dir.write("films.bak", "ancien");
    const auto rotate = listBackupRotation(backup);
    EXPECT_TRUE(rotate(list));
    EXPECT_EQ(TempFolder::read(backup), "ancien");
    dir.write("films.txt", "actuel");
    platform::faults::failOperation(2);
    EXPECT_FALSE(rotate(list));
    platform::faults::failOperation(0);
    EXPECT_EQ(TempFolder::read(backup), "ancien");
    EXPECT_EQ(platform::folderEntries(dir.path()).size(), 2u);
    EXPECT_TRUE(rotate(list));
    EXPECT_EQ(TempFolder::read(backup), "actuel");
    EXPECT_EQ(TempFolder::read(list), "actuel");
}
