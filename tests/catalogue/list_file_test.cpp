#include <gtest/gtest.h>

#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/fake_ui.h"
#include "support/refused_threads.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/file_helpers.h"

#include <filesystem>
#include <random>

using namespace verdan;
using verdan::test::FakeUi;
using verdan::test::TempFolder;

namespace {

std::string dataFile(const char* name) {
    return std::string(VERDAN_TEST_DATA) + "/" + name;
}

const std::string kHeader =
    "n\tnom-disque\tm\xE9"
    "dia\ttitre\text\tdate\tr\xE9pertoire\ttaille\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x";

// A data line of the list file (Windows-1252) with the given number and title.
std::string dataLine(const std::string& n, const std::string& title) {
    return n + "\tFILMS\tvid\xE9o\t" + title +
           "\t.avi\t2020-01-02 03:04\t:\\films\t700 Mo\tE\tUSB\t1234ABCD\t1 Go\t2 Go\t";
}

std::vector<std::string> standardHeaders() {
    return {kStandardHeaders.begin(), kStandardHeaders.end()};
}

class ListFileTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(program()); }
    void TearDown() override { platform::setWriteFailureAfter(-1); }

    std::string program() const { return folder.file("prog"); }
    std::string tmpCsv() const { return folder.file("prog/tmp.CSV"); }
    std::string write(const std::string& bytes, const std::string& name = "liste.txt") {
        return folder.write(name, bytes);
    }
    LoadResult load(const std::string& path, ListMode mode = ListMode::Replace) {
        return lire_liste(table, path, mode, ui, program());
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> v;
        for (std::size_t r = 1; r < table.rowCount(); ++r) v.emplace_back(table.cell(r, 3));
        return v;
    }

    TempFolder folder;
    FakeUi ui;
    GlobalList table;
};

} // namespace

// --- Reading -------------------------------------------------------------------------------

using ListReading = ListFileTest;

TEST_F(ListReading, HeaderOnlyGivesTheEmptyList) {
    EXPECT_EQ(load(write(kHeader + "\r\n")), LoadResult::Loaded);
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.rowCells(0), standardHeaders());
    EXPECT_TRUE(table.isEmptyRow(1));
    EXPECT_EQ(table.mediaCount(), 0u);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ListReading, BlankLinesVanishWhereverTheyStand) {
    load(write("\r\n \t \r\n" + kHeader + "\r\n\r\n" + dataLine("1", "a") + "\r\n\t\t\t\r\n   \r\n" +
               dataLine("2", "b") + "\r\n\r\n"));
    EXPECT_EQ(table.cell(0, 0), "n") << "the header comes from the first non-blank line";
    EXPECT_EQ(titles(), (std::vector<std::string>{"a", "b"}));
    const std::string csv = TempFolder::read(tmpCsv());
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3) << "only the kept lines reach tmp.CSV";
    EXPECT_EQ(csv.substr(0, 4), "\"n\";");
}

