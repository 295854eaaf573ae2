#include <gtest/gtest.h>

#include "util/format.h"

using namespace verdan;

namespace {
std::string fr(std::int64_t v) {
    return FormatTaille(v, ",");
}
} // namespace

TEST(FormatTaille, ChoosesTheUnitByPowersOf1024) {
    EXPECT_EQ(fr(0), "0,00 oct");
    EXPECT_EQ(fr(512), "512 oct");
    EXPECT_EQ(fr(1023), "1023 oct");
    EXPECT_EQ(fr(1024), "1,00 Ko");
    EXPECT_EQ(fr(15360), "15,0 Ko");
    EXPECT_EQ(fr(1048575), "1024 Ko");
    EXPECT_EQ(fr(1048576), "1,00 Mo");
    EXPECT_EQ(fr(1536000), "1,46 Mo");
    EXPECT_EQ(fr(734003200), "700 Mo");
    EXPECT_EQ(fr(4700000000LL), "4,38 Go");
    EXPECT_EQ(fr(1LL << 40), "1024 Go");
}

TEST(FormatTaille, DecimalsAreChosenBeforeRounding) {
    EXPECT_EQ(fr(10LL * 1073741824LL - 1), "10,00 Go");
    EXPECT_EQ(fr(100LL * 1048576LL - 1), "100,0 Mo");
}

TEST(FormatTaille, NegativeIsNotAvailableAndSeparatorIsTheUsers) {
    EXPECT_EQ(fr(-1), "N/A");
    EXPECT_EQ(FormatTaille(1536000, "."), "1.46 Mo");
}

TEST(ParseTaille, ReadsTheTextsFormatTailleWrites) {
    EXPECT_EQ(ParseTaille("1,00 Ko"), 1024);
    EXPECT_EQ(ParseTaille("700 Mo"), 734003200);
    EXPECT_EQ(ParseTaille("1,5 go"), 1610612736);
    EXPECT_EQ(ParseTaille("1,46 Mo"), 1530921);
    EXPECT_EQ(ParseTaille("1.46 Mo"), 1530921);
    EXPECT_EQ(ParseTaille("4,38 Go"), 4702989189LL);
}

TEST(ParseTaille, BytesAndTextsWithoutNumber) {
    EXPECT_EQ(ParseTaille("512 oct"), 512);
    EXPECT_EQ(ParseTaille("1023 oct"), 1023);
    EXPECT_EQ(ParseTaille("N/A"), 0);
    EXPECT_EQ(ParseTaille(""), 0);
    EXPECT_EQ(ParseTaille("0,00 oct"), 0);
    EXPECT_EQ(ParseTaille("   "), 0);
    EXPECT_EQ(ParseTaille("Mo"), 0);
}

TEST(ParseTaille, RoundTripStaysWithinTheShownPrecision) {
    for (std::int64_t v : {1500LL, 99999LL, 5000000LL, 123456789LL, 9876543210LL}) {
        double back = static_cast<double>(ParseTaille(fr(v)));
        EXPECT_NEAR(back / static_cast<double>(v), 1.0, 0.01) << v;
    }
}

TEST(FormatDuree, ThreeShapes) {
    EXPECT_EQ(FormatDuree(250), "250ms");
    EXPECT_EQ(FormatDuree(999), "999ms");
    EXPECT_EQ(FormatDuree(1000), "01s 0ms");
    EXPECT_EQ(FormatDuree(5250), "05s 250ms");
    EXPECT_EQ(FormatDuree(59999), "59s 999ms");
    EXPECT_EQ(FormatDuree(60000), "1mn 00s");
    EXPECT_EQ(FormatDuree(61000), "1mn 01s");
    EXPECT_EQ(FormatDuree(120500), "2mn 00s");
    EXPECT_EQ(FormatDuree(7200000), "120mn 00s");
}

TEST(FormatDureeHMS, HoursAreNotFolded) {
    EXPECT_EQ(FormatDureeHMS(0), "0h 00mn 00s");
    EXPECT_EQ(FormatDureeHMS(59999), "0h 00mn 59s");
    EXPECT_EQ(FormatDureeHMS(3723000), "1h 02mn 03s");
    EXPECT_EQ(FormatDureeHMS(90061000), "25h 01mn 01s");
    EXPECT_EQ(FormatDureeHMS(4294967295u), "1193h 02mn 47s");
}
