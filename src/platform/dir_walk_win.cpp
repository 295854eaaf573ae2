#include "platform/dir_walk.h"
#include "platform/wide_win.h"

#include <cstdio>

namespace verdan::platform {

namespace {

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

std::int64_t unixSeconds(const FILETIME& ft) {
    const std::int64_t ticks =
        static_cast<std::int64_t>(static_cast<std::uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime);
    std::int64_t d = ticks - kUnixEpochIn100ns;
    return d >= 0 ? d / 10000000 : -((-d + 9999999) / 10000000);
}

// Long paths need the \\?\ form, which takes only absolute paths with backslashes.
std::wstring searchPattern(const std::string& folder) {
    std::wstring w = win::widen(folder);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    if (w.size() >= 2 && w[1] == L':' && w.rfind(L"\\\\?\\", 0) != 0)
        w = L"\\\\?\\" + w;
    else if (w.rfind(L"\\\\", 0) == 0 && w.rfind(L"\\\\?\\", 0) != 0)
        w = L"\\\\?\\UNC\\" + w.substr(2);
    if (!w.empty() && w.back() != L'\\') w += L'\\';
    return w + L'*';
}

} // namespace

struct FolderReader::Impl {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false; // data holds an entry not yet returned
};

FolderReader::FolderReader(const std::string& folder) : m(std::make_unique<Impl>()) {
    m->find = ::FindFirstFileExW(searchPattern(folder).c_str(), FindExInfoBasic, &m->data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    m->pending = m->find != INVALID_HANDLE_VALUE;
}

FolderReader::~FolderReader() {
    if (m->find != INVALID_HANDLE_VALUE) ::FindClose(m->find);
}

bool FolderReader::isOpen() const {
    return m->find != INVALID_HANDLE_VALUE;
}

std::uint64_t FolderReader::device() const {
    return 0;
}

bool FolderReader::next(DirEntry& entry) {
    if (m->find == INVALID_HANDLE_VALUE) return false;
    for (;;) {
        if (!m->pending && !::FindNextFileW(m->find, &m->data)) return false;
        m->pending = false;
        const wchar_t* n = m->data.cFileName;
        if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
        const DWORD a = m->data.dwFileAttributes;
        entry.name = win::narrow(n);
        entry.hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
        if (a & FILE_ATTRIBUTE_DIRECTORY) {
            // Junctions and folder links lead elsewhere, possibly back up the tree.
            entry.kind = (a & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::Link : EntryKind::Folder;
        } else {
            // Files with reparse points include cloud placeholders: still files of this disk.
            entry.kind = EntryKind::File;
        }
        return true;
    }
}

EntryStat FolderReader::stat(const DirEntry&) {
    EntryStat s;
    if (m->find == INVALID_HANDLE_VALUE) return s;
    s.size = (m->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                 ? 0
                 : static_cast<std::int64_t>(static_cast<std::uint64_t>(m->data.nFileSizeHigh) << 32 |
                                             m->data.nFileSizeLow);
    s.modified = unixSeconds(m->data.ftLastWriteTime);
    s.ok = true;
    return s;
}

std::string localMinuteText(std::int64_t seconds) {
    // Seconds to FILETIME ticks; beyond what SYSTEMTIME holds the text is UTC.
    if (seconds < -11644473600LL || seconds > 910692730000LL) return utcMinuteText(seconds);
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds * 10000000 + kUnixEpochIn100ns);
    FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&ft, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return utcMinuteText(seconds);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u", unsigned(local.wYear),
                  unsigned(local.wMonth), unsigned(local.wDay), unsigned(local.wHour),
                  unsigned(local.wMinute));
    return buffer;
}

} // namespace verdan::platform
