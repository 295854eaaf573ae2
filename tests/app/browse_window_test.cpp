#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>

#include "device_watcher.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"
#include "util/format.h"
#include "windows_under_test.h"

using namespace verdan;
using namespace verdan::test;

namespace {
QString u(const std::string& s) {
    return QString::fromStdString(s);
}
constexpr int kTitle = 3;
constexpr int kMarkColumn = 13;
} // namespace

// The global-list window over a loaded list, driven with the mouse and the keyboard.
class BrowseWindow : public ::testing::Test, public ProgramFixture, public WindowsUnderTest {
protected:
    void start(const std::vector<std::string>& lines) {
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder())
            << "\r\n[Options]\r\nCheckBox_mode_avancer=1\r\n";
        writeList(lines);
        ui.answers = {DialogButton::Yes};
        buildWindows(program, ui);
        form1->show();
        form1->FormActivate();
        form2->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
        ui.shown.clear();
    }
    // Titles "t1" ... "tN" on the disk FILMS.
    void startWithRows(int n) {
        std::vector<std::string> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back(row(std::to_string(i), "FILMS", "t" + std::to_string(i)));
        start(lines);
    }
    // A drive made of a folder holding films/<title>.avi for each title.
    std::string plugFilms(const std::vector<std::string>& titles, const std::string& serial = "1234ABCD") {
        const std::string root = dir.file("FILMS");
        platform::createFolders(joinPath(root, "films"));
        for (const auto& t : titles) dir.write("FILMS/films/" + t + ".avi", "x");
        drives.add(root, "FILMS", serial, platform::kDriveRemovable);
        return root;
    }

    QTableView* grid() { return widget<QTableView>(form2, "StringGrid1"); }
    QTableView* filterGrid() { return widget<QTableView>(form2, "StringGrid_filter"); }
    // The table on screen: the search result's or the whole list's.
    QTableView* shownTable() { return filterGrid()->isVisibleTo(form2) ? filterGrid() : grid(); }
    QPoint rowCentre(QTableView* table, int row) {
        return table->visualRect(table->model()->index(row - 1, kTitle)).center();
    }
    void leftClick(int row) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rowCentre(grid(), row));
    }
    void rightClick(int row) {
        QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, rowCentre(grid(), row));
    }
    // As the system sends it: a click, then the double click and its release.
    void doubleClick(int row) {
        const QPoint at = rowCentre(grid(), row);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    void doubleClickHeader(QTableView* table, int column) {
        QHeaderView* h = table->horizontalHeader();
        const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(h->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, at);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(grid(), k, m); }
    void select(int top, int bottom) {
        auto* m = grid()->model();
        grid()->selectionModel()->select(QItemSelection(m->index(top - 1, 0), m->index(bottom - 1, 13)),
                                         QItemSelectionModel::ClearAndSelect);
    }
    // Table rows (1 = first data row) selected in StringGrid1.
    std::vector<int> selectedRows() {
        std::vector<int> rows;
        for (const QModelIndex& i : grid()->selectionModel()->selectedRows()) rows.push_back(i.row() + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    int currentRow() { return grid()->currentIndex().row() + 1; }
    int rows() { return grid()->model()->rowCount(); }
    // The titles of a table's rows, joined by commas.
    std::string titles(QTableView* table) {
        QStringList t;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            t << table->model()->index(r, kTitle).data().toString();
        return t.join(',').toStdString();
    }
    QString header(QTableView* table, int column) {
        return table->model()->headerData(column, Qt::Horizontal).toString();
    }
    std::vector<std::string> marks(GridTable table) {
        std::vector<std::string> m;
        for (std::size_t r = 1; r < table.rowCount(); ++r) m.emplace_back(table.cell(r, kMarkColumn));
        return m;
    }
};

TEST_F(BrowseWindow, HeaderDoubleClicksSortDescendingThenAscendingAndMoveTheMarker) {
    start({row("1", "FILMS", "brazil"), row("2", "FILMS", "Alien"), row("3", "FILMS", "casino")});
    doubleClickHeader(grid(), kTitle);
    EXPECT_EQ(header(grid(), kTitle), "titre >>");
    EXPECT_EQ(titles(grid()), "casino,brazil,Alien");
    doubleClickHeader(grid(), kTitle);
    EXPECT_EQ(header(grid(), kTitle), "titre <<");
    EXPECT_EQ(titles(grid()), "Alien,brazil,casino");
    EXPECT_FALSE(program.globalList.table.ListModified);

    // Sorting the search result clears the full table's marker.
    widget<QLineEdit>(form2, "Edit1")->setText("a");
    widget<QPushButton>(form2, "Button_rechercher")->click();
    doubleClickHeader(filterGrid(), 0);
    EXPECT_EQ(header(grid(), kTitle), "titre");
    EXPECT_EQ(header(filterGrid(), 0), "n >>");
    EXPECT_EQ(titles(filterGrid()), "casino,Alien,brazil");
}

TEST_F(BrowseWindow, SearchShowsTheResultTableAndToutCocherMarksBothTables) {
    start({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil"), row("3", "FILMS", "Kalimba"),
           row("4", "FILMS", "Casino")});
    widget<QLineEdit>(form2, "Edit1")->setText("ALI");
    widget<QPushButton>(form2, "Button_rechercher")->click();
    EXPECT_EQ(shownTable(), filterGrid());
    EXPECT_EQ(titles(filterGrid()), "Alien,Kalimba");
    EXPECT_EQ(filterGrid()->columnWidth(kTitle), grid()->columnWidth(kTitle));

    widget<QPushButton>(form2, "BitBtn_tout_cocher")->click();
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(4, " x"));
    EXPECT_EQ(marks(form2->browseState().filter), std::vector<std::string>(2, " x"));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "2");
    EXPECT_EQ(filterGrid()->model()->index(0, kMarkColumn).data().toString(), " x");

    widget<QPushButton>(form2, "BitBtn_tout_decocher")->click();
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(4, ""));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "0");

    // Enter: a blank text ends the search, "X" too and empties the text.
    widget<QLineEdit>(form2, "Edit1")->setText("   ");
    QTest::keyClick(widget<QLineEdit>(form2, "Edit1"), Qt::Key_Return);
    EXPECT_EQ(shownTable(), grid());
    QTest::keyClick(widget<QLineEdit>(form2, "Edit1"), Qt::Key_A);
    QTest::keyClick(widget<QLineEdit>(form2, "Edit1"), Qt::Key_Return);
    EXPECT_EQ(shownTable(), filterGrid());
    widget<QPushButton>(form2, "Button_init_filtre")->click();
    EXPECT_EQ(shownTable(), grid());
    EXPECT_TRUE(widget<QLineEdit>(form2, "Edit1")->text().isEmpty());
}

