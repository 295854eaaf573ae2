#pragma once
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/system.h"

// What the program sets on its application object before any window exists.
inline void setUpApplication() {
    verdan::platform::returnLargeBlocksWhenFreed();
    // No display name: the platform would append it to the title of every window and box.
    QApplication::setApplicationName(QStringLiteral("verdan"));
    // The program's icon, at every size it was drawn in (the program's resources; none in tests).
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/verdan_%1.png").arg(size), QSize(size, size));
    if (!icon.availableSizes().isEmpty()) QApplication::setWindowIcon(icon);
    // Qt's own dialogs and standard buttons speak French, as the rest of the program does: from
    // Qt's translations where the system keeps them, else from "translations" beside the program.
    static QTranslator qtbase;
    const QLocale french(QLocale::French, QLocale::France);
    if (qtbase.load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        qtbase.load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QCoreApplication::applicationDirPath() + QStringLiteral("/translations")))
        QApplication::installTranslator(&qtbase);
}
