#include "util/text.h"

#include "util/utf8.h"

namespace verdan {

void ReplaceAll(std::string_view oldText, std::string_view newText, std::string& text) {
    if (oldText.empty()) return;
    std::size_t pos = text.find(oldText);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    while (pos != std::string::npos) {
        out.append(text, from, pos - from);
        out.append(newText);
        from = pos + oldText.size();
        pos = text.find(oldText, from);
    }
    out.append(text, from, std::string::npos);
    text.swap(out);
}

std::string_view trimControl(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

std::string_view trimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

std::string ExtractField(std::string_view text, int number, char separator) {
    if (number < 1) return {};
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) {
        std::size_t sep = text.find(separator, start);
        if (sep == std::string_view::npos) return {};
        start = sep + 1;
    }
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    return std::string(trimControl(text.substr(start, end - start)));
}

std::string PadRight(std::string_view text, int width) {
    auto length = static_cast<long>(utf8::length(text));
    std::string out(text);
    if (length <= width) out.append(static_cast<std::size_t>(width - length + 1), ' ');
    return out;
}

std::string PadLeftPairs(std::string_view text, int width) {
    auto length = static_cast<long>(utf8::length(text));
    if (length > width) return std::string(text);
    std::string out(static_cast<std::size_t>(2 * (width - length + 1)), ' ');
    out.append(text);
    return out;
}

std::string DropPluralS(std::string_view word) {
    if (!word.empty() && (word.back() == 's' || word.back() == 'S')) word.remove_suffix(1);
    return std::string(word);
}

namespace {
std::string withoutMarkersAndBlanks(std::string text) {
    ReplaceAll("<<", "", text);
    ReplaceAll(">>", "", text);
    ReplaceAll(" ", "", text);
    return text;
}
} // namespace

bool entetes_identiques(const std::vector<std::string>& rowCells, std::string_view line) {
    std::string joined;
    for (std::size_t i = 0; i < rowCells.size(); ++i) {
        if (i) joined.push_back(';');
        joined.push_back('"');
        joined.append(rowCells[i]);
        joined.push_back('"');
    }
    return withoutMarkersAndBlanks(joined) == withoutMarkersAndBlanks(std::string(line));
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\n' && c != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string listedLines(const std::vector<std::string>& items, std::size_t most) {
    std::string text;
    for (std::size_t i = 0; i < items.size() && i < most; ++i) text += "\n    " + items[i];
    if (items.size() > most) text += "\n    ... et " + std::to_string(items.size() - most) + " autre(s)";
    return text;
}

} // namespace verdan