TEST_F(BrowseWindow, TypingSearchesAfterAPauseAndEscapeGivesTheTableBackAsTheUserLeftIt) {
    startWithRows(400);
    select(150, 152);
    grid()->scrollTo(grid()->model()->index(199, 0), QAbstractItemView::PositionAtTop);
    const int scroll = grid()->verticalScrollBar()->value();
    auto* edit = widget<QLineEdit>(form2, "Edit1");
    const auto shows = [&](const std::string& text) {
        return QTest::qWaitFor([&] {
            ui.runPosted();
            return form2->browseState().searchText == text && shownTable() == filterGrid();
        });
    };

    QTest::keyClicks(edit, "T15");
    EXPECT_EQ(shownTable(), grid()) << "nothing is searched before the typing pauses";
    ASSERT_TRUE(shows("T15"));
    EXPECT_EQ(titles(filterGrid()), "t15,t150,t151,t152,t153,t154,t155,t156,t157,t158,t159");
    EXPECT_EQ(filterGrid()->columnWidth(kTitle), grid()->columnWidth(kTitle));
    QTest::keyClick(edit, Qt::Key_0);
    ASSERT_TRUE(shows("T150"));
    EXPECT_EQ(titles(filterGrid()), "t150");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    ASSERT_TRUE(shows("T1"));
    EXPECT_EQ(filterGrid()->model()->rowCount(), 111);

    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(shownTable(), grid());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(selectedRows(), (std::vector<int>{150, 151, 152}));
    EXPECT_EQ(grid()->verticalScrollBar()->value(), scroll);

    // Escape before the pause is over: the text typed is never searched.
    QTest::keyClicks(edit, "t2");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(QTest::qWaitFor(
        [&] {
            ui.runPosted();
            return shownTable() == filterGrid();
        },
        400));
    EXPECT_EQ(selectedRows(), (std::vector<int>{150, 151, 152}));
}

TEST_F(BrowseWindow, SpaceBarTogglesTheSelectionByTheMixedRule) {
    startWithRows(5);
    select(2, 4);
    key(Qt::Key_Space);
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{"", " x", " x", " x", ""}));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "3");
    EXPECT_EQ(selectedRows(), (std::vector<int>{2, 3, 4}));
    key(Qt::Key_Space);
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(5, ""));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "0");

    program.globalList.table.setCell(3, kMarkColumn, " x");
    key(Qt::Key_Space);
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{"", " x", " x", " x", ""}));

    // The hidden "(dé)cocher sélection" applies the same rule.
    widget<QPushButton>(form2, "BitBtn_coche_selection")->click();
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(5, ""));

    widget<QCheckBox>(form2, "CheckBox_mode_avancer")->click();
    select(1, 1);
    key(Qt::Key_Space);
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(5, ""));
}

