#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/fake_shell.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/safe_open.h"

using namespace verdan;
using namespace verdan::test;

TEST(ProgramExtensions, ProgramScriptAndShortcutTypesInAnyCase) {
    for (const char* path : {"E:\\a\\setup.exe", "E:\\a\\SETUP.EXE", "/m/a/x.Bat", "/m/x.cmd", "/m/x.com",
                             "/m/x.scr", "/m/x.pif", "/m/x.msi", "/m/x.ps1", "/m/x.vbs", "/m/x.js",
                             "/m/x.lnk", "/m/x.hta", "/m/x.jar", "/m/x.desktop", "/m/x.sh", "x.reg"})
        EXPECT_TRUE(hasProgramExtension(path, "")) << path;
    for (const char* path : {"E:\\a\\Alien.avi", "/m/film.mkv", "/m/musique.MP3", "/m/sans_extension",
                             "/m/programme.exe/film.avi", "E:\\x.exe\\film.avi", "/m/.exe.avi",
                             "/m/json.json", "/m/x.exec", "/m/x.ex", ""})
        EXPECT_FALSE(hasProgramExtension(path, "")) << path;
}

TEST(ProgramExtensions, NamesWindowsReadsAsAProgram) {
    // Windows drops trailing dots and blanks, and "name:stream" reaches the file "name".
    EXPECT_TRUE(hasProgramExtension("E:\\a\\setup.exe.", ""));
    EXPECT_TRUE(hasProgramExtension("E:\\a\\setup.exe . .", ""));
    EXPECT_TRUE(hasProgramExtension("E:\\a\\setup.exe::$DATA", ""));
    EXPECT_TRUE(hasProgramExtension("E:\\a\\film.avi:cache.bat", ""));
    // A colon is an ordinary character on Linux: the name keeps its extension.
    EXPECT_FALSE(hasProgramExtension("/m/Star Trek: TNG.avi", ""));
    EXPECT_FALSE(hasProgramExtension("E:\\a\\film.avi.", ""));
}

TEST(ProgramExtensions, TheUsersPathextCounts) {
    EXPECT_FALSE(hasProgramExtension("/m/a.xyz", ""));
    EXPECT_TRUE(hasProgramExtension("/m/a.xyz", ".COM;.EXE;.XYZ"));
    EXPECT_TRUE(hasProgramExtension("/m/a.XyZ", " .abc ;;.xyz ;"));
    EXPECT_TRUE(hasProgramExtension("/m/a.pyw", "pyw")); // an entry without its dot
    EXPECT_FALSE(hasProgramExtension("/m/a.avi", ";;.;"));
    EXPECT_FALSE(hasProgramExtension("/m/axyz", ".xyz"));
}

TEST(ProgramStarts, NativeWindowsAndScriptHeaders) {
    EXPECT_TRUE(startsLikeAProgram("\x7f"
                                   "ELF\x02\x01"));
    EXPECT_TRUE(startsLikeAProgram("MZ\x90"));
    EXPECT_TRUE(startsLikeAProgram("#!/bin/sh\n"));
    EXPECT_FALSE(startsLikeAProgram(""));
    EXPECT_FALSE(startsLikeAProgram("#"));
    EXPECT_FALSE(startsLikeAProgram("RIFF\x10\x00\x00\x00"
                                    "AVI "));
    EXPECT_FALSE(startsLikeAProgram(std::string_view("\x00\x00\x00\x18"
                                                     "ftyp",
                                                     8)));
}

class SafeOpening : public ::testing::Test {
protected:
    TempFolder dir;
    FakeUi ui;
    FakeShell shell;
    std::string file(const std::string& name, const std::string& bytes, bool executable) {
        const std::string p = dir.write(name, bytes);
        if (executable)
            std::filesystem::permissions(pathFromUtf8(p), std::filesystem::perms::owner_exec,
                                         std::filesystem::perm_options::add);
        return p;
    }
};

TEST_F(SafeOpening, DocumentsOpenAndProgramsAreShownInTheirFolder) {
    const std::string film = file("Alien.avi", "RIFF....AVI ", false);
    const std::string setup = file("Setup.EXE", "MZ", false);
    openDocumentSafely(ui, shell, film);
    openDocumentSafely(ui, shell, setup);
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"open", film}, {"show", setup}}));
    EXPECT_EQ(
        ui.texts(),
        (std::vector<std::string>{
            "Ce fichier est un programme : par sécurité, il n'est pas lancé mais montré dans son dossier.\n" +
            setup}));
}

namespace {
void setPathext(const char* value) {
#ifdef _WIN32
    _putenv_s("PATHEXT", value);
#else
    ::setenv("PATHEXT", value, 1);
#endif
}
} // namespace

TEST_F(SafeOpening, ThePathextOfTheEnvironmentIsRead) {
    // A catalogue whose category lists ".xyz" as media: PATHEXT still makes it a program.
    const std::string p = file("a.xyz", "data", false);
    const std::string saved = std::getenv("PATHEXT") ? std::getenv("PATHEXT") : "";
    setPathext(".COM;.XYZ");
    openDocumentSafely(ui, shell, p, {".xyz"});
    setPathext(".COM;.EXE");
    openDocumentSafely(ui, shell, p, {".xyz"});
    setPathext(saved.c_str());
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"show", p}, {"open", p}}));
}

#ifndef _WIN32
TEST_F(SafeOpening, AnExecuteBitCountsOnlyOnAFileThatStartsLikeAProgram) {
    // FAT and NTFS disks mount with every file executable: their media must still open.
    EXPECT_FALSE(wouldRunAProgram(file("film.avi", "RIFF....AVI ", true), ""));
    EXPECT_FALSE(wouldRunAProgram(file("vide.mkv", "", true), ""));
    EXPECT_TRUE(wouldRunAProgram(file("film2.avi", "#!/bin/sh\nrm -rf ~\n", true), ""));
    EXPECT_TRUE(wouldRunAProgram(file("lecteur",
                                      "\x7f"
                                      "ELF\x02\x01\x01",
                                      true),
                                 ""));
    EXPECT_FALSE(wouldRunAProgram(file("notes", "#!/bin/sh\n", false), ""));
}

#endif
