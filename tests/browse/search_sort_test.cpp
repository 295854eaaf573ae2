#include <gtest/gtest.h>

#include "browse/marks.h"
#include "browse/search.h"
#include "browse/sort.h"
#include "browse_fixture.h"
#include "catalogue/list_file.h"
#include "support/refused_threads.h"

#include <random>

using namespace verdan;
using namespace verdan::test;

using Titles = std::vector<std::string>;

class Search : public ::testing::Test, public BrowseFixture {
protected:
    Search() {
        Media m;
        m.title = "Alien";
        add(m); // row 1
        m.title = "Élodie au château";
        m.ext = ".AVI";
        add(m); // row 2
        m.title = "élodie";
        m.ext = ".mkv";
        m.disk = "ZEBRE";
        m.serial = "CAFE0001";
        add(m); // row 3
        m.title = "Concert";
        m.ext = ".mp3";
        m.media = "musique";
        m.folder = ":\\musique\\ jazz";
        add(m); // row 4
    }
    // As the search tests each row, with the text prepared once for the table.
    bool rowMatches(std::string_view text, std::size_t row) {
        return RowMatcher(list(), text).matches(list(), row);
    }
};

TEST_F(Search, LowerCasesOnlyAToZ) {
    EXPECT_TRUE(rowMatches("AVI", 1));     // .avi
    EXPECT_TRUE(rowMatches("avi", 2));     // .AVI
    EXPECT_FALSE(rowMatches("élodie", 2)); // É is not é
    EXPECT_TRUE(rowMatches("ÉLODIE", 2));
    EXPECT_FALSE(rowMatches("ÉLODIE", 3));
    EXPECT_TRUE(rowMatches("élodie", 3));
    EXPECT_FALSE(rowMatches("CHÂTEAU", 2)); // Â stays Â
    EXPECT_TRUE(rowMatches("CHâTEAU", 2));
}

TEST_F(Search, LooksFromMediaToSizeOnly) {
    // "nom-disque" and "NS-disque" lie outside the searched columns.
    EXPECT_FALSE(rowMatches("zebre", 3));
    EXPECT_FALSE(rowMatches("cafe0001", 3));
    EXPECT_TRUE(rowMatches("musique", 4));    // "média"
    EXPECT_TRUE(rowMatches("700 mo", 4));     // "taille"
    EXPECT_TRUE(rowMatches("2020-01-01", 4)); // "date"
    EXPECT_FALSE(rowMatches("1,00 go", 4));   // "libre"
}

TEST_F(Search, NeverMatchesAcrossTwoCells) {
    // "Alien" then ".avi": the text joining two cells is not in either.
    EXPECT_FALSE(rowMatches("alien.avi", 1));
    EXPECT_FALSE(rowMatches("alien\t.avi", 1));
    EXPECT_FALSE(rowMatches("", 1));
}

TEST_F(Search, FollowsTheColumnsByHeaderText) {
    list().setCell(0, 2, "média >>");
    EXPECT_FALSE(rowMatches("VIDÉO", 1)); // É stays as typed
    EXPECT_TRUE(rowMatches("vidéo", 1));
    list().setCell(0, 7, "poids");
    EXPECT_FALSE(rowMatches("vidéo", 1)); // no "taille": nothing is searched
}

TEST_F(Search, ResultHoldsTheMatchingRowsInOrder) {
    ASSERT_TRUE(Button_rechercherClick(program, browse, "élodie"));
    EXPECT_TRUE(browse.filterShown);
    EXPECT_EQ(browse.searchText, "élodie");
    EXPECT_EQ(titles(browse.filter), (Titles{"élodie"}));
    ASSERT_TRUE(Button_rechercherClick(program, browse, "a"));
    EXPECT_EQ(titles(browse.filter), (Titles{"Alien", "Élodie au château", "Concert"}));
    for (int c = 0; c < kListColumns; ++c) EXPECT_EQ(browse.filter.cell(0, c), list().cell(0, c));
    // The result's header and marks are its own; the list's cells stay as they are.
    browse.filter.setCell(0, 3, "autre");
    browse.filter.setCell(1, 3, "autre");
    browse.filter.setCell(1, 13, " x");
    EXPECT_EQ(list().cell(0, 3), "titre");
    EXPECT_EQ(list().cell(1, 3), "Alien");
    EXPECT_EQ(list().cell(1, 13), "");
    EXPECT_EQ(browse.filter.cell(1, 3), "Alien");
    EXPECT_EQ(browse.filter.cell(1, 13), " x");
    // The search ends: the result goes with it.
    Button_init_filtreClick(browse);
    EXPECT_EQ(browse.filter.rowCount(), 1u);
}

