#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/settings.h"
#include "collect/found_actions.h"
#include "collect/scan_rules.h"
#include "platform/files.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/cp1252.h"
#include "util/file_helpers.h"
#include "windows_under_test.h"

using namespace verdan;
using namespace verdan::test;

namespace {
QString u(const std::string& s) {
    return QString::fromStdString(s);
}

// A Ui that lets the test look at the window while a report is on screen.
class WatchingUi : public FakeUi {
public:
    std::function<void()> onInfo;
    void showInfo(const std::string& text) override {
        if (onInfo) onInfo();
        FakeUi::showInfo(text);
    }
};
} // namespace

// The collection window with a found list over real and vanished files, driven with the mouse
// and the keyboard.
class FoundWindow : public ::testing::Test, public WindowsUnderTest {
protected:
    FoundWindow() {
        program.programFolder = dir.path();
        listFolder = joinPath(dir.path(), "listes");
        platform::createFolders(listFolder);
        platform::createFolders(dir.file("films"));
        alien = dir.write("films/Alien.avi", "alien");
        brazil = dir.write("films/Brazil.mkv", "brazil");
        lost = dir.file("films/Perdu é?.avi");
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder)
            << "\r\n[Options]\r\nCheckBox_mode_avancer=0\r\n";
        buildWindows(program, ui);
        form1->show();
        form1->FormActivate();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form1));
        for (const std::string& path : {alien, brazil, lost})
            form1->state().found.insert(makeFoundLine("2020-01-01 10:00", 5, path, ","));
        form1->state().foundCountCaption = "3";
        form1->refreshCollection();
        ui.shown.clear();
    }
    ~FoundWindow() override { windows.reset(); }

    QListView* list() { return widget<QListView>(form1, "ListBox_media_un_hd"); }
    QWidget* panel1() { return widget<QWidget>(form1, "Panel1"); }
    QWidget* panel3() { return widget<QWidget>(form1, "Panel3"); }
    QPushButton* button(const char* name) { return widget<QPushButton>(form1, name); }
    QLineEdit* edit(const char* name) { return widget<QLineEdit>(form1, name); }
    int lineOf(const std::string& path) {
        for (std::size_t i = 0; i < form1->state().found.size(); ++i)
            if (foundLinePath(form1->state().found.at(i)) == path) return static_cast<int>(i);
        ADD_FAILURE() << path;
        return 0;
    }
    QPoint lineCentre(int line) { return list()->visualRect(list()->model()->index(line, 0)).center(); }
    void moveOver(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, list()->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &move);
    }
    void rightClick(QPoint at) {
        moveOver(at);
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, at);
    }
    void doubleClick(QAbstractItemView* view, QPoint at) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
    }
    void select(std::initializer_list<int> lines) {
        list()->selectionModel()->clearSelection();
        for (int l : lines)
            list()->selectionModel()->select(list()->model()->index(l, 0), QItemSelectionModel::Select);
    }
    std::string paramFile() const { return joinPath(listFolder, "liste_globale_médias.prm"); }
    CatalogueParams savedParams() const {
        CatalogueParams read;
        EXPECT_TRUE(lire_parametre_liste(paramFile(), read));
        return read;
    }
    const std::string announce = "Paramètres enregistrés  dans    \n\nliste_globale_médias.prm";

    TempFolder dir;
    std::string listFolder, alien, brazil, lost;
    ProgramState program;
    WatchingUi ui;
};

