#include <cstdlib>
#include <vector>

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include "platform/collation.h"

namespace verdan::platform {
namespace {

std::string userLocale() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return collationLocaleOf(value);
    }
    return {};
}

UCollator* openCollator(const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(locale.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator = ucol_open("", &status);
    }
    if (U_FAILURE(status) || !collator) return nullptr;
    // Secondary strength: accents count, letter case does not.
    ucol_setStrength(collator, UCOL_SECONDARY);
    return collator;
}

} // namespace

struct SortKeyMaker::Impl {
    UCollator* collator = nullptr;
    std::vector<UChar> text;
    ~Impl() {
        if (collator) ucol_close(collator);
    }
};

SortKeyMaker::SortKeyMaker() : SortKeyMaker(userLocale()) {}

SortKeyMaker::SortKeyMaker(const std::string& locale) : m_impl(std::make_unique<Impl>()), m_locale(locale) {
    for (char& c : m_locale) {
        if (c == '-') c = '_';
    }
    m_impl->collator = openCollator(m_locale);
}

SortKeyMaker::~SortKeyMaker() = default;

std::unique_ptr<SortKeyMaker> SortKeyMaker::clone() const {
    return std::make_unique<SortKeyMaker>(m_locale);
}

void SortKeyMaker::appendKey(std::string_view text, std::string& out) {
    if (!m_impl->collator) {
        out.append(text); // no collator at all: byte order rather than nothing
        return;
    }
    std::vector<UChar>& wide = m_impl->text;
    if (wide.size() < text.size() + 1) wide.resize(text.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    // Malformed bytes become U+FFFD rather than failing the whole sort.
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) length = 0;
    const std::size_t at = out.size();
    std::size_t room = 3 * static_cast<std::size_t>(length) + 16;
    for (;;) {
        out.resize(at + room);
        const int32_t needed =
            ucol_getSortKey(m_impl->collator, wide.data(), length,
                            reinterpret_cast<uint8_t*>(out.data() + at), static_cast<int32_t>(room));
        if (needed <= 0) {
            out.resize(at);
            return;
        }
        if (static_cast<std::size_t>(needed) <= room) {
            out.resize(at + static_cast<std::size_t>(needed) - 1); // drop the terminating 0
            return;
        }
        room = static_cast<std::size_t>(needed);
    }
}

} // namespace verdan::platform
