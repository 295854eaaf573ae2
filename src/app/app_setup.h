#pragma once
#include <QApplication>

// What the program sets on its application object before any window exists.
inline void setUpApplication() {
    // No display name: the platform would append it to the title of every window and box.
    QApplication::setApplicationName(QStringLiteral("verdan"));
}
