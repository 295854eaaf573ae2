#include <gtest/gtest.h>

#include "support/fake_ui.h"
#include "util/dialogs.h"
#include "util/error.h"

using namespace verdan;
using verdan::test::FakeUi;

TEST(Clipboard, RetriesThenSucceeds) {
    FakeUi ui;
    ui.clipboardFailures = 4;
    CopyTextToClipboard(ui, "Le titre");
    EXPECT_EQ(ui.clipboardAttempts, 5);
    ASSERT_EQ(ui.clipboard.size(), 1u);
    EXPECT_EQ(ui.clipboard[0], "Le titre");
    EXPECT_EQ(ui.pauses, (std::vector<unsigned>{10, 10, 10, 10}));
}

TEST(Clipboard, FailsAfterFiveAttempts) {
    FakeUi ui;
    ui.clipboardFailures = 100;
    try {
        CopyTextToClipboard(ui, "x");
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'accéder au presse-papiers");
    }
    EXPECT_EQ(ui.clipboardAttempts, 5);
}

TEST(SignalSonore, ThreeSoundsHalfASecondApart) {
    FakeUi ui;
    SignalSonore(ui);
    EXPECT_EQ(ui.sounds, (std::vector<SystemSound>{SystemSound::Question, SystemSound::Asterisk,
                                                   SystemSound::Question}));
    EXPECT_EQ(ui.pauses, (std::vector<unsigned>{500, 500}));
}

TEST(ShowInfo, PlainBoxWithTheTextAsItStands) {
    FakeUi ui;
    ShowInfo(ui, "   Enregistrement effectué     ");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, "info");
    EXPECT_EQ(ui.shown[0].text, "   Enregistrement effectué     ");
}

TEST(DialogTexts, FrenchTitlesAndButtons) {
    EXPECT_STREQ(dialogTitle(DialogType::Confirmation), "Confirmation");
    EXPECT_STREQ(dialogTitle(DialogType::Error), "Erreur");
    EXPECT_STREQ(dialogTitle(DialogType::Warning), "Avertissement");
    EXPECT_STREQ(buttonCaption(DialogButton::Yes), "&Oui");
    EXPECT_STREQ(buttonCaption(DialogButton::No), "&Non");
    EXPECT_STREQ(buttonCaption(DialogButton::Cancel), "Annuler");
}
