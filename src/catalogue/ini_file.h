#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdan {

// An INI file with the matching rules of the Windows profile service: section and key names
// without regard to letter case, blanks around names ignored, the first of duplicates wins, a value
// in matching quotes read without them. A write keeps every other line of the file as it was.
class IniFile {
public:
    // Files exchanged with other installations stay Windows-1252 (a character without a byte is
    // written "?"); the installation's own settings file turns to UTF-8 when a value needs it.
    enum class Scope { Exchanged, Installation };

    IniFile() = default;
    explicit IniFile(std::string path, Scope scope = Scope::Exchanged)
        : m_path(std::move(path)), m_scope(scope) {}

    // Reads the file; a missing or unreadable file gives an empty one (every key takes its default).
    static IniFile load(const std::string& path, Scope scope = Scope::Exchanged);
    // From UTF-8 text.
    void parse(std::string_view text);
    // From a file's bytes: a byte-order mark says UTF-8 or UTF-16 LE, anything else is Windows-1252.
    void parseBytes(std::string_view bytes);

    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, const std::string& fallback) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives the fallback.
    long long readInteger(std::string_view section, std::string_view key, long long fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // The file's bytes with CR LF line ends: Windows-1252, or UTF-8 after a byte-order mark when the
    // settings file holds a character Windows-1252 has no byte for.
    std::string serialize() const;
    // Replaces the file atomically; throws VerdanError("Impossible d'écrire dans <path>").
    void save() const;
    void saveAs(const std::string& path) const;
    const std::string& path() const { return m_path; }

    // Parses a profile integer; nullopt when the text is not one.
    static std::optional<long long> parseInteger(std::string_view text);

private:
    // A section header or a key line; every other line lives only in m_text. Offsets inside the
    // line are 32-bit so that a file of short lines costs a few times its size, not 250 bytes a line.
    struct Entry {
        std::size_t line = 0;     // offset of the line in m_text
        std::uint32_t nameAt = 0; // section or key name, trimmed, from the line's start
        std::uint32_t nameLength = 0;
        std::uint32_t valueAt = 0; // key value, trimmed
        std::uint32_t valueLength = 0;
        bool section = false;
    };
    void index();
    std::string_view nameOf(const Entry& e) const {
        return {m_text.data() + e.line + e.nameAt, e.nameLength};
    }
    std::string_view valueOf(const Entry& e) const {
        return {m_text.data() + e.line + e.valueAt, e.valueLength};
    }
    std::size_t lineEnd(std::size_t line) const;
    // Index in m_entries of the first section of that name, or -1.
    long sectionEntry(std::string_view section) const;
    // Index of the entry after the last one of the section that starts at entry `header`.
    std::size_t sectionEnd(std::size_t header) const;
    long keyEntry(std::size_t header, std::string_view key) const;
    // Puts `text` (a whole line with its '\n') in place of [from, to) and moves the offsets behind.
    void splice(std::size_t from, std::size_t to, const std::string& text, std::size_t firstEntryBehind);

    std::string m_path;
    Scope m_scope = Scope::Exchanged;
    std::string m_text; // UTF-8, every line ended by a single '\n'
    std::vector<Entry> m_entries;
};

} // namespace verdan