TEST_F(ListReading, ReplaceLeavesNothingOfThePreviousList) {
    for (int i = 0; i < 100; ++i)
        table.appendRow({"x", "y", "z", "long previous row", "a", "b", "c", "d", "e"});
    table.ListModified = true;
    load(write(kHeader + "\r\n" + dataLine("1", "a") + "\r\n2\tDISK\r\n"));
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.rowCells(2),
              (std::vector<std::string>{"2", "DISK", "", "", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_FALSE(table.ListModified);
    EXPECT_EQ(table.selectedRow(), 1u);
    const std::size_t r = table.appendBlankRow();
    EXPECT_TRUE(table.isEmptyRow(r));
}

TEST_F(ListReading, AccentsAreDecodedFromWindows1252) {
    load(write(kHeader + "\r\n" +
               dataLine("1", "No\xEBl \x80 \x9C"
                             "ur \x85") +
               "\r\n"));
    EXPECT_EQ(table.cell(1, 3), "Noël € œur …");
    EXPECT_EQ(table.cell(0, 2), "média");
    EXPECT_EQ(table.cell(1, 2), "vidéo");
}

TEST_F(ListReading, FieldsAfterTheFourteenthAreDroppedButKeptInTmpCsv) {
    std::string line = "1";
    for (int i = 2; i <= 40; ++i) line += "\tf" + std::to_string(i);
    load(write(kHeader + "\r\n" + line + "\r\n"));
    EXPECT_EQ(table.cell(1, 13), "f14");
    EXPECT_EQ(table.rowText(1).find("f15"), std::string_view::npos);
    const std::string csv = TempFolder::read(tmpCsv());
    EXPECT_NE(csv.find("\"f14\";\"f15\""), std::string::npos);
    EXPECT_NE(csv.find("\"f40\"\r\n"), std::string::npos);
}

TEST_F(ListReading, TmpCsvHoldsEveryKeptLineQuoted) {
    load(write("\r\n" + kHeader + "\n" + dataLine("1", "a") + "\r\n\r\n"));
    const std::string expected =
        "\"n\";\"nom-disque\";\"m\xE9"
        "dia\";\"titre\";\"ext\";\"date\";\"r\xE9pertoire\";"
        "\"taille\";\"drive\";\"type-disque\";\"NS-disque\";\"libre\";\"total\";\" x\"\r\n"
        "\"1\";\"FILMS\";\"vid\xE9o\";\"a\";\".avi\";\"2020-01-02 03:04\";\":\\films\";"
        "\"700 Mo\";\"E\";\"USB\";\"1234ABCD\";\"1 Go\";\"2 Go\";\"\"\r\n";
    EXPECT_EQ(TempFolder::read(tmpCsv()), expected);
}

TEST_F(ListReading, FieldsHoldingDoubleQuotesComeBackAsTheyWere) {
    const std::string tricky = "say \"\";\"hello\" \"";
    const std::string path = write(kHeader + "\r\n" + dataLine("1", tricky) + "\r\n");
    load(path);
    EXPECT_EQ(table.cell(1, 3), tricky);
    EXPECT_EQ(table.cell(1, 4), ".avi");
    ecrire_liste(table, folder.file("again.txt"));
    EXPECT_EQ(TempFolder::read(folder.file("again.txt")), TempFolder::read(path));
}

TEST_F(ListReading, LongLinesKeepTheirFirst4096Characters) {
    const std::string longTitle(5000 - 40, 'L');
    load(write(kHeader + "\r\n" + dataLine("1", longTitle) + "\r\n" + dataLine("2", "after") + "\r\n"));
    const std::size_t before = std::string("1\tFILMS\tvid\xE9o\t").size();
    EXPECT_EQ(table.cell(1, 3), std::string(4096 - before, 'L'));
    EXPECT_EQ(table.cell(1, 4), "");
    EXPECT_EQ(table.cell(2, 3), "after");
}

TEST_F(ListReading, ATenMegabyteLineCostsNoMoreThanItsHead) {
    std::string huge(10 * 1024 * 1024, 'z');
    huge[100] = '\t';
    load(write(kHeader + "\r\n" + huge + "\r" + dataLine("2", "next") + "\r\n"));
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.cell(1, 0).size(), 100u);
    EXPECT_EQ(table.cell(1, 1).size(), 4096u - 101u);
    EXPECT_EQ(table.cell(2, 3), "next") << "a CR alone after the huge line still ends it";
}

TEST_F(ListReading, CutLinesAreToldOnceWithTheirNumberAndStayCut) {
    const std::string exact = dataLine("2", std::string(4096 - dataLine("2", "").size(), 'E'));
    ASSERT_EQ(exact.size(), 4096u);
    const std::string path =
        write(kHeader + "\r\n" + dataLine("1", std::string(5000, 'L')) + "\r\n" + exact + "\n" +
              dataLine("3", std::string(3 << 20, 'M')) + "\r" + dataLine("4", "d"));
    load(path);
    ASSERT_EQ(table.rowCount(), 5u);
    EXPECT_EQ(table.rowText(2).size(), exact.size() + 1) << "a line of exactly 4096 characters loses nothing";
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, "info");
    EXPECT_EQ(ui.shown[0].text,
              " 2 ligne(s) de plus de 4096 caractères ont été coupées à la lecture de \n\n " + path +
                  " \n\n La prochaine sauvegarde les enregistrera coupées. ");

    // Saved and read again, nothing is longer any more; an appending that keeps nothing says nothing.
    ecrire_liste(table, path);
    ui.shown.clear();
    load(path);
    EXPECT_TRUE(ui.shown.empty());
    std::string other = kHeader + "\r\n" + dataLine("5", std::string(5000, 'x')) + "\r\n";
    other[0] = 'N';
    load(write(other, "autre.txt"), ListMode::Append);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.rfind(" entêtes différentes", 0), 0u);
}