TEST_F(Search, NoMatchShowsTheHeaderAlone) {
    ASSERT_TRUE(Button_rechercherClick(program, browse, "introuvable"));
    EXPECT_TRUE(browse.filterShown);
    EXPECT_EQ(browse.filter.rowCount(), 1u);
}

TEST_F(Search, BlanksCountAndBlankTextsDoNothing) {
    EXPECT_FALSE(Button_rechercherClick(program, browse, "   "));
    EXPECT_FALSE(browse.filterShown);
    ASSERT_TRUE(Button_rechercherClick(program, browse, " jazz"));
    EXPECT_EQ(titles(browse.filter), (Titles{"Concert"}));
    ASSERT_TRUE(Button_rechercherClick(program, browse, " alien"));
    EXPECT_EQ(browse.filter.rowCount(), 1u);
}

TEST_F(Search, EnterSearchesOrEndsTheSearch) {
    Edit1Enter(program, browse, "concert");
    EXPECT_TRUE(browse.filterShown);
    EXPECT_EQ(titles(browse.filter), (Titles{"Concert"}));
    Edit1Enter(program, browse, "  ");
    EXPECT_FALSE(browse.filterShown);
    EXPECT_EQ(browse.searchText, "");
    Edit1Enter(program, browse, "alien");
    Button_init_filtreClick(browse);
    EXPECT_FALSE(browse.filterShown);
    EXPECT_EQ(browse.searchText, "");
}

TEST_F(Search, FindsTextAtEitherEndOfTheSpan) {
    Media m;
    m.media = "Zzz";
    m.size = "12 Ko";
    const std::size_t r = add(m);
    EXPECT_TRUE(rowMatches("zzz", r));
    EXPECT_TRUE(rowMatches("12 ko", r));
    EXPECT_FALSE(rowMatches("12 ko\t", r));
}

