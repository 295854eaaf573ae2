#pragma once
#include <cstdint>
#include <memory>
#include <string>

// Reading one folder at a time, for the folder lists and the media scan.
namespace verdan::platform {

enum class EntryKind { File, Folder, Link, Other };

struct DirEntry {
    std::string name; // as the system spells it (UTF-8 on Windows, the raw bytes on Linux)
    EntryKind kind = EntryKind::Other;
    bool hidden = false; // Linux: a name starting with "."
    bool system = false;
};

struct EntryStat {
    std::int64_t size = -1;
    std::int64_t modified = 0; // seconds since 1970-01-01 UTC
    bool ok = false;
};

// One open enumeration of a folder. "." and ".." are never returned. Links (symbolic links,
// junctions) are reported as links and never followed; a folder that is itself a link is not opened.
class FolderReader {
public:
    explicit FolderReader(const std::string& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    bool isOpen() const;
    // The file system the folder belongs to; 0 where the system gives none.
    std::uint64_t device() const;
    bool next(DirEntry& entry);
    // Size and modification time of the entry last returned by next.
    EntryStat stat(const DirEntry& entry);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// "yyyy-mm-dd hh:nn" in local time. Times the system cannot convert are shown in UTC, whatever
// their year.
std::string localMinuteText(std::int64_t secondsSince1970);
std::string utcMinuteText(std::int64_t secondsSince1970);

} // namespace verdan::platform