TEST_F(BrowseWindow, ShiftDownExtendsFromTheClickedRowAndPlainDownStartsAgain) {
    startWithRows(12);
    leftClick(5);
    EXPECT_EQ(ui.clipboard, std::vector<std::string>{"t5"});
    for (int i = 0; i < 3; ++i) key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(currentRow(), 8);
    key(Qt::Key_Down);
    EXPECT_EQ(selectedRows(), std::vector<int>{9});
    EXPECT_EQ(currentRow(), 9);

    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_Up);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Down);
    EXPECT_EQ(currentRow(), 12);
}

TEST_F(BrowseWindow, CtrlASelectsEveryDataRowAndALoneDoesNot) {
    startWithRows(6);
    leftClick(2);
    key(Qt::Key_A);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(BrowseWindow, EscapeInTheTableReachesTheWindow) {
    startWithRows(2);
    key(Qt::Key_Escape);
    EXPECT_TRUE(program.StopRequested);
}

TEST_F(BrowseWindow, DoubleClickOnARowOfAnAbsentDiskSaysSo) {
    startWithRows(2);
    doubleClick(2);
    ASSERT_EQ(ui.texts(),
              std::vector<std::string>{" Disque <FILMS>   1234ABCD   introuvable, veuillez le brancher "});
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(BrowseWindow, DoubleClickOnARowOfAPluggedDiskOpensItsFile) {
    SKIP_ON_WINDOWS(kFolderDrives);
    const std::string root = plugFilms({"Alien"});
    start({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil")});
    doubleClick(1);
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"open", root + "/films/Alien.avi"}}));
    EXPECT_TRUE(ui.texts().empty());
    doubleClick(2);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Fichier " + root + "/films/Brazil.avi introuvable"});
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(BrowseWindow, RightClickOnALongFileNameWidensThePanelAndItsButtonsShareIt) {
    SKIP_ON_WINDOWS(kFolderDrives);
    const std::string title(120, 'L');
    const std::string root = plugFilms({title});
    start({row("1", "FILMS", title, "1,37 Go"), row("2", "AILLEURS", "Brazil", "700 Mo", "99")});
    rightClick(1);
    ASSERT_TRUE(widget<QFrame>(form2, "Panel1")->isVisible());
    EXPECT_EQ(widget<QLabel>(form2, "Label11")->text(), u(title + ".avi"));
    EXPECT_EQ(widget<QLabel>(form2, "Label12")->text(), u(root + "/films"));
    EXPECT_EQ(widget<QLabel>(form2, "Label9")->text(), "1,37 Go");
    const int textWidth =
        QFontMetrics(widget<QLabel>(form2, "Label11")->font()).horizontalAdvance(u(title + ".avi"));
    const int w = textWidth + 2 * widget<QLabel>(form2, "Label11")->x();
    ASSERT_GT(w, 500);
    EXPECT_EQ(widget<QFrame>(form2, "Panel1")->width(), w);
    const int b = (w - 50) / 4;
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn2")->geometry().left(), 10);
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn_copie_un_par_un")->geometry().left(), b + 20);
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn5")->geometry().left(), 2 * b + 30);
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn4")->geometry().left(), 3 * b + 40);
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn4")->width(), b);

    widget<QPushButton>(form2, "BitBtn2")->click();
    EXPECT_FALSE(widget<QFrame>(form2, "Panel1")->isVisible());
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"show", root + "/films/" + title + ".avi"}}));

    // A row of an absent disk: the message, no panel.
    rightClick(2);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Disque <AILLEURS> introuvable, veuillez le brancher"});
    EXPECT_FALSE(widget<QFrame>(form2, "Panel1")->isVisible());
    EXPECT_EQ(currentRow(), 2);
}

TEST_F(BrowseWindow, DeleteTheSelectionByButtonAndByKey) {
    startWithRows(6);
    select(2, 4);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_del")->click();
    EXPECT_EQ(ui.texts(), std::vector<std::string>{" Effacer les 3 médias sélectionnés de la liste ?"});
    EXPECT_EQ(titles(grid()), "t1,t5,t6");
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    EXPECT_EQ(widget<QLabel>(form2, "Label_n")->text(), QString::fromUtf8("3 médias"));
    EXPECT_TRUE(program.globalList.table.ListModified);

    ui.answers = {DialogButton::No};
    key(Qt::Key_Delete);
    EXPECT_EQ(ui.texts().back(), " Effacer le média sélectionné  ?");
    EXPECT_EQ(rows(), 3);
    ui.answers = {DialogButton::Yes};
    key(Qt::Key_Delete);
    EXPECT_EQ(titles(grid()), "t1,t6");
}