TEST_F(FoundWindow, HintFollowsThePointerAndRightClickOpensThePanelSizedForItsButtons) {
    moveOver(lineCentre(1));
    EXPECT_EQ(list()->currentIndex().row(), 1);
    EXPECT_EQ(list()->toolTip(), u("1   Brazil.mkv   "));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), u("1   Brazil.mkv   "));
    EXPECT_TRUE(list()->selectionModel()->selectedRows().isEmpty()); // the pointer selects nothing

    // The first line like any other.
    rightClick(lineCentre(0));
    ASSERT_TRUE(panel1()->isVisible());
    const FoundFilePanel& p = form1->state().foundPanel;
    EXPECT_EQ(widget<QLabel>(form1, "Label11")->text(), u("Alien.avi"));
    EXPECT_EQ(widget<QLabel>(form1, "Label12")->text(), u(dir.file("films")));
    EXPECT_EQ(panel1()->geometry(), QRect(p.left, p.top, p.width, panel1()->height()));
    EXPECT_GE(p.width, 500);
    // Within the list, whose right edge it never passes.
    const QRect listRect(list()->mapTo(form1->centralWidget(), QPoint(0, 0)), list()->size());
    EXPECT_LE(panel1()->geometry().right(), listRect.right());
    int left = 10;
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn4", "BitBtn3"}) {
        EXPECT_EQ(button(name)->x(), left) << name;
        EXPECT_EQ(button(name)->width(), p.buttonWidth) << name;
        // Every caption shows whole in the window's font.
        EXPECT_GE(button(name)->width(), button(name)->sizeHint().width()) << name;
        left += p.buttonWidth + 10;
    }
    EXPECT_TRUE(list()->selectionModel()->selectedRows().isEmpty());

    // While the panel is open the hints are quiet; a left click in the list closes it.
    moveOver(lineCentre(2));
    EXPECT_FALSE(QToolTip::isVisible());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, lineCentre(2));
    EXPECT_FALSE(panel1()->isVisible());
    EXPECT_TRUE(form1->state().foundHintsOn);

    // Below the last line nothing opens.
    rightClick(QPoint(10, list()->viewport()->height() - 3));
    EXPECT_FALSE(panel1()->isVisible());

    // A long name widens the panel; the buttons share the width.
    const std::string longName = dir.write("films/" + std::string(120, 'L') + ".avi", "x");
    form1->state().found.insert(makeFoundLine("2020-01-01 10:00", 1, longName, ","));
    form1->refreshCollection();
    rightClick(lineCentre(lineOf(longName)));
    ASSERT_TRUE(panel1()->isVisible());
    EXPECT_GT(panel1()->width(), 500);
    EXPECT_EQ(button("BitBtn1")->width(), (panel1()->width() - 50) / 4);
    EXPECT_EQ(button("BitBtn3")->x(), 3 * button("BitBtn3")->width() + 40);
    button("BitBtn3")->click(); // Annuler
    EXPECT_FALSE(panel1()->isVisible());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(FoundWindow, ThePanelButtonsActOnTheRightClickedFile) {
    rightClick(lineCentre(lineOf(brazil)));
    button("BitBtn1")->click(); // Ouvrir le dossier
    EXPECT_FALSE(panel1()->isVisible());
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"show", brazil}}));

    rightClick(lineCentre(lineOf(alien)));
    button("BitBtn4")->click(); // Visionner/écouter
    EXPECT_FALSE(panel1()->isVisible());
    EXPECT_EQ(shell.calls.back(), (FakeShell::Call{"open", alien}));

    // The copy tells of itself in Label_attente, which then shows what it showed before.
    const std::string favourites = dir.file("favoris");
    platform::createFolders(favourites);
    program.settings.favouritesFolder = favourites;
    QLabel* status = widget<QLabel>(form1, "Label_attente");
    status->setText("avant");
    QString duringCopy;
    ui.onInfo = [&] { duringCopy = status->text(); };
    rightClick(lineCentre(lineOf(alien)));
    ui.answers = {DialogButton::Yes};
    button("BitBtn2")->click(); // Copier vers les favoris
    EXPECT_EQ(duringCopy, u("Copie en cours ..."));
    EXPECT_EQ(status->text(), u("avant"));
    EXPECT_FALSE(panel1()->isVisible());
    EXPECT_EQ(TempFolder::read(joinPath(favourites, "Alien.avi")), "alien");
    EXPECT_EQ(ui.shown.back().text, "Copie réussie : " + joinPath(favourites, "Alien.avi"));

    // "Visionner/écouter" on a vanished file gives the rename help.
    rightClick(lineCentre(lineOf(lost)));
    ui.answers = {DialogButton::No};
    bool panelDuringQuestion = false;
    ui.onAsk = [&] { panelDuringQuestion = panel3()->isVisible(); };
    button("BitBtn4")->click();
    EXPECT_TRUE(panelDuringQuestion);
    EXPECT_FALSE(panel3()->isVisible()); // "non" hides it
    EXPECT_EQ(ui.shown.back().text.rfind(lost + "\n\n Ce fichier semble introuvable", 0), 0u);
}

