#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdan {

// An INI file with the matching rules of the Windows profile service: section and key names
// without regard to letter case, blanks around names ignored, the first of duplicates wins.
// A write keeps every other line of the file as it was.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path) : m_path(std::move(path)) {}

    // Reads the file; a missing or unreadable file gives an empty one (every key takes its default).
    static IniFile load(const std::string& path);
    // From UTF-8 text.
    void parse(std::string_view text);

    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, const std::string& fallback) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives the fallback.
    long long readInteger(std::string_view section, std::string_view key, long long fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    bool hasSection(std::string_view section) const;

    // Windows-1252 text with CR LF line ends.
    std::string serialize() const;
    // Replaces the file atomically; throws VerdanError("Impossible d'écrire dans <path>").
    void save() const;
    void saveAs(const std::string& path) const;
    const std::string& path() const { return m_path; }

    // Parses a profile integer; nullopt when the text is not one.
    static std::optional<long long> parseInteger(std::string_view text);

private:
    struct Line {
        std::string text;    // the line as it stands in the file
        std::string section; // for a section header: its name
        std::string key;     // for a key line: its name, trimmed
        std::string value;   // for a key line: its value, trimmed
        enum Kind { Other, Section, Key } kind = Other;
    };
    // Index of the header line of the first section of that name, or -1.
    long sectionLine(std::string_view section) const;
    // Index of the first key line of that name in the section that starts at `header`, or -1.
    long keyLine(long header, std::string_view key) const;
    long sectionEnd(long header) const;

    std::string m_path;
    std::vector<Line> m_lines;
};

} // namespace verdan
