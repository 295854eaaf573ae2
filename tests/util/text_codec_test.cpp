#include <gtest/gtest.h>

#include "util/cp1252.h"
#include "util/utf8.h"

using namespace verdan;

TEST(Cp1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = cp1252::decode(all);
    bool lossless = false;
    EXPECT_EQ(cp1252::encode(utf8, &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(Cp1252, DecodesAccentsAndTheHighRange) {
    EXPECT_EQ(cp1252::decode("Vid\xE9o"), "Vidéo");
    EXPECT_EQ(cp1252::decode("\x80\x9C\x8A"), "€œŠ");
    // Unassigned bytes keep their C1 code points.
    EXPECT_EQ(cp1252::decodeByte(0x81), U'\u0081');
    EXPECT_EQ(cp1252::decodeByte(0x8D), U'\u008D');
    EXPECT_EQ(cp1252::decodeByte(0x8F), U'\u008F');
    EXPECT_EQ(cp1252::decodeByte(0x90), U'\u0090');
    EXPECT_EQ(cp1252::decodeByte(0x9D), U'\u009D');
}

TEST(Cp1252, CharactersWithoutAByteBecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(cp1252::encode("Фильм é", &lossless), "????? \xE9");
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(cp1252::representable("日本"));
    EXPECT_TRUE(cp1252::representable("Œuvre – « été » €"));
}

TEST(Utf8, CountsCharactersNotBytes) {
    EXPECT_EQ(utf8::length("été"), 3u);
    EXPECT_EQ(utf8::length(""), 0u);
    EXPECT_EQ(utf8::offsetOfChar("éa", 1), 2u);
    EXPECT_EQ(utf8::offsetOfChar("ab", 5), 2u);
}

TEST(Utf8, MalformedBytesDoNotOverrun) {
    std::string bad = "a\xC3";
    std::size_t pos = 1;
    EXPECT_EQ(utf8::next(bad, pos), U'\uFFFD');
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(utf8::length("\xE2\x82"), 1u);
}

TEST(Utf8, FoldsTheLettersOfWindows1252) {
    EXPECT_EQ(utf8::fold("ÉTÉ À PARIS"), "été à paris");
    EXPECT_EQ(utf8::fold("ŠŒŽŸ"), "šœžÿ");
    // × is not a letter; ß and characters outside Windows-1252 stay.
    EXPECT_EQ(utf8::fold("×ßФ"), "×ßФ");
    EXPECT_EQ(utf8::compareFolded("Château", "CHÂTEAU"), 0);
    EXPECT_LT(utf8::compareFolded("abc", "ABD"), 0);
    EXPECT_GT(utf8::compareFolded("abcd", "ABC"), 0);
    EXPECT_EQ(utf8::asciiLower("ÉCOLE Abc"), "École abc");
}