// The scan that looks at sixteen places at a time against the plain definition: lower-cased A to Z,
// found inside one cell from "média" to "taille". The bytes that differ only by 0x20 outside A to Z
// ('@' and '`', '[' and '{', Windows-1252's accents in UTF-8), places near either end of a long row
// and a needle longer than the sixteen bytes are where such a scan goes wrong.
TEST_F(Search, TheWideScanFindsWhatThePlainDefinitionFinds) {
    const std::string alphabet[] = {"a", "A", "b", "B", "@", "`", "[", "{",
                                    " ", "é", "É", "z", "Z", "0", "p"};
    std::mt19937 random(16);
    const auto text = [&](std::size_t length) {
        std::string t;
        while (t.size() < length) t += alphabet[random() % std::size(alphabet)];
        return t;
    };
    const auto lower = [](std::string t) {
        for (char& c : t)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return t;
    };
    for (int i = 0; i < 400; ++i) {
        Media m;
        m.media = text(random() % 3);
        m.title = text(random() % 70);
        m.folder = text(random() % 40);
        m.size = text(random() % 20);
        m.disk = text(5);
        const std::size_t r = add(m);
        const std::vector<std::string> cells = {m.media, m.title, m.ext, m.date, m.folder, m.size};
        for (int n = 0; n < 30; ++n) {
            // Mostly pieces of the row itself, so that matches are many and lie anywhere.
            const std::string& cell = cells[random() % cells.size()];
            std::string needle = text(1 + random() % 3);
            if (random() % 4 != 0 && !cell.empty()) {
                const std::size_t at = random() % cell.size();
                needle = cell.substr(at, 1 + random() % 24);
                for (char& c : needle)
                    if (random() % 2 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            }
            bool expected = false;
            for (const std::string& c : cells) expected |= lower(c).find(lower(needle)) != std::string::npos;
            ASSERT_EQ(rowMatches(needle, r), expected) << "row " << list().rowText(r) << " needle " << needle;
        }
    }
}

class Sorting : public ::testing::Test, public BrowseFixture {
protected:
    platform::SortKeyMaker keys{"fr_FR"};
    void headerDoubleClick(Grid grid, const std::string& header) {
        sortOnHeader(program, browse, ui, grid, gridTable(program, browse, grid).indice_col_liste(header),
                     keys);
    }
    // A copy of the list sorted by "titre" gives `expected` (the "taille" cells) and `same`, with
    // every thread asked for given, then with the keys', the sort's, the merge's or the groups'
    // thread refused, once or from there on.
    void expectSortedWhateverThreadsAreRefused(bool ascending, const std::vector<std::string>& expected,
                                               const std::vector<bool>& same) {
        const auto sortedCopy = [&](long long refusals, long long after) {
            GlobalList copy;
            std::vector<std::size_t> all;
            for (std::size_t r = 1; r < list().rowCount(); ++r) all.push_back(r);
            copy.assignRowsFrom(list(), all);
            SortRuns runs;
            {
                RefusedThreads refused(refusals, after);
                trier_grille(copy, 3, ascending, keys, &runs);
            }
            EXPECT_EQ(column(copy, "taille"), expected);
            EXPECT_EQ(runs.sameKeyAsAbove, same);
        };
        sortedCopy(0, 0);
        for (long long after = 0; after < 4; ++after) {
            for (long long count : {1LL, kEveryStart}) {
                SCOPED_TRACE("refused after " + std::to_string(after) + " starts: " + std::to_string(count));
                sortedCopy(count, after);
            }
        }
    }
};

TEST_F(Sorting, OrdersAsTheLocaleWithoutRegardToCase) {
    for (const char* t : {"zèbre", "Été", "abeille", "Ecole", "été", "Zoé", "école", "ÉCOLE"}) addTitle(t);
    trier_grille(list(), 3, true, keys);
    // Accents come after the plain letter; equal texts but for case keep their order.
    EXPECT_EQ(titles(), (Titles{"abeille", "Ecole", "école", "ÉCOLE", "Été", "été", "zèbre", "Zoé"}));
    trier_grille(list(), 3, false, keys);
    EXPECT_EQ(titles(), (Titles{"Zoé", "zèbre", "Été", "été", "école", "ÉCOLE", "Ecole", "abeille"}));
}

TEST_F(Sorting, SizesAndNumbersSortAsTexts) {
    for (const char* s : {"9 Mo", "10 Mo", "700 Ko", "1,5 Go"}) {
        Media m;
        m.size = s;
        add(m);
    }
    trier_grille(list(), list().indice_col_liste("taille"), true, keys);
    EXPECT_EQ(column(list(), "taille"), (Titles{"1,5 Go", "10 Mo", "700 Ko", "9 Mo"}));
}

TEST_F(Sorting, HeaderClicksAlternateAndMarkTheHeader) {
    for (const char* t : {"b", "a", "c"}) addTitle(t);
    list().ListModified = false;
    reindex();
    const std::size_t keysBefore = program.globalList.keys.size();

    headerDoubleClick(Grid::Full, "titre");
    EXPECT_EQ(list().cell(0, 3), "titre >>");
    EXPECT_EQ(titles(), (Titles{"c", "b", "a"}));
    headerDoubleClick(Grid::Full, "titre");
    EXPECT_EQ(list().cell(0, 3), "titre <<");
    EXPECT_EQ(titles(), (Titles{"a", "b", "c"}));

    headerDoubleClick(Grid::Full, "taille");
    EXPECT_EQ(list().cell(0, 7), "taille >>");
    EXPECT_EQ(list().cell(0, 3), "titre"); // the earlier marker is gone
    EXPECT_FALSE(list().ListModified);
    EXPECT_EQ(program.globalList.keys.size(), keysBefore);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST_F(Sorting, TheResultTableSortsItselfAndClearsTheFullTableMarker) {
    for (const char* t : {"b x", "a", "c", "a x"}) addTitle(t);
    headerDoubleClick(Grid::Full, "titre");
    ASSERT_EQ(titles(), (Titles{"c", "b x", "a x", "a"}));
    ASSERT_TRUE(Button_rechercherClick(program, browse, "x"));
    EXPECT_EQ(browse.filter.cell(0, 3), "titre >>"); // copied with the header
    EXPECT_EQ(titles(browse.filter), (Titles{"b x", "a x"}));
    // The same column again: the shared state flips to ascending.
    headerDoubleClick(Grid::Filter, "titre");
    EXPECT_EQ(browse.filter.cell(0, 3), "titre <<");
    EXPECT_EQ(titles(browse.filter), (Titles{"a x", "b x"}));
    EXPECT_EQ(list().cell(0, 3), "titre");
    EXPECT_EQ(titles(), (Titles{"c", "b x", "a x", "a"}));
}

TEST_F(Sorting, TheBlankRowOfAnEmptyListStays) {
    headerDoubleClick(Grid::Full, "titre");
    EXPECT_EQ(list().rowCount(), 2u);
    EXPECT_EQ(list().cell(0, 3), "titre >>");
}

TEST_F(Sorting, ManyRowsTakeTheThreadedPathAndStayStable) {
    // Enough rows for the keys to be made on two threads; the titles repeat so that ties occur.
    const char* words[] = {"Été", "ete", "Ami", "zoo", "Œuf", "oeuf", "ÉTÉ", "abc"};
    for (int i = 0; i < 30000; ++i) {
        Media m;
        m.title = words[i % 8];
        m.size = std::to_string(i);
        add(m);
    }
    trier_grille(list(), 3, true, keys);
    const int title = 3, size = 7;
    for (std::size_t r = 2; r < list().rowCount(); ++r) {
        std::string a, b;
        keys.appendKey(list().cell(r - 1, title), a);
        keys.appendKey(list().cell(r, title), b);
        ASSERT_LE(a, b) << r;
        if (a == b) {
            ASSERT_LT(std::stoi(std::string(list().cell(r - 1, size))),
                      std::stoi(std::string(list().cell(r, size))))
                << r;
        }
    }
}

// The order a plain stable sort of the whole keys gives, as the rows' "taille" cells (their
// original numbers).
std::vector<std::string> referenceOrder(const std::vector<std::string>& texts,
                                        const std::vector<std::string>& ids, bool ascending,
                                        platform::SortKeyMaker& keys,
                                        std::vector<bool>* sameKeyAsAbove = nullptr) {
    std::vector<std::string> sortKeys(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) keys.appendKey(texts[i], sortKeys[i]);
    std::vector<std::size_t> index(texts.size());
    for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
    std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? sortKeys[a] < sortKeys[b] : sortKeys[b] < sortKeys[a];
    });
    std::vector<std::string> out;
    for (std::size_t k = 0; k < index.size(); ++k) {
        out.push_back(ids[index[k]]);
        if (sameKeyAsAbove && k > 0) sameKeyAsAbove->push_back(sortKeys[index[k]] == sortKeys[index[k - 1]]);
        if (sameKeyAsAbove && k == 0) sameKeyAsAbove->push_back(false);
    }
    return out;
}