TEST_F(BrowseWindow, DeleteTheRowsOfTheChosenDiskThenEverything) {
    start({row("1", "FILMS", "a"), row("2", "SERIES", "b", "1 Mo", "0A1B"), row("3", "FILMS", "c"),
           row("4", "series", "d", "1 Mo", "0A1B")});
    // Disks are listed once regardless of letter case, but deleted by the exact entry.
    ASSERT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->count(), 2);
    widget<QListWidget>(form2, "ListBox_hd_referencer")->setCurrentRow(1);
    EXPECT_EQ(widget<QLabel>(form2, "Label_hd_selectionner")->text(), "SERIES-0A1B");
    // A row deleted that leaves both disks in the list leaves the highlighted disk as it was.
    select(3, 3);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_del")->click();
    EXPECT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->currentRow(), 1);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_effacer_liste_un_hd")->click();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{
                              " Effacer le média sélectionné  ?",
                              " Effacer les 1 médias de la liste et relatives au disque SERIES-0A1B ?",
                              "1 médias effacés de la liste et relatives au disque SERIES-0A1B"}));
    EXPECT_EQ(titles(grid()), "a,d");

    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_vider_bd")->click();
    EXPECT_EQ(ui.texts().back(), " Effacer tous les 2 médias de la liste ?            ");
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->count(), 0);
    EXPECT_EQ(widget<QLabel>(form2, "Label_n")->text(), QString::fromUtf8("aucun média"));
}

TEST_F(BrowseWindow, FavouritesFolderChosenHereShowsInBothWindowsAndOpens) {
    startWithRows(1);
    const std::string chosen = dir.file("mes favoris");
    platform::createFolders(chosen);
    ui.folderAnswers = {chosen};
    widget<QPushButton>(form2, "BitBtn_rep_favori")->click();
    EXPECT_EQ(widget<QLabel>(form2, "Label_rep_favori")->text(), u(chosen));
    EXPECT_EQ(widget<QLabel>(form1, "Label_rep_favori")->text(), u(chosen));
    widget<QToolButton>(form2, "SpeedButton1")->click();
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"folder", chosen}}));
}

// Deletions and marks act on exactly the rows highlighted in the table on screen.
class HighlightedRows : public BrowseWindow {
protected:
    void click(QTableView* table, int row, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, m, rowCentre(table, row));
    }
    // Effacer with nothing highlighted: a short message and no question (an unexpected one fails).
    void expectNothingDeleted(const char* after) {
        SCOPED_TRACE(after);
        const int before = rows();
        ui.shown.clear();
        widget<QPushButton>(form2, "Button_del")->click();
        EXPECT_EQ(ui.texts(), std::vector<std::string>{" aucun média sélectionné"});
        EXPECT_EQ(rows(), before);
    }
};

TEST_F(HighlightedRows, CtrlClickedRowsAloneAreMarkedAndDeleted) {
    startWithRows(6);
    click(grid(), 2);
    click(grid(), 5, Qt::ControlModifier);
    ASSERT_EQ(selectedRows(), (std::vector<int>{2, 5}));
    key(Qt::Key_Space);
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{"", " x", "", "", " x", ""}));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "2");

    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_del")->click();
    EXPECT_EQ(ui.texts().back(), " Effacer les 2 médias sélectionnés de la liste ?");
    EXPECT_EQ(titles(grid()), "t1,t3,t4,t6");
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    // The arrows go on from the row now highlighted.
    key(Qt::Key_Down);
    EXPECT_EQ(selectedRows(), std::vector<int>{3});
}

TEST_F(HighlightedRows, InASearchResultTheChosenResultRowIsDeleted) {
    start({row("1", "FILMS", "alien"), row("2", "FILMS", "brazil"), row("3", "FILMS", "alien 2"),
           row("4", "FILMS", "casino")});
    select(1, 2); // the full table's selection, hidden by the result
    widget<QLineEdit>(form2, "Edit1")->setText("alien");
    widget<QPushButton>(form2, "Button_rechercher")->click();
    click(filterGrid(), 2);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_del")->click();
    EXPECT_EQ(ui.texts(), std::vector<std::string>{" Effacer le média sélectionné  ?"});
    EXPECT_EQ(titles(grid()), "alien,brazil,casino");
    EXPECT_EQ(titles(filterGrid()), "alien");
    EXPECT_EQ(shownTable(), filterGrid());
}

