#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace verdan {

// Size text: "1,46 Mo" under French settings; "N/A" for a negative count. Powers of 1024.
std::string FormatTaille(std::int64_t bytes);
std::string FormatTaille(std::int64_t bytes, std::string_view decimalSeparator);

// Reads a size text back as an estimate in bytes. Accepts "," or "." as the decimal separator
// (a catalogue may come from a machine with other settings) and any unit that is not Ko, Mo or Go
// ("oct" included) as bytes. A text without a number gives 0.
std::int64_t ParseTaille(std::string_view text);

// Scan duration: "250ms", "05s 250ms", "1mn 01s".
std::string FormatDuree(std::uint32_t milliseconds);
// Remaining copy time: "1h 02mn 03s".
std::string FormatDureeHMS(std::uint32_t milliseconds);

// Decimal text of an integer, never through the C library's locale.
std::string toText(long long value);

} // namespace verdan