TEST_F(Sorting, LongTitlesThatShareTheirStartSortByTheirWholeKey) {
    // Titles alike for far longer than the keys' first bytes, ending in every way: later letters,
    // accents, case alone, one the start of another, and exact repeats; both cores at work.
    const std::string start = "Les aventures extraordinaires de ";
    const char* ends[] = {
        "",       "Tintin", "tintin", "Tintín", "Tintin au Tibet",  "Tintin au tibet", "Œdipe",
        "oedipe", "A",      "é",      "e",      "Tintin au Tibet 2"};
    std::vector<std::string> texts, ids;
    for (int i = 0; i < 24000; ++i) {
        Media m;
        m.title = (i % 5 == 0 ? std::string("Les aventures") : start) + ends[(i * 7) % 12];
        m.size = std::to_string(i);
        add(m);
        texts.push_back(m.title);
        ids.push_back(m.size);
    }
    for (bool ascending : {true, false}) {
        std::vector<bool> same;
        const std::vector<std::string> expected = referenceOrder(texts, ids, ascending, keys, &same);
        GlobalList copy;
        std::vector<std::size_t> all;
        for (std::size_t r = 1; r < list().rowCount(); ++r) all.push_back(r);
        copy.assignRowsFrom(list(), all);
        SortRuns runs;
        trier_grille(copy, 3, ascending, keys, &runs);
        EXPECT_EQ(column(copy, "taille"), expected);
        EXPECT_EQ(runs.sameKeyAsAbove, same);
    }
}

