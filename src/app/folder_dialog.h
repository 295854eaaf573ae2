#pragma once
#include <QString>

#include <optional>

class QWidget;

// The folder choice: Qt's own dialog (in the application's language), which also hands back a
// folder the user typed that does not exist yet, so that the caller can offer to create it.
std::optional<QString> chooseFolderOrNew(QWidget* parent, const QString& title, const QString& initialFolder);
