#include <gtest/gtest.h>

#include "collect/found_line.h"
#include "util/utf8.h"

#include <string>

using namespace verdan;

TEST(FoundLine, FixedLayout) {
    const std::string line = makeFoundLine("2024-03-05 14:07", 1536 * 1024, "D:\\films\\a.avi", ",");
    EXPECT_EQ(line, "2024-03-05 14:07   1,50 Mo             >    D:\\films\\a.avi");
    EXPECT_EQ(line.substr(16, 3), "   ");
    EXPECT_EQ(line.substr(35, 9), "    >    ");
    const std::string na = makeFoundLine("2024-03-05 14:07", -1, "/m/??.avi", ",");
    EXPECT_EQ(na, "2024-03-05 14:07   N/A                 >    /m/??.avi");
    EXPECT_TRUE(hasUnreadableSize(na));
    EXPECT_FALSE(hasUnreadableSize(makeFoundLine("2024-03-05 14:07", 10, "/media/N/A/b.avi", ",")));
    EXPECT_EQ(utf8::length(makeFoundLine("2024-03-05 14:07", 5LL << 30, "é", ",")), 45u);
}

TEST(FoundLine, WhatIsBuiltSplitsBackIntoItsParts) {
    // A Linux name may hold the marks of the line itself: only the first ">" ends the size part.
    const std::string path = "/media/anna/FILMS/a > b/N/A = 2/  c.avi";
    const std::string line = makeFoundLine("2024-03-05 14:07", 1536 * 1024, path, ",");
    const FoundLineParts parts = splitFoundLine(line);
    EXPECT_EQ(parts.date, "2024-03-05 14:07");
    EXPECT_EQ(parts.size, "1,50 Mo");
    EXPECT_EQ(parts.path, path);
    EXPECT_EQ(foundLinePath(line), path);
    EXPECT_FALSE(hasUnreadableSize(line));
    EXPECT_EQ(foundKindOf(line, parts.path), FoundKind::File);

    const std::string unreadable = makeFoundLine("2024-03-05 14:07", -1, "é.avi", ".");
    EXPECT_EQ(splitFoundLine(unreadable).size, "N/A");
    EXPECT_EQ(splitFoundLine(unreadable).path, "é.avi");
    EXPECT_TRUE(hasUnreadableSize(unreadable));
}

TEST(FoundLine, ADateIsItsFirstSixteenCharactersAndALineWithoutMarkIsAllPath) {
    // Whatever stands before ">" past the date is size text, even in a line not made here.
    const FoundLineParts odd = splitFoundLine("  2024-03-05 14:07:59 12 oct>x.avi  ");
    EXPECT_EQ(odd.date, "2024-03-05 14:07");
    EXPECT_EQ(odd.size, ":59 12 oct");
    EXPECT_EQ(odd.path, "x.avi");
    const FoundLineParts accented = splitFoundLine("éééééééééééééééééé > x");
    EXPECT_EQ(utf8::length(accented.date), 16u) << "characters, not bytes";

    const FoundLineParts bare = splitFoundLine("  N/A sans flèche  ");
    EXPECT_EQ(bare.date, "");
    EXPECT_EQ(bare.size, "");
    EXPECT_EQ(bare.path, "N/A sans flèche");
    EXPECT_TRUE(hasUnreadableSize("  N/A sans flèche  ")) << "a line without \">\" is all size part";
    EXPECT_EQ(splitFoundLine("").path, "");
}

TEST(FoundLine, DvdLinesAreToldFromFilesByTheStartOfTheirPathOnly) {
    const std::string dvd = makeDvdFoundLine("2024-03-05", "   1 - :\\Les Temps modernes");
    EXPECT_EQ(dvd, "2024-03-05  >   -DVD   1 - :\\Les Temps modernes");
    const FoundLineParts parts = splitFoundLine(dvd);
    EXPECT_EQ(parts.date, "2024-03-05");
    EXPECT_EQ(parts.size, "");
    EXPECT_EQ(parts.path, "-DVD   1 - :\\Les Temps modernes");
    EXPECT_EQ(foundKindOf(dvd, parts.path), FoundKind::Dvd);
    EXPECT_FALSE(hasUnreadableSize(makeDvdFoundLine("2024-03-05", "   2 - :\\N/A")));

    const std::string pipe = "2024-03-05 > DVD|boîte 3|x|Alien";
    EXPECT_EQ(foundKindOf(pipe, splitFoundLine(pipe).path), FoundKind::DvdPipe);
    for (const std::string path : {"/films/Film-DVDRip.avi", "/films/-DVD/a.avi", "/films/DVD|a.avi"}) {
        const std::string line = makeFoundLine("2024-03-05 14:07", 1, path, ",");
        EXPECT_EQ(foundKindOf(line, splitFoundLine(line).path), FoundKind::File) << path;
    }
}

TEST(FoundLine, TheUnreadableListGivesBackTheLineWhateverItsPathHolds) {
    const std::string line = makeFoundLine("2024-03-05 14:07", -1, "/x/a = b.avi", ",");
    const std::string entry = unreadableListEntry(line, 12);
    EXPECT_EQ(entry, line + " = 12");
    EXPECT_EQ(unreadableListLine(entry), line);
    EXPECT_EQ(unreadableListLine("sans position"), "sans position");
}
