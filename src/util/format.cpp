#include "util/format.h"

#include "platform/system.h"
#include "util/text.h"
#include "util/utf8.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace verdan {

std::string toText(long long value) {
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::string FormatTaille(std::int64_t bytes) {
    return FormatTaille(bytes, platform::decimalSeparator());
}

std::string FormatTaille(std::int64_t bytes, std::string_view separator) {
    if (bytes < 0) return "N/A";
    double divisor = 1;
    const char* unit = "oct";
    if (bytes >= 1073741824LL) {
        divisor = 1073741824.0;
        unit = "Go";
    } else if (bytes >= 1048576LL) {
        divisor = 1048576.0;
        unit = "Mo";
    } else if (bytes >= 1024LL) {
        divisor = 1024.0;
        unit = "Ko";
    }
    const double d = static_cast<double>(bytes) / divisor;
    const int decimals = d < 10 ? 2 : (d < 100 ? 1 : 0);
    char buffer[64];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed, decimals);
    std::string number(buffer, r.ptr);
    if (auto dot = number.find('.'); dot != std::string::npos) number.replace(dot, 1, separator);
    return number + " " + unit;
}

std::int64_t ParseTaille(std::string_view text) {
    // The leading integer, read as a plain integer reader does, settles the zero cases ("N/A", "0,00 oct").
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return 0;
    long long leading = 0;
    auto [p, ec] =
        std::from_chars(text.data() + (text[start] == '+' ? start + 1 : start), text.data() + i, leading);
    (void)p;
    if (ec == std::errc() && leading == 0) return 0;

    // The number: the digits and one decimal separator that follow.
    std::string number(text.substr(start, i - start));
    if (i + 1 < text.size() && (text[i] == ',' || text[i] == '.') && text[i + 1] >= '0' &&
        text[i + 1] <= '9') {
        number.push_back('.');
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') number.push_back(text[i++]);
    }
    if (number[0] == '+') number.erase(0, 1);
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);

    std::string_view trimmed = trimBlanks(text);
    std::string unit = utf8::asciiUpper(trimmed.substr(trimmed.size() >= 2 ? trimmed.size() - 2 : 0));
    if (unit == "KO")
        value *= 1024.0;
    else if (unit == "MO")
        value *= 1048576.0;
    else if (unit == "GO")
        value *= 1073741824.0;
    // nearbyint rounds halves to even under the default rounding mode.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string FormatDuree(std::uint32_t m) {
    std::uint32_t s = m / 1000, ms = m % 1000, mn = s / 60, sec = s % 60;
    char buffer[48];
    if (s == 0)
        std::snprintf(buffer, sizeof buffer, "%ums", ms);
    else if (mn == 0)
        std::snprintf(buffer, sizeof buffer, "%02us %ums", sec, ms);
    else
        std::snprintf(buffer, sizeof buffer, "%umn %02us", mn, sec);
    return buffer;
}

std::string FormatDureeHMS(std::uint32_t m) {
    std::uint32_t h = m / 3600000, mn = (m / 60000) % 60, sec = (m / 1000) % 60;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%uh %02umn %02us", h, mn, sec);
    return buffer;
}

} // namespace verdan