TEST_F(Sorting, WithoutASecondThreadBothHalvesAreSortedHere) {
    const char* words[] = {"Été", "ete", "Ami", "zoo", "Œuf", "oeuf", "ÉTÉ", "abc"};
    std::vector<std::string> texts, ids;
    for (int i = 0; i < 24000; ++i) {
        Media m;
        m.title = words[(i * 7) % 8];
        m.size = std::to_string(i);
        add(m);
        texts.push_back(m.title);
        ids.push_back(m.size);
    }
    std::vector<bool> same;
    const std::vector<std::string> expected = referenceOrder(texts, ids, true, keys, &same);
    expectSortedWhateverThreadsAreRefused(true, expected, same);
}

// Most titles unlike the others, a few alike far past the keys' first bytes, in small groups that
// end in every way (later letters, an accent, case alone, one the start of another, a repeat): the
// large sort orders those groups from their whole keys, wherever the halves and the threads cut.
TEST_F(Sorting, SmallGroupsOfLongAlikeTitlesSortByTheirWholeKeys) {
    const char* ends[] = {"", "Tintin", "tintin", "Tintín", "Tintin au Tibet", "é", "e", "A"};
    const std::vector<std::string> letters = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k",
                                              "l", "m", "n", "o", "p", "q", "r", "s", "t", "u", "v",
                                              "w", "x", "y", "z", "é", "è", "à", "ç", " ", "E", "-"};
    std::mt19937 random(27);
    std::vector<std::string> texts, ids;
    for (int i = 0; i < 24000; ++i) {
        Media m;
        if (i % 20 == 0) {
            m.title = "Les aventures extraordinaires, tome " + std::to_string(i / 80 % 150) + ", " +
                      ends[random() % std::size(ends)];
        } else {
            for (std::size_t c = 0, n = 12 + random() % 40; c < n; ++c)
                m.title += letters[random() % letters.size()];
        }
        m.size = std::to_string(i);
        add(m);
        texts.push_back(m.title);
        ids.push_back(m.size);
    }
    for (bool ascending : {true, false}) {
        std::vector<bool> same;
        const std::vector<std::string> expected = referenceOrder(texts, ids, ascending, keys, &same);
        expectSortedWhateverThreadsAreRefused(ascending, expected, same);
    }
}