TEST_F(ListReading, EveryKindOfLineEndGivesTheSameTable) {
    load(dataFile("cr_only.txt"));
    const std::size_t rows = table.rowCount();
    std::vector<std::vector<std::string>> crOnly;
    for (std::size_t r = 0; r < rows; ++r) crOnly.push_back(table.rowCells(r));
    EXPECT_EQ(rows, 4u);
    load(dataFile("mixed_line_ends.txt"));
    ASSERT_EQ(table.rowCount(), rows);
    for (std::size_t r = 0; r < rows; ++r) EXPECT_EQ(table.rowCells(r), crOnly[r]) << "row " << r;
}

TEST_F(ListReading, NulBytesAndFortyFieldsLoad) {
    load(dataFile("nul_and_40_fields.txt"));
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.cell(1, 3), std::string("d\0e", 3));
    EXPECT_EQ(table.cell(1, 13), "f8");
    EXPECT_EQ(table.cell(2, 1), std::string("D3\0", 3));
}

TEST_F(ListReading, AWindowsCatalogueLoadsAndSavesByteForByte) {
    const std::string path = dataFile("windows_catalogue.txt");
    load(path);
    ASSERT_EQ(table.rowCount(), 6u);
    EXPECT_EQ(table.cell(0, 7), "taille >>");
    EXPECT_EQ(table.indice_col_liste("taille"), 7);
    EXPECT_EQ(table.cell(1, 0), "     1");
    EXPECT_EQ(table.cell(1, 3), "Le château de ma mère");
    EXPECT_EQ(table.cell(2, 13), " x");
    EXPECT_EQ(table.cell(3, 6), ":\\");
    EXPECT_EQ(table.cell(4, 1), "DVD_ÉTÉ");
    EXPECT_EQ(table.cell(4, 3), "Noël à Montréal € 2€");
    EXPECT_EQ(table.cell(5, 3), "Zoé & Françoise — l'été");
    EXPECT_EQ(table.mediaCount(), 5u);
    ecrire_liste(table, folder.file("copie.txt"));
    EXPECT_EQ(TempFolder::read(folder.file("copie.txt")), TempFolder::read(path));
}

TEST_F(ListReading, AListLargeEnoughToHaveItsMemoryAskedAheadLoadsByteForByte) {
    // Past 16 MB the rows' memory is made and faulted in ahead, on a helper thread, while the
    // rows fill it: every row must land whole, the unused rest must go, and an appending that
    // keeps nothing must leave the table as it was.
    std::string bytes = kHeader + "\r\n";
    for (int i = 0; bytes.size() < (18 << 20); ++i)
        bytes +=
            dataLine(std::to_string(i), "Caf\xE9 \x9C" + std::string(static_cast<std::size_t>(i % 97), 'x')) +
            "\r\n";
    const std::string path = write(bytes);
    load(path);
    ecrire_liste(table, folder.file("copie.txt"));
    EXPECT_EQ(TempFolder::read(folder.file("copie.txt")), bytes);
    EXPECT_LT(table.memoryUsage(), bytes.size() * 5 / 4);

    const std::size_t rows = table.rowCount();
    std::string other = bytes;
    other[0] = 'N';
    load(write(other, "autre.txt"), ListMode::Append);
    EXPECT_EQ(table.rowCount(), rows);
    EXPECT_EQ(table.cell(rows - 1, 3),
              "Café œ" + std::string(static_cast<std::size_t>((rows - 2) % 97), 'x'));
}

