#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "collection_window.h"
#include "global_list_window.h"
#include "platform/files.h"
#include "support/fake_drives.h"
#include "support/fake_shell.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"

using namespace verdan;
using namespace verdan::test;

namespace {
QString u(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

// Both windows over a prepared program folder, driven through their named widgets.
class Windows : public ::testing::Test, public ProgramFixture {
protected:
    void writeSettings(bool advanced, const std::string& extra = "") {
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder())
            << "\r\n[Options]\r\nCheckBox_mode_avancer=" << (advanced ? 1 : 0) << "\r\n"
            << extra;
    }
    void start() {
        form1 = std::make_unique<TForm1>(program, ui, drives);
        form2 = std::make_unique<TForm2>(program, ui, shell);
        form1->setGlobalListWindow(form2.get());
        form2->setCollectionWindow(form1.get());
        form1->show();
        form1->FormActivate();
    }
    template <class W> W* find(QWidget* w, const char* name) {
        W* found = w->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text1(const char* label) { return find<QLabel>(form1.get(), label)->text(); }
    QString text2(const char* label) { return find<QLabel>(form2.get(), label)->text(); }
    void click2(const char* button) { find<QPushButton>(form2.get(), button)->click(); }
    int rows() { return form2->StringGrid1->model()->rowCount(); }

    FakeDriveProvider drives;
    FakeShell shell;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
};

TEST_F(Windows, StartUpInAdvancedModeAsksThenShowsTheList) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil")});
    ui.answers = {DialogButton::Yes};
    start();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(form2->StringGrid1->model()->index(1, 3).data().toString(), "Brazil");
    EXPECT_EQ(form2->StringGrid1->model()->headerData(6, Qt::Horizontal).toString(), u("répertoire"));
    EXPECT_EQ(text2("Label_n"), u("2 médias"));
    EXPECT_EQ(form1->BitBtn_form2_bis->text(), u("Liste globale des 2 médias =>"));
    EXPECT_EQ(form1->windowTitle(), u("V E R D A N   v 1 . 9      liste_globale_médias"));
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form2->Button_undo->isVisibleTo(form2.get()));
    EXPECT_EQ(text2("Label_rep_favori"), QString::fromStdString(joinPath(dir.path(), "favoris")));
}

TEST_F(Windows, StartUpInBasicModeShowsTheGlobalListWithoutAQuestion) {
    writeSettings(false);
    writeList({row("1", "FILMS", "Alien")});
    start();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(form2->Button_undo->isVisibleTo(form2.get()));
    EXPECT_FALSE(form2->CheckBox_mode_avancer->isChecked());
    EXPECT_EQ(form2->StringGrid1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form2->pos(), form1->pos());
}

TEST_F(Windows, StartUpWithoutAListFileWritesSettingsAndParameters) {
    writeSettings(true);
    start();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(platform::isFile(joinPath(listFolder(), "liste_globale_médias.prm")));
    EXPECT_EQ(text1("Label_nf_media"), u("liste_globale_médias"));
    EXPECT_EQ(form1->Edit_type_media_2_->text(), u("musiques"));
    EXPECT_FALSE(form1->RadioGroup_index->isEnabled());
    EXPECT_FALSE(form1->BitBtn_reinit->isEnabled());
}

TEST_F(Windows, SaveThenUndoTwice) {
    writeSettings(true);
    writeList({row("1", "FILMS", "Alien")});
    ui.answers = {DialogButton::Yes};
    start();
    program.form2.list.appendRow({"2", "FILMS", "vidéo", "Brazil"});
    program.form2.list.ListModified = true;
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
    program.form2.list.ListModified = true;
    ui.answers = {DialogButton::No, DialogButton::No};
    form1->Button3->click();
    EXPECT_EQ(ui.texts().size(), 2u);
    EXPECT_NE(ui.texts()[0].find("Enregistrer la liste"), std::string::npos);
    EXPECT_EQ(ui.texts()[1], " Quitter ?");
    ui.answers = {DialogButton::No, DialogButton::No};
    click2("Button_exit");
    EXPECT_EQ(ui.texts()[3], " Quitter ?");
    EXPECT_TRUE(form1->isVisible());
}

TEST_F(Windows, TitleAfterEveryActivationAndMarksCleared) {
    writeSettings(true);
    start();
    program.form2.list.setCell(1, 13, " x");
    form1->FormActivate();
    EXPECT_EQ(program.form2.list.cell(1, 13), "");
    EXPECT_TRUE(form1->windowTitle().endsWith(u("      liste_globale_médias")));
}

TEST_F(Windows, FontSize15GivesRowsOf28Pixels) {
    writeSettings(true);
    start();
    form2->ComboBox1->setCurrentIndex(3);
    form2->ComboBox1Change();
    EXPECT_EQ(form2->StringGrid1->verticalHeader()->defaultSectionSize(), 28);
    EXPECT_TRUE(program.catalogue.ParamsModified);
    EXPECT_EQ(program.catalogue.params.fontIndex, 3);
}

TEST_F(Windows, BoundsFromTheSettingsFileStayOnTheWorkArea) {
    writeSettings(true, "[Form1]\r\nLeft=-400\r\nTop=-300\r\nWidth=1700\r\nHeight=700\r\n");
    start();
    const QRect work = form1->screen()->availableGeometry();
    EXPECT_EQ(form1->x(), work.left());
    EXPECT_EQ(form1->y(), work.top());
    EXPECT_EQ(form1->width(), 1700);
    EXPECT_EQ(program.settings.form1.width, 1700);
}

TEST_F(Windows, BasicModeHidesTheEditingControls) {
    writeSettings(true);
    start();
    form2->CheckBox_mode_avancer->click();
    EXPECT_FALSE(program.settings.advancedMode);
    EXPECT_TRUE(program.catalogue.ParamsModified);
    for (const char* name : {"Button_charger_bd", "Button_vider_bd", "Button_enregistrer_liste", "Button_del",
                             "Button_copie_multiple", "BitBtn_tout_cocher"})
        EXPECT_FALSE(find<QPushButton>(form2.get(), name)->isVisibleTo(form2.get())) << name;
    EXPECT_TRUE(form2->Button_rechercher->isVisibleTo(form2.get()));
    EXPECT_EQ(form2->StringGrid1->toolTip(), QString::fromStdString(form1->state().HelpTextSimple));
}
