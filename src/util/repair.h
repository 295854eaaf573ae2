#pragma once
#include <string>
#include <string_view>

namespace verdan {

// Repairs French accented letters that reached us as UTF-8 bytes read as Windows-1252.
// Works on Windows-1252 bytes, in place.
void RepairAccents(std::string& cp1252Bytes);

// The same on UTF-8 text: encoded to Windows-1252, repaired, decoded. A text holding characters
// that Windows-1252 cannot store is repaired run by run, leaving those characters as they are.
std::string repairAccentsOfUtf8(std::string_view text);

} // namespace verdan
