#include "platform/drives.h"
#include "platform/files.h"
#include "platform/mountinfo.h"
#include "platform/volume_info.h"
#include "platform/volume_serial.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <linux/fs.h>

#include <climits>
#include <cstdlib>

namespace verdan::platform {

namespace {

std::string readSmallFile(const std::string& path) {
    std::string text;
    readWholeFile(path, text);
    return text;
}

std::vector<MountEntry> readMountTable() {
    return parseMountInfo(readSmallFile("/proc/self/mountinfo"));
}

// udev writes unsafe characters of a label as \xNN.
std::string decodeUdevName(const std::string& name) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0 &&
            hex(name[i + 3]) >= 0) {
            out.push_back(static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3])));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

// The name of the entry of a /dev/disk/by-* folder that points at the device.
std::string linkNameFor(const char* folder, dev_t device) {
    DIR* dir = ::opendir(folder);
    if (!dir) return {};
    std::string found;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool readDevice(const std::string& device, std::uint64_t offset, std::size_t size, std::string& out) {
    int fd = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.assign(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(done);
    return done == size;
}

bool removableDisk(unsigned major, unsigned minor) {
    std::string link = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    char resolved[PATH_MAX];
    if (!::realpath(link.c_str(), resolved)) return false;
    std::string disk = resolved;
    if (isFile(disk + "/partition")) disk = disk.substr(0, disk.rfind('/'));
    return readSmallFile(disk + "/removable").substr(0, 1) == "1";
}

std::string labelOf(const MountEntry& m, dev_t device, const std::string& root) {
    if (m.major != 0) {
        std::string name = linkNameFor("/dev/disk/by-label", device);
        if (!name.empty()) return decodeUdevName(name);
    }
#ifdef FS_IOC_GETFSLABEL
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        char label[FSLABEL_MAX + 1] = {};
        bool ok = ::ioctl(fd, FS_IOC_GETFSLABEL, label) == 0;
        ::close(fd);
        if (ok) return std::string(label);
    }
#else
    (void)root;
#endif
    return {};
}

std::string serialOf(const MountEntry& m, dev_t device) {
    const bool onDevice = m.major != 0 && m.source.rfind("/dev/", 0) == 0;
    if (onDevice) {
        ByteReader read = [&](std::uint64_t offset, std::size_t size, std::string& out) {
            return readDevice(m.source, offset, size, out);
        };
        std::optional<std::uint32_t> serial;
        if (m.fileSystem == "iso9660")
            serial = isoVolumeSerial(read);
        else if (m.fileSystem == "udf")
            serial = udfVolumeSerial(read);
        else if (m.fileSystem == "vfat" || m.fileSystem == "msdos" || m.fileSystem == "exfat" ||
                 m.fileSystem == "ntfs" || m.fileSystem == "ntfs3" || m.fileSystem == "fuseblk") {
            std::string sector;
            if (read(0, 512, sector)) serial = bootSectorSerial(sector);
        }
        if (serial) return serialText(*serial);
    }
    if (m.major != 0) {
        std::string uuid = serialFromUuid(linkNameFor("/dev/disk/by-uuid", device));
        if (!uuid.empty()) return uuid;
    }
    // Without udev (a container, a minimal system) nothing names the UUID: the superblock holds
    // it, and the disk keeps the serial it has where udev runs.
    if (onDevice && (m.fileSystem == "ext2" || m.fileSystem == "ext3" || m.fileSystem == "ext4")) {
        std::string superblock;
        if (readDevice(m.source, 1024, 1024, superblock)) {
            std::string uuid = serialFromUuid(extSuperblockUuid(superblock));
            if (!uuid.empty()) return uuid;
        }
    }
    return serialWithoutUuid(m.fileSystem, m.source);
}

DriveInfo describe(const MountEntry& m, const std::string& root) {
    DriveInfo info;
    info.root = root;
    info.fileSystem = m.fileSystem;
    const dev_t device = makedev(m.major, m.minor);
    info.typeCode = driveTypeCode(m.fileSystem, m.source, m.major != 0 && removableDisk(m.major, m.minor));
    if (auto space = queryVolume(root)) {
        info.freeBytes = space->freeBytes;
        info.totalBytes = space->totalBytes;
        info.ok = true;
    }
    info.label = labelOf(m, device, root);
    info.serial = serialOf(m, device);
    return info;
}

class PosixDriveProvider : public DriveProvider {
public:
    std::vector<DriveInfo> listDrives() override {
        std::vector<DriveInfo> drives;
        for (const auto& m : selectDriveMounts(readMountTable())) drives.push_back(describe(m, m.mountPoint));
        return drives;
    }

    DriveInfo queryDisk(const std::string& root) override {
        const auto mounts = readMountTable();
        const MountEntry* m = mountHolding(mounts, root);
        if (!m || !isFolder(root)) {
            DriveInfo info;
            info.root = root;
            info.typeCode = kDriveNoRoot;
            return info;
        }
        return describe(*m, root);
    }
};

} // namespace

std::unique_ptr<DriveProvider> makeSystemDriveProvider() {
    return std::make_unique<PosixDriveProvider>();
}

} // namespace verdan::platform
