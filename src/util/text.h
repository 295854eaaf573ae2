#pragma once
#include <string>
#include <string_view>
#include <vector>

// Text helpers. Texts are UTF-8; widths and lengths count characters.
namespace verdan {

// Every occurrence, left to right, not overlapping; the inserted text is not searched again.
void ReplaceAll(std::string_view oldText, std::string_view newText, std::string& text);

// Field `number` (from 1) of the text cut at `separator`, trimmed of characters 0 to 32; empty when absent.
std::string ExtractField(std::string_view text, int number, char separator);

// At most `width` characters: the text and (width - length + 1) blanks; longer texts unchanged.
std::string PadRight(std::string_view text, int width);
// At most `width` characters: (width - length + 1) pairs of blanks, then the text.
std::string PadLeftPairs(std::string_view text, int width);

// Removes one final "s" or "S": vidéos -> vidéo.
std::string DropPluralS(std::string_view word);

// Row cells against a list-file line in its quoted form, ignoring sort markers and blanks.
bool entetes_identiques(const std::vector<std::string>& rowCells, std::string_view line);

std::string_view trimBlanks(std::string_view s);
// Trims characters 0 to 32 at both ends.
std::string_view trimControl(std::string_view s);

// Lines of a text, ended by CR LF, LF or CR alone; a final line end does not open an empty line.
std::vector<std::string_view> splitLines(std::string_view text);

// The items a message names, one an indented line ("\n    item"): the first `most`, then how
// many more, so that a message about thousands of rows still fits on a screen.
std::string listedLines(const std::vector<std::string>& items, std::size_t most = 30);

} // namespace verdan
