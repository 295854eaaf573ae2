#include <gtest/gtest.h>

#include "util/repair.h"

using namespace verdan;

namespace {
std::string repaired(std::string bytes) {
    RepairAccents(bytes);
    return bytes;
}
} // namespace

TEST(RepairAccents, UndoesUtf8ReadAsWindows1252) {
    EXPECT_EQ(repaired("Vid\xC3\xA9o"), "Vid\xE9o");
    EXPECT_EQ(repaired("Vid\xC3\x83\xC2\xA9o"), "Vid\xE9o");
    EXPECT_EQ(repaired("\xC3\x89t\xC3\xA9 \xC3\xA0 la for\xC3\xAAt"), "\xC9t\xE9 \xE0 la for\xEAt");
    EXPECT_EQ(repaired("n\xC2\xB0 5"), "n\xB0 5");
}

TEST(RepairAccents, TakesBackTheDosCodePageDetour) {
    EXPECT_EQ(repaired("\xC3\xB8"), "\xB0");
    EXPECT_EQ(repaired("caf\xE2\x80\x9A"), "caf\xE9");
}

TEST(RepairAccents, LeavesCorrectTextAlone) {
    EXPECT_EQ(repaired("ch\xE2teau"), "ch\xE2teau");
    EXPECT_EQ(repaired(""), "");
    EXPECT_EQ(repaired("plain ascii"), "plain ascii");
    // A genuine "Ã" followed by something that is not in the table.
    EXPECT_EQ(repaired("\xC3X"), "\xC3X");
}

TEST(RepairAccents, LongLinesWithGenuineCircumflexStayFast) {
    std::string line(4000, 'a');
    line += "ch\xE2teau";
    std::string expected = line;
    RepairAccents(line);
    EXPECT_EQ(line, expected);
}

TEST(repairAccentsOfUtf8, WorksOnUtf8Text) {
    // "VidÃ©o" as UTF-8 is what a mis-decoded name looks like in memory.
    EXPECT_EQ(repairAccentsOfUtf8("VidÃ©o"), "Vidéo");
    EXPECT_EQ(repairAccentsOfUtf8("château"), "château");
    // Characters outside Windows-1252 survive, and the runs around them are repaired.
    EXPECT_EQ(repairAccentsOfUtf8("Фильм VidÃ©o"), "Фильм Vidéo");
}
