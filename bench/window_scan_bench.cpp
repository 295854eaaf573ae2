// The media scan through the real collection window (offscreen): the drive chosen, the root
// ticked, "3- lister ..." pressed, timed until the summary.
//   verdan_window_scan_bench DIR
#include "collection_window.h"
#include "main_windows.h"
#include "qt_ui.h"

#include "catalogue/program_state.h"
#include "collect/folders.h"
#include "platform/drives.h"
#include "support/fake_shell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>

#include <cstdio>

using namespace verdan;

namespace {

// The program's Ui with the boxes answered at once: the summary ends the measure.
class BenchUi : public QtUi {
public:
    void showInfo(const std::string& text) override {
        if (text.rfind(" Listage terminé,", 0) == 0) summary = text;
    }
    DialogButton ask(DialogType, const std::string&, std::vector<DialogButton>) override {
        return DialogButton::No;
    }
    void playSound(SystemSound) override {}
    std::string summary;
};

class OneDrive : public platform::DriveProvider {
public:
    explicit OneDrive(std::string root) : m_root(std::move(root)) {}
    std::vector<platform::DriveInfo> listDrives() override { return {queryDisk(m_root)}; }
    platform::DriveInfo queryDisk(const std::string& root) override {
        platform::DriveInfo d;
        d.root = root;
        d.label = "BENCH";
        d.serial = "00000000";
        d.typeCode = platform::kDriveFixed;
        d.ok = true;
        return d;
    }

private:
    std::string m_root;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: verdan_window_scan_bench DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string dir = argv[1];
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    BenchUi ui;
    OneDrive drives(dir + "/");
    test::FakeShell shell;
    ProgramState program;
    // The opening sequence writes the settings and parameter files: not into the current folder.
    QTemporaryDir programFolder;
    program.programFolder = programFolder.path().toStdString();
    program.catalogue.params.media[0].extensionFilter = "avi, mp4, mkv, mov, wmv, flv, vob, ts";
    program.catalogue.params.media[1].extensionFilter = "mp3, ogg, mp4a";
    Program verdanProgram(program, ui, shell, drives);
    MainWindows windows(verdanProgram);
    TForm1& form1 = windows.collection();
    ui.setParentWindow(&form1);
    form1.show();
    QApplication::processEvents();

    form1.StringGrid_hdClick(1);
    form1.CheckListBox_repClick(0, true); // " << racine >>"
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form1.BitBtn_lister_mediaClick();
    while (ui.summary.empty()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 ms = timer.elapsed();
    std::printf("%lld media found in %lld ms (%d lines shown)\n",
                static_cast<long long>(form1.state().found.size()), static_cast<long long>(ms),
                form1.findChild<QListView*>("ListBox_media_un_hd")->model()->rowCount());
    return 0;
}
