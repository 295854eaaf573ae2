#include "catalogue/ini_file.h"

#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"
#include "util/text_file.h"
#include "util/utf8.h"

#include <algorithm>
#include <charconv>

namespace verdan {
namespace {

constexpr std::size_t kMaxValueChars = 2047;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimSpaces(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// `b` is trimmed already. Folding keeps a character's UTF-8 length, so names of different lengths
// never match: the cheap test settles nearly every line of a large file.
bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && utf8::compareFolded(a, b) == 0;
}

// The profile service drops one pair of matching quotes around a value.
std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// A value the reader would change (blanks at an end, a pair of quotes around it) goes in quotes, so
// that a folder named " x" or 'x' comes back as it was.
std::string quoteIfNeeded(std::string_view v) {
    if (!v.empty() && (isBlank(v.front()) || isBlank(v.back()) || unquote(v).size() != v.size()))
        return "\"" + std::string(v) + "\"";
    return std::string(v);
}

// CR LF, LF and CR alone each end a line; afterwards every line ends with one '\n'.
void normaliseLineEnds(std::string& s) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < s.size(); ++r) {
        char c = s[r];
        if (c == '\r') {
            c = '\n';
            if (r + 1 < s.size() && s[r + 1] == '\n') ++r;
        }
        s[w++] = c;
    }
    s.resize(w);
    if (!s.empty() && s.back() != '\n') s.push_back('\n');
}

} // namespace

IniFile IniFile::load(const std::string& path, Scope scope) {
    IniFile ini(path, scope);
    std::string bytes;
    if (platform::readWholeFile(path, bytes) == platform::ReadStatus::Ok) ini.parseBytes(bytes);
    return ini;
}

void IniFile::parse(std::string_view text) {
    m_text.assign(text);
    normaliseLineEnds(m_text);
    index();
}

void IniFile::parseBytes(std::string_view bytes) {
    // Windows-1252, or UTF-8 or UTF-16 after their byte-order mark (a file saved by Notepad).
    m_text = decodeTextFile(bytes);
    normaliseLineEnds(m_text);
    index();
}

namespace {
// What a line is, with offsets from its start; nullopt for blank lines, comments and the like.
template <class Entry> std::optional<Entry> classify(std::string_view raw) {
    const std::string_view t = trimSpaces(raw);
    if (t.empty() || raw.size() > 0xFFFFFFFFu) return std::nullopt;
    auto at = [&](std::string_view part) { return static_cast<std::uint32_t>(part.data() - raw.data()); };
    Entry e;
    if (t.front() == '[') {
        // A missing "]" still opens the section, as the profile service reads it.
        const std::size_t close = t.find(']');
        const std::string_view name =
            trimSpaces(t.substr(1, close == std::string_view::npos ? t.npos : close - 1));
        e.section = true;
        e.nameAt = at(name);
        e.nameLength = static_cast<std::uint32_t>(name.size());
        return e;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos || t.front() == ';') return std::nullopt;
    const std::string_view name = trimSpaces(t.substr(0, eq));
    const std::string_view value = trimSpaces(t.substr(eq + 1));
    e.nameAt = at(name);
    e.nameLength = static_cast<std::uint32_t>(name.size());
    e.valueAt = at(value);
    e.valueLength = static_cast<std::uint32_t>(value.size());
    return e;
}
} // namespace

void IniFile::index() {
    m_entries.clear();
    std::size_t line = 0;
    while (line < m_text.size()) {
        const std::size_t end = lineEnd(line);
        if (auto e = classify<Entry>(std::string_view(m_text).substr(line, end - line))) {
            e->line = line;
            m_entries.push_back(*e);
        }
        line = end + 1;
    }
    m_entries.shrink_to_fit();
}

std::size_t IniFile::lineEnd(std::size_t line) const {
    const std::size_t end = m_text.find('\n', line);
    return end == std::string::npos ? m_text.size() : end;
}

long IniFile::sectionEntry(std::string_view section) const {
    section = trimSpaces(section);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].section && sameName(nameOf(m_entries[i]), section)) return static_cast<long>(i);
    }
    return -1;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_entries.size() && !m_entries[i].section) ++i;
    return i;
}

