#include "platform/files.h"

#include <atomic>

namespace verdan::platform {
namespace {
std::atomic<long long> g_allowance{-1};
}

void setWriteFailureAfter(long long bytes) { g_allowance = bytes; }

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
