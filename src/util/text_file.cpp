#include "util/text_file.h"

#include "util/cp1252.h"
#include "util/utf8.h"

namespace verdan {
namespace {

std::string decodeUtf16(std::string_view bytes, bool littleEnd) {
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(littleEnd ? a | (b << 8) : (a << 8) | b);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        utf8::append(out, cp);
    }
    return out;
}

} // namespace

void appendUtf8OrWindows1252(std::string& out, std::string_view bytes) {
    out.reserve(out.size() + bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[pos]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        if (utf8::next(bytes, pos) == 0xFFFD && bytes.substr(start, 3) != "\xEF\xBF\xBD") {
            pos = start + 1;
            utf8::append(out, cp1252::decodeByte(c));
        } else {
            out.append(bytes.substr(start, pos - start));
        }
    }
}

std::string decodeTextFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::string out;
        appendUtf8OrWindows1252(out, bytes.substr(3));
        return out;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") return decodeUtf16(bytes.substr(2), true);
    if (bytes.substr(0, 2) == "\xFE\xFF") return decodeUtf16(bytes.substr(2), false);
    return cp1252::decode(bytes);
}

} // namespace verdan
