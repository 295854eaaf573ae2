#pragma once
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

#include "collection_window.h"
#include "global_list_window.h"
#include "main_windows.h"
#include "support/fake_drives.h"
#include "support/fake_shell.h"

namespace verdan::test {

// Both windows as the program builds them, over fake drives and a fake shell.
struct WindowsUnderTest {
    FakeDriveProvider drives;
    FakeShell shell;
    std::unique_ptr<MainWindows> windows;
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;

    // Builds the pair anew over `program`, asking `ui`; a pair built before goes first.
    void buildWindows(ProgramState& program, Ui& ui) {
        form1 = nullptr;
        form2 = nullptr;
        windows.reset();
        windows = std::make_unique<MainWindows>(program, ui, shell, drives);
        form1 = &windows->collection();
        form2 = &windows->globalList();
    }
};

} // namespace verdan::test
