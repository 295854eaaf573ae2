#include "catalogue/list_codec.h"

#include "catalogue/word_scan.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "util/cp1252.h"
#include "util/utf8.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VERDAN_SSE2 1
#endif

namespace verdan::listcodec {
namespace {

using wordscan::bytesEqual;
using wordscan::countFlagged;
using wordscan::firstByte;
using wordscan::kHighBits;
using wordscan::load;
using wordscan::store;

constexpr int kColumns = 14;

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

// One word of a row: plain bytes copied whole, each high byte through the table.
inline void decodeWord(std::uint64_t w, char*& r) {
    unsigned p = 0;
    for (std::uint64_t m = w & kHighBits; m; m &= m - 1) {
        const unsigned k = firstByte(m);
        store(r, w >> (8 * p));
        r += k - p;
        put(r, kRowBytes, static_cast<unsigned char>(w >> (8 * k)));
        p = k + 1;
    }
    if (p < 8) {
        store(r, w >> (8 * p));
        r += 8 - p;
    }
}

#ifdef VERDAN_SSE2
constexpr std::array<unsigned char, 256> makeBitCounts() {
    std::array<unsigned char, 256> counts{};
    for (unsigned i = 0; i < 256; ++i) counts[i] = static_cast<unsigned char>((i & 1) + counts[i / 2]);
    return counts;
}
constexpr std::array<unsigned char, 256> kBitCounts = makeBitCounts();
#endif

} // namespace

char* quoteLine(std::string_view line, char* out) {
    const char* src = line.data();
    const std::size_t n = line.size();
    char* q = out;
    *q++ = '"';
    // Each word is copied whole and only its tabs are visited.
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t w = load(src + i);
        unsigned p = 0;
        for (std::uint64_t tabs = bytesEqual(w, '\t'); tabs; tabs &= tabs - 1) {
            const unsigned k = firstByte(tabs);
            store(q, w >> (8 * p));
            q += k - p;
            std::memcpy(q, "\";\"", 3);
            q += 3;
            p = k + 1;
        }
        if (p < 8) {
            store(q, w >> (8 * p));
            q += 8 - p;
        }
    }
    for (; i < n; ++i) put(q, kQuotedBytes, static_cast<unsigned char>(src[i]));
    std::memcpy(q, "\"\r\n", 3);
    return q + 3;
}

char* quoteLines(std::string_view block, char* out) {
    const char* src = block.data();
    const std::size_t n = block.size();
    if (n == 0) return out;
    char* q = out;
    *q++ = '"';
    // A tab becomes ";" and a line feed "\r\n" followed by the next line's opening quote; the
    // quote put after the last line feed is taken back at the end.
    auto expand = [&q](unsigned char c) {
        if (c == '\t') {
            std::memcpy(q, "\";\"", 4);
            q += 3;
        } else {
            std::memcpy(q, "\"\r\n\"", 4);
            q += 4;
        }
    };
    std::size_t i = 0;
#ifdef VERDAN_SSE2
    // Sixteen bytes are searched at a time, and each cell is copied whole by sixteen-byte moves
    // (what they write past its end is written over by what follows, within the room asked for).
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    std::size_t start = 0; // of the cell being read
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        auto m = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lineFeed))));
        for (; m; m &= m - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(m));
            const std::size_t length = at - start;
            if (length <= 16 && start + 16 <= n) {
                // Most cells: one move.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(q),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + start)));
            } else {
                std::size_t k = 0;
                for (; k < length && start + k + 16 <= n; k += 16)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + k),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + start + k)));
                if (k < length) std::memcpy(q + k, src + start + k, length - k);
            }
            q += length;
            // Chosen without a branch: a line feed ends one cell in fourteen.
            const bool lineEnd = src[at] == '\n';
            std::memcpy(q, lineEnd ? "\"\r\n\"" : "\";\"", 4);
            q += 3 + static_cast<std::size_t>(lineEnd);
            start = at + 1;
        }
    }
    // The cell still open continues below, byte by byte.
    if (start < i) {
        std::memcpy(q, src + start, i - start);
        q += i - start;
    }
#else
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t w = load(src + i);
        unsigned p = 0;
        for (std::uint64_t m = bytesEqual(w, '\t') | bytesEqual(w, '\n'); m; m &= m - 1) {
            const unsigned k = firstByte(m);
            store(q, w >> (8 * p));
            q += k - p;
            expand(static_cast<unsigned char>(w >> (8 * k)));
            p = k + 1;
        }
        if (p < 8) {
            store(q, w >> (8 * p));
            q += 8 - p;
        }
    }
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(src[i]);
        if (c == '\t' || c == '\n') {
            expand(c);
        } else {
            *q++ = static_cast<char>(c);
        }
    }
    if (src[n - 1] != '\n') { // a last line without its line feed
        std::memcpy(q, "\"\r\n", 3);
        return q + 3;
    }
    return q - 1;
}

char* decodeRow(std::string_view line, char* out) {
    const char* src = line.data();
    const std::size_t n = line.size();
    char* r = out;
    int tabs = 0;
    std::size_t i = 0;
#ifdef VERDAN_SSE2
    // Sixteen bytes at a time while the row cannot end inside them: a run of plain bytes is
    // copied in one store, and only blocks with a high byte go through the words below.
    const __m128i tab = _mm_set1_epi8('\t');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const auto tabMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)));
        const int tabsHere = kBitCounts[tabMask & 0xFF] + kBitCounts[tabMask >> 8];
        if (tabs + tabsHere >= kColumns) break;
        tabs += tabsHere;
        auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
        if (high == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(r), v);
            r += 16;
            continue;
        }
        if (i + 32 > n) {
            decodeWord(load(src + i), r);
            decodeWord(load(src + i + 8), r);
            continue;
        }
        // The plain bytes between high ones go by sixteen-byte moves, read within the row.
        unsigned p = 0;
        for (; high; high &= high - 1) {
            const auto k = static_cast<unsigned>(std::countr_zero(high));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(r),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + p)));
            r += k - p;
            put(r, kRowBytes, static_cast<unsigned char>(src[i + k]));
            p = k + 1;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + p)));
        r += 16 - p;
    }
#endif
    // Whole words while the row cannot end inside them; only the high bytes are visited.
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t w = load(src + i);
        const int tabsHere = static_cast<int>(countFlagged(bytesEqual(w, '\t')));
        if (tabs + tabsHere >= kColumns) break;
        tabs += tabsHere;
        decodeWord(w, r);
    }
    // Byte by byte where the 14th tab may stand: it ends the row, the fields after it are dropped.
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(src[i]);
        if (c == '\t' && ++tabs == kColumns) break;
        put(r, kRowBytes, c);
    }
    for (; tabs < kColumns - 1; ++tabs) *r++ = '\t';
    return r;
}

char* encodeLine(std::string_view text, char* out, bool& mayNeedRepair) {
    const char* src = text.data();
    const std::size_t n = text.size();
    bool suspicious = false;
    std::size_t i = 0;
    while (i < n) {
#ifdef VERDAN_SSE2
        if (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
            const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
            if (high == 0) {
                out += 16;
                i += 16;
                continue;
            }
            const auto k = static_cast<unsigned>(std::countr_zero(high));
            out += k;
            i += k;
        } else
#endif
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
