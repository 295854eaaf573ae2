// The lock beside a list file and the stamps that tell a file written by another program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "catalogue/file_stamp.h"
#include "catalogue/list_lock.h"
#include "platform/files.h"
#include "platform/system.h"
#include "support/temp_folder.h"

using namespace verdan;
using namespace verdan::test;

namespace {

// A process id no system gives: above Linux's highest, and no Windows process either.
constexpr long kEndedProcess = 999999999;

std::string lockText(const std::string& machine, const std::string& user, long process) {
    return "[VERROU]\r\nmachine=" + machine + "\r\nutilisateur=" + user +
           "\r\nprocessus=" + std::to_string(process) + "\r\ndepuis=12/06/2026 22:45\r\n";
}

class ListLockTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string list = dir.write("liste.txt", "n\r\n");
    std::string lockPath = lockFilePath(list);
    // Declared after the folder: each lock lets go before it is removed.
    ListLock lock;
    LockHolder holder;

    void lockedBy(const std::string& machine, const std::string& user, long process) const {
        dir.write(fileName(lockPath), lockText(machine, user, process));
    }
    static std::string fileName(const std::string& path) {
        return utf8FromPath(pathFromUtf8(path).filename());
    }
};

} // namespace

TEST_F(ListLockTest, NamesThisProgramWhileHeldAndGoesAtRelease) {
    EXPECT_EQ(lockPath, list + ".verrou");
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::Taken);
    const std::string text = TempFolder::read(lockPath);
    EXPECT_NE(text.find("machine=" + platform::machineName() + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("utilisateur=" + platform::userName() + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("processus=" + std::to_string(platform::currentProcessId()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("depuis="), std::string::npos);
    EXPECT_TRUE(lock.confirm(holder));
    lock.release();
    EXPECT_FALSE(platform::exists(lockPath));
}

TEST_F(ListLockTest, AnotherComputersLockIsNeverTakenWithoutTheUser) {
    // Its process cannot be seen from here, whatever its number.
    lockedBy("AUTRE-PC", "bruno", kEndedProcess);
    EXPECT_EQ(lock.take(list, holder), ListLock::Outcome::HeldByOther);
    EXPECT_EQ(holderText(holder), "bruno sur AUTRE-PC depuis 12/06/2026 22:45");
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(TempFolder::read(lockPath), lockText("AUTRE-PC", "bruno", kEndedProcess));

    ASSERT_EQ(lock.takeOver(list, holder), ListLock::Outcome::Taken);
    EXPECT_NE(TempFolder::read(lockPath).find("machine=" + platform::machineName()), std::string::npos);
}

TEST_F(ListLockTest, ALockLeftByAnEndedProgramHereIsTakenOver) {
    lockedBy(platform::machineName(), "anna", kEndedProcess);
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::Taken);
    EXPECT_NE(TempFolder::read(lockPath).find(std::to_string(platform::currentProcessId())),
              std::string::npos);
    // Nothing left beside it by the taking over.
    for (const std::string& name : platform::folderEntries(dir.path()))
        EXPECT_TRUE(name == "liste.txt" || name == "liste.txt.verrou") << name;
}

TEST_F(ListLockTest, TakingOverAskedForAnotherHolderThanTheOneNowThereIsRefused) {
    lockedBy("AUTRE-PC", "bruno", 12);
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::HeldByOther);
    lockedBy("TROISIEME", "carla", 34);
    EXPECT_EQ(lock.takeOver(list, holder), ListLock::Outcome::HeldByOther);
    EXPECT_EQ(holder.user, "carla");
    EXPECT_EQ(TempFolder::read(lockPath), lockText("TROISIEME", "carla", 34));
}

TEST_F(ListLockTest, TakenOverMeanwhileItIsNoLongerThisProgramsAndStaysAtRelease) {
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::Taken);
#ifndef _WIN32 // on Windows no one can replace it while it is held open
    platform::removeFile(lockPath);
    lockedBy("AUTRE-PC", "bruno", 12);
    EXPECT_FALSE(lock.confirm(holder));
    EXPECT_EQ(holder.user, "bruno");
    lock.release();
    EXPECT_EQ(TempFolder::read(lockPath), lockText("AUTRE-PC", "bruno", 12));
#endif
}

TEST_F(ListLockTest, ALockFileRemovedByHandIsMadeAgain) {
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::Taken);
#ifndef _WIN32
    platform::removeFile(lockPath);
    EXPECT_TRUE(lock.confirm(holder));
    EXPECT_TRUE(platform::isFile(lockPath));
#endif
}

#ifdef _WIN32
TEST_F(ListLockTest, WhileHeldItCanNeitherBeRemovedNorRenamed) {
    ASSERT_EQ(lock.take(list, holder), ListLock::Outcome::Taken);
    EXPECT_FALSE(platform::removeFile(lockPath));
    EXPECT_FALSE(platform::renameEntry(lockPath, lockPath + ".x"));
    EXPECT_FALSE(std::string(TempFolder::read(lockPath)).empty());
    // So another program's taking over fails while this one runs.
    ListLock other;
    LockHolder seen = currentHolder();
    other.takeOver(list, seen);
    EXPECT_FALSE(other.held());
}
#endif

TEST_F(ListLockTest, NoFolderNoLock) {
    EXPECT_EQ(lock.take(dir.file("absent/liste.txt"), holder), ListLock::Outcome::Unavailable);
}

TEST(FileStamp, WhatCountsAsAChange) {
    TempFolder dir;
    struct Case {
        const char* what;
        std::string after; // the file's bytes after another program's write, or "-" for removed
        bool keepTime;     // the write within the clock's step
        bool changed;
    };
    const std::string before(200000, 'a');
    std::string headEdited = before, tailEdited = before;
    headEdited[10] = 'b';
    tailEdited[before.size() - 10] = 'b';
    const Case cases[] = {
        {"untouched", before, true, false},
        {"longer", before + "x", true, true},
        {"same size, head changed, same time", headEdited, true, true},
        {"same size, tail changed, same time", tailEdited, true, true},
        {"same bytes written again later", before, false, true},
        {"removed", "-", true, true},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("liste.txt", before);
        const auto time = std::filesystem::last_write_time(pathFromUtf8(path));
        FileOnDisk read;
        read.remember(path);
        if (c.after == "-") {
            platform::removeFile(path);
        } else if (c.after != before || !c.keepTime) {
            dir.write("liste.txt", c.after);
            std::filesystem::last_write_time(pathFromUtf8(path),
                                             c.keepTime ? time : time + std::chrono::seconds(3));
        }
        EXPECT_EQ(read.changed(path), c.changed) << c.what;
        EXPECT_FALSE(read.changed(dir.file("autre.txt"))) << "nothing there, nothing read: " << c.what;
    }
}
