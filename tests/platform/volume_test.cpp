#include <gtest/gtest.h>

#include "platform/volume_info.h"
#include "support/foreign_hold.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace verdan;
using verdan::test::TempFolder;

TEST(VolumeSerial, EightUpperCaseHexDigits) {
    EXPECT_EQ(platform::serialText(0x0A1B2C3Du), "0A1B2C3D");
    EXPECT_EQ(platform::serialText(0x42u), "00000042");
    EXPECT_EQ(platform::serialText(0u), "00000000");
    EXPECT_EQ(platform::serialText(0xFEDCBA98u), "FEDCBA98");
}

namespace {

#ifdef _WIN32
bool isSerialText(const std::string& s) {
    return s.size() == 8 && s.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}
#endif

// The root that holds the temporary folders: "C:\" on Windows, the folder itself on POSIX.
std::string rootOf(const TempFolder& dir) {
#ifdef _WIN32
    return verdan::test::utf8FromPath(verdan::test::pathFromUtf8(dir.path()).root_path());
#else
    return dir.path();
#endif
}

} // namespace

TEST(QueryVolume, SpaceOfTheTemporaryFoldersVolume) {
    TempFolder dir;
    const std::string root = rootOf(dir);
    const auto info = platform::queryVolume(root);
    ASSERT_TRUE(info.has_value()) << root;
    const auto space = std::filesystem::space(verdan::test::pathFromUtf8(root));
    EXPECT_EQ(info->totalBytes, static_cast<std::int64_t>(space.capacity));
    EXPECT_GE(info->freeBytes, 0);
    EXPECT_LE(info->freeBytes, info->totalBytes);
    // Other processes write meanwhile: the free space only has to be about the same.
    EXPECT_NEAR(static_cast<double>(info->freeBytes), static_cast<double>(space.available), 1e9);
#ifdef _WIN32
    EXPECT_EQ(info->driveType, DRIVE_FIXED);
    EXPECT_FALSE(info->fileSystem.empty());
    EXPECT_TRUE(isSerialText(info->serial)) << info->serial;
#else
    EXPECT_EQ(info->driveType, 0);
    EXPECT_TRUE(info->label.empty() && info->fileSystem.empty() && info->serial.empty());
#endif
}

TEST(QueryVolume, NothingForAMissingRoot) {
#ifdef _WIN32
    const DWORD present = ::GetLogicalDrives();
    std::string root;
    for (int bit = 25; bit >= 3 && root.empty(); --bit)
        if (!(present & (1u << bit))) root = std::string(1, static_cast<char>('A' + bit)) + ":\\";
    if (root.empty()) GTEST_SKIP() << "every drive letter from D to Z is taken";
#else
    TempFolder dir;
    const std::string root = dir.file("absent");
#endif
    EXPECT_FALSE(platform::queryVolume(root).has_value()) << root;
}

#ifdef _WIN32
// Drives that scripts/test-windows maps under Wine (scripts/wine-drives), one
// "LETTER|TYPE|LABEL|SERIAL|TOTAL|FREE" record each, joined with ";".
class WineDrives : public ::testing::Test {
protected:
    struct Drive {
        std::string letter, type, label, serial;
        std::int64_t total = 0, free = 0;
    };

    void SetUp() override {
        if (!verdan::test::runningUnderWine()) GTEST_SKIP() << "maps drives into a Wine prefix: Wine only";
        const std::string records = environment("VERDAN_WINE_DRIVES");
        if (records.empty()) GTEST_SKIP() << "no drive mapped: run through scripts/test-windows";
        std::istringstream in(records);
        for (std::string record; std::getline(in, record, ';');) {
            std::vector<std::string> f;
            std::istringstream fields(record);
            for (std::string field; std::getline(fields, field, '|');) f.push_back(field);
            ASSERT_EQ(f.size(), 6u) << record;
            m_drives.push_back({f[0], f[1], f[2], f[3], std::stoll(f[4]), std::stoll(f[5])});
        }
    }

    static std::string environment(const char* name) {
        // The wide variable: the narrow one is in the ANSI code page, which may lose characters.
        const std::wstring wname = verdan::test::pathFromUtf8(name).wstring();
        std::wstring value(32767, L'\0');
        const DWORD n =
            ::GetEnvironmentVariableW(wname.c_str(), value.data(), static_cast<DWORD>(value.size()));
        value.resize(n < value.size() ? n : 0);
        return verdan::test::utf8FromPath(std::filesystem::path(value));
    }

    std::vector<Drive> m_drives;
};

TEST_F(WineDrives, EachMappedDriveReportsItsIdentityTypeAndSpace) {
    // Wine's names of the drive types and the codes Windows programs get for them.
    const std::map<std::string, int> codes{
        {"floppy", 2}, {"hd", 3}, {"network", 4}, {"cdrom", 5}, {"ramdisk", 6}};
    ASSERT_FALSE(m_drives.empty());
    for (const Drive& d : m_drives) {
        SCOPED_TRACE(d.letter + ": " + d.type + " \"" + d.label + "\"");
        const auto info = platform::queryVolume(d.letter + ":\\");
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->driveType, codes.at(d.type));
        EXPECT_EQ(info->label, d.label);
        EXPECT_EQ(info->serial, d.serial);
        EXPECT_TRUE(isSerialText(info->serial)) << info->serial;
        EXPECT_FALSE(info->fileSystem.empty());
        EXPECT_EQ(info->totalBytes, d.total);
        EXPECT_NEAR(static_cast<double>(info->freeBytes), static_cast<double>(d.free), 1e9);
    }
}
#endif