TEST_F(HighlightedRows, NothingIsDeletedWhenASortOrADiskDeletionLeftNothingHighlighted) {
    start({row("1", "FILMS", "a"), row("2", "SERIES", "b", "1 Mo", "0A1B"), row("3", "FILMS", "c"),
           row("4", "SERIES", "d", "1 Mo", "0A1B"), row("5", "FILMS", "e")});
    click(grid(), 2);
    doubleClickHeader(grid(), kTitle);
    EXPECT_TRUE(selectedRows().empty());
    expectNothingDeleted("a sort");

    click(grid(), 1);
    widget<QListWidget>(form2, "ListBox_hd_referencer")->setCurrentRow(1);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_effacer_liste_un_hd")->click();
    ASSERT_EQ(rows(), 3);
    expectNothingDeleted("a deletion by disk");

    // A reload highlights its first row, and that row alone is what Effacer takes.
    click(grid(), 3);
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    widget<QPushButton>(form2, "Button_charger_bd")->click();
    ASSERT_EQ(rows(), 5);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 2}));
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_del")->click();
    EXPECT_EQ(ui.texts().back(), " Effacer les 2 médias sélectionnés de la liste ?");
    EXPECT_EQ(titles(grid()), "c,d,e");
}

TEST_F(HighlightedRows, AClickMovesTheFixedEndOfShiftSelections) {
    startWithRows(25);
    click(grid(), 5);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{5, 6, 7}));
    click(grid(), 20);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{20, 21}));

    // Shift+click spans from the clicked row; Shift+Up goes on from the same end.
    click(grid(), 10);
    click(grid(), 13, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{10, 11, 12, 13}));
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{10, 11, 12}));

    // "début" and "fin": the arrows continue from the row they chose.
    click(grid(), 9);
    widget<QPushButton>(form2, "Button_debut")->click();
    key(Qt::Key_Down);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    widget<QPushButton>(form2, "Button_fin")->click();
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{24, 25}));
}

// The views that follow the list: the mark counter and the search result.
TEST_F(BrowseWindow, TheMarkCounterReadsZeroAfterStartUpAndAfterTheCollectionWindow) {
    startWithRows(4);
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "0");
    widget<QLineEdit>(form2, "Edit1")->setText("t");
    widget<QPushButton>(form2, "Button_rechercher")->click();
    widget<QPushButton>(form2, "BitBtn_tout_cocher")->click();
    ASSERT_EQ(widget<QLabel>(form2, "Label10")->text(), "4");
    form1->FormActivate(); // each activation of the collection window
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "0");
    EXPECT_EQ(marks(program.globalList.table), std::vector<std::string>(4, ""));
    EXPECT_EQ(marks(form2->browseState().filter), std::vector<std::string>(4, ""));
}

TEST_F(BrowseWindow, EmptyingTheListEmptiesTheSearchResultShown) {
    startWithRows(5);
    widget<QLineEdit>(form2, "Edit1")->setText("t");
    widget<QPushButton>(form2, "Button_rechercher")->click();
    ASSERT_EQ(filterGrid()->model()->rowCount(), 5);
    ui.answers = {DialogButton::Yes};
    widget<QPushButton>(form2, "Button_vider_bd")->click();
    EXPECT_EQ(filterGrid()->model()->rowCount(), 0);
    widget<QPushButton>(form2, "BitBtn_tout_cocher")->click();
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "0");
}

// "Copie multiple (x)" in the window: marked rows of a plugged disk and of an absent one.
class CopyWindow : public BrowseWindow {
protected:
    void SetUp() override {
        SKIP_ON_WINDOWS(kFolderDrives);
        plugFilms({});
        dir.write("FILMS/films/Alien.avi", std::string(700000, 'a'));
        dir.write("FILMS/films/Brazil.avi", std::string(300000, 'b'));
        dir.write("FILMS/films/Casablanca.avi", std::string(500000, 'c'));
        start({row("1", "FILMS", "Alien"), row("2", "ABSENT", "Loin", "700 Mo", "0000FFFF"),
               row("3", "FILMS", "Brazil"), row("4", "FILMS", "Casablanca")});
        platform::createFolders(favourites());
        program.globalList.favouritesCaption = favourites();
        QTest::mouseClick(widget<QPushButton>(form2, "BitBtn_tout_cocher"), Qt::LeftButton);
    }
    std::string favourites() { return dir.file("favoris"); }
    std::vector<std::string> copied() {
        std::vector<std::string> names = platform::folderEntries(favourites());
        std::sort(names.begin(), names.end());
        return names;
    }
    void pressCopy() {
        QTest::mouseClick(widget<QPushButton>(form2, "Button_copie_multiple"), Qt::LeftButton);
    }
};

