#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace verdan::platform {

char nativeSeparator() { return '/'; }

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

std::int64_t entrySize(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
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

std::atomic<unsigned> g_tempCounter{0};

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

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool renameEntry(const std::string& from, const std::string& to) {
    // rename() would silently replace the target; the callers rely on a refusal.
    if (exists(to)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool createFolders(const std::string& path) {
    if (path.empty()) return false;
    if (isFolder(path)) return true;
    std::string::size_type pos = 0;
    while ((pos = path.find('/', pos + 1)) != std::string::npos) {
        std::string part = path.substr(0, pos);
        if (!part.empty() && !isFolder(part) && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return ::mkdir(path.c_str(), 0777) == 0 || isFolder(path);
}

bool copyFile(const std::string& from, const std::string& to) {
    auto in = openForReading(from);
    if (!in) return false;
    int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        long long n = in->read(buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!writeAllowed(static_cast<std::size_t>(n)) || !writeAll(fd, std::string_view(buffer, n))) {
            ok = false;
            break;
        }
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

struct AtomicFileWriter::Handle {
    int fd = -1;
};

AtomicFileWriter::AtomicFileWriter(std::string target, bool flushToDisk)
    : m_target(std::move(target)), m_flushToDisk(flushToDisk) {}

AtomicFileWriter::~AtomicFileWriter() { abort(); }

WriteResult AtomicFileWriter::open() {
    m_temp = m_target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_tempCounter++);
    int fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_temp.clear();
        return WriteResult::CannotCreate;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->fd = fd;
    m_failed = false;
    return WriteResult::Ok;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (!m_handle || m_failed) return false;
    if (!writeAllowed(bytes.size()) || !writeAll(m_handle->fd, bytes)) m_failed = true;
    return !m_failed;
}

WriteResult AtomicFileWriter::commit() {
    if (!m_handle) return WriteResult::CannotCreate;
    bool ok = !m_failed && (!m_flushToDisk || ::fsync(m_handle->fd) == 0);
    if (::close(m_handle->fd) != 0) ok = false;
    m_handle.reset();
    if (ok) {
        // Keep the permissions of the file being replaced.
        struct stat st {};
        if (::stat(m_target.c_str(), &st) == 0) ::chmod(m_temp.c_str(), st.st_mode & 07777);
        ok = ::rename(m_temp.c_str(), m_target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
        return WriteResult::CannotWrite;
    }
    m_temp.clear();
    return WriteResult::Ok;
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
