#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/files.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace verdan::test {

// Paths in the tests are UTF-8 like everywhere in the core. std::filesystem's narrow strings are
// not: MinGW's libstdc++ reads them as Latin-1 and writes them as UTF-8, so go through char8_t.
inline std::filesystem::path pathFromUtf8(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}
inline std::string utf8FromPath(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    // In the system's temporary folder, or under `base` (a folder on another file system).
    explicit TempFolder(const std::string& base = {}) {
        std::random_device rd;
        const std::filesystem::path root =
            base.empty() ? std::filesystem::temp_directory_path() : pathFromUtf8(base);
        for (;;) {
            m_path = root / ("verdan_test_" + std::to_string(rd()));
            if (std::filesystem::create_directory(m_path)) break;
        }
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return utf8FromPath(m_path); }
    std::string file(const std::string& name) const { return utf8FromPath(m_path / pathFromUtf8(name)); }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::string p = file(name);
        std::ofstream(pathFromUtf8(p), std::ios::binary) << bytes;
        return p;
    }
    static std::string read(const std::string& path) {
        std::string out;
        platform::readWholeFile(path, out);
        return out;
    }

private:
    std::filesystem::path m_path;
};

inline bool runningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

} // namespace verdan::test
