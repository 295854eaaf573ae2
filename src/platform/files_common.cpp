#include "platform/files.h"
#include "platform/files_copy.h"

#include <atomic>

namespace verdan::platform {
namespace {
std::atomic<long long> g_allowance{-1};
std::atomic<long long> g_failAt{0};
std::atomic<long long> g_seen{0};
std::atomic<bool> g_sticky{false};
std::atomic<bool> g_exchange{true};
std::atomic<unsigned> g_tempCounter{0};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

} // namespace

void setWriteFailureAfter(long long bytes) {
    g_allowance = bytes;
}

bool writeAllowed(std::size_t size) {
    long long left = g_allowance.load();
    while (left >= 0) {
        long long after = left - static_cast<long long>(size);
        if (after < 0) {
            g_allowance = 0;
            return false;
        }
        if (g_allowance.compare_exchange_weak(left, after)) return true;
    }
    return true;
}

namespace faults {
void failOperation(long long n, bool sticky) {
    g_seen = 0;
    g_sticky = sticky;
    g_failAt = n;
}
long long operationsSeen() {
    return g_seen.load();
}
bool allowed(Op op) {
    const long long number = ++g_seen;
    const long long at = g_failAt.load();
    if (at <= 0 || number < at) return true;
    return number != at && !(g_sticky && op == Op::NeedsRoom);
}
void setExchangeSupported(bool supported) {
    g_exchange = supported;
}
bool exchangeSupported() {
    return g_exchange.load();
}
} // namespace faults

std::string temporaryName(const std::string& path) {
    const std::string suffix =
        ".tmp" + std::to_string(currentProcessId()) + "_" + std::to_string(g_tempCounter++);
    // File systems take names of at most 255 bytes (or UTF-16 units): a long media title shortens
    // in its temporary name rather than making the file impossible to write.
    constexpr std::size_t kLongestName = 255;
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t keep = path.size();
    if (path.size() - nameStart + suffix.size() > kLongestName) {
        keep = nameStart + kLongestName - suffix.size();
        // Never cut inside a UTF-8 character.
        while (keep > nameStart && (static_cast<unsigned char>(path[keep]) & 0xC0) == 0x80) --keep;
    }
    return path.substr(0, keep) + suffix;
}

long temporaryNameOwner(const std::string& name) {
    const auto mark = name.rfind(".tmp");
    if (mark == std::string::npos) return -1;
    std::size_t i = mark + 4;
    const std::size_t pidStart = i;
    while (i < name.size() && isDigit(name[i])) ++i;
    if (i == pidStart || i - pidStart > 9 || i >= name.size() || name[i] != '_') return -1;
    const long pid = std::stol(name.substr(pidStart, i - pidStart));
    const std::size_t counterStart = ++i;
    while (i < name.size() && isDigit(name[i])) ++i;
    if (i == counterStart || i != name.size()) return -1;
    return pid;
}

namespace copying {

bool copyInto(const std::string& from, const std::string& to, Target target, bool flushToDisk) {
    auto in = openForReading(from);
    if (!in || !faults::allowed()) return false;
    auto out = createOutput(to, target);
    if (!out) return false;
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const long long n = in->read(buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!writeAllowed(static_cast<std::size_t>(n)) ||
            !out->write(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
    }
    if (ok && flushToDisk) ok = out->flush();
    if (!out->close()) ok = false;
    if (!ok && target == Target::NewName) removeOwnFile(to);
    return ok;
}

} // namespace copying

bool copyFile(const std::string& from, const std::string& to) {
    return copying::copyInto(from, to, copying::Target::Replace, false);
}

long long AtomicFileWriter::writeThroughBuffer(InputFile& in, char* buffer, std::size_t size) {
    const long long n = in.read(buffer, size);
    if (n <= 0) return n < 0 ? kReadFailed : 0;
    return write(std::string_view(buffer, static_cast<std::size_t>(n))) ? n : kWriteFailed;
}

WriteResult AtomicFileWriter::commit() {
    if (!m_handle) return WriteResult::CannotCreate;
    const bool ok =
        closeTemporary() && (!m_beforeReplace || m_beforeReplace(m_target)) && replaceEntry(m_temp, m_target);
    if (!ok) {
        removeFile(m_temp);
        m_temp.clear();
        return WriteResult::CannotWrite;
    }
    m_temp.clear();
    // The data is in place, but not yet sure to survive a power cut: not a success until then.
    if (m_flushToDisk && !syncFolder(folderOf(m_target))) return WriteResult::CannotWrite;
    return WriteResult::Ok;
}

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    WriteResult r = writer.open();
    if (r != WriteResult::Ok) return r;
    if (!writer.write(bytes)) {
        writer.abort();
        return WriteResult::CannotWrite;
    }
    return writer.commit();
}

} // namespace verdan::platform