TEST_F(Sorting, ALargeResultSortsItsOwnRowsAndTheirMarks) {
    std::vector<std::string> texts, ids;
    const char* words[] = {"Été indien", "ete indien", "Ami",          "zoo",
                           "Œuf dur",    "oeuf dur",   "ÉTÉ INDIEN x", "abc"};
    for (int i = 0; i < 30000; ++i) {
        Media m;
        m.title = words[(i * 5) % 8];
        m.size = std::to_string(i);
        m.ext = i % 3 == 0 ? ".found" : ".avi";
        add(m);
        if (i % 3 == 0) {
            texts.push_back(m.title);
            ids.push_back(m.size);
        }
    }
    ASSERT_TRUE(Button_rechercherClick(program, browse, "found"));
    ASSERT_EQ(browse.filter.rowCount() - 1, texts.size());
    browse.filter.setCell(7, 13, kMark); // the result's own mark on one row
    const std::string markedId(browse.filter.cell(7, 7));
    headerDoubleClick(Grid::Filter, "titre");
    EXPECT_EQ(column(browse.filter, "taille"), referenceOrder(texts, ids, false, keys));
    EXPECT_EQ(browse.filter.countCells(13, kMark), 1u);
    for (std::size_t r = 1; r < browse.filter.rowCount(); ++r) {
        if (browse.filter.cell(r, 13) == kMark) {
            EXPECT_EQ(browse.filter.cell(r, 7), markedId);
        }
    }
    EXPECT_EQ(list().cell(1, 7), "0") << "the list keeps its order";
}

// A sorted table must behave in every way as a table whose rows were read in that order: its
// marks, edits, deletions and saves must give the same rows and the same file.
TEST_F(Sorting, ALargeSortedTableActsAsOneReadInItsOrder) {
    // Long rows, so that the table is large enough to be rewritten by slices.
    const std::string folder = ":\\films\\" + std::string(200, 'd');
    const char* words[] = {"Zorro", "été", "Alpha", "Été", "beta", "Œil", "oeil"};
    for (int i = 0; i < 40000; ++i) {
        Media m;
        m.title = std::string(words[(i * 3) % 7]) + " " + std::to_string(i % 1000);
        m.disk = "DISK" + std::to_string(i % 5);
        m.serial = "000" + std::to_string(i % 5);
        m.folder = folder;
        m.size = std::to_string(i);
        add(m);
    }
    headerDoubleClick(Grid::Full, "titre");
    // Rewritten rows keep room for a mark: marking them all moves none.
    const std::size_t bytes = list().memoryUsage();
    SetAllMarks(list(), kMark);
    EXPECT_EQ(list().memoryUsage(), bytes);
    SetAllMarks(list(), "");
    headerDoubleClick(Grid::Full, "titre"); // the same column again: only the order turns
    GlobalList read;
    std::vector<std::size_t> all;
    for (std::size_t r = 1; r < list().rowCount(); ++r) all.push_back(r);
    read.assignRowsFrom(list(), all);

    for (GlobalList* t : {&list(), &read}) {
        for (std::size_t r = 1; r < t->rowCount(); r += 3) t->setCell(r, 13, kMark);
        t->setCell(17, 3, "un titre bien plus long que tous les autres, qui ne tient plus en place");
        std::vector<bool> keep(t->rowCount(), true);
        for (std::size_t r = 1; r < t->rowCount(); ++r) keep[r] = t->cell(r, 1) != "DISK2" && r % 11 != 0;
        t->keepRows(keep);
        t->setColumn(13, kMark, 100, 5000);
        t->removeRows({1, 2, t->rowCount() - 1});
    }
    ASSERT_EQ(read.rowCount(), list().rowCount());
    for (std::size_t r = 0; r < read.rowCount(); ++r) ASSERT_EQ(list().rowText(r), read.rowText(r)) << r;
    ecrire_liste(list(), dir.file("sorted.txt"));
    ecrire_liste(read, dir.file("read.txt"));
    EXPECT_EQ(TempFolder::read(dir.file("sorted.txt")), TempFolder::read(dir.file("read.txt")));
}

