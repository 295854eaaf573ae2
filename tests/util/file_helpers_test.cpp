#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "support/foreign_hold.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "util/error.h"
#include "util/file_helpers.h"

#include <filesystem>

using namespace verdan;
using verdan::test::TempFolder;

class FileHelpers : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(FileHelpers, CountLinesBinaryCountsLineFeedsOnly) {
    EXPECT_EQ(CountLines_Binary(dir.file("none.txt")), 0);
    EXPECT_EQ(CountLines_Binary(dir.write("crlf.txt", "a\r\nb\r\nc\r\n")), 3);
    EXPECT_EQ(CountLines_Binary(dir.write("cr.txt", "a\rb\rc\r")), 0);
    EXPECT_EQ(CountLines_Binary(dir.write("empty.txt", "")), 0);
    // Across the blocks read.
    std::string many;
    for (int i = 0; i < 50000; ++i) many += "ligne\n";
    EXPECT_EQ(CountLines_Binary(dir.write("many.txt", many)), 50000);
    // Sixteen bytes are counted at a time, each byte's tally added up every 255 rounds: line feeds
    // only, more than that in a row, and ones at every place around those steps.
    EXPECT_EQ(CountLines_Binary(dir.write("feeds.txt", std::string(100003, '\n'))), 100003);
    std::string mixed;
    std::int64_t feeds = 0;
    for (int i = 0; i < 70000; ++i) {
        const bool feed = i % 7 == 0 || i % 16 == 15 || (i / 4080) % 2 == 1;
        mixed += feed ? '\n' : static_cast<char>(i % 128 == 10 ? 'x' : i % 256);
        feeds += feed;
    }
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{17}, mixed.size()})
        EXPECT_EQ(CountLines_Binary(dir.write("mixed.txt", mixed.substr(0, cut))),
                  std::count(mixed.begin(), mixed.begin() + static_cast<std::ptrdiff_t>(cut), '\n'))
            << cut;
    EXPECT_EQ(CountLines_Binary(dir.write("mixed.txt", mixed)), feeds);
}

TEST_F(FileHelpers, CountLinesBinaryReportsAnUnreadableFile) {
    verdan::test::asUnprivileged({dir.path()}, [&] {
        const std::string p = dir.write("locked.txt", "a\nb\n");
        verdan::test::Unreadable lock(p);
        if (!lock.whyNot().empty()) GTEST_SKIP() << lock.whyNot();
        try {
            CountLines_Binary(p);
            FAIL() << "no error";
        } catch (const VerdanError& e) {
            EXPECT_EQ(e.text(), "Impossible d'ouvrir le fichier " + p);
        }
    });
}

TEST_F(FileHelpers, ReadLineNWithEveryLineEnd) {
    const std::string p = dir.write("l.txt", "un\r\ndeux\nt\xE9rois\rquatre");
    EXPECT_EQ(ReadLineN(p, 1), "un");
    EXPECT_EQ(ReadLineN(p, 2), "deux");
    EXPECT_EQ(ReadLineN(p, 3), "térois");
    EXPECT_EQ(ReadLineN(p, 4), "quatre");
    EXPECT_EQ(ReadLineN(p, 9), "quatre");
    EXPECT_EQ(ReadLineN(dir.file("absent"), 1), "");
    EXPECT_EQ(ReadLineN(dir.write("e.txt", ""), 1), "");
    EXPECT_EQ(ReadLineN(dir.write("t.txt", "a\r\nb\r\n"), 5), "b");
}

TEST_F(FileHelpers, SecondLineEmpty) {
    EXPECT_TRUE(SecondLineEmpty(dir.write("a.txt", "entete\r\n\r\n")));
    EXPECT_FALSE(SecondLineEmpty(dir.write("b.txt", "entete\r\nligne\r\n")));
    EXPECT_TRUE(SecondLineEmpty(dir.file("absent.txt")));
    // A header alone: the last line read is the header itself.
    EXPECT_FALSE(SecondLineEmpty(dir.write("c.txt", "entete\r\n")));
}

TEST_F(FileHelpers, ReadKeyValueFirstMatchCaseSensitive) {
    const std::string p = dir.write("p.prm", "[MEDIA_1]\r\n  Edit_type_media_1_.Text=vid\xE9os \r\n"
                                             "Edit_type_media_1_.Text=autre\r\nedit_x=1\r\n");
    EXPECT_EQ(ReadKeyValue(p, "Edit_type_media_1_.Text"), "vidéos");
    EXPECT_EQ(ReadKeyValue(p, "Edit_type_media_1_.text"), "");
    EXPECT_EQ(ReadKeyValue(p, "Edit_x"), "");
    try {
        ReadKeyValue(dir.file("absent.prm"), "x");
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'ouvrir le fichier " + dir.file("absent.prm"));
    }
}

TEST_F(FileHelpers, StaleTemporariesOfGoneProcessesAreRemoved) {
    dir.write("liste.txt", "x");
    dir.write("liste.txt.tmp999999999_3", "killed save");
    dir.write("liste.bak.tmp999999998_0", "killed rotation");
    const std::string mine = platform::temporaryName(dir.file("liste.txt"));
    dir.write(mine.substr(mine.find_last_of("\\/") + 1), "being written");
    dir.write("liste.txt.tmp12x_3", "not ours");
    dir.write("notes.tmp", "not ours");
    EXPECT_EQ(removeStaleTemporaries(dir.path()), 2);
    EXPECT_EQ(platform::folderEntries(dir.path()).size(), 4u);
    EXPECT_TRUE(platform::isFile(mine)) << "a file of this process is still being written";
}

TEST_F(FileHelpers, OnlyTheTemporariesOfOneCatalogueWhenAskedSo) {
    // The other catalogue of a shared folder may be being saved from another computer.
    dir.write("films.txt.tmp999999999_3", "killed save");
    dir.write("films.2020.prm.tmp999999999_4", "killed save");
    dir.write("series.txt.tmp999999999_5", "another computer's save");
    EXPECT_EQ(removeStaleTemporaries(dir.path(), "films."), 2);
    EXPECT_EQ(platform::folderEntries(dir.path()), (std::vector<std::string>{"series.txt.tmp999999999_5"}));
}

TEST(TemporaryNames, OwnerIsReadBackOnlyFromTheExactForm) {
    EXPECT_EQ(platform::temporaryNameOwner("liste.txt.tmp1234_0"), 1234);
    EXPECT_EQ(platform::temporaryNameOwner("a.tmp1_22"), 1);
    EXPECT_EQ(platform::temporaryNameOwner(platform::temporaryName("x.ini")), platform::currentProcessId());
    for (const char* other : {"liste.txt", "a.tmp", "a.tmp_1", "a.tmp12_", "a.tmp12_3b", "a.tmp1234567890_1"})
        EXPECT_EQ(platform::temporaryNameOwner(other), -1) << other;
}

TEST(JoinPath, NativeSeparatorNotDoubled) {
    const char sep = platform::nativeSeparator();
    EXPECT_EQ(joinPath("dir", "f.txt"), std::string("dir") + sep + "f.txt");
    EXPECT_EQ(joinPath(std::string("dir") + sep, "f.txt"), std::string("dir") + sep + "f.txt");
    EXPECT_EQ(joinPath("", "f.txt"), "f.txt");
}
