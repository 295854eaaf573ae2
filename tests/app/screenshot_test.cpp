#include <QApplication>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

#include "collection_window.h"
#include "global_list_window.h"

// Writes pictures of both windows for the README when VERDAN_SCREENSHOT_DIR names a folder.
TEST(Screenshots, BothWindows) {
    const QString dir = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set VERDAN_SCREENSHOT_DIR to write the pictures";
    TForm1 form1;
    TForm2 form2;
    form1.setGlobalListWindow(&form2);
    form1.show();
    form2.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form2));
    QDir().mkpath(dir);
    EXPECT_TRUE(form1.grab().save(dir + "/collection_window.png"));
    EXPECT_TRUE(form2.grab().save(dir + "/global_list_window.png"));
}
