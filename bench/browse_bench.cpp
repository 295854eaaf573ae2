// Times the global-list window's search, a save, the sort by "titre" (then reversed), the search and
// the save again on the sorted rows, marking of every row with its count, and deletion of one disk's
// rows, on a loaded list; prints "name=value" lines for scripts/bench.
// Sorting follows the locale of the environment (LC_ALL, LC_COLLATE, LANG).
// Usage: verdan_browse_bench LIST_FILE WORK_FOLDER [SEARCH_TEXT]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "browse/deletion.h"
#include "browse/marks.h"
#include "browse/search.h"
#include "browse/sort.h"
#include "catalogue/list_file.h"
#include "support/answering_ui.h"
#include "util/error.h"

namespace {

using verdan::test::AnsweringUi;

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// User and system time of every thread of this process: on a busy machine it tells the work
// done from the wait for a core.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Among texts a user might look for, the one found in the number of rows nearest to 1%.
std::string textNearOnePercent(const verdan::GlobalList& list) {
    // Plain letters, so that grep -i, which folds every letter, finds the same rows.
    const char* candidates[] = {"tintin - ", "lagaffe - ", "gaston - ", "x264 - ",  "vostfr - ", "hdr - ",
                                "cd2 - ",    "multi - ",   "live - ",   "paris - ", "tintin",    "lagaffe"};
    const double wanted = static_cast<double>(list.mediaCount()) / 100;
    std::string best;
    double bestGap = 1e300;
    for (const char* text : candidates) {
        const verdan::RowMatcher matcher(list, text);
        std::size_t n = 0;
        for (std::size_t r = 1; r < list.rowCount(); ++r) n += matcher.matches(list, r) ? 1 : 0;
        const double gap = std::abs(static_cast<double>(n) - wanted);
        if (gap < bestGap) {
            bestGap = gap;
            best = text;
        }
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s LIST_FILE WORK_FOLDER [SEARCH_TEXT]\n", argv[0]);
        return 2;
    }
    try {
        AnsweringUi ui;
        verdan::ProgramState program;
        program.programFolder = argv[2];
        verdan::BrowseState browse;
        verdan::GlobalListState& f2 = program.globalList;
        verdan::lire_liste(f2.table, argv[1], verdan::ListMode::Replace, ui, argv[2]);
        verdan::indexer_liste(f2.table, f2.keys, program.catalogue.params.indexLevel, false, f2.index);
        verdan::extraire_hd_liste_globale(f2);
        std::printf("rows=%zu\n", f2.table.mediaCount());

        const std::string text = argc == 4 ? argv[3] : textNearOnePercent(f2.table);
        auto start = Clock::now();
        verdan::Button_rechercherClick(program, browse, text);
        std::printf("search_seconds=%.4f\nsearch_text=%s\nsearch_matches=%zu\n", since(start), text.c_str(),
                    browse.filter.rowCount() - 1);
        verdan::Button_init_filtreClick(browse);

        // As the header's double clicks sort: the first by its keys, the second reverses it.
        verdan::platform::SortKeyMaker keys;
        const int titre = f2.table.indice_col_liste("titre");
        double cpu = cpuSeconds();
        start = Clock::now();
        verdan::ecrire_liste(f2.table, std::string(argv[2]) + "/loaded_written.txt");
        std::printf("save_seconds=%.4f\nsave_cpu=%.4f\n", since(start), cpuSeconds() - cpu);

        cpu = cpuSeconds();
        start = Clock::now();
        verdan::trier_grille(f2.table, titre, true, keys, &browse.sortRuns);
        std::printf("sort_seconds=%.4f\nsort_cpu=%.4f\nsort_locale=%s\n", since(start), cpuSeconds() - cpu,
                    keys.locale().c_str());
        start = Clock::now();
        verdan::trier_grille(f2.table, titre, false, keys, &browse.sortRuns);
        std::printf("sort_again_seconds=%.4f\n", since(start));

        // Whole-table passes once the rows stand in their sorted order.
        start = Clock::now();
        verdan::Button_rechercherClick(program, browse, text);
        std::printf("sorted_search_seconds=%.4f\n", since(start));
        verdan::Button_init_filtreClick(browse);
        cpu = cpuSeconds();
        start = Clock::now();
        verdan::ecrire_liste(f2.table, std::string(argv[2]) + "/sorted_written.txt");
        std::printf("sorted_save_seconds=%.4f\nsorted_save_cpu=%.4f\n", since(start), cpuSeconds() - cpu);

        start = Clock::now();
        verdan::BitBtn_tout_cocherClick(program, browse);
        std::printf("marks_seconds=%.4f\nmarks_count=%s\n", since(start), browse.markCountCaption.c_str());

        // The first disk of the list: about 2% of the rows in the generated list.
        const std::size_t before = f2.table.mediaCount();
        verdan::ListBox_hd_referencerClick(program, browse, 0);
        const std::string entry = browse.chosenDiskCaption;
        const std::string entrySerial = entry.substr(entry.rfind('-') + 1);
        cpu = cpuSeconds();
        start = Clock::now();
        const std::size_t deleted = verdan::Button_effacer_liste_un_hdClick(program, browse, ui);
        std::printf(
            "delete_seconds=%.4f\ndelete_cpu=%.4f\ndelete_serial=%s\ndelete_rows=%zu\nrows_left=%zu\n",
            since(start), cpuSeconds() - cpu, entrySerial.c_str(), deleted, before - deleted);
    } catch (const verdan::VerdanError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
