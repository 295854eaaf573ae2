#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/system.h"
#include "support/foreign_hold.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

using namespace verdan;
using verdan::test::TempFolder;

TEST(System, ProgramFolderRule) {
    EXPECT_EQ(platform::chooseProgramFolder("/opt/verdan", true, "/home/a/.config/verdan"), "/opt/verdan");
    EXPECT_EQ(platform::chooseProgramFolder("/opt/verdan", false, "/home/a/.config/verdan"),
              "/home/a/.config/verdan");
    EXPECT_FALSE(platform::executableFolder().empty());
    EXPECT_TRUE(platform::isFolder(platform::executableFolder()));
    const std::string exe = platform::executablePath();
    EXPECT_TRUE(platform::isFile(exe)) << exe;
    EXPECT_EQ(exe.rfind(platform::executableFolder(), 0), 0u) << exe;
}

TEST(System, FolderWritableByTryingAndWithoutTrace) {
    TempFolder dir;
    EXPECT_TRUE(platform::folderWritable(dir.path()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(verdan::test::pathFromUtf8(dir.path())), {}),
              0);
    EXPECT_FALSE(platform::folderWritable(dir.file("absent")));
    EXPECT_FALSE(platform::folderWritable(dir.write("a_file", "x")));
}

#ifdef _WIN32
TEST(System, UserConfigFolderIsAppDataVerdan) {
    wchar_t appData[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(platform::userConfigFolder(),
              verdan::test::utf8FromPath(std::filesystem::path(appData)) + "\\VERDAN");
}
#else
TEST(System, UserConfigFolderFollowsXdgThenHome) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
    EXPECT_EQ(platform::userConfigFolder(), "/srv/conf/verdan");
    // A relative value is to be ignored, as the base directory rules say.
    ::setenv("XDG_CONFIG_HOME", "conf", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/tmp";
    EXPECT_EQ(platform::userConfigFolder(), home + "/.config/verdan");
    if (xdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
#endif

TEST(System, TickCountsMilliseconds) {
    const std::uint32_t t0 = platform::tickCount();
    platform::sleepMs(100);
    const std::uint32_t elapsed = platform::tickCount() - t0;
    // The system tick moves in steps of up to 16 ms (Windows' timer, Wine's server).
    EXPECT_GE(elapsed, 80u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(System, LocaleTextsExist) {
    EXPECT_FALSE(platform::decimalSeparator().empty());
    EXPECT_GE(platform::nowDateTimeText().size(), 8u);
}

#ifdef _WIN32
// Sets the user's regional settings and puts them back: the texts must follow the user's own
// choices, not a fixed or a C library locale.
class UserLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (!verdan::test::runningUnderWine()) GTEST_SKIP() << "would change this user's regional settings";
        for (LCTYPE type : {LOCALE_SDECIMAL, LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT}) {
            wchar_t value[80] = {};
            ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, 80), 0);
            m_saved.emplace_back(type, value);
        }
    }
    void TearDown() override {
        for (const auto& [type, value] : m_saved) ::SetLocaleInfoW(LOCALE_USER_DEFAULT, type, value.c_str());
    }
    static void set(LCTYPE type, const wchar_t* value) {
        ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, type, value));
    }

    std::vector<std::pair<LCTYPE, std::wstring>> m_saved;
};

TEST_F(UserLocale, DecimalSeparatorIsTheUsers) {
    set(LOCALE_SDECIMAL, L",");
    EXPECT_EQ(platform::decimalSeparator(), ",");
    set(LOCALE_SDECIMAL, L".");
    EXPECT_EQ(platform::decimalSeparator(), ".");
    set(LOCALE_SDECIMAL, L"\u00B7"); // a middle dot, in UTF-8
    EXPECT_EQ(platform::decimalSeparator(), "\xC2\xB7");
}

TEST_F(UserLocale, NowIsTheShortDateThenTheLongTime) {
    set(LOCALE_SSHORTDATE, L"dd/MM/yyyy");
    set(LOCALE_STIMEFORMAT, L"HH:mm:ss");
    const std::string french = platform::nowDateTimeText();
    EXPECT_TRUE(std::regex_match(french, std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)"))) << french;
    set(LOCALE_SSHORTDATE, L"yyyy-MM-dd");
    set(LOCALE_STIMEFORMAT, L"H'h'mm");
    const std::string other = platform::nowDateTimeText();
    EXPECT_TRUE(std::regex_match(other, std::regex(R"(\d{4}-\d\d-\d\d \d{1,2}h\d\d)"))) << other;
}
#endif
