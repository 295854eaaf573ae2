#include "catalogue/ini_file.h"

#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <charconv>

namespace verdan {
namespace {

constexpr std::size_t kMaxValueChars = 2047;

std::string_view trimSpaces(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

bool sameName(std::string_view a, std::string_view b) { return utf8::compareFolded(trimSpaces(a), trimSpaces(b)) == 0; }

} // namespace

IniFile IniFile::load(const std::string& path) {
    IniFile ini(path);
    std::string bytes;
    if (platform::readWholeFile(path, bytes) == platform::ReadStatus::Ok) ini.parse(cp1252::decode(bytes));
    return ini;
}

void IniFile::parse(std::string_view text) {
    m_lines.clear();
    for (std::string_view raw : splitLines(text)) {
        Line line;
        line.text = std::string(raw);
        std::string_view t = trimSpaces(raw);
        if (!t.empty() && t.front() == '[') {
            // A missing "]" still opens the section, as the profile service reads it.
            std::size_t close = t.find(']');
            line.kind = Line::Section;
            line.section = std::string(trimSpaces(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
        } else if (std::size_t eq = t.find('='); eq != std::string_view::npos && !t.empty() && t.front() != ';') {
            line.kind = Line::Key;
            line.key = std::string(trimSpaces(t.substr(0, eq)));
            line.value = std::string(trimSpaces(t.substr(eq + 1)));
        }
        m_lines.push_back(std::move(line));
    }
}

long IniFile::sectionLine(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].section, section)) return static_cast<long>(i);
    }
    return -1;
}

long IniFile::sectionEnd(long header) const {
    auto i = static_cast<std::size_t>(header + 1);
    while (i < m_lines.size() && m_lines[i].kind != Line::Section) ++i;
    return static_cast<long>(i);
}

long IniFile::keyLine(long header, std::string_view key) const {
    long end = sectionEnd(header);
    for (long i = header + 1; i < end; ++i) {
        const Line& l = m_lines[static_cast<std::size_t>(i)];
        if (l.kind == Line::Key && sameName(l.key, key)) return i;
    }
    return -1;
}

bool IniFile::hasSection(std::string_view section) const { return sectionLine(section) >= 0; }

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    long header = sectionLine(section);
    if (header < 0) return std::nullopt;
    long k = keyLine(header, key);
    if (k < 0) return std::nullopt;
    const std::string& value = m_lines[static_cast<std::size_t>(k)].value;
    if (utf8::length(value) > kMaxValueChars) return value.substr(0, utf8::offsetOfChar(value, kMaxValueChars));
    return value;
}

std::string IniFile::readString(std::string_view section, std::string_view key, const std::string& fallback) const {
    auto v = find(section, key);
    return v ? *v : fallback;
}

std::optional<long long> IniFile::parseInteger(std::string_view text) {
    text = trimSpaces(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    unsigned long long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (v > 0x7FFFFFFFFFFFFFFFULL) return std::nullopt;
    auto s = static_cast<long long>(v);
    return negative ? -s : s;
}

long long IniFile::readInteger(std::string_view section, std::string_view key, long long fallback) const {
    auto v = find(section, key);
    if (!v) return fallback;
    auto n = parseInteger(*v);
    return n ? *n : fallback;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    Line entry;
    entry.kind = Line::Key;
    entry.key = std::string(trimSpaces(key));
    entry.value = std::string(value);
    // A line break in a value would cut the file's structure.
    for (char& c : entry.value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    entry.text = entry.key + "=" + entry.value;

    long header = sectionLine(section);
    if (header < 0) {
        Line head;
        head.kind = Line::Section;
        head.section = std::string(section);
        head.text = "[" + head.section + "]";
        m_lines.push_back(std::move(head));
        m_lines.push_back(std::move(entry));
        return;
    }
    long k = keyLine(header, key);
    if (k >= 0) {
        // The key keeps the spelling it has in the file.
        Line& l = m_lines[static_cast<std::size_t>(k)];
        l.value = entry.value;
        l.text = l.key + "=" + l.value;
        return;
    }
    // After the last non-blank line of the section, so that a blank separator line stays last.
    long at = sectionEnd(header);
    while (at > header + 1 && trimSpaces(m_lines[static_cast<std::size_t>(at - 1)].text).empty()) --at;
    m_lines.insert(m_lines.begin() + at, std::move(entry));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, long long value) {
    writeString(section, key, toText(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::string IniFile::serialize() const {
    std::string text;
    for (const Line& l : m_lines) {
        text += l.text;
        text += "\r\n";
    }
    return cp1252::encode(text);
}

void IniFile::save() const { saveAs(m_path); }

void IniFile::saveAs(const std::string& path) const {
    if (platform::writeFileAtomically(path, serialize()) != platform::WriteResult::Ok) {
        throw VerdanError(msg::cannotWrite(path));
    }
}

} // namespace verdan
