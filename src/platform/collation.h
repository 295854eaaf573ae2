#pragma once
#include <memory>
#include <string>
#include <string_view>

// Ordering of texts as a locale orders them, letter case ignored, through binary sort keys:
// a key is computed once per text, then keys compare byte by byte (the shorter first on a tie).
namespace verdan::platform {

class SortKeyMaker {
public:
    // The user's locale (on Linux LC_ALL, LC_COLLATE, then LANG; the root order for C or POSIX).
    SortKeyMaker();
    // A locale by name, "fr-FR" or "fr_FR"; an unknown name gives the root order.
    explicit SortKeyMaker(const std::string& locale);
    ~SortKeyMaker();
    SortKeyMaker(const SortKeyMaker&) = delete;
    SortKeyMaker& operator=(const SortKeyMaker&) = delete;

    // Appends the key of a UTF-8 text, without a terminator.
    void appendKey(std::string_view text, std::string& out);
    // An independent maker of the same locale, for another thread.
    std::unique_ptr<SortKeyMaker> clone() const;
    const std::string& locale() const { return m_locale; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_locale;
};

// The locale name of a POSIX locale setting: "fr_FR.UTF-8@euro" gives "fr_FR", C and POSIX give "".
std::string collationLocaleOf(std::string_view posixSetting);

} // namespace verdan::platform
