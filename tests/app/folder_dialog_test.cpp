#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "folder_dialog.h"
#include "qt_ui.h"

#include "catalogue/program_state.h"
#include "catalogue/shared_actions.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace {

// Types `text` in the open folder dialog's name box and presses its accepting button; records the
// captions the user saw.
struct DialogHand {
    QString text;
    QStringList captions;
    void typeAndChoose() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            // Not shown yet: look again shortly.
            QTimer::singleShot(20, [this] { typeAndChoose(); });
            return;
        }
        for (const QLabel* label : dialog->findChildren<QLabel*>()) captions << label->text();
        for (const QPushButton* b : dialog->findChildren<QPushButton*>()) captions << b->text();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
        if (!name || !buttons || !buttons->button(QDialogButtonBox::Open)) {
            ADD_FAILURE() << "the dialog has no name box or no accepting button";
            dialog->reject();
            return;
        }
        // Pasted in the name box, then Enter.
        name->setText(text);
        QTest::keyClick(name, Qt::Key_Return);
        // A dialog that refused the folder stays open: close it so that the test ends.
        QTimer::singleShot(500, dialog, [dialog] {
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog did not accept the folder";
                dialog->reject();
            }
        });
    }
};

} // namespace

TEST(FolderDialog, ATypedNewFolderComesBackAndTheDialogSpeaksFrench) {
    verdan::test::TempFolder dir;
    DialogHand hand;
    hand.text = QString::fromStdString(dir.file("nouveau dossier"));
    QTimer::singleShot(0, [&] { hand.typeAndChoose(); });
    const std::optional<QString> chosen = chooseFolderOrNew(nullptr, "Sélection du répertoire", "");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->toStdString(), dir.file("nouveau dossier"));
    EXPECT_FALSE(
        verdan::platform::exists(dir.file("nouveau dossier"))); // creating it is the caller's question
    EXPECT_TRUE(hand.captions.contains(QString::fromUtf8("Annuler")))
        << hand.captions.join('|').toStdString();
    EXPECT_TRUE(hand.captions.contains(QString::fromUtf8("&Choisir")) || hand.captions.contains("Choisir"))
        << hand.captions.join('|').toStdString();
}

TEST(FolderDialog, AnExistingFolderIsChosenAsItIs) {
    verdan::test::TempFolder dir;
    DialogHand hand;
    hand.text = QString::fromStdString(dir.path());
    QTimer::singleShot(0, [&] { hand.typeAndChoose(); });
    const std::optional<QString> chosen = chooseFolderOrNew(nullptr, "Sélection du répertoire", "");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->toStdString(), dir.path());
}

TEST(FolderDialog, TheFavouritesButtonOffersToCreateATypedFolder) {
    verdan::test::TempFolder dir;
    QtUi ui;
    verdan::ProgramState program;
    DialogHand hand;
    hand.text = QString::fromStdString(dir.file("favoris"));
    QTimer::singleShot(0, [&] { hand.typeAndChoose(); });
    // The question that follows: answered Oui.
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        bool found = false;
        for (const QLabel* l : box->findChildren<QLabel*>())
            found =
                found || l->text() == QString::fromUtf8("Le répertoire spécifié n'existe pas. Le créer ?");
        EXPECT_TRUE(found);
        for (QPushButton* b : box->findChildren<QPushButton*>())
            if (b->text() == "&Oui") b->click();
    });
    EXPECT_TRUE(verdan::BitBtn_rep_favoriClick(program, ui));
    EXPECT_TRUE(verdan::platform::isFolder(dir.file("favoris")));
    EXPECT_EQ(program.globalList.favouritesCaption, dir.file("favoris"));
}

TEST(FileDialog, TheCatalogueChoiceSpeaksFrenchAndOffersParameterFilesOfEitherCase) {
    verdan::test::TempFolder dir;
    for (const char* name : {"films.prm", "SERIES.PRM", "notes.txt"}) dir.write(name, "[Form1]\r\n");
    QtUi ui;
    QString title;
    QStringList filters;
    QStringList captions;
    std::function<void()> choose = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, choose);
            return;
        }
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) captions << label->text();
        for (const QPushButton* b : dialog->findChildren<QPushButton*>()) captions << b->text();
        QTimer::singleShot(300, dialog, [dialog] {
            const QString pictures = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
            if (!pictures.isEmpty()) dialog->grab().save(pictures + "/choix_liste.png");
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText("SERIES.PRM");
            QTest::keyClick(name, Qt::Key_Return);
        });
    };
    QTimer::singleShot(0, choose);
    const std::optional<std::string> chosen =
        ui.chooseFile("Choix d'une liste de médias (vidéos, musiques, ...)  *.prm",
                      "Listes de médias(*.prm)|*.prm", dir.path());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, dir.file("SERIES.PRM"));
    EXPECT_EQ(title, QString::fromUtf8("Choix d'une liste de médias (vidéos, musiques, ...)  *.prm"));
    // Where names are told apart by case the filter names both; elsewhere it stays as given.
    EXPECT_EQ(filters, QStringList{verdan::platform::fileNamesCaseSensitive()
                                       ? QString::fromUtf8("Listes de médias (*.prm *.PRM)")
                                       : QString::fromUtf8("Listes de médias(*.prm)")});
    EXPECT_TRUE(captions.contains("Annuler")) << captions.join('|').toStdString();
    EXPECT_TRUE(captions.contains(QString::fromUtf8("&Nom de fichier :")))
        << captions.join('|').toStdString();
}
