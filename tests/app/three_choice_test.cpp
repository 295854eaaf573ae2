#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "catalogue/list_file.h"
#include "catalogue/program_state.h"
#include "qt_ui.h"
#include "three_choice_dialog.h"

namespace {
const QStringList kCaptions = {QString::fromUtf8("Ecraser l'actuelle"),
                               QString::fromUtf8("Compléter l'actuelle"), "Annuler"};
}

TEST(ThreeChoiceDialog, ButtonsKeepTheirOrderAndTheLayoutRule) {
    ThreeChoiceDialog dialog("  Que faire avec cette liste ?", kCaptions, 120);
    dialog.resize(500, 160);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int first = (dialog.width() - 3 * 120 - 16) / 2;
    for (int k = 0; k < 3; ++k) {
        QPushButton* b = dialog.button(k);
        EXPECT_EQ(b->text(), kCaptions[k]);
        EXPECT_EQ(b->width(), 120);
        EXPECT_EQ(b->mapTo(&dialog, QPoint(0, 0)).x(), first + k * 128) << k;
    }
}

TEST(ThreeChoiceDialog, AShortTextStillShowsTheWholeButtons) {
    ThreeChoiceDialog dialog("  Liste ?", kCaptions, 120);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int k = 0; k < 3; ++k) {
        QPushButton* b = dialog.button(k);
        // What the row shows of each button: all of it, none cut by the row's edges.
        EXPECT_EQ(b->visibleRegion().boundingRect(), b->rect()) << k;
    }
    const QString pictures = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (!pictures.isEmpty()) dialog.grab().save(pictures + "/three_choice_short_text.png");
}

TEST(ThreeChoiceDialog, EscapeAndTheButtonsGiveTheirIndex) {
    {
        ThreeChoiceDialog dialog("?", kCaptions, 120);
        QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        dialog.exec();
        EXPECT_EQ(dialog.choice(), 2);
    }
    for (int k = 0; k < 3; ++k) {
        ThreeChoiceDialog dialog("?", kCaptions, 120);
        QTimer::singleShot(0, &dialog, [&] { dialog.button(k)->click(); });
        dialog.exec();
        EXPECT_EQ(dialog.choice(), k);
    }
}

// A long reading through the real Ui: its box comes up once the reading is seen to last, in French,
// over windows it keeps from the user's hand, and Escape in it stops the reading.
TEST(LoadProgress, ALastingReadingShowsItsBoxAndEscapeThereStopsIt) {
    QtUi ui;
    const std::string text = verdan::kLoadProgressText;
    bool shown = false;
    bool goesOn = true;
    for (int permille = 0; goesOn && permille < 999; ++permille) {
        goesOn = ui.progress(text, permille);
        QTest::qSleep(5); // reading
        QProgressDialog* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QProgressDialog*>(w); b && b->isVisible()) box = b;
        if (box && !box->wasCanceled()) {
            shown = true;
            const QString pictures = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
            if (!pictures.isEmpty()) box->grab().save(pictures + "/lecture_progression.png");
            EXPECT_EQ(box->windowTitle(), QString::fromUtf8(verdan::kProductTitle));
            EXPECT_EQ(box->labelText(), QString::fromStdString(text));
            EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
            // Escape is the box's shortcut: it reaches the box the user looks at.
            box->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            QTest::keyClick(box, Qt::Key_Escape);
        }
    }
    EXPECT_TRUE(shown);
    EXPECT_FALSE(goesOn) << "Escape stopped it";
    ui.endProgress();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
