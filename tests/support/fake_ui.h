#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/ui.h"

namespace verdan::test {

// A scripted Ui: answers come from queues, every text shown or asked is recorded.
// A question with no answer queued fails the test, and so does an answer never asked for;
// a one-button report is acknowledged.
class FakeUi : public Ui {
public:
    struct Shown {
        std::string kind; // "info", "ask", "three", "file", "folder"
        std::string text;
        DialogType type = DialogType::Information;
        std::vector<DialogButton> buttons;
        // The three captions and button width of a three-choice question; the filter and initial
        // folder of a file or folder dialog.
        std::vector<std::string> captions = {};
        int buttonWidth = 0;
        std::string filter = {};
        std::string initialFolder = {};
    };

    std::vector<Shown> shown;
    // The lists a question with details offered, by the words that open them.
    std::vector<std::vector<Detail>> details;
    std::deque<DialogButton> answers;
    std::deque<int> threeChoiceAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<std::string> clipboard;
    int clipboardFailures = 0; // attempts to fail before one succeeds
    int clipboardAttempts = 0;
    std::vector<SystemSound> sounds;
    std::vector<unsigned> pauses;
    std::vector<bool> busy;
    int eventsProcessed = 0;
    // Runs at every processEvents: what the user does while a long operation lets events through.
    std::function<void()> onProcessEvents;
    // Runs while a question waits: what other events change meanwhile.
    std::function<void()> onAsk;
    // The progress of long readings, in order; Escape comes at the call numbered `escapeAtProgress`
    // (from 1; 0 never). Each endProgress is recorded as "end".
    std::vector<std::string> progressTexts;
    std::size_t escapeAtProgress = 0;

    bool progress(const std::string& text, int permille) override {
        progressTexts.push_back(text + " " + std::to_string(permille));
        return progressTexts.size() != escapeAtProgress;
    }
    void endProgress() override { progressTexts.push_back("end"); }

    void showInfo(const std::string& text) override {
        shown.push_back({"info", text, DialogType::Information, {}});
    }

    DialogButton ask(DialogType type, const std::string& text, std::vector<DialogButton> buttons) override {
        shown.push_back({"ask", text, type, buttons});
        if (onAsk) onAsk();
        // A report with a single button needs no scripted answer; a question does.
        if (type != DialogType::Confirmation && buttons.size() == 1) return buttons.front();
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return buttons.empty() ? DialogButton::Ok : buttons.back();
        }
        DialogButton b = answers.front();
        answers.pop_front();
        return b;
    }

    int askThreeChoices(const std::string& text, const std::string& first, const std::string& second,
                        const std::string& third, int width) override {
        shown.push_back({"three", text, DialogType::Confirmation, {}, {first, second, third}, width});
        if (threeChoiceAnswers.empty()) {
            ADD_FAILURE() << "unexpected three-choice question: " << text;
            return 2;
        }
        int a = threeChoiceAnswers.front();
        threeChoiceAnswers.pop_front();
        return a;
    }

    int askThreeChoicesWithDetails(const std::string& text, const std::vector<Detail>& offered,
                                   const std::string& first, const std::string& second,
                                   const std::string& third, int width) override {
        for (const Detail& d : offered)
            EXPECT_NE(text.find(d.words), std::string::npos) << "no \"" << d.words << "\" in: " << text;
        details.push_back(offered);
        return askThreeChoices(text, first, second, third, width);
    }

    std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                          const std::string& initialFolder) override {
        shown.push_back({"file", title, DialogType::Information, {}, {}, 0, filter, initialFolder});
        if (fileAnswers.empty()) return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }

    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialFolder) override {
        shown.push_back({"folder", title, DialogType::Information, {}, {}, 0, {}, initialFolder});
        if (folderAnswers.empty()) return std::nullopt;
        auto a = folderAnswers.front();
        folderAnswers.pop_front();
        return a;
    }

    void setBusy(bool b) override { busy.push_back(b); }
    void processEvents() override {
        ++eventsProcessed;
        if (onProcessEvents) onProcessEvents();
    }

    bool trySetClipboardText(const std::string& text) override {
        ++clipboardAttempts;
        if (clipboardFailures > 0) {
            --clipboardFailures;
            return false;
        }
        clipboard.push_back(text);
        return true;
    }

    void playSound(SystemSound s) override { sounds.push_back(s); }
    void pause(unsigned ms) override { pauses.push_back(ms); }
    void runOnUiThread(const std::function<void()>& fn) override { fn(); }

    // An answer left over means a question the code no longer asks: the test must see it.
    ~FakeUi() override {
        if (!answers.empty() || !threeChoiceAnswers.empty() || !fileAnswers.empty() || !folderAnswers.empty())
            ADD_FAILURE() << "scripted answers left unused: " << answers.size() << " questions, "
                          << threeChoiceAnswers.size() << " three-choice, " << fileAnswers.size()
                          << " files, " << folderAnswers.size() << " folders";
    }

    // Texts of everything shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : shown) t.push_back(s.text);
        return t;
    }
};

} // namespace verdan::test