TEST_F(ListReading, AFileWithoutAnyLineGivesTheStandardEmptyList) {
    table.appendRow({"1", "x"});
    load(write(""));
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.rowCells(0), standardHeaders());
    EXPECT_TRUE(table.isEmptyRow(1));
    EXPECT_EQ(TempFolder::read(tmpCsv()), "");
}

TEST_F(ListReading, AForeignHeaderLoadsAndMissingColumnsAreNotFound) {
    load(write("n\ttitre\text\r\n1\ta\t.avi\r\n"));
    EXPECT_EQ(table.indice_col_liste("titre"), 1);
    EXPECT_EQ(table.indice_col_liste("taille"), -1);
    EXPECT_EQ(table.cell(1, table.indice_col_liste("taille")), "");
    EXPECT_EQ(table.cell(1, 2), ".avi");
}

TEST_F(ListReading, RandomBytesNeverBreakTheTable) {
    std::mt19937 rnd(12345);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(static_cast<std::size_t>(rnd() % 20000), '\0');
        for (char& c : bytes) c = static_cast<char>(rnd() % 7 == 0 ? "\t\r\n\"; "[rnd() % 6] : rnd() % 256);
        load(write(bytes));
        ASSERT_GE(table.rowCount(), 2u);
        for (std::size_t r = 0; r < table.rowCount(); ++r) {
            ASSERT_EQ(table.rowCells(r).size(), static_cast<std::size_t>(kListColumns));
            const std::string_view text = table.rowText(r);
            ASSERT_EQ(std::count(text.begin(), text.end(), '\t'), kListColumns - 1);
        }
    }
}

TEST_F(ListReading, TmpCsvOfRandomLinesIsEachLineQuotedInTurn) {
    // tmp.CSV is quoted a block at a time, sixteen bytes at a time: cells and lines of every length
    // around those sizes, runs of tabs and a last line without its line feed must each come out
    // as the line-by-line quoting gives them.
    std::mt19937 rnd(777);
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        std::string expected;
        const int lines = 1 + static_cast<int>(rnd() % 300);
        for (int l = 0; l < lines; ++l) {
            std::string line;
            const int cells = 1 + static_cast<int>(rnd() % 20);
            for (int c = 0; c < cells; ++c) {
                if (c > 0) line += '\t';
                const std::size_t length = rnd() % 4 == 0 ? 0 : rnd() % 40;
                for (std::size_t k = 0; k < length; ++k) line += static_cast<char>('a' + rnd() % 26);
            }
            line += rnd() % 9 == 0 ? "\xE9\x9C\"" : "";
            bytes += line + (l + 1 < lines || round % 2 ? "\r\n" : "");
            if (line.find_first_not_of('\t') == std::string::npos) continue; // blank: not kept
            expected += '"';
            for (char ch : line) expected += ch == '\t' ? std::string("\";\"") : std::string(1, ch);
            expected += "\"\r\n";
        }
        if (expected.empty()) continue;
        load(write(bytes));
        ASSERT_EQ(TempFolder::read(tmpCsv()), expected) << round;
    }
}

// --- Appending -----------------------------------------------------------------------------

using ListAppending = ListFileTest;

