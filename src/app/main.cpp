#include "app_setup.h"
#include "main_windows.h"
#include "qt_shell.h"
#include "qt_ui.h"
#include "widget_map.h"

#include "catalogue/program_state.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/system.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    setUpApplication();
    QtUi ui;
    QtShell shell;
    verdan::ProgramState program;
    program.programFolder = verdan::platform::programFolder();
    program.installedFolder = verdan::platform::executableFolder();
    // A per-user program folder may not exist yet on a first start.
    verdan::platform::createFolders(program.programFolder);

    auto drives = verdan::platform::makeSystemDriveProvider();
    verdan::Program verdanProgram(program, ui, shell, *drives);
    MainWindows windows(verdanProgram);
    ui.setParentWindow(&windows.mainWindow());
    windows.mainWindow().show();
    startWidgetMapIfAsked();
    return app.exec();
}
