#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/list_file.h"
#include "platform/files.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"
#include "widget_factory.h"
#include "windows_under_test.h"

using namespace verdan;
using namespace verdan::test;

namespace {
QString u(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

// Both windows over a prepared program folder, driven through their named widgets.
class Windows : public ::testing::Test, public ProgramFixture, public WindowsUnderTest {
protected:
    void writeSettings(bool advanced, const std::string& extra = "") {
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder())
            << "\r\n[Options]\r\nCheckBox_mode_avancer=" << (advanced ? 1 : 0) << "\r\n"
            << extra;
    }
    void start() {
        buildWindows(program, ui);
        form1->show();
        form1->FormActivate();
    }
    QString text1(const char* label) { return widget<QLabel>(form1, label)->text(); }
    QString text2(const char* label) { return widget<QLabel>(form2, label)->text(); }
    void click2(const char* button) { widget<QPushButton>(form2, button)->click(); }
    int rows() { return widget<QTableView>(form2, "StringGrid1")->model()->rowCount(); }
};

TEST_F(Windows, StartUpInAdvancedModeAsksThenShowsTheList) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil")});
    ui.answers = {DialogButton::Yes};
    start();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(widget<QTableView>(form2, "StringGrid1")->model()->index(1, 3).data().toString(), "Brazil");
    EXPECT_EQ(widget<QTableView>(form2, "StringGrid1")->model()->headerData(6, Qt::Horizontal).toString(),
              u("répertoire"));
    EXPECT_EQ(text2("Label_n"), u("2 médias"));
    EXPECT_EQ(widget<QPushButton>(form1, "BitBtn_form2_bis")->text(), u("Liste globale des 2 médias =>"));
    EXPECT_EQ(form1->windowTitle(), u("V E R D A N   v 1 . 9      liste_globale_médias"));
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(widget<QPushButton>(form2, "Button_undo")->isVisibleTo(form2));
    EXPECT_EQ(text2("Label_rep_favori"), QString::fromStdString(joinPath(dir.path(), "favoris")));
}

TEST_F(Windows, StartUpInBasicModeShowsTheGlobalListWithoutAQuestion) {
    writeSettings(false);
    writeList({row("1", "FILMS", "Alien")});
    start();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(widget<QPushButton>(form2, "Button_undo")->isVisibleTo(form2));
    EXPECT_FALSE(widget<QCheckBox>(form2, "CheckBox_mode_avancer")->isChecked());
    EXPECT_EQ(widget<QTableView>(form2, "StringGrid1")->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form2->pos(), form1->pos());
}

TEST_F(Windows, StartUpWithoutAListFileWritesSettingsAndParameters) {
    writeSettings(true);
    start();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(platform::isFile(joinPath(listFolder(), "liste_globale_médias.prm")));
    EXPECT_EQ(text1("Label_nf_media"), u("liste_globale_médias"));
    EXPECT_EQ(widget<QLineEdit>(form1, "Edit_type_media_2_")->text(), u("musiques"));
    EXPECT_FALSE(widget<QGroupBox>(form1, "RadioGroup_index")->isEnabled());
    EXPECT_FALSE(widget<QPushButton>(form1, "BitBtn_reinit")->isEnabled());
}

TEST_F(Windows, SaveThenUndoTwice) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    start();
    program.globalList.table.appendRow({"2", "FILMS", "vidéo", "Brazil"});
    program.globalList.table.ListModified = true;
    ui.answers = {DialogButton::Yes};
    click2("Button_enregistrer_liste");
    EXPECT_EQ(QString::fromStdString(ui.texts().back()), u("   Enregistrement effectué     "));
    EXPECT_NE(text2("Label_date_der_maj"), u("Date de la modification"));

    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    click2("Button_undo");
    EXPECT_EQ(rows(), 1);
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    click2("Button_undo");
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(text2("Label_n"), u("2 médias"));
}

