#include <gtest/gtest.h>

#include "collect/scan_rules.h"
#include "util/cp1252.h"
#include "util/utf8.h"

using namespace verdan;

namespace {

ScanSettings settingsFor(const std::string& filter1, const std::string& filter2, bool min1 = false,
                         const std::string& size1 = "10", bool min2 = false,
                         const std::string& size2 = "10") {
    std::array<MediaCategory, 2> media{
        {{"vidéos", filter1, size1, min1}, {"musiques", filter2, size2, min2}}};
    return makeScanSettings(media, ",");
}

} // namespace

TEST(ExtensionList, SplitsAtCommasLowerCasesAndKeepsTrailingBlanks) {
    EXPECT_EQ(BuildExtensionList("avi, MP4,mkv"), (std::vector<std::string>{".avi", ".mp4", ".mkv"}));
    EXPECT_EQ(BuildExtensionList("avi ,mp4"), (std::vector<std::string>{".avi ", ".mp4"}));
    EXPECT_EQ(BuildExtensionList(" , ,,ts,"), (std::vector<std::string>{".ts"}));
    EXPECT_TRUE(BuildExtensionList("").empty());
    EXPECT_TRUE(BuildExtensionList("   ").empty());
}

TEST(MinimumSize, WholeMegabytesOrNothing) {
    EXPECT_EQ(minimumSizeBytes("10"), 10485760);
    EXPECT_EQ(minimumSizeBytes(" 7"), 7 * 1048576LL);
    EXPECT_EQ(minimumSizeBytes("-5"), -5 * 1048576LL);
    EXPECT_EQ(minimumSizeBytes("10.5"), 0);
    EXPECT_EQ(minimumSizeBytes("10 Mo"), 0);
    EXPECT_EQ(minimumSizeBytes("abc"), 0);
    EXPECT_EQ(minimumSizeBytes(""), 0);
    EXPECT_EQ(minimumSizeBytes("99999999999"), 0);
    EXPECT_EQ(minimumSizeBytes("4096"), 4096LL * 1048576) << "beyond 32 bits once in bytes";
}

TEST(ScanSettingsTest, MinimumCountsOnlyWhenSwitchedOn) {
    auto s = settingsFor("avi", "", false, "10", true, "3");
    EXPECT_TRUE(s.filterSet[0]);
    EXPECT_FALSE(s.filterSet[1]);
    EXPECT_EQ(s.minimumSize[0], 0);
    EXPECT_EQ(s.minimumSize[1], 3 * 1048576LL);
    EXPECT_EQ(s.decimalSeparator, ",");
}

class AcceptFileTest : public ::testing::Test {
protected:
    ScanCounters counters;
    int sizeAsked = 0;
    int accept(std::string_view name, const ScanSettings& s, std::int64_t size = 1000) {
        return AcceptFile(
            name,
            [&] {
                ++sizeAsked;
                return size;
            },
            s, counters);
    }
};

TEST_F(AcceptFileTest, CategoryByExtensionAnyCase) {
    auto s = settingsFor("avi, mp4", "mp3");
    EXPECT_EQ(accept("Film.AVI", s), 1);
    EXPECT_EQ(accept("song.MP3", s), 2);
    EXPECT_EQ(accept("notes.txt", s), 0);
    EXPECT_EQ(accept("README", s), 0);
    EXPECT_EQ(accept("archive.tar.avi", s), 1);
    EXPECT_EQ(sizeAsked, 0) << "no look-up without a minimum";
    EXPECT_EQ(counters.tooSmall1 + counters.tooSmall2, 0);
}

TEST_F(AcceptFileTest, BlankBeforeACommaMatchesNothing) {
    auto s = settingsFor("avi ,mp4", "");
    EXPECT_EQ(accept("a.avi", s), 0);
    EXPECT_EQ(accept("a.mp4", s), 1);
}

TEST_F(AcceptFileTest, ExtensionInBothFiltersIsJudgedByTheFirstAlone) {
    auto s = settingsFor("mp4", "mp4, mp3", true, "10");
    EXPECT_EQ(accept("clip.mp4", s, 5), 0);
    EXPECT_EQ(counters.tooSmall1, 1);
    EXPECT_EQ(counters.tooSmall2, 0);
    EXPECT_EQ(accept("clip.mp4", s, 20 * 1048576LL), 1);
}

TEST_F(AcceptFileTest, OnlyTheFirstPartOfADvdTitleCounts) {
    auto s = settingsFor("vob", "", true, "0");
    EXPECT_EQ(accept("VTS_01_1.VOB", s), 1);
    EXPECT_EQ(accept("vts_01_1.vob", s), 1);
    EXPECT_EQ(accept("VIDEO_TS.VOB", s), 0);
    EXPECT_EQ(accept("VTS_01_2.VOB", s), 0);
    EXPECT_EQ(counters.tooSmall1, 0) << "other parts are not counted as too small";
}

TEST_F(AcceptFileTest, MinimumsAndUnreadableSizes) {
    auto zero = settingsFor("avi", "mp3", true, "0", true, "0");
    EXPECT_EQ(accept("a.avi", zero, 0), 1);
    EXPECT_EQ(accept("a.avi", zero, -1), 0);
    EXPECT_EQ(accept("a.mp3", zero, -1), 0);
    EXPECT_EQ(counters.tooSmall1, 1);
    EXPECT_EQ(counters.tooSmall2, 1);
    auto negative = settingsFor("avi", "", true, "-1");
    EXPECT_EQ(accept("a.avi", negative, -1), 1);
    auto ten = settingsFor("avi", "", true, "10");
    EXPECT_EQ(accept("a.avi", ten, 10485759), 0);
    EXPECT_EQ(accept("a.avi", ten, 10485760), 1);
    auto sizeAsDecimal = settingsFor("avi", "", true, "10.5");
    EXPECT_EQ(accept("a.avi", sizeAsDecimal, 1), 1) << "10.5 counts as 0";
}

TEST_F(AcceptFileTest, AFilterOfBlanksIsNoFilter) {
    auto s = settingsFor("   ", "avi");
    EXPECT_EQ(accept("a.avi", s), 2);
}

TEST(StorableName, CharactersACatalogueCannotHoldBecomeQuestionMarks) {
    bool altered = true;
    EXPECT_EQ(storableName("été – 5€.avi", altered), "été – 5€.avi");
    EXPECT_FALSE(altered);
    EXPECT_EQ(storableName("Фильм.avi", altered), "?????.avi");
    EXPECT_TRUE(altered);
    EXPECT_EQ(storableName("a\tb\nc.avi", altered), "a?b?c.avi");
    EXPECT_TRUE(altered);
    EXPECT_EQ(storableName("caf\xE9.avi", altered), "caf?.avi") << "Latin-1 bytes are no UTF-8";
    EXPECT_EQ(storableName("\xC0\xAF.avi", altered), "?.avi") << "an overlong slash";
    EXPECT_EQ(storableName("😀.mp3", altered), "?.mp3");
    // The catalogue writes its folders with "\\": a Linux name holding one would come back as two.
    EXPECT_EQ(storableName("AC\\DC.mp3", altered), "AC?DC.mp3");
    EXPECT_TRUE(altered);
    EXPECT_EQ(cp1252::storable("AC\\DC – Ж"), "AC\\DC – ?") << "a label is no folder name";
}
