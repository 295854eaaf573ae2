#include <QApplication>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

#include "windows_under_test.h"

#include "support/program_fixture.h"
#include "util/cp1252.h"

// Writes pictures of both windows for the README when VERDAN_SCREENSHOT_DIR names a folder.
TEST(Screenshots, BothWindows) {
    const QString dir = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set VERDAN_SCREENSHOT_DIR to write the pictures";
    verdan::test::ProgramFixture f;
    std::ofstream(f.program.settingsPath(), std::ios::binary)
        << "[GENERAL]\r\nLabel_repfic_media.caption=" << verdan::cp1252::encode(f.listFolder()) << "\r\n";
    f.writeList({f.row("1", "FILMS_2019", "Le Fabuleux Destin d'Amélie Poulain", "1,37 Go", "5E2A1C07"),
                 f.row("2", "FILMS_2019", "La Cité de la peur", "700 Mo", "5E2A1C07"),
                 f.row("3", "SÉRIES", "Kaamelott - Livre I - épisode 01", "233 Mo", "0A1B2C3D"),
                 f.row("4", "SÉRIES", "Kaamelott - Livre I - épisode 02", "241 Mo", "0A1B2C3D")});
    f.ui.answers = {verdan::DialogButton::Yes};
    verdan::test::WindowsUnderTest w;
    w.buildWindows(f.program, f.ui);
    TForm1& form1 = *w.form1;
    TForm2& form2 = *w.form2;
    form1.show();
    form1.FormActivate();
    // The size of the most common laptop screen.
    form1.resize(1366, 768);
    form2.resize(1366, 768);
    form2.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form2));
    QDir().mkpath(dir);
    EXPECT_TRUE(form1.grab().save(dir + "/collection_window.png"));
    EXPECT_TRUE(form2.grab().save(dir + "/global_list_window.png"));
}