TEST_F(Windows, AChangeFromOneWindowRepaintsEachWindowOnce) {
    writeSettings(true);
    writeList({row("1", "A", "a"), row("2", "A", "b")});
    ui.answers = {DialogButton::Yes};
    start();
    int globalListRepaints = 0;
    // The counter goes with this test; the windows, torn down later, reset the model again.
    QObject counting;
    QObject::connect(widget<QListWidget>(form2, "ListBox_hd_referencer")->model(),
                     &QAbstractItemModel::modelReset, &counting, [&] { ++globalListRepaints; });
    writeList({row("1", "A", "a"), row("2", "B", "b")});
    program.settings.favouritesFolder = dir.file("favoris");
    ui.answers = {DialogButton::Yes};
    click2("Button_charger_bd");
    EXPECT_EQ(globalListRepaints, 1);
    EXPECT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->count(), 2);
    // The collection window shows the program's state as it is now.
    EXPECT_EQ(text1("Label_rep_favori"), QString::fromStdString(dir.file("favoris")));
}

TEST_F(Windows, ReloadAsksToOverwriteOnlyFromThreeRows) {
    writeSettings(true);
    writeList({row("1", "A", "a"), row("2", "A", "b")});
    ui.answers = {DialogButton::Yes};
    start();
    const std::size_t before = ui.shown.size();
    ui.answers = {DialogButton::Yes};
    click2("Button_charger_bd");
    EXPECT_EQ(ui.shown.size(), before + 1);
    writeList({row("1", "A", "a"), row("2", "A", "b"), row("3", "A", "c")});
    ui.answers = {DialogButton::No};
    click2("Button_charger_bd");
    ui.answers = {DialogButton::Yes};
    click2("Button_charger_bd");
    EXPECT_EQ(rows(), 3);
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    click2("Button_charger_bd");
    EXPECT_EQ(QString::fromStdString(ui.texts().back()), u(" écraser les 3 médias actuels ?"));
}

TEST_F(Windows, QuitFromEitherWindowWithAModifiedList) {
    writeSettings(true);
    start();
    program.globalList.table.ListModified = true;
    ui.answers = {DialogButton::No, DialogButton::No};
    widget<QPushButton>(form1, "Button3")->click();
    EXPECT_EQ(ui.texts().size(), 2u);
    EXPECT_NE(ui.texts()[0].find("Enregistrer la liste"), std::string::npos);
    EXPECT_EQ(ui.texts()[1], " Quitter ?");
    ui.answers = {DialogButton::No, DialogButton::No};
    click2("Button_exit");
    EXPECT_EQ(ui.texts()[3], " Quitter ?");
    EXPECT_TRUE(form1->isVisible());
}

// Every way out ends the application's event loop, even when the settings file cannot be written.
TEST_F(Windows, QuitEndsWhenTheSettingsFileCannotBeWritten) {
    writeSettings(true);
    const std::string blocked = dir.write("un_fichier", "x");
    const std::string failure = "Impossible d'écrire dans " + joinPath(blocked, "verdan.ini");
    struct Way {
        const char* name;
        bool asks; // " Quitter ?"; closing the collection window informs instead
        std::function<void()> quit;
    };
    auto basicMode = [&] {
        form2->show();
        widget<QCheckBox>(form2, "CheckBox_mode_avancer")->click();
    };
    const std::vector<Way> ways = {
        {"Quitter, collection window", true, [&] { widget<QPushButton>(form1, "Button3")->click(); }},
        {"Quitter, global-list window", true, [&] { click2("Button_exit"); }},
        {"closing the global-list window in basic mode", true,
         [&] {
             basicMode();
             form2->close();
         }},
        {"closing the collection window", false, [&] { form1->close(); }},
        // The global-list window must not run the quit procedure a second time as it closes.
        {"closing the collection window, global list open in basic mode", false,
         [&] {
             basicMode();
             form1->close();
         }},
    };
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(99); });
    for (const Way& way : ways) {
        program.programFolder = dir.path();
        start();
        program.programFolder = blocked;
        ui.shown.clear();
        if (way.asks) ui.answers = {DialogButton::Yes};
        QTimer::singleShot(0, way.quit);
        watchdog.start(5000);
        EXPECT_EQ(QApplication::exec(), 0) << way.name;
        watchdog.stop();
        std::vector<std::string> errors;
        for (const auto& shown : ui.shown)
            if (shown.type == DialogType::Error) errors.push_back(shown.text);
        EXPECT_EQ(errors, std::vector<std::string>{failure}) << way.name;
        EXPECT_TRUE(ui.answers.empty()) << way.name;
    }
}