TEST_F(ListAppending, SameHeadersAppendAfterTheBlankRow) {
    table.setCell(0, 7, "taille >>");
    table.appendRow({"9", "DISK", "vidéo", "existing"});
    std::string header = kHeader;
    header.replace(header.find("\t x"), 3, "\tx"); // blanks never make two headers differ
    const LoadResult r =
        load(write(header + "\r\n" + dataLine("1", "a") + "\r\n\r\n" + dataLine("2", "b") + "\r\n"),
             ListMode::Append);
    EXPECT_EQ(r, LoadResult::Loaded);
    EXPECT_EQ(titles(), (std::vector<std::string>{"", "existing", "a", "b"}));
    EXPECT_EQ(table.cell(0, 7), "taille >>") << "the table keeps its header row";
    EXPECT_TRUE(table.ListModified);
    EXPECT_EQ(table.selectedRow(), 1u);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ListAppending, OtherHeadersAppendNothingAndSay) {
    table.appendRow({"9", "DISK", "vidéo", "existing"});
    const LoadResult r = load(write("n\ttitle\r\n1\tx\r\n"), ListMode::Append);
    EXPECT_EQ(r, LoadResult::HeadersDiffer);
    EXPECT_EQ(titles(), (std::vector<std::string>{"", "existing"}));
    EXPECT_TRUE(table.ListModified);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, "info");
    EXPECT_EQ(ui.shown[0].text, " entêtes différentes, impossible de compléter  \n\nn\n\n\"n\";\"title\"");
}

TEST_F(ListAppending, AHeaderOnlyTableGetsItsBlankRowBack) {
    table.removeRows({1});
    ASSERT_EQ(table.rowCount(), 1u);
    load(write("autre\r\n"), ListMode::Append);
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_TRUE(table.isEmptyRow(1));
}

// --- Failures ------------------------------------------------------------------------------

using ListReadFailure = ListFileTest;

TEST_F(ListReadFailure, MissingFileSaysSoAndChangesNothing) {
    table.appendRow({"1", "x"});
    table.ListModified = true;
    const std::string path = folder.file("absent.txt");
    EXPECT_EQ(load(path), LoadResult::Missing);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, " Le fichier " + path + " est introuvable \n\n");
    EXPECT_EQ(ui.shown[0].type, DialogType::Error);
    EXPECT_EQ(ui.shown[0].buttons, std::vector<DialogButton>{DialogButton::Yes});
    EXPECT_EQ(table.rowCount(), 3u);
    EXPECT_TRUE(table.ListModified);
    EXPECT_FALSE(platform::exists(tmpCsv()));
}

TEST_F(ListReadFailure, AFolderCannotBeOpened) {
    const std::string path = folder.file("dossier");
    std::filesystem::create_directory(path);
    try {
        load(path);
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'ouvrir le fichier " + path);
    }
    EXPECT_EQ(table.rowCount(), 2u);
}

#ifndef _WIN32
TEST_F(ListReadFailure, UnreadableFileLeavesTheTableAlone) {
    verdan::test::asUnprivileged({folder.path()}, [&] {
        const std::string path = write(kHeader + "\r\n" + dataLine("1", "a") + "\r\n");
        std::filesystem::permissions(path, std::filesystem::perms::none);
        table.appendRow({"1", "kept"});
        EXPECT_THROW(load(path), VerdanError);
        EXPECT_EQ(table.cell(2, 1), "kept");
    });
}

TEST_F(ListReadFailure, AFileThatVanishesAfterTheExistenceTest) {
    // A dangling link exists for the test but cannot be opened: the file went between the two steps.
    const std::string path = folder.file("parti.txt");
    std::filesystem::create_symlink(folder.file("nowhere.txt"), path);
    table.appendRow({"1", "kept"});
    table.ListModified = true;
    try {
        load(path);
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'ouvrir le fichier " + path);
    }
    EXPECT_EQ(table.cell(2, 1), "kept");
    EXPECT_TRUE(table.ListModified);
    EXPECT_TRUE(ui.shown.empty());
}
#endif

