#include "support/foreign_hold.h"

#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace verdan::test {

#ifdef _WIN32

namespace {
std::wstring wide(const std::string& s) {
    return pathFromUtf8(s).wstring();
}

void* openSharing(const std::string& path, DWORD share) {
    HANDLE h = ::CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}
} // namespace

bool runningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Unreadable::Unreadable(const std::string& path) : m_path(path), m_handle(openSharing(path, 0)) {
    if (!m_handle) m_whyNot = "cannot open the file to lock it";
}
Unreadable::~Unreadable() {
    if (m_handle) ::CloseHandle(m_handle);
}

HeldOpen::HeldOpen(const std::string& path)
    : m_handle(openSharing(path, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
    if (!m_handle) m_whyNot = "cannot open the file to hold it";
}
HeldOpen::~HeldOpen() {
    if (m_handle) ::CloseHandle(m_handle);
}

#else

bool runningUnderWine() {
    return false;
}

Unreadable::Unreadable(const std::string& path) : m_path(path) {
    if (runningAsRoot()) {
        m_whyNot = "root reads every file";
        return;
    }
    std::filesystem::permissions(pathFromUtf8(path), std::filesystem::perms::none);
}
Unreadable::~Unreadable() {
    std::error_code ec;
    if (m_whyNot.empty())
        std::filesystem::permissions(pathFromUtf8(m_path), std::filesystem::perms::owner_all, ec);
}

HeldOpen::HeldOpen(const std::string&) : m_whyNot("POSIX replaces and removes files that others hold open") {}
HeldOpen::~HeldOpen() = default;

#endif

} // namespace verdan::test
