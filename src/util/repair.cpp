#include "util/repair.h"

#include "util/cp1252.h"
#include "util/text.h"
#include "util/utf8.h"

#include <array>
#include <utility>

namespace verdan {
namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// Order matters: the twice-encoded é must not be caught by a shorter pattern first.
const std::array<Pair, 20> kTable = {{
    {"\xC3\xA9", "\xE9"}, {"\xC3\x83\xC2\xA9", "\xE9"}, {"\xC2\xB0", "\xB0"}, {"\xC3\xB4", "\xF4"},
    {"\xC3\xA8", "\xE8"}, {"\xC3\xA7", "\xE7"},         {"\xC3\xA0", "\xE0"}, {"\xC3\xA2", "\xE2"},
    {"\xC3\xAA", "\xEA"}, {"\xC3\xAE", "\xEE"},         {"\xC3\xB4", "\xF4"}, {"\xC3\xBB", "\xFB"},
    {"\xC3\xB8", "\xB0"}, {"\xE2\x80\x9A", "\xE9"},     {"\xC3\xB9", "\xF9"}, {"\xC3\xAF", "\xEF"},
    {"\xC3\xBC", "\xFC"}, {"\xC3\xA4", "\xE4"},         {"\xC3\xB6", "\xF6"}, {"\xC3\x89", "\xC9"},
}};

// True when some pattern of the table may start in the text: a genuine "â" followed by a letter
// then costs one scan instead of a pass of twenty replacements.
// One look at each byte: a search for any of three bytes walks its set at every byte, and a saved
// list of a million rows goes through here for each line holding an "â".
bool hasPatternStart(const std::string& s) {
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c != 0xC2 && c != 0xC3 && c != 0xE2) continue;
        for (const auto& entry : kTable) {
            if (entry.first[0] == s[i] && entry.first[1] == s[i + 1]) return true;
        }
    }
    return false;
}

} // namespace

void RepairAccents(std::string& text) {
    std::size_t passes = 0;
    while (hasPatternStart(text) && passes < text.size()) {
        ++passes;
        const std::string before = text;
        for (const auto& [from, to] : kTable) ReplaceAll(from, to, text);
        // The passes are deterministic: once one changes nothing, the rest would not either.
        // Stopping here gives the same text without a pass per character on a genuine "â".
        if (text == before) break;
    }
}

std::string repairAccentsOfUtf8(std::string_view text) {
    bool lossless = true;
    std::string bytes = cp1252::encode(text, &lossless);
    if (lossless) {
        RepairAccents(bytes);
        return cp1252::decode(bytes);
    }
    // Repair the representable runs between characters Windows-1252 cannot hold.
    std::string out;
    std::size_t pos = 0, runStart = 0;
    auto flushRun = [&](std::size_t end) {
        if (end > runStart) {
            std::string run = cp1252::encode(text.substr(runStart, end - runStart));
            RepairAccents(run);
            out += cp1252::decode(run);
        }
    };
    while (pos < text.size()) {
        std::size_t at = pos;
        char32_t cp = utf8::next(text, pos);
        if (cp >= 0x80 && cp1252::encodeChar(cp) < 0) {
            flushRun(at);
            out.append(text.substr(at, pos - at));
            runStart = pos;
        }
    }
    flushRun(text.size());
    return out;
}

} // namespace verdan
