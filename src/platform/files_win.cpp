#include "platform/files.h"
#include "platform/files_copy.h"
#include "platform/wide_win.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace verdan::platform {

using win::widen;

bool fileNamesCaseSensitive() {
    return false;
}

char nativeSeparator() {
    return '\\';
}

bool acceptableFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    // Device names stay devices whatever their extension.
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : devices)
        if (stem == d) return false;
    if (stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
        stem[3] <= '9')
        return false;
    return true;
}

namespace {

bool attributes(const std::string& path, DWORD& attrs) {
    attrs = ::GetFileAttributesW(widen(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES;
}

class WinInputFile : public InputFile {
public:
    explicit WinInputFile(HANDLE h) : m_h(h) {}
    ~WinInputFile() override { ::CloseHandle(m_h); }
    long long read(char* buffer, std::size_t size) override {
        DWORD got = 0;
        DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!::ReadFile(m_h, buffer, want, &got, nullptr)) return -1;
        return got;
    }

private:
    HANDLE m_h;
};

bool writeAll(HANDLE h, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD done = 0;
        if (!faults::allowed() || !::WriteFile(h, p, chunk, &done, nullptr) || done == 0) return false;
        p += done;
        left -= done;
    }
    return true;
}

HANDLE openRead(const std::string& path) {
    return ::CreateFileW(widen(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool closeHandle(HANDLE h) {
    return ::CloseHandle(h) && faults::allowed(faults::Op::Other);
}

bool syncHandle(HANDLE h) {
    return faults::allowed() && ::FlushFileBuffers(h);
}

} // namespace

bool isFile(const std::string& path) {
    DWORD a;
    return attributes(path, a) && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolder(const std::string& path) {
    DWORD a;
    return attributes(path, a) && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool exists(const std::string& path) {
    DWORD a;
    return attributes(path, a);
}

std::int64_t entrySize(const std::string& path) {
    // Looked up literally: "?" and "*" only come from names altered for display and must match nothing.
    if (path.empty() || path.find_first_of("?*") != std::string::npos) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A path is looked up whole here: the system keeps no cheaper way from a folder handle.
struct EntrySizes::Folders {};
EntrySizes::EntrySizes() = default;
EntrySizes::~EntrySizes() = default;
std::int64_t EntrySizes::operator()(std::string_view path) {
    return entrySize(std::string(path));
}

EntryAccess entryAccess(const std::string& path) {
    if (path.empty() || path.find_first_of("?*") != std::string::npos) return EntryAccess::Missing;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return EntryAccess::Ok;
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return EntryAccess::Missing;
    case ERROR_ACCESS_DENIED:
        return EntryAccess::Refused;
    default:
        return EntryAccess::Failed;
    }
}

bool hasExecuteBit(const std::string&) {
    return false;
}

std::unique_ptr<InputFile> openForReading(const std::string& path) {
    if (isFolder(path)) return nullptr;
    HANDLE h = openRead(path);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinInputFile>(h);
}

ReadStatus readWholeFile(const std::string& path, std::string& out) {
    out.clear();
    if (isFolder(path)) return ReadStatus::Failed;
    HANDLE h = openRead(path);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = ::GetLastError();
        return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? ReadStatus::Missing
                                                                        : ReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h, &size) && size.QuadPart > 0) out.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &got, nullptr)) {
            ::CloseHandle(h);
            out.clear();
            return ReadStatus::Failed;
        }
        if (got == 0) break;
        out.append(buffer, got);
    }
    ::CloseHandle(h);
    return ReadStatus::Ok;
}

namespace {

// Reads `size` bytes at `at`; false when fewer came.
bool readAt(HANDLE h, std::string& into, std::int64_t at, std::size_t size) {
    into.resize(size);
    LARGE_INTEGER where{};
    where.QuadPart = at;
    if (!::SetFilePointerEx(h, where, nullptr, FILE_BEGIN)) return false;
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 20));
        if (!::ReadFile(h, into.data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    into.resize(done);
    return done == size;
}

} // namespace

ReadStatus sampleFile(const std::string& path, std::size_t edge, FileSample& out) {
    out = {};
    if (isFolder(path)) return ReadStatus::Failed;
    HANDLE h = openRead(path);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? ReadStatus::Missing
                                                                        : ReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    FILETIME written{};
    bool ok = ::GetFileSizeEx(h, &size) && ::GetFileTime(h, nullptr, nullptr, &written);
    if (ok) {
        out.size = size.QuadPart;
        out.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) |
                                                 written.dwLowDateTime);
        const auto bytes = static_cast<std::size_t>(size.QuadPart);
        ok = readAt(h, out.head, 0, std::min(bytes, edge));
        if (ok && bytes > edge) {
            const std::size_t tail = std::min(bytes - edge, edge);
            ok = readAt(h, out.tail, static_cast<std::int64_t>(bytes - tail), tail);
        }
    }
    ::CloseHandle(h);
    return ok ? ReadStatus::Ok : ReadStatus::Failed;
}

