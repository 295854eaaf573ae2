#include "platform/files.h"
#include "platform/files_copy.h"
#include "platform/long_path_posix.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace verdan::platform {

bool acceptableFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool fileNamesCaseSensitive() {
    return true;
}

char nativeSeparator() {
    return '/';
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

namespace posix {

int openHoldingFolder(const std::string& path, std::string& name) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const std::size_t slash = end == 0 ? std::string::npos : path.rfind('/', end - 1);
    const std::size_t from = slash == std::string::npos ? 0 : slash + 1;
    name = path.substr(from, end - from);
    int fd = ::open(!path.empty() && path[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t at = 0;
    const std::size_t folderEnd = slash == std::string::npos ? 0 : slash;
    while (fd >= 0 && at < folderEnd) {
        std::size_t next = path.find('/', at);
        if (next == std::string::npos || next > folderEnd) next = folderEnd;
        const std::string part = path.substr(at, next - at);
        at = next + 1;
        if (part.empty() || part == ".") continue;
        const int child = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fd = child;
    }
    return fd;
}

} // namespace posix

namespace {

int statPath(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) == 0) return 0;
    if (errno != ENAMETOOLONG) return -1;
    std::string name;
    const int fd = posix::openHoldingFolder(path, name);
    if (fd < 0) return -1;
    const int rc = ::fstatat(fd, name.c_str(), &st, 0);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return rc;
}

} // namespace

