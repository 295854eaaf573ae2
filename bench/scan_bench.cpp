// The media scan against a generated tree, and the found list's cost as it grows.
//   verdan_scan_bench generate DIR   makes 300,000 files in 30,000 folders (20% media)
//   verdan_scan_bench scan DIR       scans DIR whole (no minimum size) as the window does
//   verdan_scan_bench foundlist      times 1,000,000 insertions into the found list
#include "collect/collection_state.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "platform/drives.h"
#include "support/answering_ui.h"
#include "util/utf8.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using namespace verdan;

namespace {

// The user-interface thread of the program, reduced to its queue of hand-offs.
class BenchUi : public test::AnsweringUi {
public:
    void showInfo(const std::string& text) override { lastInfo = text; }
    DialogButton ask(DialogType, const std::string&, std::vector<DialogButton>) override {
        return DialogButton::No;
    }
    int askThreeChoices(const std::string&, const std::string&, const std::string&, const std::string&,
                        int) override {
        return 2;
    }
    void processEvents() override { drain(); }
    void runOnUiThread(const std::function<void()>& fn) override {
        if (std::this_thread::get_id() == m_ui) return fn();
        Task t{&fn};
        std::unique_lock lock(m_mutex);
        m_queue.push_back(&t);
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return t.done; });
    }
    void drain() {
        for (;;) {
            Task* t;
            {
                std::unique_lock lock(m_mutex);
                if (m_queue.empty()) return;
                t = m_queue.front();
                m_queue.pop_front();
            }
            (*t->fn)();
            std::lock_guard lock(m_mutex);
            t->done = true;
            m_cv.notify_all();
        }
    }
    void waitForWork() {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return !m_queue.empty(); });
    }
    std::string lastInfo;

private:
    struct Task {
        const std::function<void()>* fn;
        bool done = false;
    };
    std::thread::id m_ui = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Task*> m_queue;
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
        d.freeBytes = d.totalBytes = 0;
        d.ok = true;
        return d;
    }

private:
    std::string m_root;
};

int generate(const std::string& dir) {
    const char* video[] = {".avi", ".mkv", ".mp4", ".AVI"};
    const char* other[] = {".txt", ".jpg", ".nfo", ".srt", ".png", ".pdf", ".doc", ".xml"};
    std::mt19937 rng(7);
    long files = 0;
    for (int a = 0; a < 50; ++a) {
        for (int b = 0; b < 20; ++b) {
            for (int c = 0; c < 30; ++c) {
                const fs::path folder = fs::path(dir) / ("Collection " + std::to_string(a)) /
                                        ("Série été " + std::to_string(b)) / ("Saison " + std::to_string(c));
                fs::create_directories(folder);
                for (int f = 0; f < 10; ++f) {
                    std::string name = "Épisode " + std::to_string(f) + " - titre assez long n°" +
                                       std::to_string(rng() % 100000);
                    name += f == 0 ? video[rng() % 4] : f == 1 ? ".mp3" : other[rng() % 8];
                    const fs::path p = folder / name;
                    std::ofstream(p, std::ios::binary) << "verdan";
                    if (f < 2 && rng() % 5 == 0) fs::resize_file(p, 15u << 20); // over a 10 MB minimum
                    ++files;
                }
            }
        }
    }
    std::printf("%ld files in 30000 folders under %s\n", files, dir.c_str());
    return 0;
}

int scan(const std::string& dir) {
    BenchUi ui;
    OneDrive provider(dir);
    ProgramState program;
    CollectionState state(program.drives);
    program.catalogue.params.media[0].extensionFilter = "avi, mp4, mkv, mov, wmv, flv, vob, ts";
    program.catalogue.params.media[1].extensionFilter = "mp3, ogg, mp4a";
    state.drives.clearToHeader();
    const int row = state.drives.addRow();
    state.drives.setCell(row, 0, dir);
    state.SelectedDrive = dir;
    state.folders.selected = {kRootEntry};
    const auto start = std::chrono::steady_clock::now();
    BitBtn_lister_mediaClick(program, state, ui);
    while (state.scanWorkers.current()) {
        ui.drain();
        ui.waitForWork();
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu media found in %.0f ms\n", state.found.size(), ms);
    return 0;
}

// Insertion time per block of 100,000 lines, into the found list and into a balanced tree.
template <typename Container> std::vector<double> insertBlocks(const std::vector<std::string>& lines) {
    Container c;
    std::vector<double> blocks;
    const std::size_t n = lines.size();
    for (std::size_t block = 0; block < 10; ++block) {
        const auto t0 = std::chrono::steady_clock::now();
        for (std::size_t i = block * n / 10; i < (block + 1) * n / 10; ++i) c.insert(lines[i]);
        blocks.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return blocks;
}

int foundList() {
    std::mt19937 rng(11);
    std::vector<std::string> lines;
    const int n = 1000000;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.push_back("20" + std::to_string(10 + rng() % 15) + "-0" + std::to_string(1 + rng() % 9) + "-1" +
                        std::to_string(rng() % 10) + " 12:00   1,50 Mo             >    /media/x/films/" +
                        std::to_string(rng()) + ".avi");
    const auto list = insertBlocks<FoundList>(lines);
    const auto tree = insertBlocks<std::set<std::string, utf8::FoldedLess>>(lines);
    double listTotal = 0, treeTotal = 0;
    for (double t : list) listTotal += t;
    for (double t : tree) treeTotal += t;
    // Microseconds per insertion with 100,000 to 200,000 lines in place, then 900,000 to 1,000,000.
    auto perLine = [](double ms) { return ms * 1000.0 / 100000.0; };
    std::printf("found list, 1000000 lines: %.0f ms (balanced tree: %.0f ms, ratio %.2f)\n", listTotal,
                treeTotal, listTotal / treeTotal);
    std::printf(
        "  per insertion at 100000 lines %.2f us, at 900000 lines %.2f us (tree %.2f us -> %.2f us)\n",
        perLine(list[1]), perLine(list[9]), perLine(tree[1]), perLine(tree[9]));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "generate" && argc > 2) return generate(argv[2]);
    if (what == "scan" && argc > 2) return scan(argv[2]);
    if (what == "foundlist") return foundList();
    std::fprintf(stderr, "usage: verdan_scan_bench generate DIR | scan DIR | foundlist\n");
    return 2;
}