TEST_F(FoundWindow, DoubleClickOpensOrGivesTheRenameHelpFromBothLists) {
    doubleClick(list(), lineCentre(lineOf(alien)));
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"open", alien}}));
    EXPECT_TRUE(ui.shown.empty());

    // The rename panel names the file before the question is asked.
    QRect during;
    QString nameDuring;
    ui.onAsk = [&] {
        during = panel3()->isVisible() ? panel3()->geometry() : QRect();
        nameDuring = widget<QLabel>(form1, "Label1")->text();
    };
    ui.answers = {DialogButton::Yes};
    doubleClick(list(), lineCentre(lineOf(lost)));
    EXPECT_EQ(during.topLeft(), QPoint(20, 20));
    EXPECT_EQ(during.width(), form1->width() - 50);
    EXPECT_EQ(nameDuring, u("Perdu é?.avi"));
    EXPECT_EQ(ui.shown.back().text,
              lost + "\n\n Ce fichier semble introuvable, peut-être dû à des caractères spéciaux \n\n" +
                  "  (oui) => Renommer ce fichier dans le répertoire\n\n" +
                  "      le presse_papier contient le nom corrigé : Perdu é?\n\n\n  (non) => ignorer ");
    EXPECT_EQ(ui.clipboard, (std::vector<std::string>{"Perdu é?"}));
    EXPECT_EQ(shell.calls.back(), (FakeShell::Call{"folder", dir.file("films")}));
    // "oui" leaves it until its X.
    EXPECT_TRUE(panel3()->isVisible());
    widget<QToolButton>(form1, "SpeedButton2")->click();
    EXPECT_FALSE(panel3()->isVisible());
    EXPECT_FALSE(form1->state().renamePanelVisible);
    form1->refreshCollection(); // and it does not come back at the next refresh
    EXPECT_FALSE(panel3()->isVisible());

    // The N/A list asks the same question without the panel.
    UnreadablePanel& na = form1->state().unreadablePanel;
    na.visible = true;
    na.lines = {form1->state().found.at(static_cast<std::size_t>(lineOf(lost))) + " = 2"};
    form1->refreshCollection();
    auto* naList = widget<QListWidget>(form1, "ListBox_na");
    ASSERT_EQ(naList->count(), 1);
    ui.clipboard.clear();
    ui.answers = {DialogButton::Yes};
    during = QRect(1, 1, 1, 1);
    doubleClick(naList, naList->visualItemRect(naList->item(0)).center());
    EXPECT_EQ(during, QRect());
    EXPECT_EQ(ui.shown.back().text.rfind(lost + "\n\n", 0), 0u);
    EXPECT_EQ(ui.clipboard, (std::vector<std::string>{"Perdu é?"}));
    EXPECT_FALSE(panel3()->isVisible());
}

TEST_F(FoundWindow, DeleteKeyInTheListDeletesTheHighlightedLinesButEditsACategoryBox) {
    select({lineOf(alien), lineOf(lost)});
    // The focus mark on another line than the highlighted ones: the highlighted go.
    list()->selectionModel()->setCurrentIndex(list()->model()->index(lineOf(brazil), 0),
                                              QItemSelectionModel::NoUpdate);
    list()->setFocus();
    ui.answers = {DialogButton::Yes};
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{" Effacer le ou les médias sélectionnés  ?"}));
    ASSERT_EQ(list()->model()->rowCount(), 1);
    EXPECT_EQ(foundLinePath(form1->state().found.at(0)), brazil);
    EXPECT_EQ(widget<QLabel>(form1, "Label6")->text(), u("3")); // the count stays the scan's

    // In a category box Delete edits the box, and the edit is kept for the quit.
    select({0});
    QLineEdit* name = edit("Edit_type_media_1_");
    name->setFocus();
    name->setText("xfilms");
    name->setCursorPosition(0);
    program.catalogue.ParamsModified = false;
    QTest::keyClick(name, Qt::Key_Delete);
    EXPECT_EQ(name->text(), u("films"));
    EXPECT_EQ(program.catalogue.params.media[0].name, "films");
    EXPECT_TRUE(program.catalogue.ParamsModified);
    // The category's labels in both windows follow the typing; the box keeps the cursor where it is.
    EXPECT_EQ(widget<QLabel>(form1, "Label_media_1_")->text(), u("films"));
    EXPECT_EQ(widget<QLabel>(form2, "Label_media_1_")->text(), u("films"));
    EXPECT_EQ(name->cursorPosition(), 0);
    EXPECT_EQ(list()->model()->rowCount(), 1);

    // "Effacer [suppr]" asks too; "non" keeps the line.
    ui.answers = {DialogButton::No};
    button("BitBtn_delete")->click();
    EXPECT_EQ(list()->model()->rowCount(), 1);
    ui.answers = {DialogButton::Yes};
    select({0});
    button("BitBtn_delete")->click();
    EXPECT_EQ(list()->model()->rowCount(), 0);
    EXPECT_EQ(ui.shown.size(), 3u);
}

