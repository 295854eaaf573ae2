#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "collection_window.h"
#include "global_list_window.h"

TEST(Windows, CollectionWindowIsTitledAndTheGlobalListWaitsHidden) {
    TForm1 form1;
    TForm2 form2;
    form1.setGlobalListWindow(&form2);
    form1.show();
    QApplication::setActiveWindow(&form1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));
    EXPECT_TRUE(form1.windowTitle().startsWith(QString::fromUtf8("V E R D A N   v 1 . 9")));
    EXPECT_EQ(form1.objectName(), "Form1");
    EXPECT_FALSE(form2.isVisible());
    EXPECT_EQ(form2.windowTitle(), QString::fromUtf8("V E R D A N   v 1 . 9"));
    auto* label = form1.findChild<QLabel*>("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("Pour compléter la liste des média  ..."));
}