TEST_F(Windows, TitleAfterEveryActivationAndMarksCleared) {
    writeSettings(true);
    start();
    program.globalList.table.setCell(1, 13, " x");
    form1->FormActivate();
    EXPECT_EQ(program.globalList.table.cell(1, 13), "");
    EXPECT_TRUE(form1->windowTitle().endsWith(u("      liste_globale_médias")));
}

TEST_F(Windows, FontSize15GivesRowsOf28Pixels) {
    writeSettings(true);
    start();
    widget<QComboBox>(form2, "ComboBox1")->setCurrentIndex(3);
    form2->ComboBox1Change();
    EXPECT_EQ(widget<QTableView>(form2, "StringGrid1")->verticalHeader()->defaultSectionSize(), 28);
    EXPECT_TRUE(program.catalogue.ParamsModified);
    EXPECT_EQ(program.catalogue.params.fontIndex, 3);
}

TEST_F(Windows, BoundsFromTheSettingsFileStayOnTheWorkArea) {
    writeSettings(true, "[Form1]\r\nLeft=-400\r\nTop=-300\r\nWidth=1700\r\nHeight=700\r\n");
    start();
    const QRect work = form1->screen()->availableGeometry();
    EXPECT_EQ(form1->x(), work.left());
    EXPECT_EQ(form1->y(), work.top());
    // Wider than the screen: the window takes what the screen holds.
    EXPECT_LT(form1->width(), 1700);
    EXPECT_EQ(program.settings.collectionWindow.width, form1->width());
    EXPECT_LE(form1->width(), std::max(work.width(), form1->minimumWidth()));
}

TEST_F(Windows, BasicModeHidesTheEditingControls) {
    writeSettings(true);
    start();
    widget<QCheckBox>(form2, "CheckBox_mode_avancer")->click();
    EXPECT_FALSE(program.settings.advancedMode);
    EXPECT_TRUE(program.catalogue.ParamsModified);
    for (const char* name : {"Button_charger_bd", "Button_vider_bd", "Button_enregistrer_liste", "Button_del",
                             "Button_copie_multiple", "BitBtn_tout_cocher"})
        EXPECT_FALSE(widget<QPushButton>(form2, name)->isVisibleTo(form2)) << name;
    EXPECT_TRUE(widget<QPushButton>(form2, "Button_rechercher")->isVisibleTo(form2));
    EXPECT_EQ(widget<QTableView>(form2, "StringGrid1")->toolTip(),
              QString::fromStdString(program.HelpTextSimple));
}

TEST_F(Windows, GlobalListTableAtCreationThenAsTheParameterFileSays) {
    SKIP_ON_WINDOWS(kLinuxFontMetrics);
    writeSettings(true);
    writeList({row("1234567", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    buildWindows(program, ui);
    QTableView* grid = widget<QTableView>(form2, "StringGrid1");
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 15);
    EXPECT_EQ(grid->columnWidth(13), 22);
    EXPECT_EQ(grid->columnWidth(8), 30);

    // A parameter file that says font 8 gives rows of 14 pixels.
    std::ofstream(joinPath(listFolder(), "liste_globale_médias.prm"), std::ios::binary)
        << "[LISTE]\r\nform2.ComboBox1.ItemIndex=0\r\n";
    start();
    grid = widget<QTableView>(form2, "StringGrid1");
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 14);
    EXPECT_EQ(grid->columnWidth(13), 22);
    // Seven digits of the "n" column are shown whole, not cut.
    const QModelIndex n = grid->model()->index(0, 0);
    ASSERT_EQ(n.data().toString(), "1234567");
    const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    const QFontMetrics metrics(grid->font());
    EXPECT_EQ(metrics.elidedText("1234567", Qt::ElideRight, grid->columnWidth(0) - margins), "1234567");
}

TEST_F(Windows, Form2CaptionsHintsAndContextButtonsAsTheCollectionWindowHasThem) {
    writeSettings(true);
    start();
    EXPECT_EQ(widget<QPushButton>(form2, "BitBtn_rep_favori")->text(), u("Dossier des favoris"));
    EXPECT_EQ(widget<QPushButton>(form1, "BitBtn_rep_favori")->text(), u("Répertoire des favoris"));
    // Every hint of either window stays as long and comes as fast.
    for (QWidget* window : {static_cast<QWidget*>(form1), static_cast<QWidget*>(form2)}) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->toolTip().isEmpty()) continue;
            EXPECT_EQ(w->toolTipDuration(), 15000) << w->objectName().toStdString();
            EXPECT_EQ(w->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, w), 50);
            EXPECT_EQ(w->style()->styleHint(QStyle::SH_ToolTip_FallAsleepDelay, nullptr, w), 50);
        }
    }
    // The context panel's buttons are wide enough for their captions.
    for (QPushButton* b :
         {widget<QPushButton>(form2, "BitBtn2"), widget<QPushButton>(form2, "BitBtn_copie_un_par_un"),
          widget<QPushButton>(form2, "BitBtn5"), widget<QPushButton>(form2, "BitBtn4")})
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
}

