#pragma once
#include <string>
#include <vector>

#include "util/ui.h"

namespace verdan::test {

// Records what the desktop would have been asked to open, each path as the one argument it got.
class FakeShell : public Shell {
public:
    struct Call {
        std::string action; // "open", "show", "folder"
        std::string path;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    bool result = true;

    bool openDocument(const std::string& path) override { return record("open", path); }
    bool showInFileManager(const std::string& path) override { return record("show", path); }
    bool openFolder(const std::string& path) override { return record("folder", path); }

private:
    bool record(const char* action, const std::string& path) {
        calls.push_back({action, path});
        return result;
    }
};

} // namespace verdan::test
