#pragma once
#include <cstddef>
#include <string_view>

// The conversions of the list reader and writer, done eight bytes at a time: a million-row
// catalogue goes through them on every load and save. Callers provide the room stated (the
// routines store whole words and may write up to 8 bytes past what they report).
namespace verdan::listcodec {

inline constexpr std::size_t kSlack = 16;

// Room for convertLine: quoted form and row of a line of n bytes.
constexpr std::size_t quotedRoom(std::size_t n) {
    return 3 * n + 3 + kSlack;
}
constexpr std::size_t rowRoom(std::size_t n) {
    return 3 * n + 14 + kSlack;
}

// From one line of a list file (Windows-1252) writes at `quoted` its tmp.CSV form (a double quote,
// the line with each tab as ";", a double quote, CR LF) and, when `row` is not null, at `row` its
// first 14 fields in UTF-8 joined by exactly 13 tabs (missing fields empty, further ones dropped).
// Both pointers are advanced past what was written.
void convertLine(std::string_view line, char*& quoted, char*& row);

// UTF-8 text to Windows-1252 at `out` ('?' for a character without a byte); room: text.size() + kSlack.
// Returns the end. `mayNeedRepair` tells whether a byte that opens a mis-decoded accent (C2, C3,
// E2) was written.
char* encodeLine(std::string_view text, char* out, bool& mayNeedRepair);

} // namespace verdan::listcodec