TEST_F(Windows, LongPathsAreCutToFitWithTheWholePathAsHint) {
    SKIP_ON_WINDOWS(kLinuxFontMetrics);
    const std::string folder = "/media/utilisateur/Un disque externe au nom très long/Favoris/2024";
    writeSettings(true);
    start();
    program.settings.favouritesFolder = folder;
    form1->refreshView();
    auto* label = static_cast<ElidedLabel*>(widget<QLabel>(form1, "Label_rep_favori"));
    EXPECT_EQ(label->text(), QString::fromStdString(folder));
    label->resize(120, label->height());
    EXPECT_NE(label->shownText(), label->text());
    EXPECT_TRUE(label->shownText().startsWith("/"));
    EXPECT_EQ(label->hint(), label->text());
    label->resize(QFontMetrics(label->font()).horizontalAdvance(label->text()) + 10, label->height());
    EXPECT_EQ(label->shownText(), label->text());
    EXPECT_TRUE(label->hint().isEmpty());
    // However long the paths, the window asks for no more room.
    EXPECT_LT(form1->minimumSizeHint().width(), 1366);
}

TEST_F(Windows, MountPointsInTheDriveTableAreCutInTheMiddle) {
    SKIP_ON_WINDOWS("a Windows drive is a letter, never a mount point");
    const std::string a = "/media/utilisateur/DISQUE_EXTERNE_FILMS_A";
    const std::string b = "/media/utilisateur/DISQUE_EXTERNE_FILMS_B";
    drives.add(a, "FILMS_A", "11111111");
    drives.add(b, "FILMS_B", "22222222");
    writeSettings(true);
    start();
    QTableWidget* table = widget<QTableWidget>(form1, "StringGrid_hd");
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->toolTip(), QString::fromStdString(a));
    // Drawn in a narrow cell, the two differ: their ends are kept.
    auto draw = [&](int row) {
        QImage image(110, 18, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.initFrom(table);
        option.rect = image.rect();
        table->itemDelegateForColumn(0)->paint(&painter, option, table->model()->index(row, 0));
        return image;
    };
    EXPECT_NE(draw(0), draw(1));
}

TEST(WidgetByName, AMissingOrMistypedNameFailsTheTestWithoutCrashing) {
    QWidget window;
    window.setObjectName("Form9");
    auto* button = new QPushButton(&window);
    button->setObjectName("BitBtn9");
    EXPECT_EQ(widget<QPushButton>(&window, "BitBtn9"), button);
    EXPECT_NONFATAL_FAILURE(widget<QPushButton>(&window, "BitBtn8")->click(),
                            "no widget named BitBtn8 in Form9");
    EXPECT_NONFATAL_FAILURE(widget<QLabel>(&window, "BitBtn9")->setText("x"), "BitBtn9 is of another type");
    (new QPushButton(&window))->setObjectName("BitBtn9");
    EXPECT_NONFATAL_FAILURE(widget<QPushButton>(&window, "BitBtn9"), "several widgets named BitBtn9");
}

