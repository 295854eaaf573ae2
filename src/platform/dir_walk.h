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

// Why a folder could not be opened.
enum class OpenFailure {
    None,
    Gone,    // vanished, not a folder, or turned into a link meanwhile
    Refused, // its permissions
    Other,   // too deep or too long for the system, out of handles, a device error
};

// Which folder an open folder is, to tell that the tree has not moved under a walk; all zero where
// the system gives none.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    bool operator==(const FolderId&) const = default;
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
    OpenFailure failure() const;
    // The mounted file system the folder belongs to (on Linux the mount itself, so that a bind
    // mount differs from the file system it shows); 0 where the system gives none.
    std::uint64_t device() const;
    FolderId id() const;
    bool next(DirEntry& entry);
    // Size and modification time of the entry last returned by next.
    EntryStat stat(const DirEntry& entry);

    // A subfolder, opened from this folder's handle rather than by a path (on Windows by a
    // long-path form), so that neither depth nor path length stops a walk. A link is not opened.
    std::unique_ptr<FolderReader> openChild(const std::string& name) const;
    // The folder that holds this one.
    std::unique_ptr<FolderReader> openParent() const;

    struct Impl; // what each system keeps of an open folder
    explicit FolderReader(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> m;
};

// "yyyy-mm-dd hh:nn" in local time. Times the system cannot convert are shown in UTC, whatever
// their year.
std::string localMinuteText(std::int64_t secondsSince1970);
std::string utcMinuteText(std::int64_t secondsSince1970);

} // namespace verdan::platform
