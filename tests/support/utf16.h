#pragma once
#include <string>

#include "util/utf8.h"

namespace verdan::test {

// What Notepad's "Unicode" writes: UTF-16 LE after its byte-order mark (the tests' texts are in the BMP).
inline std::string utf16le(const std::string& utf8Text) {
    std::string out = "\xFF\xFE";
    std::size_t pos = 0;
    while (pos < utf8Text.size()) {
        const char32_t cp = utf8::next(utf8Text, pos);
        out.push_back(static_cast<char>(cp & 0xFF));
        out.push_back(static_cast<char>(cp >> 8));
    }
    return out;
}

} // namespace verdan::test
