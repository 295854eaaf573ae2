#include "util/file_helpers.h"

#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/text.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace verdan {

namespace {

// Line feeds in a block, sixteen bytes at a time: the count is asked of a million-line catalogue
// before it is loaded, and the user waits for it.
std::int64_t countLineFeeds(const char* p, std::size_t n) {
    std::int64_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    while (i + 16 <= n) {
        // Each byte of `sums` counts up to 255 line feeds before they are added up.
        __m128i sums = _mm_setzero_si128();
        const std::size_t end = std::min(n - 15, i + 255 * 16);
        for (; i < end; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(v, lineFeed));
        }
        const __m128i total = _mm_sad_epu8(sums, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(total) + _mm_cvtsi128_si32(_mm_srli_si128(total, 8));
    }
#endif
    return count + std::count(p + i, p + n, '\n');
}

} // namespace

std::int64_t CountLines_Binary(const std::string& path) {
    if (!platform::exists(path)) return 0;
    auto in = platform::openForReading(path);
    if (!in) throw VerdanError(msg::cannotOpen(path));
    std::int64_t count = 0;
    std::vector<char> block(1 << 18);
    for (;;) {
        long long n = in->read(block.data(), static_cast<long long>(block.size()));
        if (n < 0) throw VerdanError(msg::cannotOpen(path));
        if (n == 0) break;
        count += countLineFeeds(block.data(), static_cast<std::size_t>(n));
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

bool SecondLineEmpty(const std::string& path) {
    return ReadLineN(path, 2).empty();
}

std::string ReadKeyValue(const std::string& path, const std::string& key) {
    std::string bytes;
    if (platform::readWholeFile(path, bytes) != platform::ReadStatus::Ok)
        throw VerdanError(msg::cannotOpen(path));
    const std::string text = cp1252::decode(bytes);
    const std::string prefix = key + "=";
    for (std::string_view line : splitLines(text)) {
        line = trimControl(line);
        if (line.substr(0, prefix.size()) == prefix) return std::string(line.substr(prefix.size()));
    }
    return {};
}

int removeStaleTemporaries(const std::string& folder, const std::string& prefix) {
    int removed = 0;
    for (const std::string& name : platform::folderEntries(folder)) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const long owner = platform::temporaryNameOwner(name);
        if (owner < 0 || owner == platform::currentProcessId() || platform::processAlive(owner)) continue;
        if (platform::removeFile(joinPath(folder, name))) ++removed;
    }
    return removed;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    const char sep = platform::nativeSeparator();
    if (folder.empty()) return name;
    if (folder.back() == sep || folder.back() == '/') return folder + name;
    return folder + sep + name;
}

} // namespace verdan