long IniFile::keyEntry(std::size_t header, std::string_view key) const {
    key = trimSpaces(key);
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (sameName(nameOf(m_entries[i]), key)) return static_cast<long>(i);
    }
    return -1;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const long header = sectionEntry(section);
    if (header < 0) return std::nullopt;
    const long k = keyEntry(static_cast<std::size_t>(header), key);
    if (k < 0) return std::nullopt;
    std::string_view value = unquote(valueOf(m_entries[static_cast<std::size_t>(k)]));
    if (utf8::length(value) > kMaxValueChars)
        value = value.substr(0, utf8::offsetOfChar(value, kMaxValueChars));
    return std::string(value);
}
std::string IniFile::readString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
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

void IniFile::splice(std::size_t from, std::size_t to, const std::string& text,
                     std::size_t firstEntryBehind) {
    m_text.replace(from, to - from, text);
    const std::size_t removed = to - from;
    for (std::size_t i = firstEntryBehind; i < m_entries.size(); ++i)
        m_entries[i].line = m_entries[i].line + text.size() - removed;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    std::string v(value);
    // A line break in a value would cut the file's structure.
    for (char& c : v) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    v = quoteIfNeeded(v);
    auto add = [this](std::size_t at, std::size_t entryIndex, const std::string& line) {
        splice(at, at, line, entryIndex);
        if (auto e = classify<Entry>(std::string_view(line).substr(0, line.size() - 1))) {
            e->line = at;
            m_entries.insert(m_entries.begin() + static_cast<long>(entryIndex), *e);
        }
    };

    const long found = sectionEntry(section);
    if (found < 0) {
        add(m_text.size(), m_entries.size(), "[" + std::string(section) + "]\n");
        add(m_text.size(), m_entries.size(), std::string(trimSpaces(key)) + "=" + v + "\n");
        return;
    }
    const auto header = static_cast<std::size_t>(found);
    if (const long k = keyEntry(header, key); k >= 0) {
        // The key keeps the spelling it has in the file.
        const auto i = static_cast<std::size_t>(k);
        const std::size_t at = m_entries[i].line;
        const std::string line = std::string(nameOf(m_entries[i])) + "=" + v + "\n";
        splice(at, lineEnd(at) + 1, line, i + 1);
        if (auto e = classify<Entry>(std::string_view(line).substr(0, line.size() - 1))) {
            e->line = at;
            m_entries[i] = *e;
        }
        return;
    }
    // After the last non-blank line of the section, so that a blank separator line stays last.
    const std::size_t end = sectionEnd(header);
    std::size_t at = end < m_entries.size() ? m_entries[end].line : m_text.size();
    const std::size_t headerEnd = lineEnd(m_entries[header].line) + 1;
    while (at > headerEnd) {
        const std::size_t previous = m_text.rfind('\n', at - 2) + 1;
        if (!trimSpaces(std::string_view(m_text).substr(previous, at - 1 - previous)).empty()) break;
        at = previous;
    }
    add(at, end, std::string(trimSpaces(key)) + "=" + v + "\n");
}

void IniFile::writeInteger(std::string_view section, std::string_view key, long long value) {
    writeString(section, key, toText(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::string IniFile::serialize() const {
    // Made in one pass at its final size: a large file is held twice while it is written, where a
    // text with CR LF and then its encoding held it five times.
    const bool asUtf8 = m_scope == Scope::Installation && !cp1252::representable(m_text);
    std::string out;
    out.reserve((asUtf8 ? kUtf8Bom.size() : 0) + m_text.size() +
                static_cast<std::size_t>(std::count(m_text.begin(), m_text.end(), '\n')));
    if (asUtf8) out += kUtf8Bom;
    std::size_t pos = 0;
    while (pos < m_text.size()) {
        const auto c = static_cast<unsigned char>(m_text[pos]);
        if (c < 0x80 || asUtf8) {
            if (c == '\n') out += '\r';
            out += static_cast<char>(c);
            ++pos;
            continue;
        }
        const int b = cp1252::encodeChar(utf8::next(m_text, pos));
        out += static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

void IniFile::save() const {
    saveAs(m_path);
}

void IniFile::saveAs(const std::string& path) const {
    if (platform::writeFileAtomically(path, serialize()) != platform::WriteResult::Ok) {
        throw VerdanError(msg::cannotWrite(path));
    }
}

} // namespace verdan
