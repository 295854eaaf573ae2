// The global-list window of the real program (offscreen) on a large list; prints "name=value"
// lines for scripts/bench.
//   verdan_window_list_bench open|browse|refresh|type LIST_FILE WORK_FOLDER [SEARCH_TEXT]
// Both modes start the program in basic mode on the list and time it until the global-list table
// is painted with its rows. "open" then times "Recharger", "Effacer (supp)" on one highlighted
// row (highlighted and painted first, untimed by the figure) and the deletion of one disk;
// "browse" the sort by "titre", the same column again and a search, then the search result's sort
// by "titre". Memory is the peak resident size of the process (VmHWM), after the start and at the
// end; the result's sort gives its own peak.
// "type" types "v", "o", "s", "t" into the search box, then Backspace, each key's text searched as
// the pause after it would have it searched, timed until the result has painted; then keys come
// every 10 ms while "e" is searched on the whole list, and the longest any key took to show in the
// box is printed.
// "refresh" scans the 100,000 files of WORK_FOLDER/drive in the collection window and adds them,
// changes 1 % of them on disk, scans again (timed) and times "Mettre à jour ce disque" answered Oui
// until the collection window has painted again; the files are put back as they were.
#include "app_setup.h"
#include "collection_window.h"
#include "global_list_window.h"
#include "main_windows.h"
#include "qt_ui.h"

#include "catalogue/keys_in_making.h"
#include "catalogue/program_state.h"
#include "catalogue/settings.h"
#include "platform/drives.h"
#include "support/fake_shell.h"

#include "found_tree.h"

#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include <algorithm>
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
    int askThreeChoices(const std::string&, const std::string&, const std::string&, const std::string&,
                        int) override {
        return 0;
    }
    int askThreeChoicesWithDetails(const std::string&, const std::vector<Detail>&, const std::string&,
                                   const std::string&, const std::string&, int) override {
        return 0;
    }
    DialogButton ask(DialogType, const std::string& text, std::vector<DialogButton> buttons) override {
        lastAsk = text;
        for (DialogButton b : buttons)
            if (b == DialogButton::Yes) return b;
        return buttons.empty() ? DialogButton::Ok : buttons.front();
    }
    void playSound(SystemSound) override {}
    std::string lastInfo;
    std::string lastAsk;
};

// No drive, or the one drive of the refresh.
class BenchDrives : public platform::DriveProvider {
public:
    explicit BenchDrives(std::string root = {}) : m_root(std::move(root)) {}
    std::vector<platform::DriveInfo> listDrives() override {
        if (m_root.empty()) return {};
        return {queryDisk(m_root)};
    }
    platform::DriveInfo queryDisk(const std::string& root) override {
        platform::DriveInfo d;
        d.root = root;
        if (root != m_root) return d;
        d.label = "BANC_ESSAI";
        d.fileSystem = "ext4";
        d.serial = "0BADF00D";
        d.typeCode = platform::kDriveRemovable;
        d.freeBytes = 123LL << 30;
        d.totalBytes = 2000LL << 30;
        d.ok = true;
        return d;
    }

private:
    std::string m_root;
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

// A key pressed in the search box, as the keyboard gives it: the box changes its text and starts
// the typing pause.
void pressKey(QLineEdit* edit, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &release);
}

// Each key, then its text searched at once (the end of the pause), until the result has painted.
void typeInSearchBox(TForm2& form2) {
    auto* edit = form2.findChild<QLineEdit*>("Edit1");
    auto* pause = form2.findChild<QTimer*>("typingPause");
    auto* results = form2.findChild<QTableView*>("StringGrid_filter");
    PaintCounter resultPaints;
    results->viewport()->installEventFilter(&resultPaints);
    struct Key {
        const char* name;
        int key;
        QString text;
    };
    for (const Key& k : {Key{"first_char", Qt::Key_V, "v"}, Key{"second_char", Qt::Key_O, "o"},
                         Key{"third_char", Qt::Key_S, "s"}, Key{"narrow", Qt::Key_T, "t"},
                         Key{"widen", Qt::Key_Backspace, ""}}) {
        pressKey(edit, k.key, k.text);
        pause->stop();
        step(k.name, results, resultPaints, [&] {
            form2.Edit1Typed();
            while (form2.browseState().searchText != edit->text().toStdString())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        });
        std::printf("%s_text=%s\n%s_matches=%d\n", k.name, edit->text().toUtf8().constData(), k.name,
                    results->model()->rowCount());
    }
}

