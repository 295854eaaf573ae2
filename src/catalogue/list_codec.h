#pragma once
#include <cstddef>
#include <string_view>

// The conversions of the list reader and writer, done eight bytes at a time: a million-row
// catalogue goes through them on every load and save. Callers provide the room stated (the
// routines store whole words and may write up to 8 bytes past what they report).
namespace verdan::listcodec {

inline constexpr std::size_t kSlack = 16;

// Room for quoteLine and decodeRow, for a line of n bytes.
constexpr std::size_t quotedRoom(std::size_t n) {
    return 3 * n + 3 + kSlack;
}
constexpr std::size_t rowRoom(std::size_t n) {
    return 3 * n + 14 + kSlack;
}

// The tmp.CSV form of a line of a list file: a double quote, the line with each tab as ";", a
// double quote, CR LF. Returns the end.
char* quoteLine(std::string_view line, char* out);

// quoteLine for every line of a block of lines each ended by a line feed (none holds a CR or LF),
// in one pass. Room: 4 * block.size() + kSlack.
char* quoteLines(std::string_view block, char* out);

// The first 14 fields of a line of a list file (Windows-1252) in UTF-8, joined by exactly 13 tabs:
// missing fields empty, further ones dropped. Returns the end.
char* decodeRow(std::string_view line, char* out);

// UTF-8 text to Windows-1252 at `out` ('?' for a character without a byte); room: text.size() + kSlack.
// Returns the end. `mayNeedRepair` tells whether a byte that opens a mis-decoded accent (C2, C3,
// E2) was written.
char* encodeLine(std::string_view text, char* out, bool& mayNeedRepair);

} // namespace verdan::listcodec
