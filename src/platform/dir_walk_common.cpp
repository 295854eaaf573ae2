#include "platform/dir_walk.h"

#include <charconv>

namespace verdan::platform {

namespace {

void appendNumber(std::string& out, std::int64_t value, int width) {
    char buffer[24];
    bool negative = value < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    auto r = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    if (negative) out.push_back('-');
    for (int n = static_cast<int>(r.ptr - buffer); n < width; ++n) out.push_back('0');
    out.append(buffer, r.ptr);
}

} // namespace

std::string utcMinuteText(std::int64_t t) {
    // Days and civil date by the proleptic Gregorian rules, valid for any 64-bit second count.
    std::int64_t days = t / 86400;
    std::int64_t rest = t % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    std::string out;
    appendNumber(out, year, 4);
    out.push_back('-');
    appendNumber(out, month, 2);
    out.push_back('-');
    appendNumber(out, day, 2);
    out.push_back(' ');
    appendNumber(out, rest / 3600, 2);
    out.push_back(':');
    appendNumber(out, rest % 3600 / 60, 2);
    return out;
}

} // namespace verdan::platform
