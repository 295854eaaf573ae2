// Two real programs on one list folder: this test binary started again as a child for each,
// running a script of the user's actions through the core, its questions answered from a list
// and written to a transcript. Linux only (fork, kill, bind mounts).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "browse/list_commands.h"
#include "catalogue/list_file.h"
#include "catalogue/list_lock.h"
#include "collect/startup.h"
#include "platform/files.h"
#include "platform/system.h"
#include "support/child_process.h"
#include "support/program_fixture.h"

using namespace verdan;
using namespace verdan::test;

namespace {

constexpr char kRecordEnd = '\x1e';
constexpr auto kPatience = std::chrono::seconds(60);

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

bool waitForFile(const std::string& path) {
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!platform::exists(path)) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The child's user: answers "yes", "no" or "three:N" in order; every text shown goes to the
// transcript at once, so that what a killed program showed is still there.
class ScriptedUi : public Ui {
public:
    ScriptedUi(const std::string& transcript, const std::string& answers)
        : m_out(transcript, std::ios::binary | std::ios::app) {
        for (const std::string& a : split(answers, ',')) m_answers.push_back(a);
    }
    void showInfo(const std::string& text) override { record(text); }
    DialogButton ask(DialogType type, const std::string& text, std::vector<DialogButton> buttons) override {
        record(text);
        if (type != DialogType::Confirmation && buttons.size() == 1) return buttons.front();
        const std::string a = next();
        if (a == "yes") return DialogButton::Yes;
        if (a == "no") return DialogButton::No;
        record("UNEXPECTED QUESTION");
        return DialogButton::Cancel;
    }
    int askThreeChoices(const std::string& text, const std::string&, const std::string&, const std::string&,
                        int) override {
        record(text);
        const std::string a = next();
        if (a.rfind("three:", 0) == 0) return std::stoi(a.substr(6));
        record("UNEXPECTED QUESTION");
        return 2;
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

private:
    void record(const std::string& text) {
        m_out << text << kRecordEnd;
        m_out.flush();
    }
    std::string next() {
        if (m_answers.empty()) return {};
        std::string a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    std::ofstream m_out;
    std::deque<std::string> m_answers;
};

struct QuietStartup : StartupView {
    ScreenInfo screenInfo() override { return {}; }
    void currentBounds(WindowGeometry&, WindowGeometry&) override {}
    void applyState() override {}
    void showLoadingPanel(bool) override {}
    void showGlobalListLoading(bool) override {}
    void showGlobalListWindow() override {}
    void focusGlobalListButton() override {}
};

// What one program does, step by step.
void runScript(const std::string& programFolder, const std::string& script, Ui& ui,
               const std::string& control) {
    ProgramState program;
    program.programFolder = programFolder;
    CollectionState form1{program.drives};
    QuietStartup view;
    GlobalList& table = program.globalList.table;
    for (const std::string& step : split(script, ';')) {
        const std::size_t colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string arg = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (verb == "open") {
            openingSequence(program, form1, ui, view);
        } else if (verb == "add") {
            for (int i = 0; i < std::stoi(arg); ++i)
                table.appendRow({"", "NOUVEAU", "vidéo", "ajout " + std::to_string(i), ".avi",
                                 "2020-01-01 10:00", ":\\films", "700 Mo", "E", "USB", "9999ABCD", "1,00 Go",
                                 "2,00 Go", ""});
            table.ListModified = true;
            af_nb_media_bd(program);
        } else if (verb == "delete") {
            table.removeRows({1});
            table.ListModified = true;
            af_nb_media_bd(program);
        } else if (verb == "save") {
            Button_enregistrer_listeClick(program, ui);
        } else if (verb == "quit") {
            Button_exitClick(program, ui, QuitSender::Button, 0);
        } else if (verb == "signal") {
            std::ofstream(joinPath(control, arg)) << "1";
        } else if (verb == "wait") {
            if (!waitForFile(joinPath(control, arg))) std::_Exit(3);
        } else if (verb == "hold") {
            // Until the test kills it.
            for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }
}

std::string selfPath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// One program running: this binary again, in the child's part below.
class Program {
public:
    explicit Program(const std::map<std::string, std::string>& settings) {
        std::fflush(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const auto& [name, value] : settings) ::setenv(name.c_str(), value.c_str(), 1);
            const std::string self = selfPath();
            ::execl(self.c_str(), self.c_str(), "--gtest_filter=TwoProgramsChild.DISABLED_Run",
                    "--gtest_also_run_disabled_tests", "--gtest_color=no", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0 && !m_done) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // The exit status, or -1 when it did not end in time.
    int wait() {
        const auto until = std::chrono::steady_clock::now() + kPatience;
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_done = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // Gone the way a crash or a power cut takes it, its lock left behind; reaped, so that its
    // process id is no longer alive.
    void kill() {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_done = true;
    }
    long pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_done = false;
};

// A shared list folder and the program folders of the two programs, each with its settings
// naming the list folder by its own path.
class TwoPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        shared = dir.file("partage");
        control = dir.file("signaux");
        for (const std::string& f : {shared, control}) platform::createFolders(f);
        std::string text = "n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille\tdrive\ttype-disque"
                           "\tNS-disque\tlibre\ttotal\t x\r\n";
        for (const char* t : {"a", "b", "c"})
            text += std::string(ProgramFixture::row("", "FILMS", t)) + "\r\n";
        dir.write("partage/liste_globale_médias.txt", cp1252::encode(text));
    }
    // A program folder whose settings open the list of `listFolder` in basic mode (loaded at
    // start without a question).
    std::string programFolder(const std::string& name, const std::string& listFolder) {
        const std::string folder = dir.file(name);
        platform::createFolders(folder);
        dir.write(name + "/verdan.ini",
                  "[GENERAL]\r\nLabel_repfic_media.caption=" + cp1252::encode(listFolder) +
                      "\r\n[Options]\r\nCheckBox_mode_avancer=0\r\n");
        return folder;
    }
    std::map<std::string, std::string> run(const std::string& folder, const std::string& script,
                                           const std::string& answers, const std::string& transcript) {
        return {{"VERDAN_TWO_PROGRAM_FOLDER", folder},
                {"VERDAN_TWO_SCRIPT", script},
                {"VERDAN_TWO_ANSWERS", answers},
                {"VERDAN_TWO_TRANSCRIPT", dir.file(transcript)},
                {"VERDAN_TWO_CONTROL", control}};
    }
    std::vector<std::string> transcript(const std::string& name) const {
        std::vector<std::string> texts;
        std::string text = TempFolder::read(dir.file(name));
        std::size_t start = 0;
        for (std::size_t end; (end = text.find(kRecordEnd, start)) != std::string::npos; start = end + 1)
            texts.push_back(text.substr(start, end - start));
        return texts;
    }
    std::vector<std::string> titlesIn(const std::string& listFile) const {
        GlobalList read;
        FakeUi quiet;
        lire_liste(read, listFile, ListMode::Replace, quiet, dir.path());
        std::vector<std::string> t;
        for (std::size_t r = 1; r < read.rowCount(); ++r) t.emplace_back(read.cell(r, 3));
        return t;
    }
    static bool holds(const std::vector<std::string>& texts, const std::string& wanted) {
        return std::find(texts.begin(), texts.end(), wanted) != texts.end();
    }
    // Who holds the list, as the other program's texts name it (its time aside).
    static std::string heldBy() {
        return platform::userName() + " sur " + platform::machineName() + " depuis ";
    }
    static bool startsWith(const std::string& text, const std::string& start) {
        return text.rfind(start, 0) == 0;
    }
    const std::string kHeldQuestion = "  La liste liste_globale_médias.txt est déjà ouverte par " + heldBy();

    // A holds the list; B finds it held, opens it read-only and cannot save; A is killed; the
    // next program takes the lock left behind and saves.
    void lockSeenThenTakenOverWhenItsProgramIsGone(const std::string& listFolderA,
                                                   const std::string& listFolderB) {
        const std::string folderA = programFolder("programme_a", listFolderA);
        const std::string folderB = programFolder("programme_b", listFolderB);
        const std::string listA = joinPath(listFolderA, "liste_globale_médias.txt");
        const std::string listB = joinPath(listFolderB, "liste_globale_médias.txt");
        const std::string before = TempFolder::read(listA);

        Program a(run(folderA, "open;signal:a-open;hold", "", "a.txt"));
        ASSERT_TRUE(waitForFile(joinPath(control, "a-open")));
        Program b(run(folderB, "open;add:1;save;quit", "yes,yes", "b.txt"));
        ASSERT_EQ(b.wait(), 0);
        const std::vector<std::string> seen = transcript("b.txt");
        ASSERT_EQ(seen.size(), 4u);
        EXPECT_TRUE(startsWith(seen[0], kHeldQuestion)) << seen[0];
        EXPECT_NE(TempFolder::read(lockFilePath(listA)).find("processus=" + std::to_string(a.pid())),
                  std::string::npos);
        // The save and the quit's offer to save both say so; nothing is written.
        EXPECT_TRUE(
            startsWith(seen[1], "  Liste ouverte en lecture seule : elle est ouverte par " + heldBy()))
            << seen[1];
        EXPECT_EQ(seen[2], seen[1]);
        EXPECT_EQ(seen[3], " Quitter ?");
        EXPECT_EQ(TempFolder::read(listA), before);

        a.kill();
        ASSERT_TRUE(platform::exists(lockFilePath(listA))); // left by the program killed
        Program c(run(folderB, "open;add:1;save;quit", "yes,yes", "c.txt"));
        ASSERT_EQ(c.wait(), 0);
        const std::vector<std::string> next = transcript("c.txt");
        ASSERT_EQ(next.size(), 3u) << next[0];
        EXPECT_EQ(next[1], "   Enregistrement effectué     ");
        EXPECT_EQ(titlesIn(listA), (std::vector<std::string>{"a", "b", "c", "ajout 0"}));
        EXPECT_FALSE(platform::exists(lockFilePath(listA)));
    }

    // A and B both have the list open (B took it over); B adds and saves; A, which deleted a row,
    // saves after it: A is asked about the lock, takes the list back, is asked about B's save and
    // cancels. B's rows stay.
    void secondSaveAsksInsteadOfOverwriting(const std::string& listFolderA, const std::string& listFolderB) {
        const std::string folderA = programFolder("programme_a", listFolderA);
        const std::string folderB = programFolder("programme_b", listFolderB);
        const std::string listA = joinPath(listFolderA, "liste_globale_médias.txt");

        Program a(run(folderA, "open;signal:a-open;wait:b-saved;delete;save;signal:a-done;quit",
                      "no,yes,three:2,no,yes", "a.txt"));
        ASSERT_TRUE(waitForFile(joinPath(control, "a-open")));
        Program b(run(folderB, "open;add:3;save;signal:b-saved;wait:a-done;quit", "no,yes,yes", "b.txt"));
        ASSERT_EQ(b.wait(), 0);
        ASSERT_EQ(a.wait(), 0);
        const std::vector<std::string> textsA = transcript("a.txt");
        const std::vector<std::string> textsB = transcript("b.txt");
        ASSERT_FALSE(textsB.empty());
        EXPECT_TRUE(startsWith(textsB[0], kHeldQuestion)) << textsB[0];
        EXPECT_TRUE(holds(textsB, "   Enregistrement effectué     "));
        ASSERT_GE(textsA.size(), 3u);
        EXPECT_TRUE(startsWith(textsA[0], kHeldQuestion)) << textsA[0];
        EXPECT_TRUE(holds(textsA, listChangedQuestion(listA, "Enregistrer quand même")));
        EXPECT_FALSE(holds(textsA, "   Enregistrement effectué     "));
        EXPECT_FALSE(holds(textsA, "UNEXPECTED QUESTION"));
        EXPECT_EQ(titlesIn(listA),
                  (std::vector<std::string>{"a", "b", "c", "ajout 0", "ajout 1", "ajout 2"}));
        EXPECT_FALSE(platform::exists(lockFilePath(listA)));
    }

    TempFolder dir;
    std::string shared;
    std::string control;
};

// The same list folder under a second path, as a share mounted on two computers: nothing may
// rest on the two programs spelling the path alike.
class SecondMount {
public:
    explicit SecondMount(const std::string& folder, const std::string& at) : m_at(at) {
        platform::createFolders(at);
        if (::mount(folder.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
            refuseMounting("bind mount of " + folder + " refused");
    }
    ~SecondMount() { ::umount2(m_at.c_str(), MNT_DETACH); }

private:
    std::string m_at;
};

} // namespace

TEST(TwoProgramsChild, DISABLED_Run) {
    const std::string folder = env("VERDAN_TWO_PROGRAM_FOLDER");
    if (folder.empty()) GTEST_SKIP() << "run by the TwoPrograms tests";
    ScriptedUi ui(env("VERDAN_TWO_TRANSCRIPT"), env("VERDAN_TWO_ANSWERS"));
    runScript(folder, env("VERDAN_TWO_SCRIPT"), ui, env("VERDAN_TWO_CONTROL"));
}

TEST_F(TwoPrograms, TheLockIsSeenAndTakenOverOnceItsProgramIsGone) {
    lockSeenThenTakenOverWhenItsProgramIsGone(shared, shared);
}

TEST_F(TwoPrograms, ASaveAfterTheOtherProgramSavedAsksInsteadOfOverwriting) {
    secondSaveAsksInsteadOfOverwriting(shared, shared);
}

TEST_F(TwoPrograms, OnASecondMountOfTheFolderTheLockIsSeenAndTakenOver) {
    VERDAN_IN_MOUNT_NAMESPACE();
    const SecondMount mount(shared, dir.file("autre_chemin"));
    lockSeenThenTakenOverWhenItsProgramIsGone(shared, dir.file("autre_chemin"));
}

TEST_F(TwoPrograms, OnASecondMountOfTheFolderTheSecondSaveAsks) {
    VERDAN_IN_MOUNT_NAMESPACE();
    const SecondMount mount(shared, dir.file("autre_chemin"));
    secondSaveAsksInsteadOfOverwriting(shared, dir.file("autre_chemin"));
}
