#pragma once
#include <string>

#include <gtest/gtest.h>

#include "program/program.h"
#include "support/fake_drives.h"
#include "support/fake_shell.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"
#include "util/cp1252.h"
#include "util/file_helpers.h"

#include <fstream>
#include <memory>

namespace verdan::test {

// The two windows as the program object sees them: told of every change, never asked anything.
struct ProgramViews : ProgramView, StartupView, CatalogueChoiceView {
    int changes = 0;
    void programChanged() override { ++changes; }
    ScreenInfo screenInfo() override { return {1366, 768, {0, 0, 1366, 728}}; }
    void currentBounds(WindowGeometry& f1, WindowGeometry& f2) override {
        f1 = {0, 0, 1200, 700, 0};
        f2 = f1;
    }
    void applyState() override {}
    void showLoadingPanel(bool) override {}
    void showGlobalListLoading(bool) override {}
    void showGlobalListWindow() override {}
    void focusGlobalListButton() override {}
    void showWaitingPanels(bool) override {}
};

// A program folder whose settings name its "listes" folder, holding the default list with the
// standard header and the given data lines; returns the list file's path.
inline std::string writeProgramFolder(ProgramState& state, const std::string& folder,
                                      const std::string& dataLines) {
    state.programFolder = folder;
    const std::string lists = joinPath(folder, "listes");
    platform::createFolders(lists);
    std::ofstream(pathFromUtf8(state.settingsPath()), std::ios::binary)
        << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(lists) << "\r\n";
    const std::string list = joinPath(lists, "liste_globale_médias.txt");
    std::ofstream(pathFromUtf8(list), std::ios::binary)
        << cp1252::encode("n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille\tdrive\ttype-disque"
                          "\tNS-disque\tlibre\ttotal\t x\r\n" +
                          dataLines);
    return list;
}

// The program object over a program folder and a disk FILMS-0A1B2C3D made of a folder, with
// scripted answers and no window.
class ProgramOnAFolderDisk : public ::testing::Test {
protected:
    TempFolder dir;
    TempFolder disk;
    ThreadedFakeUi ui;
    FakeShell shell;
    FakeDriveProvider drives;
    ProgramState state;
    std::unique_ptr<Program> program;
    ProgramViews windows;
    std::string listFile;

    // The default list holds `dataLines` (with their line ends).
    void start(const std::string& dataLines) {
        listFile = writeProgramFolder(state, dir.path(), dataLines);
        drives.add(disk.path(), "FILMS", "0A1B2C3D");
        // The adding asks for the disk by its root: on Windows the drive letter of the folder.
        const std::string root = platform::nativeDriveRoot(disk.path());
        if (root != disk.path()) drives.add(root, "FILMS", "0A1B2C3D");
        program = std::make_unique<Program>(state, ui, shell, drives);
        program->addView(windows);
    }
    void TearDown() override { program.reset(); }
};

} // namespace verdan::test
