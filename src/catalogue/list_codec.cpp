#include "catalogue/list_codec.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "util/cp1252.h"
#include "util/utf8.h"

namespace verdan::listcodec {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr int kColumns = 14;

std::uint64_t load(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

void store(char* p, std::uint64_t w) {
    std::memcpy(p, &w, 8);
}

// Position in memory order of the first byte whose high bit is set in the mask.
unsigned firstByte(std::uint64_t mask) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<unsigned>(std::countr_zero(mask)) / 8;
    } else {
        return static_cast<unsigned>(std::countl_zero(mask)) / 8;
    }
}

// What one byte becomes in each output; plain bytes stay as they are.
struct Expansion {
    std::array<char, 4> bytes{};
    unsigned char length = 0;
};
using ExpansionTable = std::array<Expansion, 256>;

// UTF-8 of every Windows-1252 byte (a tab stays a tab).
ExpansionTable makeRowTable() {
    ExpansionTable table{};
    for (int b = 0; b < 256; ++b) {
        std::string s;
        utf8::append(s, cp1252::decodeByte(static_cast<unsigned char>(b)));
        auto& entry = table[static_cast<std::size_t>(b)];
        s.copy(entry.bytes.data(), s.size());
        entry.length = static_cast<unsigned char>(s.size());
    }
    return table;
}

// The quoted form: a tab becomes ";" and every other byte stays.
ExpansionTable makeQuotedTable() {
    ExpansionTable table{};
    for (int b = 0; b < 256; ++b) {
        auto& entry = table[static_cast<std::size_t>(b)];
        entry.bytes[0] = static_cast<char>(b);
        entry.length = 1;
    }
    table['\t'] = {{'"', ';', '"', 0}, 3};
    return table;
}

const ExpansionTable kRowBytes = makeRowTable();
const ExpansionTable kQuotedBytes = makeQuotedTable();

void put(char*& out, const ExpansionTable& table, unsigned char c) {
    const Expansion& e = table[c];
    std::memcpy(out, e.bytes.data(), 4);
    out += e.length;
}

// High bit set exactly in the bytes of w equal to `byte` (no borrow runs between bytes).
std::uint64_t exactlyEqual(std::uint64_t w, unsigned char byte) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t t = w ^ (kOnes * byte);
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

// Tabs become ";" and every other byte stays. Each word is copied whole and only its tabs are
// visited, so the work follows the tabs rather than the bytes.
void quoteRest(const char* src, std::size_t i, std::size_t n, char*& q) {
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t w = load(src + i);
        std::uint64_t tabs = exactlyEqual(w, '\t');
        unsigned p = 0;
        while (tabs) {
            const unsigned k = firstByte(tabs);
            store(q, w >> (8 * p));
            q += k - p;
            std::memcpy(q, "\";\"", 3);
            q += 3;
            p = k + 1;
            tabs &= tabs - 1;
        }
        if (p < 8) {
            store(q, w >> (8 * p));
            q += 8 - p;
        }
    }
    for (; i < n; ++i) put(q, kQuotedBytes, static_cast<unsigned char>(src[i]));
}

} // namespace

void convertLine(std::string_view line, char*& quoted, char*& row) {
    static_assert(std::endian::native == std::endian::little, "word scanning assumes little-endian order");
    const char* src = line.data();
    const std::size_t n = line.size();
    char* q = quoted;
    *q++ = '"';
    std::size_t i = 0;
    if (row) {
        char* r = row;
        int tabs = 0;
        // Whole words while the row cannot end inside them: only tabs and high bytes are visited.
        for (; i + 8 <= n; i += 8) {
            const std::uint64_t w = load(src + i);
            const std::uint64_t tabMask = exactlyEqual(w, '\t');
            // Bytes flagged, summed into the top byte (std::popcount is a library call without -mpopcnt).
            const int tabsHere = static_cast<int>(((tabMask >> 7) * kOnes) >> 56);
            if (tabs + tabsHere >= kColumns) break;
            tabs += tabsHere;
            std::uint64_t special = tabMask | (w & kHighBits);
            unsigned p = 0;
            while (special) {
                const unsigned k = firstByte(special);
                const std::uint64_t rest = w >> (8 * p);
                store(q, rest);
                store(r, rest);
                q += k - p;
                r += k - p;
                const auto c = static_cast<unsigned char>(src[i + k]);
                put(q, kQuotedBytes, c);
                put(r, kRowBytes, c);
                p = k + 1;
                special &= special - 1;
            }
            if (p < 8) {
                const std::uint64_t rest = w >> (8 * p);
                store(q, rest);
                store(r, rest);
                q += 8 - p;
                r += 8 - p;
            }
        }
        // Byte by byte where the 14th tab may stand: it ends the row, the fields after it are dropped.
        for (; i < n; ++i) {
            const auto c = static_cast<unsigned char>(src[i]);
            put(q, kQuotedBytes, c);
            if (c == '\t' && ++tabs == kColumns) {
                ++i;
                break;
            }
            put(r, kRowBytes, c);
        }
        for (; tabs < kColumns - 1; ++tabs) *r++ = '\t';
        row = r;
    }
    quoteRest(src, i, n, q);
    std::memcpy(q, "\"\r\n", 3);
    quoted = q + 3;
}

char* encodeLine(std::string_view text, char* out, bool& mayNeedRepair) {
    const char* src = text.data();
    const std::size_t n = text.size();
    bool suspicious = false;
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            const std::uint64_t w = load(src + i);
            store(out, w);
            if ((w & kHighBits) == 0) {
                out += 8;
                i += 8;
                continue;
            }
            const unsigned k = firstByte(w & kHighBits);
            out += k;
            i += k;
        } else if (static_cast<unsigned char>(src[i]) < 0x80) {
            *out++ = src[i++];
            continue;
        }
        // A multi-byte character at i.
        const auto lead = static_cast<unsigned char>(src[i]);
        int byte = -1;
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < n &&
            (static_cast<unsigned char>(src[i + 1]) & 0xC0) == 0x80) {
            const int cp = ((lead & 0x1F) << 6) | (static_cast<unsigned char>(src[i + 1]) & 0x3F);
            if (cp >= 0xA0) {
                byte = cp;
                i += 2;
            }
        }
        if (byte < 0) {
            byte = cp1252::encodeChar(utf8::next(text, i));
            if (byte < 0) byte = '?';
        }
        suspicious |= byte == 0xC2 || byte == 0xC3 || byte == 0xE2;
        *out++ = static_cast<char>(byte);
    }
    mayNeedRepair = suspicious;
    return out;
}

} // namespace verdan::listcodec
