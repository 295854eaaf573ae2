#include "catalogue/file_stamp.h"

#include <string_view>

#include "platform/files.h"

namespace verdan {
namespace {

constexpr std::size_t kEdge = 64 * 1024;

// FNV-1a, 64 bits.
std::uint64_t hashInto(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

FileStamp stampOf(const std::string& path) {
    platform::FileSample sample;
    FileStamp stamp;
    switch (platform::sampleFile(path, kEdge, sample)) {
    case platform::ReadStatus::Missing:
        return stamp;
    case platform::ReadStatus::Failed:
        stamp.state = FileStamp::State::Unreadable;
        return stamp;
    case platform::ReadStatus::Ok:
        break;
    }
    stamp.state = FileStamp::State::Present;
    stamp.size = sample.size;
    stamp.modified = sample.modified;
    stamp.fingerprint = hashInto(hashInto(0xcbf29ce484222325ULL, sample.head), sample.tail);
    return stamp;
}

bool FileOnDisk::changed(const std::string& filePath) const {
    if (!known) return false;
    const FileStamp now = stampOf(filePath);
    if (path != filePath) return now.state != FileStamp::State::Missing;
    return now != stamp;
}

} // namespace verdan
