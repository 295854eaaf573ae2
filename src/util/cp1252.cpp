#include "util/cp1252.h"

#include "util/utf8.h"

#include <array>

namespace verdan::cp1252 {
namespace {

// 0x80..0x9F; unassigned bytes keep their C1 control code point so that they round-trip.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char32_t decodeByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
    return byte;
}

std::string decode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) {
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            utf8::append(out, decodeByte(b));
        }
    }
    return out;
}

int encodeChar(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string encode(std::string_view text, bool* lossless) {
    std::string out;
    out.reserve(text.size());
    bool ok = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto c = static_cast<unsigned char>(text[pos]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++pos;
            continue;
        }
        int b = encodeChar(utf8::next(text, pos));
        if (b < 0) {
            ok = false;
            b = '?';
        }
        out.push_back(static_cast<char>(b));
    }
    if (lossless) *lossless = ok;
    return out;
}

bool representable(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (encodeChar(utf8::next(text, pos)) < 0) return false;
    }
    return true;
}

std::string storable(std::string_view text, bool* altered) {
    bool changed = false;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    std::string bytes;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t cp = utf8::next(text, pos);
        bytes.clear();
        utf8::append(bytes, cp);
        // Re-encoding tells malformed and overlong sequences from the character they imitate.
        if (cp < 0x20 || bytes != text.substr(start, pos - start) || encodeChar(cp) < 0) {
            out.push_back('?');
            changed = true;
        } else {
            out += bytes;
        }
    }
    if (altered) *altered = changed;
    return out;
}

} // namespace verdan::cp1252