// Sorting the same column again only turns the order round: it must give what a fresh sort of the
// table as it stands gives, ties included, and a change of the column's cells or of the rows must
// bring the keys back into play.
class SortingAgain : public Sorting {
protected:
    SortingAgain() {
        const char* words[] = {"Été", "ete", "Ami", "zoo", "Œuf", "oeuf", "ÉTÉ", "abc", "été"};
        for (int i = 0; i < 25000; ++i) {
            Media m;
            m.title = words[(i * 7) % 9];
            m.size = std::to_string(i);
            add(m);
        }
    }
    std::vector<std::string> rowsOf(const GlobalList& t) const {
        std::vector<std::string> rows;
        for (std::size_t r = 1; r < t.rowCount(); ++r) rows.emplace_back(t.rowText(r));
        return rows;
    }
    // The table as a sort without memory orders it now, the table itself untouched.
    std::vector<std::string> freshSort(int column, bool ascending) {
        std::vector<std::size_t> all;
        for (std::size_t r = 1; r < list().rowCount(); ++r) all.push_back(r);
        GlobalList copy;
        copy.assignRowsFrom(list(), all);
        trier_grille(copy, column, ascending, keys);
        return rowsOf(copy);
    }
    void sortBoth(int column, bool ascending) {
        const std::vector<std::string> expected = freshSort(column, ascending);
        trier_grille(list(), column, ascending, keys, &browse.sortRuns);
        ASSERT_EQ(rowsOf(list()), expected);
    }
};

TEST_F(SortingAgain, EachDirectionInTurnEqualsAFreshSort) {
    sortBoth(3, true);
    sortBoth(3, false);
    EXPECT_EQ(browse.sortRuns.rowsStamp, list().rowsStamp()) << "the runs follow the table they turned";
    sortBoth(3, true);
    sortBoth(3, true); // already in that order
    sortBoth(3, false);
}

TEST_F(SortingAgain, MarksKeepTheRunsAndACellOrARowOfTheColumnDropsThem) {
    sortBoth(3, false);
    SetAllMarks(list(), kMark);
    sortBoth(3, true);
    EXPECT_EQ(browse.sortRuns.rowsStamp, list().rowsStamp());

    list().setCell(12345, 3, "Ami"); // now equal to the rows of another run
    sortBoth(3, false);
    list().setCell(2, 3, "zzz");
    sortBoth(3, true);
    EXPECT_EQ(list().cell(list().rowCount() - 1, 3), "zzz");

    list().removeRows({1, 2, 3});
    sortBoth(3, false);
    list().appendRow({"n", "FILMS", "vidéo", "Ami"});
    sortBoth(3, true);
    sortBoth(7, false); // another column: its own keys
    sortBoth(7, true);
}

TEST_F(SortingAgain, TheRunsOfOneTableDoNotServeAnother) {
    sortBoth(3, true); // runs recorded for the list
    std::vector<std::size_t> some;
    for (std::size_t r = 1; r < list().rowCount(); r += 3) some.push_back(r);
    GlobalList fresh, other;
    fresh.assignRowsFrom(list(), some);
    other.assignRowsFrom(list(), some);
    trier_grille(fresh, 3, false, keys);
    trier_grille(other, 3, false, keys, &browse.sortRuns);
    EXPECT_EQ(rowsOf(other), rowsOf(fresh));
}

TEST(SortKeys, OrderAsFrenchLettersIgnoringCase) {
    platform::SortKeyMaker keys("fr-FR");
    auto key = [&](std::string_view s) {
        std::string k;
        keys.appendKey(s, k);
        return k;
    };
    EXPECT_EQ(key("Paris"), key("PARIS"));
    EXPECT_LT(key("cote"), key("côte"));
    EXPECT_LT(key("côte"), key("coter"));
    EXPECT_LT(key("Zoé"), key("zoo")); // é is e at the first level
    EXPECT_LT(key(""), key("a"));
    EXPECT_FALSE(key("\xff").empty()); // malformed text still gets a key
}

TEST(SortKeys, LocaleNamesOfPosixSettings) {
    EXPECT_EQ(platform::collationLocaleOf("fr_FR.UTF-8"), "fr_FR");
    EXPECT_EQ(platform::collationLocaleOf("fr_FR@euro"), "fr_FR");
    EXPECT_EQ(platform::collationLocaleOf("C.UTF-8"), "");
    EXPECT_EQ(platform::collationLocaleOf("POSIX"), "");
}
