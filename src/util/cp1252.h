#pragma once
#include <string>
#include <string_view>

// Windows-1252 is the code page of every file VERDAN reads and writes; in memory texts are UTF-8.
namespace verdan::cp1252 {

// Every byte has a code point (the 5 unassigned ones map to U+0081, U+008D, U+008F, U+0090, U+009D),
// so decode followed by encode gives back the same bytes.
std::string decode(std::string_view bytes);
char32_t decodeByte(unsigned char byte);

// Code points with no byte become '?'. `lossless`, when given, tells whether that happened.
std::string encode(std::string_view utf8, bool* lossless = nullptr);

// The Windows-1252 byte for a code point, or -1 when it has none.
int encodeChar(char32_t cp);

// True when every character of the UTF-8 text has a Windows-1252 byte.
bool representable(std::string_view utf8);

// The text as a catalogue can store it and read back unchanged: characters Windows-1252 lacks,
// control characters and bytes that are no UTF-8 become "?". `altered`, when given, tells whether
// that happened.
std::string storable(std::string_view utf8, bool* altered = nullptr);

} // namespace verdan::cp1252
