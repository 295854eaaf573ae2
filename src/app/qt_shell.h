#pragma once
#include "util/ui.h"

// The Shell port on the desktop: each path is handed over as one argument, never inside a
// command line.
class QtShell : public verdan::Shell {
public:
    bool openDocument(const std::string& path) override;
    bool showInFileManager(const std::string& path) override;
    bool openFolder(const std::string& path) override;
};
