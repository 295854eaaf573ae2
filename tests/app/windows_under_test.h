#pragma once
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>

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
    std::unique_ptr<Program> app;
    std::unique_ptr<MainWindows> windows;
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;

    // Builds the pair anew over `program`, asking `ui`; a pair built before goes first.
    void buildWindows(ProgramState& program, Ui& ui) {
        form1 = nullptr;
        form2 = nullptr;
        windows.reset();
        app.reset();
        app = std::make_unique<Program>(program, ui, shell, drives);
        windows = std::make_unique<MainWindows>(*app);
        form1 = &windows->collection();
        form2 = &windows->globalList();
    }
};

// The widget of `window` with that objectName and type. A name that is missing, taken twice or of
// another type fails the test, which goes on with a stand-in widget rather than crashing.
template <class W> W* widget(QWidget* window, const char* name) {
    const QList<QWidget*> found = window->findChildren<QWidget*>(QString::fromLatin1(name));
    if (found.size() == 1) {
        if (auto* w = dynamic_cast<W*>(found.front())) return w;
    }
    ADD_FAILURE() << (found.empty()      ? "no widget named "
                      : found.size() > 1 ? "several widgets named "
                                         : "")
                  << name << (found.size() == 1 ? " is of another type" : "") << " in "
                  << window->objectName().toStdString();
    // Never deleted: stand-ins may be asked for until the application object is gone.
    static QWidget* const standIns = new QWidget;
    return new W(standIns);
}

} // namespace verdan::test

// What a test of the windows cannot check under Windows, with the reason, shown as a skip there.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << (why)
#else
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif
// Disks made of folders, as Linux mounts them: a Windows drive is a letter, and the rows' paths
// are built from the letter, so these disks are not found there.
inline constexpr const char* kFolderDrives = "the test's disks are folders; a Windows drive is a letter";
// Sizes in pixels measured with the fonts of the Linux tests, which Wine's offscreen platform lacks.
inline constexpr const char* kLinuxFontMetrics = "pixel sizes are measured with the Linux test fonts";
