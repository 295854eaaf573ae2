#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/ui.h"

namespace verdan::test {

// Answers every question with its first button, as a user pressing Oui or OK would, and shows
// nothing: for the benchmarks and the fuzzer, where nobody reads the boxes.
class AnsweringUi : public Ui {
public:
    void showInfo(const std::string&) override {}
    DialogButton ask(DialogType, const std::string&, std::vector<DialogButton> b) override {
        return b.empty() ? DialogButton::Ok : b.front();
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
    void playSound(SystemSound) override {}
    void pause(unsigned) override {}
    void runOnUiThread(const std::function<void()>& fn) override { fn(); }
};

} // namespace verdan::test