// Keys every 10 ms into the search box while the whole list is searched for "e" and its result
// shown: the longest a key waited to show in the box.
void keysDuringASearch(TForm2& form2) {
    auto* edit = form2.findChild<QLineEdit*>("Edit1");
    form2.Button_init_filtreClick();
    pressKey(edit, Qt::Key_E, "e");
    form2.findChild<QTimer*>("typingPause")->stop();
    form2.Edit1Typed();
    double longest = 0;
    int keys = 0;
    const auto start = Clock::now();
    while (since(start) < 1.0) {
        const auto sent = Clock::now();
        auto* press = new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        const qsizetype before = edit->text().size();
        QApplication::postEvent(edit, press);
        while (edit->text().size() == before) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        longest = std::max(longest, since(sent));
        ++keys;
        const auto next = sent + std::chrono::milliseconds(10);
        while (Clock::now() < next) QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    std::printf("keys=%d\nkey_longest_seconds=%.4f\nkeys_search_shown=%s\n", keys, longest,
                form2.browseState().searchText == "e" ? "yes" : "no");
}

// "3- lister ..." of the whole drive, until its summary.
double scanWholeDrive(TForm1& form1, BenchUi& ui) {
    const auto start = Clock::now();
    ui.lastInfo.clear();
    form1.BitBtn_lister_mediaClick();
    while (ui.lastInfo.rfind(" Listage terminé,", 0) != 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return since(start);
}

// The disk's rows added, 1 % of its files changed, scanned again and refreshed; prints both times.
void refreshDisk(TForm1& form1, BenchUi& ui, const std::string& drive) {
    form1.StringGrid_hdClick(1);
    form1.CheckListBox_repClick(0, true); // " << racine >>"
    scanWholeDrive(form1, ui);
    form1.BitBtn_rajout_bdClick();
    bench::changeFoundTree(drive, true);
    const double scan = scanWholeDrive(form1, ui);
    PaintCounter counter;
    QWidget* found = form1.findChild<QAbstractScrollArea*>("ListBox_media_un_hd")->viewport();
    found->installEventFilter(&counter);
    const auto start = Clock::now();
    form1.BitBtn_maj_disqueClick();
    found->update();
    while (counter.paints == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double refresh = since(start);
    bench::changeFoundTree(drive, false);
    std::printf("scan_seconds=%.4f\nrefresh_seconds=%.4f\nrefresh_report=%s\n", scan, refresh,
                ui.lastAsk.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const auto programStart = Clock::now();
    if (argc < 4 || argc > 5) {
        std::fprintf(
            stderr,
            "usage: verdan_window_list_bench open|browse|refresh|type LIST_FILE WORK_FOLDER [SEARCH_TEXT]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path list = std::filesystem::absolute(argv[2]);
    const std::filesystem::path folder = std::filesystem::absolute(argv[3]) / "window";
    const std::string searchText = argc == 5 ? argv[4] : "e";
    if (mode != "open" && mode != "browse" && mode != "refresh" && mode != "type") {
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
    const std::string drive = std::filesystem::absolute(argv[3]).string() + "/drive";
    if (mode == "refresh") bench::makeFoundTree(drive);
    BenchDrives drives(mode == "refresh" ? drive : std::string());
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
    // A large list's keys and disks are made once the table shows: the steps below are each timed
    // with the program at rest, as a user who starts typing a moment later finds it.
    while (verdan::keysInMaking(program.globalList)) QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("keys_seconds=%.4f\n", since(programStart));

    if (mode == "refresh") {
        refreshDisk(windows.collection(), ui, drive);
    } else if (mode == "type") {
        typeInSearchBox(form2);
        keysDuringASearch(form2);
    } else if (mode == "open") {
        step("reload", table, counter, [&] { form2.Button_charger_bdClick(); });
        // The row is highlighted, and shown so, before the user deletes it: the page it brings
        // into view is painted then, not by the deletion.
        step("select_row", table, counter, [&] { table->selectRow(table->model()->rowCount() / 2); });
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