TEST_F(Windows, TheIndexLevelIsUnlockedChosenAndTheListReindexedByClicks) {
    writeSettings(true);
    // The same film twice, by size only: one media at idx1.
    writeList({row("1", "FILMS", "Alien", "700 Mo"), row("2", "FILMS", "Alien", "701 Mo"),
               row("3", "FILMS", "Brazil")});
    ui.answers = {DialogButton::Yes};
    start();
    ui.shown.clear();
    auto* unlock = widget<QCheckBox>(form1, "CheckBox1");
    auto* group = widget<QGroupBox>(form1, "RadioGroup_index");
    auto* reinit = widget<QPushButton>(form1, "BitBtn_reinit");
    EXPECT_FALSE(group->isEnabled());
    EXPECT_FALSE(reinit->isEnabled());

    QTest::mouseClick(unlock, Qt::LeftButton, {}, QPoint(8, unlock->height() / 2));
    EXPECT_TRUE(group->isEnabled());
    EXPECT_TRUE(reinit->isEnabled());
    QAbstractButton* idx1 = widgets::buttonsOf(group)->button(0);
    QTest::mouseClick(idx1, Qt::LeftButton, {}, QPoint(8, idx1->height() / 2));
    EXPECT_TRUE(idx1->isChecked());
    EXPECT_FALSE(group->isEnabled()); // locked again at once
    EXPECT_EQ(text2("Label_idx"), "idx1");
    EXPECT_EQ(rows(), 3);

    ui.answers = {DialogButton::Yes};
    QTest::mouseClick(reinit, Qt::LeftButton);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(text2("Label_n"), u("2 médias"));
    EXPECT_FALSE(unlock->isChecked());
    EXPECT_FALSE(reinit->isEnabled());
    EXPECT_TRUE(program.globalList.table.ListModified);
    EXPECT_EQ(program.catalogue.params.indexLevel, 0);
}

TEST_F(Windows, ADvdListIsImportedThenAddedUnderTheDvdPseudoDisk) {
    drives.add(dir.path(), "SYSTEME", "11112222"); // a machine has at least its system drive
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    start();
    ui.shown.clear();
    ui.fileAnswers.push_back(
        dir.write("dvd.txt", "n\ttitre\r\n12\tLes Temps modernes\r\n3\tM\xe9tropolis\r\n"));
    QTest::mouseClick(widget<QPushButton>(form1, "BitBtn5"), Qt::LeftButton);
    auto* found = widget<QListView>(form1, "ListBox_media_un_hd");
    ASSERT_EQ(found->model()->rowCount(), 2);
    EXPECT_TRUE(found->model()->index(1, 0).data().toString().endsWith(u("12 - :\\Les Temps modernes")));
    EXPECT_EQ(text1("Label6"), "2");

    ui.answers = {DialogButton::Yes};
    QTest::mouseClick(widget<QPushButton>(form1, "BitBtn_rajout_bd"), Qt::LeftButton);
    EXPECT_EQ(rows(), 3);
    auto* table = widget<QTableView>(form2, "StringGrid1");
    EXPECT_EQ(table->model()->index(2, 1).data().toString(), "DVD");
    EXPECT_EQ(table->model()->index(2, 3).data().toString(), u("Les Temps modernes"));
}

TEST_F(Windows, TheListFolderButtonMovesTheCatalogueAndShowsTheFolder) {
    writeSettings(true);
    start();
    ui.shown.clear();
    const std::string folder = dir.file("autres listes");
    platform::createFolders(folder);
    ui.folderAnswers.push_back(folder);
    QTest::mouseClick(widget<QPushButton>(form1, "BitBtn_nomfic_media"), Qt::LeftButton);
    EXPECT_EQ(text1("Label_repfic_media").toStdString(), folder);
    EXPECT_EQ(program.catalogue.paths.ListFolder, folder);
    EXPECT_TRUE(program.catalogue.ParamsModified);
}

// Two catalogues in one folder: the current "liste_globale_médias" and "series".
class WindowsWithTwoCatalogues : public Windows {
protected:
    void SetUp() override {
        writeSettings(true);
        writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil"), row("3", "FILMS", "Casino")});
        writeList({row("1", "SERIES", "Dune"), row("2", "FILMS", "Alien")}, "series");
        CurrentCatalogue series;
        series.paths.derive(listFolder(), "series");
        series.params.media = {{{"séries", "mkv", "10", false}, {"documentaires", "avi", "10", false}}};
        series.params.indexLevel = 0;
        enregistrer_parametre_liste(series, ui, false);
        ui.answers = {DialogButton::Yes};
        start();
        enregistrer_parametre_liste(program.catalogue, ui, false);
        ui.shown.clear();
    }
    std::string prm(const std::string& name) const { return joinPath(listFolder(), name + ".prm"); }
    QString cell(int row, int column) {
        return widget<QTableView>(form2, "StringGrid1")->model()->index(row, column).data().toString();
    }
};

