#include "util/file_helpers.h"

#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/text.h"

#include <algorithm>

namespace verdan {

std::int64_t FindFileSize(const std::string& path) { return platform::entrySize(path); }

std::int64_t CountLines_Binary(const std::string& path) {
    if (!platform::exists(path)) return 0;
    auto in = platform::openForReading(path);
    if (!in) throw VerdanError(msg::cannotOpen(path));
    std::int64_t count = 0;
    char block[8192];
    for (;;) {
        long long n = in->read(block, sizeof block);
        if (n < 0) throw VerdanError(msg::cannotOpen(path));
        if (n == 0) break;
        count += std::count(block, block + n, '\n');
    }
    return count;
}

std::string ReadLineN(const std::string& path, int n) {
    auto in = platform::openForReading(path);
    if (!in || n < 1) return {};
    // Reads only as far as line n: the caller may point at a catalogue of a million lines.
    std::string line;
    std::string pending;
    int number = 0;
    bool lastWasCr = false;
    char block[8192];
    for (;;) {
        long long got = in->read(block, sizeof block);
        if (got <= 0) break;
        for (long long i = 0; i < got; ++i) {
            char c = block[i];
            if (c == '\n' && lastWasCr) {
                lastWasCr = false;
                continue;
            }
            lastWasCr = (c == '\r');
            if (c == '\n' || c == '\r') {
                line.swap(pending);
                pending.clear();
                if (++number == n) return cp1252::decode(line);
            } else {
                pending.push_back(c);
            }
        }
    }
    if (!pending.empty()) return cp1252::decode(pending);
    return cp1252::decode(line);
}

bool SecondLineEmpty(const std::string& path) { return ReadLineN(path, 2).empty(); }

std::string ReadKeyValue(const std::string& path, const std::string& key) {
    std::string bytes;
    if (platform::readWholeFile(path, bytes) != platform::ReadStatus::Ok) throw VerdanError(msg::cannotOpen(path));
    const std::string text = cp1252::decode(bytes);
    const std::string prefix = key + "=";
    for (std::string_view line : splitLines(text)) {
        line = trimControl(line);
        if (line.substr(0, prefix.size()) == prefix) return std::string(line.substr(prefix.size()));
    }
    return {};
}

bool echanger_fichiers(const std::string& a, const std::string& b) {
    if (!platform::isFile(a) || !platform::isFile(b)) return false;
    const std::string t = a + ".swap";
    if (platform::exists(t) && !platform::removeFile(t)) return false;
    return platform::renameEntry(a, t) && platform::renameEntry(b, a) && platform::renameEntry(t, b);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    const char sep = platform::nativeSeparator();
    if (folder.empty()) return name;
    if (folder.back() == sep || folder.back() == '/') return folder + name;
    return folder + sep + name;
}

} // namespace verdan
