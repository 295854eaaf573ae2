// Times one operation on a list file and prints "seconds=... hwm_kb=... rows=..." for scripts/bench.
// Usage: verdan_list_bench idle|load|write|index|reindex LIST_FILE WORK_FOLDER
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "catalogue/index_keys.h"
#include "catalogue/list_file.h"
#include "util/error.h"

namespace {

// Answers every question with its first button, as a user pressing Oui or OK would.
class AnsweringUi : public verdan::Ui {
public:
    void showInfo(const std::string&) override {}
    verdan::DialogButton ask(verdan::DialogType, const std::string&,
                             std::vector<verdan::DialogButton> b) override {
        return b.empty() ? verdan::DialogButton::Ok : b.front();
    }
    int askThreeChoices(const std::string&, const std::string&, const std::string&, const std::string&,
                        int) override {
        return 0;
    }
    std::optional<std::string> chooseFile(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void setBusy(bool) override {}
    void processEvents() override {}
    bool trySetClipboardText(const std::string&) override { return true; }
    void playSound(verdan::SystemSound) override {}
    void pause(unsigned) override {}
    void runOnUiThread(const std::function<void()>& fn) override { fn(); }
};

// Peak resident memory of this process (Linux).
long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s idle|load|write|index|reindex LIST_FILE WORK_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1], path = argv[2], work = argv[3];
    if (mode == "idle") {
        std::printf("seconds=0 hwm_kb=%ld rows=0\n", peakResidentKb());
        return 0;
    }
    try {
        AnsweringUi ui;
        verdan::GlobalList table;
        auto start = std::chrono::steady_clock::now();
        verdan::lire_liste(table, path, verdan::ListMode::Replace, ui, work);
        double seconds = since(start);
        const long hwm = peakResidentKb();
        verdan::KeySet keys;
        verdan::IndexState state;
        if (mode == "write") {
            start = std::chrono::steady_clock::now();
            verdan::ecrire_liste(table, work + "/written.txt");
            seconds = since(start);
        } else if (mode == "index") {
            start = std::chrono::steady_clock::now();
            verdan::indexer_liste(table, keys, 1, false, state);
            seconds = since(start);
        } else if (mode == "reindex") {
            start = std::chrono::steady_clock::now();
            verdan::reindexer_liste(table, keys, 1, state, ui);
            seconds = since(start);
        } else if (mode != "load") {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
        std::printf("seconds=%.4f hwm_kb=%ld rows=%zu keys=%zu\n", seconds, hwm, table.rowCount(),
                    keys.size());
    } catch (const verdan::VerdanError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