struct HeldFile::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
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
    // Readable by others, never removable nor renamable while this handle is open.
    HANDLE h = ::CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || e == ERROR_SHARING_VIOLATION
                   ? Result::Exists
                   : Result::Failed;
    }
    // Not counted by the fault hooks: those count the steps of saves.
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(h, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) break;
        done += wrote;
    }
    if (done != bytes.size() || !::FlushFileBuffers(h)) {
        ::CloseHandle(h);
        ::DeleteFileW(widen(path).c_str());
        return Result::Failed;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->h = h;
    m_path = path;
    return Result::Created;
}

bool HeldFile::held() const {
    return m_handle != nullptr;
}

bool HeldFile::close(bool remove) {
    if (!m_handle) return true;
    ::CloseHandle(m_handle->h);
    m_handle.reset();
    if (!remove) return true;
    return ::DeleteFileW(widen(m_path).c_str()) != 0 || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool removeFile(const std::string& path) {
    return faults::allowed(faults::Op::Other) && ::DeleteFileW(widen(path).c_str()) != 0;
}

bool renameEntry(const std::string& from, const std::string& to) {
    return faults::allowed(faults::Op::Other) &&
           ::MoveFileExW(widen(from).c_str(), widen(to).c_str(), 0) != 0;
}

bool replaceEntry(const std::string& from, const std::string& to) {
    return faults::allowed(faults::Op::Other) &&
           ::MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool syncFolder(const std::string&) {
    // Moves are made with MOVEFILE_WRITE_THROUGH: they are on disk when they return.
    return faults::allowed();
}

ExchangeResult exchangeEntries(const std::string&, const std::string&) {
    return ExchangeResult::Unsupported;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    HANDLE h = ::FindFirstFileW(widen(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = win::narrow(data.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
    return names;
}

long currentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

bool syncFiles(const std::vector<std::string>& paths, const std::string& folder) {
    bool ok = true;
    for (const std::string& path : paths) {
        // Flushing needs a handle that may write; the file is only flushed, never written.
        HANDLE h = faults::allowed() ? ::CreateFileW(widen(path).c_str(), GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                     : INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE || !syncHandle(h)) ok = false;
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    return ok && syncFolder(folder);
}

namespace {

bool folderIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics opens a folder; the handle shares everything, so nothing else is disturbed.
    HANDLE h = ::CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    return ok && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

bool sameFolder(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return folderIdentity(a, ia) && folderIdentity(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

bool processAlive(long pid) {
    if (pid <= 0) return false;
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h) return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool alive = ::GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    ::CloseHandle(h);
    return alive;
}

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Index just past the next separator from `from`, or the end.
std::size_t pastComponent(const std::string& p, std::size_t from) {
    std::size_t end = p.find_first_of("\\/", from);
    return end == std::string::npos ? p.size() : end + 1;
}

// Length of the volume part of a path, which cannot be created: "C:\", "\\server\share\",
// "\\?\C:\", "\\?\UNC\server\share\", "\".
std::size_t rootLength(const std::string& p) {
    if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) {
        if (p.size() >= 4 && (p[2] == '?' || p[2] == '.') && isSeparator(p[3])) {
            if (p.size() >= 8 && (p.compare(4, 3, "UNC") == 0 || p.compare(4, 3, "unc") == 0) &&
                isSeparator(p[7]))
                return pastComponent(p, pastComponent(p, 8));
            return pastComponent(p, 4);
        }
        return pastComponent(p, pastComponent(p, 2));
    }
    if (p.size() >= 2 && p[1] == ':') return p.size() >= 3 && isSeparator(p[2]) ? 3 : 2;
    return !p.empty() && isSeparator(p[0]) ? 1 : 0;
}

} // namespace

bool createFolders(const std::string& path) {
    if (path.empty()) return false;
    if (isFolder(path)) return true;
    for (std::size_t pos = path.find_first_of("\\/", rootLength(path)); pos != std::string::npos;
         pos = path.find_first_of("\\/", pos + 1)) {
        const std::string part = path.substr(0, pos);
        if (isFolder(part)) continue;
        if (!::CreateDirectoryW(widen(part).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return ::CreateDirectoryW(widen(path).c_str(), nullptr) != 0 || isFolder(path);
}

namespace {

class WinOutputFile : public copying::OutputFile {
public:
    explicit WinOutputFile(HANDLE h) : m_h(h) {}
    ~WinOutputFile() override {
        if (m_h != INVALID_HANDLE_VALUE) ::CloseHandle(m_h);
    }
    bool write(std::string_view bytes) override { return writeAll(m_h, bytes); }
    bool flush() override { return syncHandle(m_h); }
    bool close() override { return closeHandle(std::exchange(m_h, INVALID_HANDLE_VALUE)); }

private:
    HANDLE m_h;
};

} // namespace

namespace copying {

std::unique_ptr<OutputFile> createOutput(const std::string& path, Target target) {
    const DWORD disposition = target == Target::NewName ? CREATE_NEW : CREATE_ALWAYS;
    HANDLE h = ::CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinOutputFile>(h);
}

void removeOwnFile(const std::string& path) {
    ::DeleteFileW(widen(path).c_str());
}

} // namespace copying

bool duplicateEntry(const std::string& from, const std::string& to) {
    if (!faults::allowed()) return false;
    if (::CreateHardLinkW(widen(to).c_str(), widen(from).c_str(), nullptr)) return true;
    // FAT, exFAT and many shares have no hard links. A name already taken stays as it was.
    return copying::copyInto(from, to, copying::Target::NewName, true);
}

struct AtomicFileWriter::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
};

AtomicFileWriter::AtomicFileWriter(std::string target, bool flushToDisk, BeforeReplace beforeReplace)
    : m_target(std::move(target)), m_beforeReplace(std::move(beforeReplace)), m_flushToDisk(flushToDisk) {}

AtomicFileWriter::~AtomicFileWriter() {
    abort();
}

FileFailure lastFileFailure() {
    switch (::GetLastError()) {
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return FileFailure::NameRefused;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileFailure::NoRoom;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileFailure::Refused;
    default:
        return FileFailure::InputOutput;
    }
}

WriteResult AtomicFileWriter::open() {
    m_temp = temporaryName(m_target);
    const bool allowed = faults::allowed();
    HANDLE h = allowed ? ::CreateFileW(widen(m_temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) {
        // An injected failure stands for a disk that failed, not for a name.
        m_failure = allowed ? lastFileFailure() : FileFailure::InputOutput;
        m_temp.clear();
        return WriteResult::CannotCreate;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->h = h;
    m_failed = false;
    m_failure = FileFailure::None;
    return WriteResult::Ok;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (!m_handle || m_failed) return false;
    if (!writeAllowed(bytes.size())) {
        m_failed = true;
    } else if (::SetLastError(0); !writeAll(m_handle->h, bytes)) {
        m_failed = true;
        if (::GetLastError() != 0) m_failure = lastFileFailure();
    }
    return !m_failed;
}

long long AtomicFileWriter::writeFrom(InputFile& in, char* buffer, std::size_t size) {
    return writeThroughBuffer(in, buffer, size);
}

bool AtomicFileWriter::closeTemporary() {
    bool ok = !m_failed && (!m_flushToDisk || syncHandle(m_handle->h));
    if (!closeHandle(m_handle->h)) ok = false;
    m_handle.reset();
    return ok;
}

void AtomicFileWriter::abort() {
    if (m_handle) {
        ::CloseHandle(m_handle->h);
        m_handle.reset();
    }
    if (!m_temp.empty()) {
        ::DeleteFileW(widen(m_temp).c_str());
        m_temp.clear();
    }
}

} // namespace verdan::platform

namespace verdan::platform {

struct ScratchFileWriter::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
};

ScratchFileWriter::ScratchFileWriter(std::string target) : m_target(std::move(target)) {}

ScratchFileWriter::~ScratchFileWriter() {
    if (m_handle) cutAndClose();
}

WriteResult ScratchFileWriter::open() {
    if (!faults::allowed()) return WriteResult::CannotCreate;
    const std::wstring name = widen(m_target);
    const DWORD attrs = ::GetFileAttributesW(name.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        ::DeleteFileW(name.c_str());
    HANDLE h =
        ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1) {
        ::CloseHandle(h);
        ::DeleteFileW(name.c_str());
        h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return WriteResult::CannotCreate;
    m_handle = std::make_unique<Handle>();
    m_handle->h = h;
    m_failed = false;
    return WriteResult::Ok;
}

bool ScratchFileWriter::write(std::string_view bytes) {
    if (!m_handle || m_failed) return false;
    if (!writeAllowed(bytes.size()) || !writeAll(m_handle->h, bytes)) m_failed = true;
    return !m_failed;
}

bool ScratchFileWriter::cutAndClose() {
    bool ok = ::SetEndOfFile(m_handle->h) != 0;
    if (!closeHandle(m_handle->h)) ok = false;
    m_handle.reset();
    return ok;
}

WriteResult ScratchFileWriter::commit() {
    if (!m_handle) return WriteResult::CannotCreate;
    const bool ok = cutAndClose() && !m_failed;
    return ok ? WriteResult::Ok : WriteResult::CannotWrite;
}

} // namespace verdan::platform
