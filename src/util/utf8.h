#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Small UTF-8 helpers: lengths are counted in characters, and case folding covers the letters
// that Windows-1252 can hold, so that comparisons agree with what a catalogue file can store.
namespace verdan::utf8 {

// Decodes one code point at `pos` and advances it; malformed bytes give U+FFFD.
char32_t next(std::string_view s, std::size_t& pos);
void append(std::string& out, char32_t cp);

std::size_t length(std::string_view s);

// Byte offset of the character number `chars` (or s.size() when the text is shorter).
std::size_t offsetOfChar(std::string_view s, std::size_t chars);

// Lower-cases A-Z, À-Þ (but ×), Š, Œ, Ž and Ÿ; every other character stays.
char32_t foldChar(char32_t cp);
std::string fold(std::string_view s);

// Lower-cases only A to Z.
std::string asciiLower(std::string_view s);
std::string asciiUpper(std::string_view s);

// Three-way comparison of folded texts, without building them.
int compareFolded(std::string_view a, std::string_view b);

struct FoldedLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareFolded(a, b) < 0; }
};

} // namespace verdan::utf8
