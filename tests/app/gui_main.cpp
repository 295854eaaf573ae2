#include <QApplication>
#include <gtest/gtest.h>

#include "app_setup.h"

// GUI tests need a QApplication for the whole run; the offscreen platform is set by CMake.
int main(int argc, char** argv) {
    // Test discovery runs this program too, outside ctest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