TEST_F(WindowsWithTwoCatalogues, ChoosingAParameterFileCompletesThenReplacesFromEitherWindow) {
    ui.fileAnswers = {prm("series")};
    ui.threeChoiceAnswers = {1};
    ui.answers = {DialogButton::No}; // keep the film both lists hold
    QTest::mouseClick(widget<QPushButton>(form1, "BitBtn_fic_lst"), Qt::LeftButton);
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(cell(3, 3), "Dune");
    EXPECT_EQ(text2("Label_n"), u("5 médias"));
    for (QWidget* w : {static_cast<QWidget*>(form1), static_cast<QWidget*>(form2)}) {
        EXPECT_EQ(widget<QLabel>(w, "Label_nf_media")->text(), "series");
        EXPECT_EQ(widget<QLabel>(w, "Label_media_1_")->text(), u("séries"));
    }
    EXPECT_EQ(widget<QLineEdit>(form1, "Edit_nom_fic_media_sans_ext")->text(), "series");
    EXPECT_EQ(text2("Label_idx"), "idx1");
    EXPECT_FALSE(widget<QWidget>(form1, "Panel_attendre")->isVisible());
    EXPECT_FALSE(form2->isVisible());
    form1->FormActivate();
    EXPECT_EQ(form1->windowTitle(), u("V E R D A N   v 1 . 9      series"));

    // From the global-list window: its button, then the window shows the other catalogue.
    ui.fileAnswers = {prm("liste_globale_médias")};
    ui.threeChoiceAnswers = {0};
    ui.answers = {DialogButton::Yes}; // the completed rows are saved to "series" first
    QTest::mouseClick(widget<QPushButton>(form2, "BitBtn_choix_lst"), Qt::LeftButton);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(cell(2, 3), "Casino");
    EXPECT_EQ(text2("Label_nf_media"), u("liste_globale_médias"));
    EXPECT_EQ(listFileMediaCount(listFile("series")), 5);
    EXPECT_FALSE(widget<QWidget>(form2, "Panel4")->isVisible());
}

TEST_F(WindowsWithTwoCatalogues, EnterInTheListNameBoxSwitchesThenCreates) {
    auto* box = widget<QLineEdit>(form1, "Edit_nom_fic_media_sans_ext");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "series.avi");
    EXPECT_EQ(rows(), 3); // typing alone changes nothing
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), "series");
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(text2("Label_nf_media"), "series");
    EXPECT_EQ(ui.texts().back(), "Paramètres enregistrés  dans    \n\nseries.prm");

    box->selectAll();
    QTest::keyClicks(box, "nouvelle");
    ui.answers = {DialogButton::No, DialogButton::Yes, DialogButton::Yes};
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(
        ui.shown[ui.shown.size() - 5].text,
        " Liste inexistante : nouvelle\n\n oui - Créer cette liste avec les 2 médias\n\n non - Créer cette "
        "liste vide ");
    EXPECT_EQ(text2("Label_n"), u("aucun média"));
    EXPECT_EQ(listFileMediaCount(listFile("nouvelle")), 0);
    EXPECT_TRUE(platform::isFile(prm("nouvelle")));
    EXPECT_EQ(text1("Label_nf_media"), "nouvelle");
}

TEST_F(Windows, AListHeldByAnotherProgramSaysReadOnlyInBothTitlesAndSavesNothing) {
    writeSettings(false);
    writeList({row("1", "FILMS", "Alien")});
    dir.write(
        "listes/liste_globale_médias.txt.verrou",
        "[VERROU]\r\nmachine=AUTRE-PC\r\nutilisateur=bruno\r\nprocessus=4242\r\ndepuis=12/06/2026 22:45\r\n");
    const std::string before = TempFolder::read(listFile());
    ui.answers = {DialogButton::Yes};
    start();
    const QString readOnly = u("lecture seule : ouverte par bruno sur AUTRE-PC depuis 12/06/2026 22:45");
    EXPECT_EQ(form2->windowTitle(), u("V E R D A N   v 1 . 9      ") + readOnly);
    EXPECT_TRUE(form1->windowTitle().endsWith(u("liste_globale_médias      ") + readOnly));
    EXPECT_EQ(rows(), 1); // browsing goes on
    ui.shown.clear();
    click2("Button_enregistrer_liste");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].type, DialogType::Warning);
    EXPECT_EQ(TempFolder::read(listFile()), before);
}
