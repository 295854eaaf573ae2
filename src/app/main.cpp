#include "app_setup.h"
#include "collection_window.h"
#include "global_list_window.h"
#include "qt_shell.h"
#include "qt_ui.h"

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
    // A per-user program folder may not exist yet on a first start.
    verdan::platform::createFolders(program.programFolder);

    auto drives = verdan::platform::makeSystemDriveProvider();
    TForm1 form1(program, ui, *drives);
    TForm2 form2(program, ui, shell);
    form1.setGlobalListWindow(&form2);
    form2.setCollectionWindow(&form1);
    ui.setParentWindow(&form1);
    form1.show();
    return app.exec();
}
