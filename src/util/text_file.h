#pragma once
#include <string>
#include <string_view>

namespace verdan {

// The text of a file written by hand or by another program, as UTF-8: after a UTF-8 byte-order mark
// UTF-8 (bytes that are no UTF-8 taken as Windows-1252, so nothing is lost), after a UTF-16 one
// (Notepad's "Unicode", little or big end first) UTF-16, otherwise Windows-1252. The mark itself
// is never part of the text.
std::string decodeTextFile(std::string_view bytes);

// Appends bytes read as UTF-8 where they are UTF-8 and as Windows-1252 where they are not.
void appendUtf8OrWindows1252(std::string& out, std::string_view bytes);

} // namespace verdan
