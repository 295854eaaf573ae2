#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <vector>

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