TEST_F(FoundWindow, EnterInACategoryBoxTheSwitchesAndBitBtn6WriteTheParameterFile) {
    QLineEdit* filter = edit("Edit_filtre_ext_2_");
    filter->setFocus();
    filter->setText("mp3");
    filter->end(false);
    QTest::keyClicks(filter, ", flac");
    EXPECT_TRUE(program.catalogue.ParamsModified); // typed only: the quit would write it
    EXPECT_NE(savedParams().media[1].extensionFilter, "mp3, flac");
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{announce}));
    EXPECT_FALSE(program.catalogue.ParamsModified);
    EXPECT_EQ(savedParams().media[1].extensionFilter, "mp3, flac");

    // Each of the six boxes.
    for (const char* box : {"Edit_type_media_1_", "Edit_type_media_2_", "Edit_filtre_ext_1_",
                            "Edit_taille_mini_1_", "Edit_taille_mini_2_"}) {
        ui.shown.clear();
        edit(box)->setFocus();
        QTest::keyClicks(edit(box), "7");
        QTest::keyClick(edit(box), Qt::Key_Enter);
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{announce})) << box;
    }
    EXPECT_EQ(savedParams().media[1].minimumSize, edit("Edit_taille_mini_2_")->text().toStdString());

    // The user's click on a switch saves; the same value shown after a reading does not.
    ui.shown.clear();
    auto* mini = widget<QCheckBox>(form1, "CheckBox_mini_1_");
    const bool before = mini->isChecked();
    mini->click();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{announce}));
    EXPECT_EQ(savedParams().media[0].minimumSizeOn, !before);
    ui.shown.clear();
    program.catalogue.params.media[0].minimumSizeOn = before;
    program.catalogue.params.media[1].minimumSizeOn = true;
    form1->applyState();
    EXPECT_EQ(mini->isChecked(), before);
    EXPECT_TRUE(widget<QCheckBox>(form1, "CheckBox_mini_2_")->isChecked());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(savedParams().media[0].minimumSizeOn, !before);

    button("BitBtn6")->click();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{announce}));
    EXPECT_EQ(savedParams().media[0].minimumSizeOn, before);
    EXPECT_TRUE(savedParams().media[1].minimumSizeOn);
}

TEST_F(FoundWindow, TypedSeparatorsBecomeCommasAndDoubleClickGivesTheDefault) {
    QLineEdit* filter = edit("Edit_filtre_ext_1_");
    filter->setFocus();
    filter->clear();
    QTest::keyClicks(filter, "avi;mp4.mkv:ts");
    EXPECT_EQ(filter->text(), u("avi,mp4,mkv,ts"));
    EXPECT_EQ(program.catalogue.params.media[0].extensionFilter, "avi,mp4,mkv,ts");
    // Typed over a selection, the comma replaces it like any key.
    filter->setSelection(3, 1);
    QTest::keyClick(filter, ';');
    EXPECT_EQ(filter->text(), u("avi,mp4,mkv,ts"));
    // A text set by the program is left as it is.
    filter->setText("a;b");
    EXPECT_EQ(filter->text(), u("a;b"));

    program.catalogue.ParamsModified = false;
    QTest::mouseDClick(edit("Edit_filtre_ext_2_"), Qt::LeftButton);
    EXPECT_EQ(edit("Edit_filtre_ext_2_")->text(), u("mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi"));
    EXPECT_EQ(program.catalogue.params.media[1].extensionFilter,
              "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi");
    EXPECT_TRUE(program.catalogue.ParamsModified); // not written now, not lost at the quit
    QTest::mouseDClick(filter, Qt::LeftButton);
    EXPECT_EQ(filter->text(), u("avi, mp4, mkv, mov, wmv, flv, vob, ts"));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_NE(savedParams().media[1].extensionFilter, "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi");
}

TEST_F(FoundWindow, FavouritesFolderChosenShowsInBothWindowsAndOpens) {
    const std::string chosen = dir.file("nouveaux favoris");
    ui.folderAnswers = {chosen};
    ui.answers = {DialogButton::Yes};
    button("BitBtn_rep_favori")->click();
    EXPECT_EQ(ui.shown.at(0).text, "Sélection du répertoire");
    EXPECT_EQ(ui.shown.at(1).text, "Le répertoire spécifié n'existe pas. Le créer ?");
    EXPECT_TRUE(platform::isFolder(chosen));
    EXPECT_EQ(widget<QLabel>(form1, "Label_rep_favori")->text(), u(chosen));
    EXPECT_EQ(widget<QLabel>(form2, "Label_rep_favori")->text(), u(chosen));

    widget<QToolButton>(form1, "SpeedButton1")->click();
    EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"folder", chosen}}));
}

// Pictures of the two panels over the window at the common laptop size, when asked for.
TEST_F(FoundWindow, Pictures) {
    const QString shots = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (shots.isEmpty()) GTEST_SKIP() << "set VERDAN_SCREENSHOT_DIR to write the pictures";
    QDir().mkpath(shots);
    form1->resize(1366, 768);
    QTest::qWait(50);
    rightClick(lineCentre(lineOf(brazil)));
    EXPECT_TRUE(form1->grab().save(shots + "/collection_found_panel.png"));
    button("BitBtn3")->click();
    ui.answers = {DialogButton::Yes};
    doubleClick(list(), lineCentre(lineOf(lost)));
    EXPECT_TRUE(form1->grab().save(shots + "/collection_rename_panel.png"));
}
