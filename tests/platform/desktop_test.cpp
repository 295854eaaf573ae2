#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "support/temp_folder.h"

using namespace verdan::platform;
using verdan::test::TempFolder;

#ifdef _WIN32
TEST(Desktop, MissingPathsFailWithoutAnyWindow) {
    TempFolder dir;
    // Wide paths: accents and Cyrillic reach the system as they are, and fail as missing.
    for (const std::string name : {"absent.avi", "film été.mkv", "Фильмы.mp3"}) {
        const std::string path = dir.file(name);
        EXPECT_EQ(openDocument(path), DesktopResult::Failed) << path;
        EXPECT_EQ(showInFileManager(path), DesktopResult::Failed) << path;
    }
    EXPECT_EQ(openFolder(dir.file("absent folder")), DesktopResult::Failed);
    // Never a command line: what follows a blank is part of the name, not an argument.
    EXPECT_EQ(openDocument(dir.file("x.txt") + " & calc.exe"), DesktopResult::Failed);
}

TEST(Desktop, SystemSoundsAreStartedAndReturnAtOnce) {
    EXPECT_TRUE(playSystemSound(SystemSound::Question));
    EXPECT_TRUE(playSystemSound(SystemSound::Asterisk));
}
#else
TEST(Desktop, LinuxLeavesDocumentsAndSoundsToTheDesktop) {
    TempFolder dir;
    const std::string file = dir.write("film.mkv", "x");
    EXPECT_EQ(openDocument(file), DesktopResult::NotHandled);
    EXPECT_EQ(showInFileManager(file), DesktopResult::NotHandled);
    EXPECT_EQ(openFolder(dir.path()), DesktopResult::NotHandled);
    EXPECT_FALSE(playSystemSound(SystemSound::Question));
}
#endif