TEST_F(CopyWindow, ThePanelShowsTheProgressWhileTheListIsLockedAndTheAbsentDiskIsListed) {
    std::vector<std::string> counters;
    bool panelShown = false, locked = true, batchBarShown = false;
    ui.onProcessEvents = [&] {
        const std::string counter = widget<QLabel>(form2, "Label18")->text().toStdString();
        if (counters.empty() || counters.back() != counter) counters.push_back(counter);
        panelShown = panelShown || widget<QFrame>(form2, "Panel3")->isVisible();
        batchBarShown = batchBarShown || widget<QWidget>(form2, "ProgressBar2")->isVisible();
        for (const char* name : {"Button_vider_bd", "Button_del", "Button_charger_bd", "Button_undo",
                                 "Button_copie_multiple", "BitBtn1", "Button_rechercher"})
            locked = locked && !widget<QPushButton>(form2, name)->isEnabled();
        locked = locked && !form1->isEnabled();
        // A picture to look at, the panel and the missing sources shown, at 1366 x 768.
        const QString pictures = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
        if (!pictures.isEmpty() && counter == "2 / 4") {
            form2->resize(1366, 738);
            QApplication::processEvents();
            form2->grab().save(pictures + "/copy_panel_1366x768.png");
        }
    };
    ui.answers = {DialogButton::Yes};
    pressCopy();
    ui.onProcessEvents = nullptr;

    EXPECT_EQ(copied(), (std::vector<std::string>{"Alien.avi", "Brazil.avi", "Casablanca.avi",
                                                  "a_rapatrier.txt", "fichiers_inexistants.txt"}));
    EXPECT_EQ(counters, (std::vector<std::string>{"1 / 4", "2 / 4", "3 / 4"}));
    EXPECT_TRUE(panelShown);
    EXPECT_TRUE(batchBarShown);
    EXPECT_TRUE(locked);
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{"", " x", "", ""}));
    EXPECT_EQ(widget<QLabel>(form2, "Label10")->text(), "1");
    EXPECT_EQ(
        ui.shown.back().text,
        "3 copies effectuées sur 4 demandées  \n\n            les autres existant déjà (ou stop demandé)");
    // All back as it was.
    EXPECT_FALSE(widget<QFrame>(form2, "Panel3")->isVisible());
    EXPECT_FALSE(widget<QWidget>(form2, "Memo1")->isVisible());
    EXPECT_TRUE(widget<QPushButton>(form2, "Button_vider_bd")->isEnabled());
    EXPECT_TRUE(form1->isEnabled());
}

TEST_F(CopyWindow, EscapeOrAnnulerStopsAfterTheCurrentBlockAndQuittingWaits) {
    bool pressed = false;
    ui.onProcessEvents = [&] {
        if (pressed || widget<QLabel>(form2, "Label18")->text() != "2 / 4") return;
        pressed = true;
        QTest::keyClick(grid(), Qt::Key_Escape);
    };
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    pressCopy();
    EXPECT_EQ(copied(),
              (std::vector<std::string>{"Alien.avi", "a_rapatrier.txt", "fichiers_inexistants.txt"}));
    EXPECT_EQ(ui.shown[1].text, " Arrêter la copie ?");
    // Brazil, stopped, loses its mark as the rows handled; Casablanca keeps it for the next run.
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{"", " x", "", " x"}));
    EXPECT_EQ(
        ui.shown.back().text,
        "1 copies effectuées sur 4 demandées  \n\n            les autres existant déjà (ou stop demandé)");

    // "Annuler" of the panel, and closing the window, during the next copy: both ask the copy to
    // stop, and the window stays.
    pressed = false;
    ui.shown.clear();
    ui.onProcessEvents = [&] {
        if (pressed || widget<QLabel>(form2, "Label18")->text() != "1 / 2") return;
        pressed = true;
        form2->close();
        EXPECT_TRUE(form2->isVisible());
        EXPECT_TRUE(program.StopRequested);
        program.StopRequested = false;
        QTest::mouseClick(widget<QPushButton>(form2, "BitBtn3"), Qt::LeftButton);
    };
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    pressCopy();
    ui.onProcessEvents = nullptr;
    EXPECT_EQ(ui.shown[1].text, " Arrêter la copie ?");
    EXPECT_EQ(copied(),
              (std::vector<std::string>{"Alien.avi", "a_rapatrier.txt", "fichiers_inexistants.txt"}));
    EXPECT_TRUE(form2->isVisible());
}