// tmp.CSV is scratch: a program folder that cannot take it must not keep the catalogue out.
TEST_F(ListReadFailure, TmpCsvThatCannotBeWrittenIsGivenUpAndToldOnce) {
    resetScratchFailureNotice();
    const std::string path = write(kHeader + "\r\n" + dataLine("1", "a") + "\r\n");
    const std::string missingFolder = folder.file("no/such/folder");
    ASSERT_EQ(lire_liste(table, path, ListMode::Replace, ui, missingFolder), LoadResult::Loaded);
    EXPECT_EQ(table.cell(1, 3), "a");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text,
              "Impossible de créer le fichier " + joinPath(missingFolder, "tmp.CSV") +
                  "\n\n  La liste est chargée quand même : ce fichier n'est qu'une copie de "
                  "travail.  ");

    // A write failing half-way through a large list: loaded whole, not told again, nothing left.
    std::string bytes = kHeader + "\r\n";
    for (int i = 0; i < 20000; ++i) bytes += dataLine(std::to_string(i), "title") + "\r\n";
    platform::setWriteFailureAfter(100000);
    ASSERT_EQ(lire_liste(table, write(bytes), ListMode::Replace, ui, program()), LoadResult::Loaded);
    platform::setWriteFailureAfter(-1);
    EXPECT_EQ(table.rowCount(), 20001u);
    EXPECT_EQ(table.cell(20000, 0), "19999");
    EXPECT_EQ(ui.shown.size(), 1u);
    for (const std::string& name : platform::folderEntries(program()))
        EXPECT_EQ(platform::temporaryNameOwner(name), -1) << name;
    resetScratchFailureNotice();
}

// --- Writing -------------------------------------------------------------------------------

using ListWriting = ListFileTest;

TEST_F(ListWriting, EmptyListIsTheHeaderAndAnEmptyLine) {
    table.ListModified = true;
    const std::string path = folder.file("vide.txt");
    ecrire_liste(table, path);
    EXPECT_EQ(TempFolder::read(path), kHeader + "\r\n\r\n");
    EXPECT_FALSE(table.ListModified);
    EXPECT_EQ(listFileMediaCount(path), 0);
    load(path);
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.mediaCount(), 0u);
}

TEST_F(ListWriting, RowsRoundTripCellForCell) {
    table.removeRows({1}); // a blank row would vanish on reading
    table.appendRow({"", "DISK", "vidéo", "Œuvre ÿ Š", ".mkv", "", ":\\", "", "E", "", "", "", "", " x"});
    table.appendRow({"  12", "DISK", "vidéo", "b"});
    const std::string path = folder.file("l.txt");
    ecrire_liste(table, path);
    const std::string bytes = TempFolder::read(path);
    EXPECT_NE(bytes.find("\r\n\tDISK\tvid\xE9o\t\x8C"
                         "uvre \xFF \x8A\t.mkv\t\t:\\\t\tE\t\t\t\t\t x\r\n"),
              std::string::npos)
        << "an empty n cell gives a leading tab";
    std::vector<std::vector<std::string>> before;
    for (std::size_t r = 0; r < table.rowCount(); ++r) before.push_back(table.rowCells(r));
    load(path);
    ASSERT_EQ(table.rowCount(), before.size());
    for (std::size_t r = 0; r < before.size(); ++r) EXPECT_EQ(table.rowCells(r), before[r]);
    ecrire_liste(table, folder.file("l2.txt"));
    EXPECT_EQ(TempFolder::read(folder.file("l2.txt")), bytes);
}

TEST_F(ListWriting, MisDecodedAccentsAreRepairedAndUnknownCharactersBecomeQuestionMarks) {
    table.appendRow(
        {"1", "DISK", "vidÃ©o", "ChÃ¢teau \xE2\x80\x9A", ".avi", "", "", "", "", "", "", "", "", "日本"});
    const std::string path = folder.file("r.txt");
    ecrire_liste(table, path);
    const std::string bytes = TempFolder::read(path);
    EXPECT_NE(bytes.find("\tvid\xE9o\tCh\xE2teau \x82\t"), std::string::npos)
        << "Ã© and Ã¢ are repaired; the low quote is a character of its own";
    EXPECT_NE(bytes.find("\t??\r\n"), std::string::npos);
}

