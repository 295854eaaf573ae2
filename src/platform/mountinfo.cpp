#include "platform/mountinfo.h"

#include <algorithm>
#include <charconv>

namespace verdan::platform {

namespace {

std::vector<std::string_view> splitBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

template <typename T> bool toNumber(std::string_view s, T& value) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool startsWithFolder(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
                              path[folder.size()] == '/');
}

bool inSystemFolder(std::string_view mountPoint) {
    for (std::string_view f : {"/proc", "/sys", "/dev"})
        if (startsWithFolder(mountPoint, f)) return true;
    return startsWithFolder(mountPoint, "/run") && !startsWithFolder(mountPoint, "/run/media");
}

// A btrfs subvolume mounted by name shows its subvolume as root: that is no bind mount.
bool isSubvolumeMount(const MountEntry& m) {
    if (m.fileSystem != "btrfs") return false;
    std::string_view opts = m.superOptions;
    std::size_t at = 0;
    while (at <= opts.size()) {
        std::size_t end = opts.find(',', at);
        if (end == std::string_view::npos) end = opts.size();
        std::string_view opt = opts.substr(at, end - at);
        if (opt.substr(0, 7) == "subvol=") return opt.substr(7) == m.root;
        at = end + 1;
    }
    return false;
}

} // namespace

std::string decodeMountEscapes(std::string_view field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            const int v = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (v < 256) {
                out.push_back(static_cast<char>(v));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        auto f = splitBlanks(line);
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) continue;
        MountEntry m;
        std::string_view dev = f[2];
        std::size_t colon = dev.find(':');
        if (!toNumber(f[0], m.id) || !toNumber(f[1], m.parentId) || colon == std::string_view::npos ||
            !toNumber(dev.substr(0, colon), m.major) || !toNumber(dev.substr(colon + 1), m.minor))
            continue;
        m.root = decodeMountEscapes(f[3]);
        m.mountPoint = decodeMountEscapes(f[4]);
        m.fileSystem = decodeMountEscapes(dash[1]);
        m.source = decodeMountEscapes(dash[2]);
        if (dash + 3 < f.end()) m.superOptions = decodeMountEscapes(dash[3]);
        out.push_back(std::move(m));
    }
    return out;
}

bool isPseudoFileSystem(std::string_view fs) {
    static constexpr std::string_view pseudo[] = {
        "proc",        "sysfs",           "devtmpfs",      "devpts",     "cgroup",      "cgroup2",
        "mqueue",      "debugfs",         "tracefs",       "securityfs", "pstore",      "bpf",
        "configfs",    "fusectl",         "hugetlbfs",     "autofs",     "binfmt_misc", "efivarfs",
        "selinuxfs",   "rpc_pipefs",      "nsfs",          "overlay",    "squashfs",    "nfsd",
        "fuse.portal", "fuse.gvfsd-fuse", "fuse.snapfuse", "fuse.lxcfs", "rootfs"};
    for (auto p : pseudo)
        if (fs == p) return true;
    return false;
}

std::vector<MountEntry> selectDriveMounts(const std::vector<MountEntry>& mounts) {
    // Later mounts on the same point hide the earlier ones.
    std::vector<const MountEntry*> top;
    for (const auto& m : mounts) {
        auto same = std::find_if(top.begin(), top.end(),
                                 [&](const MountEntry* t) { return t->mountPoint == m.mountPoint; });
        if (same != top.end()) top.erase(same);
        top.push_back(&m);
    }
    std::vector<MountEntry> out;
    for (const MountEntry* m : top) {
        if (m->mountPoint == "/") {
            out.push_back(*m);
            continue;
        }
        if (isPseudoFileSystem(m->fileSystem) || inSystemFolder(m->mountPoint)) continue;
        if (m->root != "/" && !isSubvolumeMount(*m)) continue; // a bind mount of a folder
        // The same file system seen a second time: a bind mount of its root.
        bool seen = std::any_of(out.begin(), out.end(), [&](const MountEntry& o) {
            return o.major == m->major && o.minor == m->minor && o.root == m->root;
        });
        if (seen) continue;
        out.push_back(*m);
    }
    std::sort(out.begin(), out.end(),
              [](const MountEntry& a, const MountEntry& b) { return a.mountPoint < b.mountPoint; });
    return out;
}

const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, std::string_view path) {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts) {
        bool holds =
            m.mountPoint == "/" ? !path.empty() && path[0] == '/' : startsWithFolder(path, m.mountPoint);
        // Of equal mount points the later one is on top.
        if (holds && (!best || m.mountPoint.size() >= best->mountPoint.size())) best = &m;
    }
    return best;
}

int driveTypeCode(std::string_view fs, std::string_view source, bool removable) {
    if (fs == "tmpfs" || fs == "ramfs") return 6;
    for (std::string_view n :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph", "fuse.sshfs", "fuse.rclone"})
        if (fs == n) return 4;
    if (fs == "iso9660" || fs == "udf" || source.substr(0, 7) == "/dev/sr") return 5;
    return removable ? 2 : 3;
}

} // namespace verdan::platform