std::int64_t entrySize(const std::string& path) {
    struct stat st {};
    if (path.empty() || statPath(path, st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

struct EntrySizes::Folders {
    // A folder is opened when a second path names it: a list where no two files share a folder
    // costs what entrySize costs.
    struct Folder {
        std::string path;
        int fd = -1;
        bool unopenable = false;
    };
    static constexpr std::size_t kKept = 8;
    std::array<Folder, kKept> kept;
    std::size_t oldest = 0;
    std::string path; // the path asked, as a C string

    ~Folders() {
        for (const Folder& folder : kept)
            if (folder.fd >= 0) ::close(folder.fd);
    }
    Folder* find(std::string_view folder) {
        for (Folder& f : kept)
            if (f.path == folder) return &f;
        return nullptr;
    }
    void remember(std::string_view folder) {
        Folder& f = kept[oldest];
        oldest = (oldest + 1) % kKept;
        if (f.fd >= 0) ::close(f.fd);
        f.path.assign(folder);
        f.fd = -1;
        f.unopenable = false;
    }
};

EntrySizes::EntrySizes() : m_folders(std::make_unique<Folders>()) {}
EntrySizes::~EntrySizes() = default;

std::int64_t EntrySizes::operator()(std::string_view path) {
    Folders& folders = *m_folders;
    folders.path.assign(path);
    const std::size_t slash = path.rfind('/');
    // The root's own entries, a path without a folder or with nothing after its last "/" are
    // left to entrySize, which knows what they name.
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == path.size())
        return entrySize(folders.path);
    const std::string_view folderPath = path.substr(0, slash);
    Folders::Folder* folder = folders.find(folderPath);
    if (!folder) {
        folders.remember(folderPath);
        return entrySize(folders.path);
    }
    if (folder->fd < 0 && !folder->unopenable) {
        folder->fd = ::open(folder->path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        folder->unopenable = folder->fd < 0;
    }
    if (folder->fd < 0) return entrySize(folders.path);
    struct stat st {};
    if (::fstatat(folder->fd, folders.path.c_str() + slash + 1, &st, 0) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

EntryAccess entryAccess(const std::string& path) {
    struct stat st {};
    if (path.empty()) return EntryAccess::Missing;
    if (statPath(path, st) == 0) return EntryAccess::Ok;
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return EntryAccess::Missing;
    case EACCES:
    case EPERM:
        return EntryAccess::Refused;
    default:
        return EntryAccess::Failed;
    }
}

bool hasExecuteBit(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

namespace {

class PosixInputFile : public InputFile {
public:
    explicit PosixInputFile(int fd) : m_fd(fd) {}
    ~PosixInputFile() override { ::close(m_fd); }
    int fd() const { return m_fd; }
    long long read(char* buffer, std::size_t size) override {
        for (;;) {
            ssize_t n = ::read(m_fd, buffer, size);
            if (n < 0 && errno == EINTR) continue;
            return n;
        }
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        if (!faults::allowed()) return false;
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool closeFd(int fd) {
    return ::close(fd) == 0 && faults::allowed(faults::Op::Other);
}

bool syncFd(int fd) {
    return faults::allowed() && ::fsync(fd) == 0;
}

class PosixOutputFile : public copying::OutputFile {
public:
    explicit PosixOutputFile(int fd) : m_fd(fd) {}
    ~PosixOutputFile() override {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool write(std::string_view bytes) override { return writeAll(m_fd, bytes); }
    bool flush() override { return syncFd(m_fd); }
    bool close() override { return closeFd(std::exchange(m_fd, -1)); }

private:
    int m_fd;
};

} // namespace

std::unique_ptr<InputFile> openForReading(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd);
}

ReadStatus readWholeFile(const std::string& path, std::string& out) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            out.clear();
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

namespace {

// Reads `size` bytes at `at`; false when fewer came (the file shrank meanwhile, or an error).
bool readAt(int fd, std::string& into, off_t at, std::size_t size) {
    into.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, into.data() + done, size - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    into.resize(done);
    return done == size;
}

} // namespace

ReadStatus sampleFile(const std::string& path, std::size_t edge, FileSample& out) {
    out = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        out.size = static_cast<std::int64_t>(st.st_size);
        out.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        const auto size = static_cast<std::size_t>(st.st_size);
        ok = readAt(fd, out.head, 0, std::min(size, edge));
        if (ok && size > edge) {
            const std::size_t tail = std::min(size - edge, edge);
            ok = readAt(fd, out.tail, static_cast<off_t>(size - tail), tail);
        }
    }
    ::close(fd);
    return ok ? ReadStatus::Ok : ReadStatus::Failed;
}

struct HeldFile::Handle {
    int fd = -1;
};

HeldFile::HeldFile() = default;
HeldFile::~HeldFile() {
    close(false);
}
HeldFile::HeldFile(HeldFile&& other) noexcept = default;
HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        close(false);
        m_handle = std::move(other.m_handle);
        m_path = std::move(other.m_path);
    }
    return *this;
}

HeldFile::Result HeldFile::create(const std::string& path, std::string_view bytes) {
    close(false);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? Result::Exists : Result::Failed;
    // Not counted by the fault hooks: those count the steps of saves. Forced out at once, for a
    // program on another computer reads it through its own cache.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done != bytes.size() || ::fsync(fd) != 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return Result::Failed;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->fd = fd;
    m_path = path;
    return Result::Created;
}

bool HeldFile::held() const {
    return m_handle != nullptr;
}

bool HeldFile::close(bool remove) {
    if (!m_handle) return true;
    ::close(m_handle->fd);
    m_handle.reset();
    return !remove || ::unlink(m_path.c_str()) == 0 || errno == ENOENT;
}

bool removeFile(const std::string& path) {
    return faults::allowed(faults::Op::Other) && ::unlink(path.c_str()) == 0;
}

bool renameEntry(const std::string& from, const std::string& to) {
    // rename() would silently replace the target; the callers rely on a refusal.
    if (exists(to)) return false;
    return faults::allowed(faults::Op::Other) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool replaceEntry(const std::string& from, const std::string& to) {
    return faults::allowed(faults::Op::Other) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool duplicateEntry(const std::string& from, const std::string& to) {
    if (!faults::allowed()) return false;
    if (::link(from.c_str(), to.c_str()) == 0) return true;
    // FAT, exFAT and some network shares have no hard links.
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV && errno != EMLINK && errno != ENOSYS)
        return false;
    return copying::copyInto(from, to, copying::Target::NewName, true);
}

bool syncFolder(const std::string& folder) {
    if (!faults::allowed()) return false;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Some file systems cannot sync a folder (EINVAL): their renames are as safe as they get.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
}

ExchangeResult exchangeEntries(const std::string& a, const std::string& b) {
    if (!faults::exchangeSupported()) return ExchangeResult::Unsupported;
    if (!faults::allowed(faults::Op::Other)) return ExchangeResult::Failed;
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0)
        return ExchangeResult::Done;
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return ExchangeResult::Unsupported;
    return ExchangeResult::Failed;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

long currentProcessId() {
    return static_cast<long>(::getpid());
}

bool syncFiles(const std::vector<std::string>& paths, const std::string& folder) {
    bool ok = true;
    for (const std::string& path : paths) {
        const int fd = faults::allowed() ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        if (fd < 0 || !syncFd(fd)) ok = false;
        if (fd >= 0) ::close(fd);
    }
    return ok && syncFolder(folder);
}

bool sameFolder(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && S_ISDIR(sa.st_mode) &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool processAlive(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

bool createFolders(const std::string& path) {
    if (path.empty()) return false;
    if (isFolder(path)) return true;
    std::string::size_type pos = 0;
    while ((pos = path.find('/', pos + 1)) != std::string::npos) {
        std::string part = path.substr(0, pos);
        if (!part.empty() && !isFolder(part) && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return ::mkdir(path.c_str(), 0777) == 0 || isFolder(path);
}

namespace copying {

std::unique_ptr<OutputFile> createOutput(const std::string& path, Target target) {
    const int disposition = target == Target::NewName ? O_EXCL : O_TRUNC;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | disposition | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

void removeOwnFile(const std::string& path) {
    ::unlink(path.c_str());
}

} // namespace copying

struct AtomicFileWriter::Handle {
    int fd = -1;
    off_t written = 0;
    // Cleared for good once the system refuses to copy between the two files itself.
    bool kernelCopy = true;
};

AtomicFileWriter::AtomicFileWriter(std::string target, bool flushToDisk, BeforeReplace beforeReplace)
    : m_target(std::move(target)), m_beforeReplace(std::move(beforeReplace)), m_flushToDisk(flushToDisk) {}

AtomicFileWriter::~AtomicFileWriter() {
    abort();
}

FileFailure lastFileFailure() {
    switch (errno) {
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
        return FileFailure::NameRefused;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileFailure::NoRoom;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::Refused;
    default:
        return FileFailure::InputOutput;
    }
}

WriteResult AtomicFileWriter::open() {
    m_temp = temporaryName(m_target);
    const bool allowed = faults::allowed();
    int fd = allowed ? ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666) : -1;
    if (fd < 0) {
        // An injected failure stands for a disk that failed, not for a name. FUSE's exFAT says a
        // name it refuses does not exist, in a folder that does.
        const int error = errno;
        const std::size_t slash = m_target.rfind('/');
        const bool missingName =
            error == ENOENT &&
            isFolder(slash == std::string::npos ? "." : m_target.substr(0, slash ? slash : 1));
        errno = error;
        m_failure = !allowed      ? FileFailure::InputOutput
                    : missingName ? FileFailure::NameRefused
                                  : lastFileFailure();
        m_temp.clear();
        return WriteResult::CannotCreate;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->fd = fd;
    m_failed = false;
    m_failure = FileFailure::None;
    return WriteResult::Ok;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (!m_handle || m_failed) return false;
    if (!writeAllowed(bytes.size())) {
        m_failed = true;
    } else if (errno = 0; !writeAll(m_handle->fd, bytes)) {
        m_failed = true;
        if (errno != 0) m_failure = lastFileFailure();
    }
#ifdef __linux__
    // Bytes to be forced to disk start on their way now, while the next ones are made: the flush
    // at commit then waits for the last ones only. A refusal changes nothing, the flush remains.
    if (!m_failed && m_flushToDisk && !bytes.empty())
        ::sync_file_range(m_handle->fd, m_handle->written, static_cast<off_t>(bytes.size()),
                          SYNC_FILE_RANGE_WRITE);
    m_handle->written += static_cast<off_t>(bytes.size());
#endif
    return !m_failed;
}

long long AtomicFileWriter::writeFrom(InputFile& in, char* buffer, std::size_t size) {
    if (!m_handle || m_failed) return kWriteFailed;
#ifdef __linux__
    // copy_file_range moves the bytes inside the kernel, one copy instead of two. Any refusal
    // (another file system, FUSE, an old kernel) or error hands over to read and write, which
    // also tell a read error from a write error.
    auto* source = dynamic_cast<PosixInputFile*>(&in);
    if (source && m_handle->kernelCopy) {
        ssize_t n;
        do {
            n = ::copy_file_range(source->fd(), nullptr, m_handle->fd, nullptr, size, 0);
        } while (n < 0 && errno == EINTR);
        if (n > 0) {
            // The test hooks are asked after the fact: a failed copy drops the temporary file
            // anyway, and the bytes counted are those really moved.
            if (writeAllowed(static_cast<std::size_t>(n)) && faults::allowed()) return n;
            m_failed = true;
            return kWriteFailed;
        }
        // Some file systems report 0 for a file they cannot copy this way: read confirms the end.
        m_handle->kernelCopy = false;
    }
#endif
    return writeThroughBuffer(in, buffer, size);
}

bool AtomicFileWriter::closeTemporary() {
    bool ok = !m_failed && (!m_flushToDisk || syncFd(m_handle->fd));
    if (!closeFd(m_handle->fd)) ok = false;
    m_handle.reset();
    if (ok) {
        // Keep the permissions of the file being replaced.
        struct stat st {};
        if (::stat(m_target.c_str(), &st) == 0) ::chmod(m_temp.c_str(), st.st_mode & 07777);
    }
    return ok;
}

void AtomicFileWriter::abort() {
    if (m_handle) {
        ::close(m_handle->fd);
        m_handle.reset();
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace verdan::platform

namespace verdan::platform {

struct ScratchFileWriter::Handle {
    int fd = -1;
    off_t written = 0;
};

ScratchFileWriter::ScratchFileWriter(std::string target) : m_target(std::move(target)) {}

ScratchFileWriter::~ScratchFileWriter() {
    if (m_handle) cutAndClose();
}

WriteResult ScratchFileWriter::open() {
    if (!faults::allowed()) return WriteResult::CannotCreate;
    struct stat st {};
    if (::lstat(m_target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_nlink != 1))
        ::unlink(m_target.c_str());
    // Not followed: a link put in its place is refused rather than written through.
    int fd = ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EPERM) && ::unlink(m_target.c_str()) == 0) {
        // A copy made read-only is replaced, as a rename over it would have done.
        fd = ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (fd < 0) return WriteResult::CannotCreate;
    m_handle = std::make_unique<Handle>();
    m_handle->fd = fd;
    m_failed = false;
    return WriteResult::Ok;
}

bool ScratchFileWriter::write(std::string_view bytes) {
    if (!m_handle || m_failed) return false;
    if (!writeAllowed(bytes.size()) || !writeAll(m_handle->fd, bytes)) {
        m_failed = true;
        return false;
    }
    m_handle->written += static_cast<off_t>(bytes.size());
    return true;
}

bool ScratchFileWriter::cutAndClose() {
    bool ok = ::ftruncate(m_handle->fd, m_handle->written) == 0;
    if (!closeFd(m_handle->fd)) ok = false;
    m_handle.reset();
    return ok;
}

WriteResult ScratchFileWriter::commit() {
    if (!m_handle) return WriteResult::CannotCreate;
    const bool ok = cutAndClose() && !m_failed;
    return ok ? WriteResult::Ok : WriteResult::CannotWrite;
}

} // namespace verdan::platform
