#include <gtest/gtest.h>

#include <fstream>

#include "collect/add_media.h"
#include "collect/collection_state.h"
#include "collect/dvd_import.h"
#include "support/fake_drives.h"
#ifndef _WIN32
#include "support/peak_memory.h"
#endif
#include "support/program_fixture.h"
#include "util/error.h"

using namespace verdan;
using namespace verdan::test;

namespace {

class DvdImport : public ::testing::Test, public ProgramFixture {
protected:
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(program.drives);
    CollectionState& state = *owned;
    FakeDriveProvider provider;

    void import(const std::string& bytes) {
        const std::string path = dir.write("dvd.txt", bytes);
        ui.fileAnswers.push_back(path);
        importDvdList(state, ui, "2025-03-05");
    }
    std::vector<std::string> found() const { return state.found.lines(); }
    std::vector<std::string> column(const char* header) const {
        const GlobalList& t = program.globalList.table;
        std::vector<std::string> out;
        for (std::size_t r = 1; r < t.rowCount(); ++r)
            out.emplace_back(t.cell(r, t.indice_col_liste(header)));
        return out;
    }
};

} // namespace

TEST(DvdLines, NumbersArePaddedByPairsAndTheTitleFollows) {
    // Two blanks a position from the number's length up to 4, plus one pair.
    EXPECT_EQ(convertDvdLine("12\tLes Temps modernes\tChaplin"),
              std::string(6, ' ') + "12 - :\\Les Temps modernes");
    EXPECT_EQ(convertDvdLine(""), std::string(10, ' ') + " - :\\");
    EXPECT_EQ(convertDvdLine("  7  \t  Titre  "), "        7 - :\\Titre");
    EXPECT_EQ(convertDvdLine("1234567\tLong"), "1234567 - :\\Long");       // no blank before 5 digits or more
    EXPECT_EQ(convertDvdLine("Sans tabulation"), "Sans tabulation - :\\"); // the whole line is the number
    EXPECT_EQ(todayText().size(), 10u);
}

TEST_F(DvdImport, TheListFillsTheFoundListAndAddingGivesDvdRowsWithOneKeyPerTitle) {
    state.drives.setCurrentRow(1);
    state.found.insert("2020-01-01 10:00   >   /old/scan.avi");
    import("n\ttitre\r\n12\tLes Temps modernes\r\n3\tM\xe9tropolis\r\n40\tLes Temps modernes\r\n");
    EXPECT_EQ(found(), (std::vector<std::string>{"2025-03-05  >   -DVD        3 - :\\Métropolis",
                                                 "2025-03-05  >   -DVD      12 - :\\Les Temps modernes",
                                                 "2025-03-05  >   -DVD      40 - :\\Les Temps modernes"}));
    EXPECT_EQ(state.foundCountCaption, "3");
    EXPECT_EQ(state.drives.currentRow(), 0); // the DVD pseudo-disk
    EXPECT_EQ(ui.shown.front().kind, "file");
    EXPECT_EQ(ui.shown.front().text, "Rajout d'une liste de DVD");

    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    BitBtn_rajout_bdClick(program, state, provider, ui);
    // Two numbers of one title are one medium.
    EXPECT_EQ(column("titre"), (std::vector<std::string>{"Métropolis", "Les Temps modernes"}));
    EXPECT_EQ(column("nom-disque"), (std::vector<std::string>{"DVD", "DVD"}));
    EXPECT_EQ(column("NS-disque"), (std::vector<std::string>{"-", "-"}));
    EXPECT_EQ(column("date"), (std::vector<std::string>{"2025-03-05", "2025-03-05"}));
    EXPECT_EQ(column("répertoire"), (std::vector<std::string>{"DVD        3", "DVD      12"}));
}

TEST_F(DvdImport, FilesAsPeopleMakeThem) {
    // A spreadsheet's UTF-8 export: a byte-order mark, LF line ends, no final line end.
    import("\xEF\xBB\xBFn\ttitre\n1\tAm\xC3\xA9lie\n\n2\tL'\xC3\x89t\xC3\xA9");
    EXPECT_EQ(found(), (std::vector<std::string>{"2025-03-05  >   -DVD" + std::string(10, ' ') + " - :\\",
                                                 "2025-03-05  >   -DVD        1 - :\\Amélie",
                                                 "2025-03-05  >   -DVD        2 - :\\L'Été"}));
    // CR alone, Windows-1252.
    import("n\ttitre\r1\tNo\xebl\r");
    EXPECT_EQ(found(), (std::vector<std::string>{"2025-03-05  >   -DVD        1 - :\\Noël"}));
}

