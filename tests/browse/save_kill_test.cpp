// A save or an Undo killed at a random moment (what a power cut or a crash does to the process):
// the list and its backup must each still hold a whole list, and the next start cleans up.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "catalogue/list_backup.h"
#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "util/file_helpers.h"

using namespace verdan;
using namespace verdan::test;

namespace {

void fill(GlobalList& table, int rows, const std::string& title) {
    table.removeRows({1});
    for (int i = 0; i < rows; ++i)
        table.appendRow({std::to_string(i), "DISQUE", "vidéo", title + " " + std::to_string(i), ".avi",
                         "2020-01-01 10:00", ":\\films\\2020", "700 Mo", "E", "USB", "1234ABCD", "1,00 Go",
                         "2,00 Go", ""});
}

std::string bytesOf(const std::string& path) {
    std::string bytes;
    platform::readWholeFile(path, bytes);
    return bytes;
}

class SaveKill : public ::testing::Test {
protected:
    void SetUp() override {
        list = dir.file("liste.txt");
        backup = dir.file("liste.bak");
        GlobalList t0, t1;
        fill(t0, kRows, "ancien");
        fill(t1, kRows, "courant");
        fill(next, kRows, "nouveau");
        ecrire_liste(t0, dir.file("v0"));
        ecrire_liste(t1, dir.file("v1"));
        ecrire_liste(next, dir.file("v2"));
        older = bytesOf(dir.file("v0"));
        current = bytesOf(dir.file("v1"));
        saved = bytesOf(dir.file("v2"));
    }
    void reset() {
        ASSERT_EQ(platform::writeFileAtomically(list, current), platform::WriteResult::Ok);
        ASSERT_EQ(platform::writeFileAtomically(backup, older), platform::WriteResult::Ok);
    }
    std::string nameOf(const std::string& bytes) const {
        if (bytes == older) return "older";
        if (bytes == current) return "current";
        if (bytes == saved) return "saved";
        return "damaged (" + std::to_string(bytes.size()) + " bytes)";
    }
    // Runs `work` in a child killed after `delay`; true when the child had already finished.
    template <typename Work> static bool killDuring(Work work, std::chrono::microseconds delay) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            work();
            ::_exit(0);
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status);
    }
    void TearDown() override {
        for (const std::string& name : platform::folderEntries(dir.path()))
            if (name.find(".swap") != std::string::npos) platform::removeFile(dir.file(name));
    }
    std::size_t temporariesLeft() const {
        std::size_t n = 0;
        for (const std::string& name : platform::folderEntries(dir.path()))
            n += platform::temporaryNameOwner(name) >= 0;
        return n;
    }

    static constexpr int kRows = 60000;
    TempFolder dir;
    std::string list, backup;
    GlobalList next;
    std::string older, current, saved;
};

} // namespace

TEST_F(SaveKill, KilledDuringASaveTheListAndBackupStayWhole) {
    reset();
    const auto start = std::chrono::steady_clock::now();
    ecrire_liste(next, list, backup);
    const auto duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> moment(0, duration.count() * 5 / 4);
    int killedBefore = 0, killedAfter = 0;
    for (int i = 0; i < 16; ++i) {
        reset();
        const std::chrono::microseconds delay(moment(random));
        SCOPED_TRACE("seed " + std::to_string(seed) + ", kill after " + std::to_string(delay.count()) +
                     " µs");
        killDuring([&] { ecrire_liste(next, list, backup); }, delay);
        const std::string onList = nameOf(bytesOf(list));
        const std::string onBackup = nameOf(bytesOf(backup));
        if (onList == "saved") {
            EXPECT_EQ(onBackup, "current");
            ++killedAfter;
        } else {
            EXPECT_EQ(onList, "current");
            EXPECT_TRUE(onBackup == "older" || onBackup == "current") << onBackup;
            ++killedBefore;
        }
        removeStaleTemporaries(dir.path());
        EXPECT_EQ(temporariesLeft(), 0u) << "the next start removes what the killed save left";
    }
    EXPECT_GT(killedBefore, 0) << "the kills should fall during the save as well";
}

TEST_F(SaveKill, KilledDuringUndoEachNameHoldsAWholeList) {
    for (const bool oneStep : {true, false}) {
        platform::faults::setExchangeSupported(oneStep);
        for (int i = 0; i < 12; ++i) {
            reset();
            const std::chrono::microseconds delay(i * 150);
            SCOPED_TRACE((oneStep ? "one step, kill after " : "second names, kill after ") +
                         std::to_string(delay.count()) + " µs");
            killDuring([&] { echanger_fichiers(backup, list); }, delay);
            const std::string onList = nameOf(bytesOf(list));
            const std::string onBackup = nameOf(bytesOf(backup));
            EXPECT_TRUE(onList == "current" || onList == "older") << onList;
            EXPECT_TRUE(onBackup == "current" || onBackup == "older") << onBackup;
            removeStaleTemporaries(dir.path());
            if (onList == onBackup) {
                // Killed between the two moves of a swap in two steps: the other version is kept.
                bool kept = false;
                for (const std::string& name : platform::folderEntries(dir.path()))
                    if (name.find(".swap") != std::string::npos && nameOf(bytesOf(dir.file(name))) != onList)
                        kept = true;
                EXPECT_TRUE(kept) << "both names hold the " << onList << " list and the other is gone";
            }
            EXPECT_EQ(temporariesLeft(), 0u);
        }
    }
    platform::faults::setExchangeSupported(true);
}
#endif