TEST_F(CopyWindow, CopierVersLesFavorisOfTheContextPanelCopiesTheRightClickedRow) {
    bool panelShown = false;
    std::string sizeShown;
    ui.onProcessEvents = [&] {
        panelShown = panelShown || widget<QFrame>(form2, "Panel3")->isVisible();
        sizeShown = widget<QLabel>(form2, "Label17")->text().toStdString();
    };
    rightClick(3);
    ASSERT_TRUE(widget<QFrame>(form2, "Panel1")->isVisible());
    QTest::mouseClick(widget<QPushButton>(form2, "BitBtn_copie_un_par_un"), Qt::LeftButton);
    ui.onProcessEvents = nullptr;
    EXPECT_EQ(copied(), (std::vector<std::string>{"Brazil.avi"}));
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(sizeShown, "700 Mo"); // the row's size text, as the context panel showed it
    EXPECT_FALSE(widget<QFrame>(form2, "Panel1")->isVisible());
    EXPECT_FALSE(widget<QFrame>(form2, "Panel3")->isVisible());
    EXPECT_TRUE(ui.texts().empty()); // the single copy says nothing when it succeeds
    EXPECT_EQ(marks(program.globalList.table), (std::vector<std::string>{" x", " x", " x", " x"}));
}

// The retrieval plan: marked files of four disks, one plugged in, copied; the three others wait
// in "Disques à brancher" until one is plugged in, here and after a restart.
class PlanWindow : public BrowseWindow {
protected:
    void SetUp() override {
        SKIP_ON_WINDOWS(kFolderDrives);
        plugFilms({"Alien"});
        start({row("1", "FILMS", "Alien", "1 Ko"), row("2", "SERIES", "Lost", "2 Ko", "0000AAAA"),
               row("3", "CONCERTS", "Live", "1 Ko", "0000BBBB"),
               row("4", "SERIES", "Dallas", "1 Ko", "0000AAAA"),
               row("5", "PHOTOS", "Expo", "3 Mo", "0000CCCC")});
        platform::createFolders(favourites());
        program.globalList.favouritesCaption = favourites();
    }
    std::string favourites() { return dir.file("favoris"); }
    // A folder made a drive, holding films/<title>.avi for each title.
    void plugDisk(const std::string& disk, const std::string& serial,
                  const std::vector<std::string>& titles) {
        platform::createFolders(dir.file(disk + "/films"));
        for (const auto& t : titles) dir.write(disk + "/films/" + t + ".avi", disk + " " + t);
        drives.add(dir.file(disk), disk, serial, platform::kDriveRemovable);
    }
    void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // What the system's device notification does.
    void notifyDevices() {
        DeviceWatcher* watcher = form1->findChild<DeviceWatcher*>();
        ASSERT_NE(watcher, nullptr);
        emit watcher->devicesChanged();
        settle();
    }
    void showPanel() {
        if (!widget<QFrame>(form2, "Panel_a_rapatrier")->isVisibleTo(form2))
            QTest::mouseClick(widget<QPushButton>(form2, "Button_disques_a_brancher"), Qt::LeftButton);
        ASSERT_TRUE(widget<QFrame>(form2, "Panel_a_rapatrier")->isVisibleTo(form2));
    }
    QTreeWidget* disks() { return widget<QTreeWidget>(form2, "ListView_disques"); }
    // "name|serial|files|size|state" of each line of the panel.
    std::vector<std::string> diskLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < disks()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < disks()->columnCount(); ++c) cells << disks()->topLevelItem(i)->text(c);
            lines.push_back(cells.join('|').toStdString());
        }
        return lines;
    }
    std::string total() { return widget<QLabel>(form2, "Label_total_plan")->text().toStdString(); }
    std::string kb(int n) { return FormatTaille(n * 1024LL); }
    std::string concerts() { return "CONCERTS|0000BBBB|1|" + kb(1) + "|"; }
    std::string photos(const std::string& state = "") {
        return "PHOTOS|0000CCCC|1|" + FormatTaille(3 * 1048576LL) + "|" + state;
    }
};

