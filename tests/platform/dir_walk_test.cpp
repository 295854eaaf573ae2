#include <gtest/gtest.h>

#include "platform/dir_walk.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <map>

using namespace verdan::platform;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::map<std::string, DirEntry> readAll(const std::string& folder) {
    std::map<std::string, DirEntry> out;
    FolderReader reader(folder);
    DirEntry e;
    while (reader.next(e)) out[e.name] = e;
    return out;
}

} // namespace

class FolderReading : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(FolderReading, ListsFilesAndFoldersWithoutDotEntries) {
    fs::create_directory(verdan::test::pathFromUtf8(dir.file("films")));
    dir.write("a.avi", "12345");
    dir.write(".cache", "");
    auto entries = readAll(dir.path());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries["films"].kind, EntryKind::Folder);
    EXPECT_EQ(entries["a.avi"].kind, EntryKind::File);
    EXPECT_FALSE(entries["a.avi"].hidden);
#ifndef _WIN32
    EXPECT_TRUE(entries[".cache"].hidden);
#endif
}

TEST_F(FolderReading, StatGivesSizeAndTimeOfTheEntry) {
    dir.write("a.avi", "12345");
    fs::last_write_time(verdan::test::pathFromUtf8(dir.file("a.avi")), fs::file_time_type::clock::now());
    FolderReader reader(dir.path());
    DirEntry e;
    ASSERT_TRUE(reader.next(e));
    EntryStat st = reader.stat(e);
    ASSERT_TRUE(st.ok);
    EXPECT_EQ(st.size, 5);
    EXPECT_GT(st.modified, 1600000000);
}

TEST_F(FolderReading, MissingFolderIsNotOpen) {
    FolderReader reader(dir.file("absent"));
    EXPECT_FALSE(reader.isOpen());
    DirEntry e;
    EXPECT_FALSE(reader.next(e));
}

#ifndef _WIN32
TEST_F(FolderReading, LinksAreReportedAndNeverOpened) {
    fs::create_directory(verdan::test::pathFromUtf8(dir.file("real")));
    dir.write("real/x.avi", "x");
    fs::create_directory_symlink(verdan::test::pathFromUtf8(dir.file("real")),
                                 verdan::test::pathFromUtf8(dir.file("link")));
    fs::create_symlink(verdan::test::pathFromUtf8(dir.file("real/x.avi")),
                       verdan::test::pathFromUtf8(dir.file("y.avi")));
    auto entries = readAll(dir.path());
    EXPECT_EQ(entries["link"].kind, EntryKind::Link);
    EXPECT_EQ(entries["y.avi"].kind, EntryKind::Link);
    EXPECT_FALSE(FolderReader(dir.file("link")).isOpen());
}

TEST_F(FolderReading, DeviceSeparatesFileSystems) {
    FolderReader here(dir.path());
    FolderReader proc("/proc");
    ASSERT_TRUE(here.isOpen() && proc.isOpen());
    EXPECT_NE(here.device(), proc.device());
    EXPECT_EQ(here.device(), FolderReader(dir.path()).device());
}
#endif

TEST(MinuteText, UtcAnyYear) {
    EXPECT_EQ(utcMinuteText(0), "1970-01-01 00:00");
    EXPECT_EQ(utcMinuteText(315532800), "1980-01-01 00:00");
    EXPECT_EQ(utcMinuteText(951782400 + 59), "2000-02-29 00:00");
    EXPECT_EQ(utcMinuteText(4354819200LL), "2108-01-01 00:00");
    EXPECT_EQ(utcMinuteText(-1), "1969-12-31 23:59");
    EXPECT_EQ(utcMinuteText(253402300800LL), "10000-01-01 00:00");
    EXPECT_FALSE(utcMinuteText(INT64_MAX).empty());
    EXPECT_FALSE(utcMinuteText(INT64_MIN).empty());
}

TEST(MinuteText, LocalHasTheSameShapeOutsideTheLegacyRange) {
    for (std::int64_t t : {0LL, 315532800LL, 1700000000LL, 4354819200LL, -86400LL * 365 * 100}) {
        const std::string text = localMinuteText(t);
        ASSERT_EQ(text.size(), 16u) << text;
        EXPECT_EQ(text[4], '-');
        EXPECT_EQ(text[13], ':');
    }
    EXPECT_FALSE(localMinuteText(INT64_MAX).empty());
}
