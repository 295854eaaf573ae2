// The global-list window of the real program (offscreen) on a large list; prints "name=value"
// lines for scripts/bench.
//   verdan_window_list_bench open|browse LIST_FILE WORK_FOLDER [SEARCH_TEXT]
// Both modes start the program in basic mode on the list and time it until the global-list table
// is painted with its rows. "open" then times "Recharger", "Effacer (supp)" on one highlighted
// row and the deletion of one disk; "browse" the sort by "titre", the same column again and a
// search, then the search result's sort by "titre". Memory is the peak resident size of the
// process (VmHWM), after the start and at the end; the result's sort gives its own peak.
#include "app_setup.h"
#include "collection_window.h"
#include "global_list_window.h"
#include "main_windows.h"
#include "qt_ui.h"

#include "catalogue/program_state.h"
#include "catalogue/settings.h"
#include "platform/drives.h"
#include "support/fake_shell.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace verdan;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// The program's Ui with every question answered Oui and no box shown.
class BenchUi : public QtUi {
public:
    void showInfo(const std::string& text) override { lastInfo = text; }
    DialogButton ask(DialogType, const std::string&, std::vector<DialogButton> buttons) override {
        for (DialogButton b : buttons)
            if (b == DialogButton::Yes) return b;
        return buttons.empty() ? DialogButton::Ok : buttons.front();
    }
    void playSound(SystemSound) override {}
    std::string lastInfo;
};

class NoDrives : public platform::DriveProvider {
public:
    std::vector<platform::DriveInfo> listDrives() override { return {}; }
    platform::DriveInfo queryDisk(const std::string& root) override {
        platform::DriveInfo d;
        d.root = root;
        return d;
    }
};

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Runs `action`, then the event passes until `table` has painted once more: the time the user
// waits for the table to show the result. Prints it as NAME_seconds, with the resident size
// then (what the step left behind) as NAME_rss_kb.
template <class F> void step(const char* name, QTableView* table, PaintCounter& counter, F action) {
    const auto start = Clock::now();
    const int before = counter.paints;
    action();
    table->viewport()->update();
    while (counter.paints == before) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("%s_seconds=%.4f\n%s_rss_kb=%ld\n", name, since(start), name, statusKb("VmRSS"));
}

} // namespace

int main(int argc, char** argv) {
    const auto programStart = Clock::now();
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr,
                     "usage: verdan_window_list_bench open|browse LIST_FILE WORK_FOLDER [SEARCH_TEXT]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path list = std::filesystem::absolute(argv[2]);
    const std::filesystem::path folder = std::filesystem::absolute(argv[3]) / "window";
    const std::string searchText = argc == 5 ? argv[4] : "e";
    if (mode != "open" && mode != "browse") {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    // A program folder of its own, whose settings open the list in basic mode.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "listes");
    std::filesystem::create_symlink(list, folder / "listes" / "liste.txt");
    SettingsState settings;
    settings.listFolder = (folder / "listes").string();
    settings.listName = "liste";
    settings.favouritesFolder = (folder / "favoris").string();
    settings.advancedMode = false;
    enreg_fic_ini(settingsFilePath(folder.string()), settings);

    QApplication app(argc, argv);
    setUpApplication();
    BenchUi ui;
    NoDrives drives;
    test::FakeShell shell;
    ProgramState program;
    program.programFolder = folder.string();
    Program verdanProgram(program, ui, shell, drives);
    MainWindows windows(verdanProgram);
    ui.setParentWindow(&windows.mainWindow());
    TForm2& form2 = windows.globalList();
    auto* table = form2.findChild<QTableView*>("StringGrid1");
    PaintCounter counter;
    table->viewport()->installEventFilter(&counter);

    windows.mainWindow().show();
    // The opening sequence runs from the first event pass; the table is shown once it painted rows.
    while (!(counter.paints > 0 && form2.isVisible() && table->model()->rowCount() > 1))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("startup_seconds=%.4f\nrows=%d\n", since(programStart), table->model()->rowCount());
    std::printf("startup_hwm_kb=%ld\nstartup_rss_kb=%ld\n", statusKb("VmHWM"), statusKb("VmRSS"));

    if (mode == "open") {
        step("reload", table, counter, [&] { form2.Button_charger_bdClick(); });
        table->selectRow(table->model()->rowCount() / 2);
        step("delete_row", table, counter, [&] { form2.Button_delClick(); });
        std::printf("delete_row_rows=%d\n", table->model()->rowCount());
        form2.ListBox_hd_referencerClick(0);
        step("delete_disk", table, counter, [&] { form2.Button_effacer_liste_un_hdClick(); });
        std::printf("delete_disk_info=%s\n", ui.lastInfo.c_str());
    } else {
        const int title = 3;
        step("sort", table, counter, [&] { form2.sortOnHeader(Grid::Full, title); });
        step("reverse", table, counter, [&] { form2.sortOnHeader(Grid::Full, title); });
        auto* results = form2.findChild<QTableView*>("StringGrid_filter");
        PaintCounter resultPaints;
        results->viewport()->installEventFilter(&resultPaints);
        form2.findChild<QLineEdit*>("Edit1")->setText(QString::fromUtf8(searchText.c_str()));
        step("search", results, resultPaints, [&] { form2.Button_rechercherClick(); });
        std::printf("search_text=%s\nsearch_matches=%d\n", searchText.c_str(), results->model()->rowCount());
    }
    std::printf("end_hwm_kb=%ld\nend_rss_kb=%ld\n", statusKb("VmHWM"), statusKb("VmRSS"));
    if (mode == "browse") {
        // The result's own sort, with the peak it reaches from here (Linux sets VmHWM back to
        // VmRSS on this write).
        std::ofstream("/proc/self/clear_refs") << "5";
        auto* results = form2.findChild<QTableView*>("StringGrid_filter");
        PaintCounter resultPaints;
        results->viewport()->installEventFilter(&resultPaints);
        step("result_sort", results, resultPaints, [&] { form2.sortOnHeader(Grid::Filter, 3); });
        std::printf("result_sort_hwm_kb=%ld\n", statusKb("VmHWM"));
    }
    std::fflush(stdout);
    // The windows' teardown is not part of any figure.
    std::_Exit(0);
}
