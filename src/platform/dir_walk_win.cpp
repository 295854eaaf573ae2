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
std::wstring longForm(const std::string& folder) {
    std::wstring w = win::widen(folder);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    if (w.size() >= 2 && w[1] == L':' && w.rfind(L"\\\\?\\", 0) != 0)
        w = L"\\\\?\\" + w;
    else if (w.rfind(L"\\\\", 0) == 0 && w.rfind(L"\\\\?\\", 0) != 0)
        w = L"\\\\?\\UNC\\" + w.substr(2);
    return w;
}

// What the long-path form takes at most.
constexpr std::size_t kLongestPath = 32767;

} // namespace

struct FolderReader::Impl {
    std::wstring folder; // long form
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false; // data holds an entry not yet returned
    OpenFailure failure = OpenFailure::None;
};

namespace {

std::unique_ptr<FolderReader::Impl> openLong(std::wstring folder) {
    auto impl = std::make_unique<FolderReader::Impl>();
    impl->folder = std::move(folder);
    std::wstring pattern = impl->folder;
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    if (pattern.size() >= kLongestPath) {
        impl->failure = OpenFailure::Other;
        return impl;
    }
    impl->find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &impl->data, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_LARGE_FETCH);
    impl->pending = impl->find != INVALID_HANDLE_VALUE;
    if (impl->find == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            impl->failure = OpenFailure::Gone;
            break;
        case ERROR_ACCESS_DENIED:
            impl->failure = OpenFailure::Refused;
            break;
        default:
            impl->failure = OpenFailure::Other;
        }
    }
    return impl;
}

} // namespace

FolderReader::FolderReader(const std::string& folder) : m(openLong(longForm(folder))) {}

FolderReader::FolderReader(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

FolderReader::~FolderReader() {
    if (m->find != INVALID_HANDLE_VALUE) ::FindClose(m->find);
}

bool FolderReader::isOpen() const {
    return m->find != INVALID_HANDLE_VALUE;
}

OpenFailure FolderReader::failure() const {
    return m->failure;
}

std::uint64_t FolderReader::device() const {
    return 0;
}

FolderId FolderReader::id() const {
    return {};
}

std::unique_ptr<FolderReader> FolderReader::openChild(const std::string& name) const {
    std::wstring path = m->folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return std::make_unique<FolderReader>(openLong(path + win::widen(name)));
}

std::unique_ptr<FolderReader> FolderReader::openParent() const {
    std::wstring path = m->folder;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    const std::size_t cut = path.rfind(L'\\');
    path.resize(cut == std::wstring::npos ? 0 : cut);
    // A drive root keeps its backslash.
    if (!path.empty() && path.back() == L':') path += L'\\';
    return std::make_unique<FolderReader>(openLong(path));
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
