#include "collect/scan_walk.h"

#include "collect/found_line.h"

#include "platform/dir_walk.h"
#include "platform/files.h"
#include "util/file_helpers.h"

#include <memory>
#include <string_view>
#include <vector>

namespace verdan {

namespace {

bool excludedFolder(const std::string& name) {
    return name == "Windows" || name == "Program Files" || name == "System Volume Information";
}

// The walk holds at most this many folders open, however deep it goes: further up it finds its
// way back through "..".
constexpr std::size_t kOpenLevels = 24;

// A path below the drive's root as a catalogue can store it, name by name.
std::string storablePath(std::string_view path, bool& altered) {
    altered = false;
    std::string out;
    std::size_t at = 0;
    for (;;) {
        std::size_t end = at;
        while (end < path.size() && path[end] != '/' && path[end] != platform::nativeSeparator()) ++end;
        bool part = false;
        out += storableName(path.substr(at, end - at), part);
        altered = altered || part;
        if (end == path.size()) return out;
        out += path[end];
        at = end + 1;
    }
}

bool countsAsInaccessible(const platform::FolderReader& folder) {
    return folder.failure() == platform::OpenFailure::Refused ||
           folder.failure() == platform::OpenFailure::Other;
}

struct Subfolder {
    std::string name;  // as the system names it
    std::string shown; // as a catalogue can store it
    bool altered = false;
};

// One folder of the walk's way down: its handle (closed when far above the current one), its
// subfolders still to walk, and where its shown path ends.
struct Level {
    std::unique_ptr<platform::FolderReader> reader;
    platform::FolderId id;
    std::vector<Subfolder> subfolders;
    std::size_t next = 0;
    std::size_t shownLength = 0;
    bool altered = false;
};

// The path of the folder the walk starts from as found lines show it; the drive's root stays as
// the system names it.
std::string shownStart(const std::string& folder, const std::string& driveRoot, bool& altered) {
    if (!driveRoot.empty() && folder.compare(0, driveRoot.size(), driveRoot) == 0)
        return driveRoot + storablePath(std::string_view(folder).substr(driveRoot.size()), altered);
    return storablePath(folder, altered);
}

// Lists one folder, whose shown path is `shown`: its media files now, its subfolders for later.
// `entry` is the walk's one entry, reused from folder to folder.
void listFolder(Level& level, const std::string& shown, ScanRun& run, platform::DirEntry& entry,
                const std::function<void(std::string&&)>& found) {
    platform::FolderReader& reader = *level.reader;
    while (!run.stopRequested.load() && reader.next(entry)) {
        if (entry.kind == platform::EntryKind::Folder) {
            bool altered = false;
            std::string shownName = storableName(entry.name, altered);
            if (excludedFolder(entry.name)) {
                run.noteUnread(joinPath(shown, shownName));
                continue;
            }
            level.subfolders.push_back({entry.name, std::move(shownName), level.altered || altered});
            continue;
        }
        if (entry.kind != platform::EntryKind::File) continue;
        bool altered = false;
        const std::string shownName = storableName(entry.name, altered);
        altered = altered || level.altered;
        platform::EntryStat st;
        bool statDone = false;
        auto size = [&]() -> std::int64_t {
            if (!statDone) {
                st = reader.stat(entry);
                statDone = true;
            }
            // A name a catalogue cannot hold could never be found again by its listed path.
            return altered || !st.ok ? -1 : st.size;
        };
        if (AcceptFile(shownName, size, run.settings, run.counters) == 0) continue;
        const std::int64_t bytes = size();
        if (bytes < 0) run.counters.unreadable.fetch_add(1);
        // Without a time the file has vanished; the legacy epoch keeps the line well formed.
        const std::string modified = st.ok ? platform::localMinuteText(st.modified) : "1980-01-01 00:00";
        found(makeFoundLine(modified, bytes, joinPath(shown, shownName), run.settings.decimalSeparator));
    }
}

// Leaves the deepest folder, done with. A folder whose handle was given up is found again through
// "..", as long as it is still the same folder. False when the walk is back above its start.
bool backUp(std::vector<Level>& levels, std::string& shown, ScanRun& run) {
    std::unique_ptr<platform::FolderReader> done = std::move(levels.back().reader);
    levels.pop_back();
    if (levels.empty()) return false;
    Level& parent = levels.back();
    shown.resize(parent.shownLength);
    if (!parent.reader) {
        auto again = done ? done->openParent() : nullptr;
        if (again && again->isOpen() && again->id() == parent.id) {
            parent.reader = std::move(again);
        } else {
            parent.next = parent.subfolders.size(); // the tree moved: the rest of it goes
            run.noteUnread(shown);
        }
    }
    return true;
}

// A stop leaves the folder being read and the subfolders still to walk above it unread; what was
// walked before, and the files of the folders above, were read to the end.
void noteLeftAtStop(const std::vector<Level>& levels, const std::string& shown, ScanRun& run) {
    if (levels.empty()) return;
    run.noteUnread(shown);
    for (std::size_t i = 0; i + 1 < levels.size(); ++i) {
        const std::string folder = shown.substr(0, levels[i].shownLength);
        for (std::size_t k = levels[i].next; k < levels[i].subfolders.size(); ++k)
            run.noteUnread(joinPath(folder, levels[i].subfolders[k].shown));
    }
}

} // namespace

void ScanFolder(const std::string& folder, ScanRun& run, const std::function<void(std::string&&)>& found) {
    bool startAltered = false;
    std::string shown = shownStart(folder, run.driveRoot, startAltered); // the current folder's
    if (run.stopRequested.load()) {
        run.noteUnread(shown);
        return;
    }
    auto start = std::make_unique<platform::FolderReader>(folder);
    if (!start->isOpen()) {
        if (countsAsInaccessible(*start)) run.counters.inaccessibleFolders.fetch_add(1);
        run.noteUnread(shown);
        return; // refused, vanished or a link
    }
    // The scan stays on the chosen drive: a ticked folder may be the mount point of another one.
    std::uint64_t device = start->device();
    if (!run.driveRoot.empty()) {
        const platform::FolderReader root(run.driveRoot);
        if (root.isOpen() && root.device() != device) {
            run.noteUnread(shown);
            return;
        }
    }

    std::vector<Level> levels;
    platform::DirEntry entry;
    levels.push_back({std::move(start), {}, {}, 0, shown.size(), startAltered});
    levels.back().id = levels.back().reader->id();
    listFolder(levels.back(), shown, run, entry, found);
    while (!levels.empty() && !run.stopRequested.load()) {
        Level& level = levels.back();
        if (level.next == level.subfolders.size()) {
            if (!backUp(levels, shown, run)) break;
            continue;
        }
        if (!level.reader) {
            level.next = level.subfolders.size();
            run.noteUnread(shown);
            continue;
        }
        const Subfolder& sub = level.subfolders[level.next++];
        auto child = level.reader->openChild(sub.name);
        if (!child->isOpen()) {
            if (countsAsInaccessible(*child)) run.counters.inaccessibleFolders.fetch_add(1);
            run.noteUnread(joinPath(shown, sub.shown));
            continue;
        }
        if (child->device() != device) {
            // Another mounted file system is a drive of its own, and hides what lies below it here.
            run.noteUnread(joinPath(shown, sub.shown));
            continue;
        }
        const bool altered = sub.altered;
        shown = joinPath(shown, sub.shown);
        if (levels.size() >= kOpenLevels) levels[levels.size() - kOpenLevels].reader.reset();
        Level next;
        next.reader = std::move(child);
        next.id = next.reader->id();
        next.shownLength = shown.size();
        next.altered = altered;
        levels.push_back(std::move(next));
        listFolder(levels.back(), shown, run, entry, found);
    }
    if (run.stopRequested.load()) noteLeftAtStop(levels, shown, run);
}

} // namespace verdan
