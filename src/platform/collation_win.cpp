#include <windows.h>

#include "platform/collation.h"
#include "platform/wide_win.h"

namespace verdan::platform {

struct SortKeyMaker::Impl {
    bool userDefault = true;
    std::wstring locale; // when not the user's default; L"" is the invariant locale
    std::wstring text;
    const wchar_t* name() const { return userDefault ? LOCALE_NAME_USER_DEFAULT : locale.c_str(); }
};

SortKeyMaker::SortKeyMaker() : m_impl(std::make_unique<Impl>()) {}

SortKeyMaker::SortKeyMaker(const std::string& locale) : m_impl(std::make_unique<Impl>()), m_locale(locale) {
    for (char& c : m_locale) {
        if (c == '_') c = '-';
    }
    m_impl->userDefault = false;
    m_impl->locale = win::widen(m_locale);
    if (!::IsValidLocaleName(m_impl->locale.c_str())) m_impl->locale.clear();
}

SortKeyMaker::~SortKeyMaker() = default;

std::unique_ptr<SortKeyMaker> SortKeyMaker::clone() const {
    auto copy = std::make_unique<SortKeyMaker>();
    copy->m_locale = m_locale;
    copy->m_impl->userDefault = m_impl->userDefault;
    copy->m_impl->locale = m_impl->locale;
    return copy;
}

void SortKeyMaker::appendKey(std::string_view text, std::string& out) {
    std::wstring& wide = m_impl->text;
    wide.clear();
    if (!text.empty()) {
        const int n =
            ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        wide.resize(static_cast<std::size_t>(n));
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    }
    const DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE;
    const std::size_t at = out.size();
    std::size_t room = 4 * wide.size() + 32;
    for (;;) {
        out.resize(at + room);
        const int written = ::LCMapStringEx(m_impl->name(), flags, wide.c_str(), -1,
                                            reinterpret_cast<LPWSTR>(out.data() + at), static_cast<int>(room),
                                            nullptr, nullptr, 0);
        if (written > 0) {
            std::size_t length = static_cast<std::size_t>(written);
            if (out[at + length - 1] == '\0') --length; // the terminator
            out.resize(at + length);
            return;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || room > (1u << 24)) {
            out.resize(at);
            out.append(text); // no key: byte order rather than nothing
            return;
        }
        room *= 2;
    }
}

} // namespace verdan::platform