TEST_F(ListWriting, ManyRowsAcrossWriteBlocks) {
    table.removeRows({1});
    for (int i = 0; i < 30000; ++i)
        table.appendRow({std::to_string(i), "D", "vidéo", "titre éàù " + std::to_string(i)});
    const std::string path = folder.file("big.txt");
    ecrire_liste(table, path);
    EXPECT_EQ(listFileMediaCount(path), 30000);
    GlobalList copy;
    lire_liste(copy, path, ListMode::Replace, ui, program());
    ASSERT_EQ(copy.rowCount(), table.rowCount());
    EXPECT_EQ(copy.cell(30000, 3), "titre éàù 29999");
}

TEST_F(ListWriting, AFailedWriteKeepsThePreviousFileAndTheFlag) {
    const std::string path = write(kHeader + "\r\n" + dataLine("1", "old") + "\r\n");
    const std::string before = TempFolder::read(path);
    for (int i = 0; i < 5000; ++i) table.appendRow({std::to_string(i), "D", "v", "new"});
    table.ListModified = true;
    platform::setWriteFailureAfter(50000);
    try {
        ecrire_liste(table, path);
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible de créer le fichier " + path);
    }
    EXPECT_EQ(TempFolder::read(path), before);
    EXPECT_TRUE(table.ListModified);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u) << "no temporary file left behind";
}

TEST_F(ListWriting, AFolderThatDoesNotExist) {
    const std::string path = folder.file("absent/l.txt");
    table.ListModified = true;
    try {
        ecrire_liste(table, path);
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible de créer le fichier " + path);
    }
    EXPECT_TRUE(table.ListModified);
}

// A system that gives no thread (no process left, no address space for a stack) only makes the
// load and the save slower: whichever of their helpers is refused, every row is read and written.
TEST_F(ListWriting, WithoutHelperThreadsEveryRowIsReadAndWritten) {
    std::string bytes = kHeader + "\r\n";
    for (int i = 0; bytes.size() < (3 << 20); ++i)
        bytes += dataLine(std::to_string(i), "Caf\xE9 " + std::to_string(i)) + "\r\n";
    const std::string path = write(bytes);
    load(path);
    const std::size_t rows = table.rowCount();
    const std::string csv = TempFolder::read(tmpCsv());
    for (long long after = 0; after < 4; ++after) {
        for (long long count : {1LL, test::kEveryStart}) {
            SCOPED_TRACE("refused after " + std::to_string(after) + " starts: " + std::to_string(count));
            table.resetToEmptyList();
            {
                test::RefusedThreads refused(count, after);
                load(path);
                table.ListModified = true;
                ecrire_liste(table, folder.file("copie.txt"));
            }
            EXPECT_EQ(table.rowCount(), rows);
            EXPECT_EQ(TempFolder::read(tmpCsv()), csv);
            EXPECT_EQ(TempFolder::read(folder.file("copie.txt")), bytes);
            EXPECT_FALSE(table.ListModified);
        }
    }
}

// --- Media count of a list file ------------------------------------------------------------

using ListFileCount = ListFileTest;

TEST_F(ListFileCount, LineFeedsMinusHeaderAndSavedEmptyList) {
    EXPECT_EQ(listFileMediaCount(folder.file("absent.txt")), 0);
    EXPECT_EQ(listFileMediaCount(write("")), 0);
    EXPECT_EQ(listFileMediaCount(write("header")), 0);
    EXPECT_EQ(listFileMediaCount(write("header\r\n")), 0);
    EXPECT_EQ(listFileMediaCount(write("header\r\n\r\n")), 0);
    EXPECT_EQ(listFileMediaCount(write("header\r\na\r\nb\r\n")), 2);
    EXPECT_EQ(listFileMediaCount(write("header\r\na\r\nb")), 1)
        << "a last line without line end is not counted";
    EXPECT_EQ(listFileMediaCount(write("header\n\na\nb\n")), 2) << "an empty second line takes one off";
    EXPECT_EQ(listFileMediaCount(write("header\ra\rb\r")), 0) << "only line feeds count";
}
