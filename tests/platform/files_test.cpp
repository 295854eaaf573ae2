#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/files_copy.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace verdan;
using verdan::test::TempFolder;

class AtomicWrite : public ::testing::Test {
protected:
    void TearDown() override { platform::setWriteFailureAfter(-1); }
    std::size_t filesIn(const std::string& folder) {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
    TempFolder dir;
};

TEST_F(AtomicWrite, ReplacesTheTargetWhole) {
    const std::string p = dir.write("liste.txt", "ancien contenu");
    EXPECT_EQ(platform::writeFileAtomically(p, "nouveau"), platform::WriteResult::Ok);
    EXPECT_EQ(TempFolder::read(p), "nouveau");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST_F(AtomicWrite, AFailureMidWayLeavesThePreviousFileIntact) {
    const std::string p = dir.write("liste.txt", "ancien contenu");
    for (long long after : {0LL, 1LL, 5LL, 4095LL}) {
        platform::setWriteFailureAfter(after);
        platform::AtomicFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        bool ok = w.write(std::string(3000, 'a'));
        ok = ok && w.write(std::string(3000, 'b'));
        EXPECT_FALSE(ok) << after;
        EXPECT_EQ(w.commit(), platform::WriteResult::CannotWrite);
        EXPECT_EQ(TempFolder::read(p), "ancien contenu");
        EXPECT_EQ(filesIn(dir.path()), 1u) << "temporary file left behind";
    }
}

TEST_F(AtomicWrite, AbandonedWriterRemovesItsTemporaryFile) {
    const std::string p = dir.file("neuf.ini");
    {
        platform::AtomicFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        w.write("partiel");
    }
    EXPECT_FALSE(platform::exists(p));
    EXPECT_EQ(filesIn(dir.path()), 0u);
}

TEST_F(AtomicWrite, MissingFolderCannotCreate) {
    EXPECT_EQ(platform::writeFileAtomically(dir.file("absent/x.txt"), "x"),
              platform::WriteResult::CannotCreate);
}

TEST_F(AtomicWrite, AccentedAndNonLatinNames) {
    for (std::string name : {"liste_globale_médias.txt", "Фильмы.txt"}) {
        const std::string p = dir.file(name);
        EXPECT_EQ(platform::writeFileAtomically(p, "ok"), platform::WriteResult::Ok);
        EXPECT_TRUE(platform::isFile(p));
        EXPECT_EQ(platform::entrySize(p), 2);
    }
}

// The scratch file is written over in place: whatever the old one held past the new end, or
// through another name, must not survive or be touched.
using ScratchWrite = AtomicWrite;

TEST_F(ScratchWrite, EndsWhereTheNewContentEndsWhetherShorterOrLonger) {
    const std::string p = dir.file("tmp.CSV");
    for (const std::string& text :
         {std::string(5000, 'a'), std::string("court"), std::string(70000, 'b'), std::string()}) {
        platform::ScratchFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        ASSERT_TRUE(w.write(text.substr(0, text.size() / 3)));
        ASSERT_TRUE(w.write(text.substr(text.size() / 3)));
        ASSERT_EQ(w.commit(), platform::WriteResult::Ok);
        EXPECT_EQ(TempFolder::read(p), text) << text.size();
    }
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST_F(ScratchWrite, AFailureIsToldAndAnAbandonedFileEndsWhereTheWritingStopped) {
    const std::string p = dir.write("tmp.CSV", std::string(9000, 'x'));
    {
        platform::setWriteFailureAfter(3000);
        platform::ScratchFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        EXPECT_TRUE(w.write(std::string(3000, 'a')));
        EXPECT_FALSE(w.write(std::string(3000, 'b')));
        EXPECT_EQ(w.commit(), platform::WriteResult::CannotWrite);
    }
    platform::setWriteFailureAfter(-1);
    {
        platform::ScratchFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        ASSERT_TRUE(w.write("partiel"));
    }
    EXPECT_EQ(TempFolder::read(p), "partiel");
    EXPECT_EQ(platform::ScratchFileWriter(dir.file("absent/tmp.CSV")).open(),
              platform::WriteResult::CannotCreate);
}

#ifndef _WIN32
TEST_F(ScratchWrite, AReadOnlyCopyIsReplaced) {
    const std::string p = dir.write("tmp.CSV", "ancienne copie");
    test::asUnprivileged({dir.path()}, [&] {
        std::filesystem::permissions(p, std::filesystem::perms::owner_read);
        platform::ScratchFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok);
        ASSERT_TRUE(w.write("nouvelle"));
        ASSERT_EQ(w.commit(), platform::WriteResult::Ok);
        EXPECT_EQ(TempFolder::read(p), "nouvelle");
    });
}

TEST_F(ScratchWrite, NeverWritesThroughALinkOrASecondName) {
    const std::string other = dir.write("liste.txt", "contenu de la liste");
    const std::string p = dir.file("tmp.CSV");
    for (bool symbolic : {true, false}) {
        std::filesystem::remove(p);
        if (symbolic) {
            std::filesystem::create_symlink(other, p);
        } else {
            std::filesystem::create_hard_link(other, p);
        }
        platform::ScratchFileWriter w(p);
        ASSERT_EQ(w.open(), platform::WriteResult::Ok) << symbolic;
        ASSERT_TRUE(w.write("copie"));
        ASSERT_EQ(w.commit(), platform::WriteResult::Ok);
        EXPECT_EQ(TempFolder::read(other), "contenu de la liste") << symbolic;
        EXPECT_EQ(TempFolder::read(p), "copie") << symbolic;
        EXPECT_FALSE(std::filesystem::is_symlink(p));
    }
}
#endif

TEST(FileOps, NonLatinNamesThroughEveryOperation) {
    TempFolder dir;
    const char sep = platform::nativeSeparator();
    const std::string folder = dir.path() + sep + "Фильмы" + sep + "été";
    ASSERT_TRUE(platform::createFolders(folder));
    const std::string a = folder + sep + "Война и мир.avi";
    ASSERT_EQ(platform::writeFileAtomically(a, "12345"), platform::WriteResult::Ok);
    const std::string b = folder + sep + "Œuvre №2.avi";
    ASSERT_TRUE(platform::copyFile(a, b));
    EXPECT_EQ(TempFolder::read(b), "12345");
    const std::string c = folder + sep + "ÀÉÎÕÜ ß.avi";
    ASSERT_TRUE(platform::renameEntry(b, c));
    EXPECT_EQ(platform::entrySize(c), 5);
    ASSERT_NE(platform::openForReading(c), nullptr);

    // The names on disk are the characters themselves, not their bytes read in a code page.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(verdan::test::pathFromUtf8(folder)))
        names.push_back(verdan::test::utf8FromPath(e.path().filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ÀÉÎÕÜ ß.avi", "Война и мир.avi"}));
    EXPECT_TRUE(platform::removeFile(a));
    EXPECT_FALSE(platform::exists(a));
    EXPECT_TRUE(platform::isFolder(dir.path() + sep + "Фильмы"));
}

TEST(FileOps, EntrySizeIsMinusOneForNothingAndLiteral) {
    TempFolder dir;
    EXPECT_EQ(platform::entrySize(dir.file("absent.avi")), -1);
    dir.write("a.avi", "12345");
    EXPECT_EQ(platform::entrySize(dir.file("a.avi")), 5);
    // Wildcards are not patterns: a name altered for display must not find another file.
    EXPECT_EQ(platform::entrySize(dir.file("?.avi")), -1);
    EXPECT_EQ(platform::entrySize(dir.file("*.avi")), -1);
    EXPECT_EQ(platform::entrySize(""), -1);
}

TEST(FileOps, EntrySizeIs64Bit) {
    TempFolder dir;
    const std::string big = dir.file("big.mkv");
    std::error_code ec;
    { std::ofstream(big, std::ios::binary); }
    std::filesystem::resize_file(big, 5'000'000'000ULL, ec);
    if (ec) GTEST_SKIP() << "no sparse file of 5 GB here: " << ec.message();
    EXPECT_EQ(platform::entrySize(big), 5'000'000'000LL);
}

// Folders met again are kept open: every answer must still be the one entrySize gives for that
// very path, whatever folders came between, and never a size remembered from an earlier ask.
TEST(FileOps, EntrySizesAnswerAsEntrySizeDoes) {
    TempFolder dir;
    const char sep = platform::nativeSeparator();
    constexpr int kFolders = 11; // more than are kept open at once
    for (int i = 0; i < kFolders; ++i) {
        const std::string folder = "dossier " + std::to_string(i);
        ASSERT_TRUE(platform::createFolders(dir.file(folder) + sep + "sous"));
        dir.write(folder + sep + "a.avi", std::string(static_cast<std::size_t>(i + 1), 'a'));
        dir.write(folder + sep + "b.avi", std::string(static_cast<std::size_t>(2 * i + 3), 'b'));
    }
    platform::EntrySizes sizes;
    auto check = [&](const std::string& path) { EXPECT_EQ(sizes(path), platform::entrySize(path)) << path; };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < kFolders; ++i) {
            const std::string folder = dir.file("dossier " + std::to_string(i)) + sep;
            for (const char* name : {"a.avi", "b.avi", "sous", "absent.avi", "a.avi"}) check(folder + name);
            check(dir.file("dossier " + std::to_string(i * 7 % kFolders)) + sep + "b.avi");
            check(dir.file("manquant") + sep + "a.avi");
        }
    }
    const std::string grown = dir.file("dossier 3") + sep + "a.avi";
    EXPECT_EQ(sizes(grown), 4);
    dir.write("dossier 3" + std::string(1, sep) + "a.avi", std::string(100, 'a'));
    EXPECT_EQ(sizes(grown), 100);
    ASSERT_TRUE(platform::removeFile(grown));
    EXPECT_EQ(sizes(grown), -1);
    EXPECT_EQ(sizes(dir.file("dossier 5") + sep + "sous"), 0);
    EXPECT_EQ(sizes(dir.file("dossier 5") + sep + "b.avi"), 13);
    check(dir.file("dossier 5") + sep);
    check(dir.path());
    check("");
}

#ifndef _WIN32
// A folder too long to be opened by its path is still looked into.
TEST(FileOps, EntrySizesBeyondThePathLimit) {
    TempFolder dir;
    const std::string part(200, 'd');
    std::string deep = dir.path();
    int fd = ::open(deep.c_str(), O_PATH | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 25; ++level) {
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0700), 0);
        const int child = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(fd = child, 0);
        deep += "/" + part;
    }
    const int file = ::openat(fd, "f.avi", O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    EXPECT_EQ(::write(file, "12345", 5), 5);
    ::close(file);
    ::close(fd);
    ASSERT_GT(deep.size(), 4096u);
    platform::EntrySizes sizes;
    EXPECT_EQ(sizes(deep + "/f.avi"), 5);
    EXPECT_EQ(sizes(deep + "/f.avi"), 5);
    EXPECT_EQ(sizes(deep + "/g.avi"), -1);
    // Taken down from the bottom: the folder's own removal cannot walk a path this long.
    fd = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY);
    std::vector<int> folders{fd};
    for (int level = 0; level < 25; ++level)
        folders.push_back(::openat(folders.back(), part.c_str(), O_PATH | O_DIRECTORY));
    ::unlinkat(folders.back(), "f.avi", 0);
    for (int level = 25; level-- > 0;) {
        ::close(folders[static_cast<std::size_t>(level) + 1]);
        EXPECT_EQ(::unlinkat(folders[static_cast<std::size_t>(level)], part.c_str(), AT_REMOVEDIR), 0);
    }
    ::close(fd);
}
#endif

TEST(FileOps, RenameNeverReplaces) {
    TempFolder dir;
    const std::string a = dir.write("a", "A");
    const std::string b = dir.write("b", "B");
    EXPECT_FALSE(platform::renameEntry(a, b));
    EXPECT_EQ(TempFolder::read(b), "B");
    EXPECT_TRUE(platform::renameEntry(a, dir.file("c")));
    EXPECT_FALSE(platform::exists(a));
}

TEST(FileOps, CreateFoldersMakesParents) {
    TempFolder dir;
    const char sep = platform::nativeSeparator();
    const std::string deep = dir.path() + sep + "un" + sep + "deux" + sep + "trois";
    EXPECT_TRUE(platform::createFolders(deep));
    EXPECT_TRUE(platform::isFolder(deep));
    EXPECT_TRUE(platform::createFolders(deep));
}

#ifdef _WIN32
TEST(FileOps, CreateFoldersBelowAVolumePrefix) {
    // The volume part of "\\?\C:\..." or "\\server\share\..." is not a folder to create.
    TempFolder dir;
    const std::string deep = dir.path() + "\\un\\deux";
    EXPECT_TRUE(platform::createFolders("\\\\?\\" + deep));
    EXPECT_TRUE(platform::isFolder(deep));
    EXPECT_TRUE(platform::createFolders("\\\\?\\" + deep + "\\trois"));
    EXPECT_TRUE(platform::isFolder(deep + "\\trois"));
}
#endif

TEST(FileOps, ReadWholeFileTellsMissingFromFailed) {
    TempFolder dir;
    std::string out = "x";
    EXPECT_EQ(platform::readWholeFile(dir.file("absent"), out), platform::ReadStatus::Missing);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(platform::readWholeFile(dir.path(), out), platform::ReadStatus::Failed);
    EXPECT_EQ(platform::readWholeFile(dir.write("f", std::string("a\0b", 3)), out), platform::ReadStatus::Ok);
    EXPECT_EQ(out.size(), 3u);
}

// A second name for a file never costs a file that already bore that name, on either system.
TEST_F(AtomicWrite, ASecondNameThatIsTakenLeavesItsFileAlone) {
    const std::string from = dir.write("liste.txt", "new");
    const std::string taken = dir.write("liste.bak", "old");
    EXPECT_FALSE(platform::duplicateEntry(from, taken));
    EXPECT_EQ(TempFolder::read(taken), "old");
    const std::string fresh = dir.file("liste.bak2");
    EXPECT_TRUE(platform::duplicateEntry(from, fresh));
    EXPECT_EQ(TempFolder::read(fresh), "new");
}

// The copy that stands in for a hard link where there are none: whichever of its steps fails, a
// name it made itself keeps no half-written file, and a file that was there before stays.
TEST_F(AtomicWrite, AFailedCopyRemovesOnlyTheFileItMade) {
    using platform::copying::Target;
    const std::string from = dir.write("liste.txt", std::string(200000, 'x'));
    const std::string taken = dir.write("liste.bak", "old");
    EXPECT_FALSE(platform::copying::copyInto(from, taken, Target::NewName, true));
    EXPECT_EQ(TempFolder::read(taken), "old");
    for (long long step = 1; step < 100; ++step) {
        const std::string fresh = dir.file("copie" + std::to_string(step));
        platform::faults::failOperation(step);
        const bool ok = platform::copying::copyInto(from, fresh, Target::NewName, true);
        platform::faults::failOperation(0);
        if (ok) {
            EXPECT_EQ(TempFolder::read(fresh), TempFolder::read(from));
            break;
        }
        EXPECT_FALSE(platform::exists(fresh)) << "step " << step;
    }
    platform::faults::failOperation(2);
    EXPECT_FALSE(platform::copying::copyInto(from, taken, Target::Replace, false));
    platform::faults::failOperation(0);
    EXPECT_TRUE(platform::isFile(taken));
}
