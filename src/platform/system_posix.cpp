#include "platform/files.h"
#include "platform/system.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <climits>
#include <vector>

namespace verdan::platform {

std::uint32_t tickCount() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms =
        static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void sleepMs(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {

// The user's locale for one category, from the environment, without touching the global locale.
locale_t userLocale(int mask) {
    locale_t loc = ::newlocale(mask, "", static_cast<locale_t>(0));
    if (!loc) loc = ::newlocale(mask, "C", static_cast<locale_t>(0));
    return loc;
}

} // namespace

std::string decimalSeparator() {
    locale_t loc = userLocale(LC_NUMERIC_MASK);
    std::string sep = loc ? ::nl_langinfo_l(RADIXCHAR, loc) : ".";
    if (loc) ::freelocale(loc);
    return sep.empty() ? "." : sep;
}

std::string nowDateTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char buffer[128] = {};
    locale_t loc = userLocale(LC_TIME_MASK);
    if (loc) {
        ::strftime_l(buffer, sizeof buffer, "%x %X", &tm, loc);
        ::freelocale(loc);
    } else {
        std::strftime(buffer, sizeof buffer, "%d/%m/%Y %H:%M:%S", &tm);
    }
    return buffer;
}

std::string executablePath() {
    char buffer[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string executableFolder() {
    std::string exe = executablePath();
    auto slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string userConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/verdan";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/verdan";
}

bool folderWritable(const std::string& folder) {
    return !folder.empty() && isFolder(folder) && ::access(folder.c_str(), W_OK) == 0;
}

std::string machineName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string userName() {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name)
        return found->pw_name;
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return {};
}

std::string environmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

void prefaultMemory(char* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Whole pages inside the range only; a refusal (an older kernel) leaves the faults to the writes.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

void returnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // Without a fixed threshold the C library raises it after each large block freed, up to 32 MB,
    // and the blocks of that size then come from a heap that keeps them.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

} // namespace verdan::platform
