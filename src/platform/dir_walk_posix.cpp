#include "platform/dir_walk.h"
#include "platform/long_path_posix.h"

#include <cerrno>
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
    FolderId id;
    OpenFailure failure = OpenFailure::None;
};

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

OpenFailure failureOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP: // O_NOFOLLOW met a link
        return OpenFailure::Gone;
    case EACCES:
    case EPERM:
        return OpenFailure::Refused;
    default:
        return OpenFailure::Other;
    }
}

// The mount rather than the device: a bind mount shows a file system already walked.
std::uint64_t mountOf(int fd, const struct stat& st) {
#ifdef STATX_MNT_ID
    struct statx stx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &stx) == 0 &&
        (stx.stx_mask & STATX_MNT_ID))
        return static_cast<std::uint64_t>(stx.stx_mnt_id);
#else
    (void)fd;
#endif
    return static_cast<std::uint64_t>(st.st_dev);
}

std::unique_ptr<FolderReader::Impl> adopt(int fd) {
    auto impl = std::make_unique<FolderReader::Impl>();
    if (fd < 0) {
        impl->failure = failureOf(errno);
        return impl;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(impl->dir = ::fdopendir(fd))) {
        impl->failure = failureOf(errno);
        ::close(fd);
        return impl;
    }
    impl->device = mountOf(fd, st);
    impl->id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return impl;
}

int openFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), kFolderFlags);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;
    std::string name;
    const int holder = posix::openHoldingFolder(folder, name);
    if (holder < 0) return -1;
    fd = ::openat(holder, name.c_str(), kFolderFlags);
    const int saved = errno;
    ::close(holder);
    errno = saved;
    return fd;
}

} // namespace

FolderReader::FolderReader(const std::string& folder) : m(adopt(openFolder(folder))) {}

FolderReader::FolderReader(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

FolderReader::~FolderReader() {
    if (m->dir) ::closedir(m->dir);
}

bool FolderReader::isOpen() const {
    return m->dir != nullptr;
}

OpenFailure FolderReader::failure() const {
    return m->failure;
}

std::uint64_t FolderReader::device() const {
    return m->device;
}

FolderId FolderReader::id() const {
    return m->id;
}

std::unique_ptr<FolderReader> FolderReader::openChild(const std::string& name) const {
    const int fd = m->dir ? ::openat(::dirfd(m->dir), name.c_str(), kFolderFlags) : (errno = EBADF, -1);
    return std::make_unique<FolderReader>(adopt(fd));
}

std::unique_ptr<FolderReader> FolderReader::openParent() const {
    const int fd =
        m->dir ? ::openat(::dirfd(m->dir), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : (errno = EBADF, -1);
    return std::make_unique<FolderReader>(adopt(fd));
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