TEST_F(DvdImport, NothingToImportAndFilesThatCannotBeRead) {
    // The window paints what the state says when it is told: under the message, the count is 0.
    state.foundCountCaption = "12";
    std::string painted = state.foundCountCaption;
    std::size_t messagesWhenPainted = 0;
    state.onScanChanged = [&] {
        painted = state.foundCountCaption;
        messagesWhenPainted = ui.shown.size();
    };
    import("n\ttitre\r\n");
    EXPECT_TRUE(found().empty());
    EXPECT_EQ(ui.shown.back().text, "Aucun média de trouvé ");
    EXPECT_EQ(state.foundCountCaption, "0");
    EXPECT_EQ(painted, "0");
    EXPECT_EQ(messagesWhenPainted, 1u) << "painted after the file dialog, before the message";

    ui.shown.clear();
    importDvdList(state, ui, "2025-03-05"); // cancelled
    EXPECT_EQ(ui.shown.size(), 1u);

    ui.fileAnswers.push_back(dir.file("absent.txt"));
    try {
        importDvdList(state, ui, "2025-03-05");
        ADD_FAILURE() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'ouvrir le fichier " + dir.file("absent.txt"));
    }
}

TEST_F(DvdImport, LinesAreCutAsListLinesAreAndTheLongestTitleStillJoinsTheList) {
    // Past 2 MiB a title did not fit a row of the table, and the adding ended the program.
    const std::string huge(3 << 20, 'T');
    import("n\ttitre\r\n1\t" + huge + "\r\n2\t\xC3\xA9" + std::string(5000, 'e') + "\n3\t" +
           std::string(5000, '\xE9') + "\n4\tCourt\n");
    const std::vector<std::string> lines = found();
    ASSERT_EQ(lines.size(), 4u);
    for (const std::string& line : lines) ASSERT_LT(line.size(), 10000u) << "not cut";
    // 4,096 characters of each line: the number, its tab and the title's head; a UTF-8 accent is one.
    EXPECT_EQ(lines[0], "2025-03-05  >   -DVD        1 - :\\" + std::string(4094, 'T'));
    EXPECT_EQ(lines[1], "2025-03-05  >   -DVD        2 - :\\é" + std::string(4093, 'e'));
    std::string accents;
    for (int i = 0; i < 4094; ++i) accents += "é";
    EXPECT_EQ(lines[2], "2025-03-05  >   -DVD        3 - :\\" + accents);

    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    BitBtn_rajout_bdClick(program, state, provider, ui);
    EXPECT_EQ(column("titre"), (std::vector<std::string>{std::string(4094, 'T'), "é" + std::string(4093, 'e'),
                                                         accents, "Court"}));
}

TEST_F(DvdImport, BlankAndRepeatedLinesMakeOneEntryHoweverMany) {
    std::string text = "n\ttitre\r\n";
    for (int i = 0; i < 200000; ++i) text += i % 3 ? "\r\n" : "5\tX\r\n";
    import(text + "\n\r6\tx\r\n5\tX");
    EXPECT_EQ(found(), (std::vector<std::string>{"2025-03-05  >   -DVD" + std::string(10, ' ') + " - :\\",
                                                 "2025-03-05  >   -DVD        5 - :\\X",
                                                 "2025-03-05  >   -DVD        6 - :\\x"}));
    EXPECT_EQ(state.foundCountCaption, "3");
}

#ifndef _WIN32
TEST_F(DvdImport, TwentyMegabytesOfBlankLinesTakeSecondsAndMemoryInProportion) {
    // They took minutes and 146 times the file's size, a found line made for each.
    const std::string text = "n\ttitre\r\n" + std::string(20 << 20, '\n');
    const std::string path = dir.write("vide.txt", text);
    const std::optional<Cost> cost = costInChild([&] {
        ui.fileAnswers.push_back(path);
        importDvdList(state, ui, "2025-03-05");
        if (state.found.size() != 1) throw std::logic_error("one entry expected");
    });
    ASSERT_TRUE(cost) << "the import failed in the child";
    if (kCostsMeasurable) {
        EXPECT_LT(cost->seconds, 10.0);
        EXPECT_LT(cost->peakBytes, static_cast<std::int64_t>(3 * text.size()));
    }
}
#endif
