#include "platform/dir_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace verdan::platform {

struct FolderReader::Impl {
    DIR* dir = nullptr;
    std::uint64_t device = 0;
};

FolderReader::FolderReader(const std::string& folder) : m(std::make_unique<Impl>()) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(m->dir = ::fdopendir(fd))) {
        ::close(fd);
        return;
    }
    m->device = static_cast<std::uint64_t>(st.st_dev);
}

FolderReader::~FolderReader() {
    if (m->dir) ::closedir(m->dir);
}

bool FolderReader::isOpen() const {
    return m->dir != nullptr;
}

std::uint64_t FolderReader::device() const {
    return m->device;
}

bool FolderReader::next(DirEntry& entry) {
    if (!m->dir) return false;
    while (const dirent* e = ::readdir(m->dir)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
        entry.name = n;
        entry.hidden = n[0] == '.';
        entry.system = false;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(::dirfd(m->dir), n, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                type = S_ISREG(st.st_mode)   ? DT_REG
                       : S_ISDIR(st.st_mode) ? DT_DIR
                       : S_ISLNK(st.st_mode) ? DT_LNK
                                             : DT_FIFO;
            }
        }
        entry.kind = type == DT_REG   ? EntryKind::File
                     : type == DT_DIR ? EntryKind::Folder
                     : type == DT_LNK ? EntryKind::Link
                                      : EntryKind::Other;
        return true;
    }
    return false;
}

EntryStat FolderReader::stat(const DirEntry& entry) {
    EntryStat s;
    struct stat st {};
    if (!m->dir || ::fstatat(::dirfd(m->dir), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return s;
    s.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    s.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    s.ok = true;
    return s;
}

std::string localMinuteText(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (static_cast<std::int64_t>(t) != seconds || !::localtime_r(&t, &tm) || tm.tm_year + 1900 > 9999 ||
        tm.tm_year + 1900 < 0)
        return utcMinuteText(seconds);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min);
    return buffer;
}

} // namespace verdan::platform
