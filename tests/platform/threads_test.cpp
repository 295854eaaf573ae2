#include <gtest/gtest.h>

#include "browse/sort.h"
#include "catalogue/list_file.h"
#include "catalogue/list_load.h"
#include "platform/threads.h"
#include "support/fake_ui.h"
#include "support/refused_threads.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

#include <atomic>
#include <cstdio>
#include <system_error>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace verdan;
using verdan::test::RefusedThreads;
using verdan::test::TempFolder;

namespace {
bool starts() {
    try {
        std::atomic<bool> ran{false};
        platform::startThread([&ran] { ran = true; }).join();
        return ran;
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::resource_unavailable_try_again);
        return false;
    }
}
} // namespace

TEST(ThreadStarts, TheHookRefusesTheStartsItIsToldToAndNoOthers) {
    {
        RefusedThreads refused(2, 1);
        EXPECT_EQ((std::vector<bool>{starts(), starts(), starts(), starts()}),
                  (std::vector<bool>{true, false, false, true}));
    }
    RefusedThreads refused(1);
    platform::faults::failThreadStarts(0);
    EXPECT_TRUE(starts()) << "0 turns it off";
}

#ifndef _WIN32
// What the hook stands for, on a real system: a user allowed no more processes gets no thread
// (as does a process without the address space for a stack). The list still loads, sorts and saves.
TEST(ThreadStarts, ASystemThatGivesNoThreadStillLoadsSortsAndSavesEveryRow) {
    TempFolder folder;
    std::string bytes =
        "n\tnom-disque\tm\xE9"
        "dia\ttitre\text\tdate\tr\xE9pertoire\ttaille\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x\r\n";
    int rows = 0;
    for (; bytes.size() < (3 << 20); ++rows)
        bytes += std::to_string(rows) + "\tDISQUE" + std::to_string(rows % 7) + "\tvid\xE9o\ttitre " +
                 std::to_string((rows * 7919) % 30011) +
                 "\t.avi\t2020-01-02 03:04\t:\\films\t700 Mo\tE\tUSB\t1234ABC" + std::to_string(rows % 7) +
                 "\t1 Go\t2 Go\t\r\n";
    const std::string path = folder.write("liste.txt", bytes);
    test::asUnprivileged({folder.path()}, [&] {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const rlimit none{0, 0};
            if (::setrlimit(RLIMIT_NPROC, &none) != 0) ::_exit(3);
            int code = 0;
            try {
                if (starts()) ::_exit(4);
                test::FakeUi ui;
                GlobalListState state;
                loadIndexedList(state, path, 1, false, true, ui, folder.path());
                ecrire_liste(state.table, folder.file("copie.txt"));
                if (TempFolder::read(folder.file("copie.txt")) != bytes) code = 1;
                platform::SortKeyMaker keys{"fr_FR"};
                trier_grille(state.table, 3, true, keys);
                ecrire_liste(state.table, folder.file("triée.txt"));
                if (state.table.rowCount() != static_cast<std::size_t>(rows) + 1 ||
                    listFileMediaCount(folder.file("triée.txt")) != rows)
                    code = 1;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "uncaught: %s\n", e.what());
                code = 2;
            }
            std::fflush(nullptr);
            ::_exit(code);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
        if (WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 4)
            GTEST_SKIP() << "this system lets the process limit be lowered but still gives threads, or "
                            "refuses the limit";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: rows lost, 2: an exception escaped (see above)";
    });
}
#endif
