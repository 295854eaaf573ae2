#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/drives.h"

namespace verdan::test {

// Drives made of temporary folders, listed in the order they were added.
class FakeDriveProvider : public platform::DriveProvider {
public:
    std::vector<platform::DriveInfo> drives;
    std::vector<std::string> queried;
    int listCalls = 0;

    platform::DriveInfo& add(const std::string& root, const std::string& label, const std::string& serial,
                             int typeCode = platform::kDriveFixed) {
        platform::DriveInfo d;
        d.root = root;
        d.label = label;
        d.fileSystem = "NTFS";
        d.serial = serial;
        d.typeCode = typeCode;
        d.freeBytes = 1536LL * 1048576;
        d.totalBytes = 4LL * 1073741824;
        d.ok = true;
        drives.push_back(d);
        return drives.back();
    }

    std::vector<platform::DriveInfo> listDrives() override {
        ++listCalls;
        return drives;
    }

    platform::DriveInfo queryDisk(const std::string& root) override {
        queried.push_back(root);
        for (const auto& d : drives)
            if (d.root == root) return d;
        platform::DriveInfo none;
        none.root = root;
        none.typeCode = platform::kDriveNoRoot;
        return none;
    }
};

} // namespace verdan::test
