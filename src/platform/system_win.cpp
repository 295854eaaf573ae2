#include "platform/files.h"
#include "platform/system.h"
#include "platform/wide_win.h"

#include <shlobj.h>

namespace verdan::platform {

using win::narrow;
using win::widen;

std::uint32_t tickCount() {
    return ::GetTickCount();
}

void sleepMs(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

std::string decimalSeparator() {
    wchar_t buffer[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 0) return ".";
    std::string sep = narrow(buffer);
    return sep.empty() ? "." : sep;
}

std::string nowDateTimeText() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128, nullptr);
    ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128);
    return narrow(date) + " " + narrow(time);
}

std::string executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return narrow(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string executableFolder() {
    std::string exe = executablePath();
    auto slash = exe.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    // A drive root keeps its backslash.
    if (slash == 2 && exe[1] == ':') return exe.substr(0, 3);
    return exe.substr(0, slash);
}

std::string userConfigFolder() {
    PWSTR appData = nullptr;
    std::string base;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData)))
        base = narrow(appData);
    ::CoTaskMemFree(appData);
    if (base.empty()) base = ".";
    return base + "\\VERDAN";
}

bool folderWritable(const std::string& folder) {
    if (!isFolder(folder)) return false;
    // Access rights on Windows are best learnt by trying.
    std::string probe = folder + (folder.back() == '\\' ? "" : "\\") + ".verdan_write_test";
    HANDLE h = ::CreateFileW(widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

std::string machineName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? narrow(std::wstring(name, size)) : std::string();
}

std::string userName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    // size counts the terminating null on success.
    return ::GetUserNameW(name, &size) && size > 0 ? narrow(std::wstring(name, size - 1)) : std::string();
}

std::string environmentVariable(const std::string& name) {
    const std::wstring key = widen(name);
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD n =
            ::GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) return {};
        if (n < value.size()) {
            value.resize(n);
            return narrow(value);
        }
        value.resize(n); // n counts the terminating null when the buffer was too small
    }
}

void prefaultMemory(char*, std::size_t) {
    // Windows gives the pages at their first write.
}

void returnLargeBlocksWhenFreed() {
    // The Windows heap gives blocks of this size their own pages, returned when freed.
}

} // namespace verdan::platform
