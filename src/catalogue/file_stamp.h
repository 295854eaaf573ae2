#pragma once
#include <cstdint>
#include <string>

namespace verdan {

// What a file was when this program last read or wrote it: enough to see, cheaply, that another
// program wrote it since (a catalogue on a share opened from two computers).
struct FileStamp {
    enum class State { Missing, Present, Unreadable };
    State state = State::Missing;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    // A hash of the first and last 64 KiB: a change within the clock's step (two seconds on FAT)
    // that kept the size is still seen, without reading a million-row list again.
    std::uint64_t fingerprint = 0;

    bool operator==(const FileStamp&) const = default;
    bool present() const { return state == State::Present; }
};

FileStamp stampOf(const std::string& path);

// A stamp and the path it was taken of: a path never read has none.
struct FileOnDisk {
    std::string path;
    bool known = false;
    FileStamp stamp;
    // The file's line feeds when its reading counted them, -1 otherwise: while the file is
    // unchanged, its count needs no second reading.
    std::int64_t lineFeeds = -1;

    void remember(const std::string& filePath) { remember(filePath, stampOf(filePath)); }
    // A stamp taken before the file was read: a write by another program during the reading
    // then shows as a change.
    void remember(const std::string& filePath, const FileStamp& taken, std::int64_t countedLineFeeds = -1) {
        path = filePath;
        stamp = taken;
        known = true;
        lineFeeds = countedLineFeeds;
    }
    void forget() { *this = {}; }
    // Whether the file at `filePath` is no longer what was remembered of it. Another path than the
    // one remembered is unchanged as long as nothing is there; nothing remembered, nothing changed
    // (the program remembers its list file whenever it makes one current).
    bool changed(const std::string& filePath) const;
};

} // namespace verdan