TEST_F(PlanWindow, TheDisksToFetchAreListedAndAnArrivalIsCopiedAlsoAfterARestart) {
    form2->resize(1366, 738); // a laptop's screen, for the pictures
    const QString pictures = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    QTest::mouseClick(widget<QPushButton>(form2, "BitBtn_tout_cocher"), Qt::LeftButton);
    ui.answers = {DialogButton::Yes};
    QTest::mouseClick(widget<QPushButton>(form2, "Button_copie_multiple"), Qt::LeftButton);
    ASSERT_TRUE(platform::isFile(dir.file("favoris/Alien.avi")));

    showPanel();
    EXPECT_EQ(diskLines(),
              (std::vector<std::string>{"SERIES|0000AAAA|2|" + kb(3) + "|", concerts(), photos()}));
    EXPECT_EQ(total(), "Total : 4 fichier(s) sur 3 disque(s), " + FormatTaille(4 * 1024LL + 3 * 1048576LL));
    settle();
    if (!pictures.isEmpty()) form2->grab().save(pictures + "/plan_panel_1366x768.png");

    // SERIES plugged in: the question, Oui, its files copied under the lock, its line gone.
    plugDisk("SERIES", "0000AAAA", {"Lost", "Dallas"});
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    bool locked = true, copying = false;
    ui.onProcessEvents = [&] {
        copying = true;
        locked = locked && !form1->isEnabled() &&
                 !widget<QPushButton>(form2, "Button_vider_plan")->isEnabled() &&
                 !widget<QPushButton>(form2, "BitBtn_rep_favori")->isEnabled();
    };
    notifyDevices();
    ui.onProcessEvents = nullptr;
    EXPECT_TRUE(copying && locked);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Le disque SERIES est branché : copier ses 2 fichiers (" +
                                                        kb(3) + ") vers les favoris ?",
                                                    "2 copies effectuées sur 2 demandées  \n\n            "
                                                    "les autres existant déjà (ou stop demandé)"}));
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Lost.avi")), "SERIES Lost");
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Dallas.avi")), "SERIES Dallas");
    EXPECT_EQ(diskLines(), (std::vector<std::string>{concerts(), photos()}));
    EXPECT_TRUE(form1->isEnabled());
    // Another notification with SERIES still there asks nothing.
    ui.shown.clear();
    notifyDevices();
    EXPECT_TRUE(ui.shown.empty());

    // A restart: the same two disks wait; CONCERTS plugged in is offered, with the global-list
    // window brought on screen for the copy's panel.
    ProgramState again;
    again.programFolder = dir.path();
    // The windows over `again` go before it does, whatever ends the test.
    struct Closing {
        WindowsUnderTest& w;
        ~Closing() {
            w.form1 = nullptr;
            w.form2 = nullptr;
            w.windows.reset();
            w.app.reset();
        }
    } closing{*this};
    ui.answers = {DialogButton::Yes}; // the load of the list
    buildWindows(again, ui);
    form1->show();
    form1->FormActivate();
    settle();
    form2->show();
    form2->resize(1366, 738);
    showPanel();
    EXPECT_EQ(diskLines(), (std::vector<std::string>{concerts(), photos()}));
    form2->hide();
    plugDisk("CONCERTS", "0000BBBB", {"Live"});
    ui.answers = {DialogButton::Yes};
    notifyDevices();
    EXPECT_EQ(TempFolder::read(dir.file("favoris/Live.avi")), "CONCERTS Live");
    EXPECT_TRUE(form2->isVisible());

    // PHOTOS plugged in and declined: marked as plugged in the panel.
    plugDisk("PHOTOS", "0000CCCC", {});
    ui.answers = {DialogButton::No};
    notifyDevices();
    showPanel();
    EXPECT_EQ(diskLines(), (std::vector<std::string>{photos("branché : " + dir.file("PHOTOS"))}));
    if (!pictures.isEmpty()) form2->grab().save(pictures + "/plan_panel_plugged.png");
    // "Copier maintenant" for the plugged disk chosen: it asks again (declined here).
    auto* copyNow = widget<QPushButton>(form2, "Button_copier_disque");
    EXPECT_FALSE(copyNow->isEnabled());
    disks()->setCurrentItem(disks()->topLevelItem(0));
    EXPECT_TRUE(copyNow->isEnabled());
    ui.shown.clear();
    ui.answers = {DialogButton::No};
    QTest::mouseClick(copyNow, Qt::LeftButton);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.shown[0].text.starts_with("Le disque PHOTOS est branché : copier ses 1 fichiers"));
    EXPECT_EQ(diskLines().size(), 1u);

    // Another favourites folder chosen in the collection window: the plan goes there.
    const std::string moved = dir.file("nouveaux_favoris");
    platform::createFolders(moved);
    ui.folderAnswers = {moved};
    QTest::mouseClick(widget<QPushButton>(form1, "BitBtn_rep_favori"), Qt::LeftButton);
    EXPECT_FALSE(platform::exists(dir.file("favoris/a_rapatrier.txt")));
    EXPECT_TRUE(platform::isFile(dir.file("nouveaux_favoris/a_rapatrier.txt")));
    EXPECT_EQ(diskLines().size(), 1u);

    // The disk removed from the panel after its question: the plan is empty and its file gone.
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    disks()->setCurrentItem(disks()->topLevelItem(0));
    QTest::mouseClick(widget<QPushButton>(form2, "Button_retirer_disque"), Qt::LeftButton);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{" Retirer du plan les 1 fichier(s) du disque PHOTOS (0000CCCC) ?"}));
    EXPECT_TRUE(diskLines().empty());
    EXPECT_EQ(total(), " Aucun fichier à rapatrier ");
    EXPECT_FALSE(widget<QPushButton>(form2, "Button_vider_plan")->isEnabled());
    EXPECT_FALSE(platform::exists(dir.file("nouveaux_favoris/a_rapatrier.txt")));
}
