#include <gtest/gtest.h>

#include <algorithm>

#include "util/text.h"

using namespace verdan;

TEST(ReplaceAll, LeftToRightWithoutRescanningInsertedText) {
    std::string s = "aaaa";
    ReplaceAll("aa", "a", s);
    EXPECT_EQ(s, "aa");
    s = "abab";
    ReplaceAll("ab", "abab", s);
    EXPECT_EQ(s, "abababab");
    s = "Abc abc";
    ReplaceAll("abc", "x", s);
    EXPECT_EQ(s, "Abc x");
    s = "abc";
    ReplaceAll("", "x", s);
    EXPECT_EQ(s, "abc");
}

TEST(ExtractField, FieldsBetweenSeparatorsTrimmed) {
    EXPECT_EQ(ExtractField("a|b|c", 2, '|'), "b");
    EXPECT_EQ(ExtractField("a|b|c", 4, '|'), "");
    EXPECT_EQ(ExtractField("a||c", 2, '|'), "");
    EXPECT_EQ(ExtractField("a||c", 3, '|'), "c");
    EXPECT_EQ(ExtractField(" \x01 titre \r\tb", 1, '\t'), "titre");
    EXPECT_EQ(ExtractField("2020-01-01 10:00   1,00 Mo    >    /a/b.avi", 2, '>'), "/a/b.avi");
    EXPECT_EQ(ExtractField("x", 0, '|'), "");
}

TEST(Padding, RightFillsToWidthPlusOne) {
    EXPECT_EQ(PadRight("N/A", 15), "N/A" + std::string(13, ' '));
    EXPECT_EQ(PadRight(std::string(15, 'x'), 15), std::string(15, 'x') + " ");
    EXPECT_EQ(PadRight(std::string(16, 'x'), 15), std::string(16, 'x'));
    // Characters, not bytes.
    EXPECT_EQ(PadRight("1,46 Mo", 15).size(), std::string("1,46 Mo").size() + 9);
    EXPECT_EQ(PadRight("é", 2), "é  ");
}

TEST(Padding, LeftAddsPairsOfBlanks) {
    EXPECT_EQ(PadLeftPairs("7", 4), std::string(8, ' ') + "7");
    EXPECT_EQ(PadLeftPairs("1234", 4), "  1234");
    EXPECT_EQ(PadLeftPairs("12345", 4), "12345");
}

TEST(DropPluralS, RemovesOneFinalS) {
    EXPECT_EQ(DropPluralS("vidéos"), "vidéo");
    EXPECT_EQ(DropPluralS("musiques"), "musique");
    EXPECT_EQ(DropPluralS("bass"), "bas");
    EXPECT_EQ(DropPluralS("FILMS"), "FILM");
    EXPECT_EQ(DropPluralS("S"), "");
    EXPECT_EQ(DropPluralS(""), "");
    EXPECT_EQ(DropPluralS("clip"), "clip");
}

TEST(EntetesIdentiques, IgnoresSortMarkersAndBlanks) {
    std::vector<std::string> header = {"n", "nom-disque", "titre <<", " x"};
    EXPECT_TRUE(entetes_identiques(header, "\"n\";\"nom-disque\";\"titre\";\"x\""));
    EXPECT_TRUE(entetes_identiques(header, "\"n\";\"nom-disque\";\"titre >>\";\" x\""));
    EXPECT_FALSE(entetes_identiques(header, "\"N\";\"nom-disque\";\"titre\";\"x\""));
    EXPECT_FALSE(entetes_identiques(header, "\"n\";\"nom-disque\";\"titre\""));
}

TEST(SplitLines, AcceptsEveryLineEnd) {
    auto lines = splitLines("a\r\nb\nc\rd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "d");
    lines = splitLines("a\r\n\r\nb\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(splitLines("").empty());
    EXPECT_EQ(splitLines("\n\r").size(), 2u);
}

TEST(ListedLines, AMessageNamesThirtyItemsThenSaysHowManyMore) {
    EXPECT_EQ(listedLines({}), "");
    EXPECT_EQ(listedLines({"a", "b"}), "\n    a\n    b");
    const std::vector<std::string> many(32, "x");
    const std::string text = listedLines(many);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 31);
    EXPECT_TRUE(text.ends_with("\n    x\n    ... et 2 autre(s)"));
}
