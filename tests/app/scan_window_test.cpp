#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/system.h"
#include "support/temp_folder.h"
#include "support/ui_thread.h"
#include "util/file_helpers.h"
#include "windows_under_test.h"

using namespace verdan;
using namespace verdan::test;

// The road of one scan through the collection window: a drive made of a temporary folder, two
// folders ticked, the scan on its worker threads, the found list on screen.
class ScanWindow : public ::testing::Test, public WindowsUnderTest {
protected:
    ScanWindow() {
        program.programFolder = dir.path();
        root = dir.file("FILMS");
        for (const char* f : {"films/2020", "musique", ".cache", "vide"})
            std::filesystem::create_directories(root + "/" + f);
        dir.write("FILMS/films/Alien.avi", std::string(3000, 'a'));
        dir.write("FILMS/films/2020/Brazil.MKV", std::string(2048, 'b'));
        dir.write("FILMS/films/notes.txt", "x");
        dir.write("FILMS/musique/Chanson.mp3", std::string(100, 'c'));
        dir.write("FILMS/.cache/cache.avi", "x");
        drives.add(root, "FILMS", "1234ABCD", platform::kDriveRemovable);
        buildWindows(program, ui);
    }
    // The windows go before the program state and the Ui they use.
    ~ScanWindow() override { windows.reset(); }
    QStringList folderItems() {
        QStringList names;
        for (int i = 0; i < widget<QListWidget>(form1, "CheckListBox_rep")->count(); ++i)
            names << widget<QListWidget>(form1, "CheckListBox_rep")->item(i)->text();
        return names;
    }
    void tick(const QString& name) {
        for (int i = 0; i < widget<QListWidget>(form1, "CheckListBox_rep")->count(); ++i)
            if (widget<QListWidget>(form1, "CheckListBox_rep")->item(i)->text() == name)
                widget<QListWidget>(form1, "CheckListBox_rep")->item(i)->setCheckState(Qt::Checked);
    }
    bool summaryShown() const {
        for (const auto& t : ui.texts())
            if (t.rfind(" Listage terminé,", 0) == 0) return true;
        return false;
    }

    TempFolder dir;
    std::string root;
    ProgramState program;
    ThreadedFakeUi ui;
};

TEST_F(ScanWindow, ChooseTickScanAndSeeTheFoundLines) {
    SKIP_ON_WINDOWS(kFolderDrives);
    ASSERT_EQ(widget<QTableWidget>(form1, "StringGrid_hd")->rowCount(), 1);
    EXPECT_EQ(widget<QTableWidget>(form1, "StringGrid_hd")->item(0, 1)->text(), "FILMS");
    EXPECT_EQ(widget<QTableWidget>(form1, "StringGrid_hd")->item(0, 2)->text(), "USB");
    EXPECT_EQ(widget<QTableWidget>(form1, "StringGrid_hd")->item(0, 3)->text(), "1234ABCD");

    form1->StringGrid_hdClick(1);
    EXPECT_EQ(folderItems(), (QStringList{" << racine >>", "films", "musique", "vide"}));
    tick("musique");
    tick("films");
    ASSERT_EQ(widget<QListWidget>(form1, "ListBoxSel")->count(), 2);
    EXPECT_EQ(widget<QListWidget>(form1, "ListBoxSel")->item(0)->text(), "musique");

    widget<QPushButton>(form1, "BitBtn_lister_media")->click();
    ASSERT_TRUE(ui.pumpUntil([&] { return summaryShown(); }));
    const QAbstractItemModel* found = widget<QListView>(form1, "ListBox_media_un_hd")->model();
    ASSERT_EQ(found->rowCount(), 3);
    QStringList paths;
    for (int r = 0; r < 3; ++r) paths << found->index(r, 0).data().toString().section(">    ", 1);
    paths.sort();
    const QString sep(QChar::fromLatin1(platform::nativeSeparator()));
    EXPECT_EQ(paths, (QStringList{QString::fromStdString(joinPath(joinPath(root, "films"), "2020")) + sep +
                                      "Brazil.MKV",
                                  QString::fromStdString(joinPath(root, "films")) + sep + "Alien.avi",
                                  QString::fromStdString(joinPath(root, "musique")) + sep + "Chanson.mp3"}));
    EXPECT_EQ(widget<QLabel>(form1, "Label6")->text(), "3");
    EXPECT_TRUE(
        widget<QLabel>(form1, "Label_attente")->text().startsWith(QString::fromUtf8("Listage terminé en ")));
    EXPECT_TRUE(widget<QPushButton>(form1, "BitBtn_rajout_bd")->isEnabled());
    EXPECT_FALSE(widget<QFrame>(form1, "Panel_na")->isVisibleTo(form1));

    // Quitting from the global-list window knows of the lines the collection window found.
    ui.answers.assign(1, DialogButton::No);
    form2->Button_exitClick();
    ASSERT_FALSE(ui.texts().empty());
    EXPECT_EQ(ui.texts().back(),
              " Les fichiers filtrés n'ont pas été rajoutés à la liste globale  \n\n     Quitter "
              "quand même ?");

    // Adding: one row per found file, with the disk's identity, the folder in the catalogue's form.
    ui.answers.assign(1, DialogButton::Yes);
    widget<QPushButton>(form1, "BitBtn_rajout_bd")->click();
    const GlobalList& list = program.globalList.table;
    const std::string dec = platform::decimalSeparator(); // the user's, as the size texts use it
    ASSERT_EQ(list.rowCount(), 4u);
    std::vector<std::string> titles;
    for (std::size_t r = 1; r < 4; ++r) {
        titles.push_back(std::string(list.cell(r, 3)) + std::string(list.cell(r, 4)));
        EXPECT_EQ(list.cell(r, 1), "FILMS");
        EXPECT_EQ(list.cell(r, 9), "USB");
        EXPECT_EQ(list.cell(r, 10), "1234ABCD");
        EXPECT_EQ(list.cell(r, 11), "1" + dec + "50 Go");
        EXPECT_EQ(list.cell(r, 12), "4" + dec + "00 Go");
        if (list.cell(r, 3) == "Brazil") {
            EXPECT_EQ(list.cell(r, 2), "vidéo");
            EXPECT_EQ(list.cell(r, 6), ":\\films\\2020");
            EXPECT_EQ(list.cell(r, 7), "2" + dec + "00 Ko");
        }
        if (list.cell(r, 3) == "Chanson") {
            EXPECT_EQ(list.cell(r, 2), "musique");
        }
    }
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"Alien.avi", "Brazil.MKV", "Chanson.mp3"}));
    EXPECT_TRUE(list.ListModified);
    EXPECT_EQ(program.globalList.disks, (std::vector<std::string>{"FILMS-1234ABCD"}));
    // The global-list window shows what the collection window added.
    ASSERT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->count(), 1);
    EXPECT_EQ(widget<QListWidget>(form2, "ListBox_hd_referencer")->item(0)->text(), "FILMS-1234ABCD");

    // A picture of the window after the scan, for whoever asks for it.
    const QString shots = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        form1->show();
        form1->grab().save(shots + "/collection_window_scan.png");
    }
}
