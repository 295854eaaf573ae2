#include "collect/found_line.h"

#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

namespace verdan {

namespace {

constexpr std::string_view kDvdMark = "-DVD";
constexpr std::string_view kDvdPipeMark = "DVD|";
constexpr std::string_view kPositionMark = " = ";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string makeFoundLine(std::string_view modified, std::int64_t size, std::string_view path,
                          std::string_view decimalSeparator) {
    std::string line;
    line.reserve(modified.size() + path.size() + 40);
    line.append(modified);
    line += "   ";
    line += PadRight(FormatTaille(size, decimalSeparator), 15);
    line += "    >    ";
    line.append(path);
    return line;
}

std::string makeDvdFoundLine(std::string_view date, std::string_view entry) {
    std::string line;
    line.reserve(date.size() + entry.size() + 10);
    line.append(date);
    line += "  >   ";
    line += kDvdMark;
    line.append(entry);
    return line;
}

FoundLineParts splitFoundLine(std::string_view line) {
    FoundLineParts parts;
    const std::size_t gt = line.find('>');
    if (gt == std::string_view::npos) {
        parts.path = trimBlanks(line);
        return parts;
    }
    const std::string_view head = trimBlanks(line.substr(0, gt));
    parts.date = head.substr(0, utf8::offsetOfChar(head, 16));
    parts.size = trimBlanks(head.substr(parts.date.size()));
    // No cut at 255 characters: a longer path (common on Linux) would lose the end of its name.
    parts.path = trimBlanks(line.substr(gt + 1));
    return parts;
}

std::string foundLinePath(std::string_view line) {
    return std::string(splitFoundLine(line).path);
}

bool hasUnreadableSize(std::string_view line) {
    return line.substr(0, line.find('>')).find("N/A") != std::string_view::npos;
}

FoundKind foundKindOf(std::string_view line, std::string_view path) {
    const bool dvd = startsWith(path, kDvdMark) || startsWith(path, kDvdPipeMark);
    if (!dvd) return FoundKind::File;
    return line.find(kDvdPipeMark) != std::string_view::npos ? FoundKind::DvdPipe : FoundKind::Dvd;
}

std::string_view dvdTitleText(std::string_view line, std::string_view path) {
    const std::size_t at = line.find(":\\");
    return at == std::string_view::npos ? path : line.substr(at + 2);
}

std::string dvdFolderText(std::string_view line, FoundKind kind) {
    if (kind == FoundKind::DvdPipe) return ExtractField(line, 1, '|') + ExtractField(line, 3, '|');
    return ExtractField(line, 4, '-');
}

std::string unreadableListEntry(std::string_view line, std::size_t position) {
    return std::string(line) + std::string(kPositionMark) + toText(static_cast<long long>(position));
}

std::string unreadableListLine(std::string_view entry) {
    const std::size_t cut = entry.rfind(kPositionMark);
    return std::string(cut == std::string_view::npos ? entry : entry.substr(0, cut));
}

} // namespace verdan
