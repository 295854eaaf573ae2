#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/volume_info.h"
#include "platform/volume_serial.h"
#include "support/temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

using namespace verdan;
using namespace verdan::platform;
using verdan::test::TempFolder;

namespace {

const std::string kVolumes = std::string(VERDAN_TEST_DATA) + "/volumes/";

std::string readAll(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(readWholeFile(path, bytes), ReadStatus::Ok) << path;
    return bytes;
}

// What blkid said of each fixture's image when the fixture was cut from it.
std::map<std::string, std::string> expectations() {
    std::map<std::string, std::string> out;
    std::istringstream in(readAll(kVolumes + "expected.txt"));
    std::string file, value;
    while (in >> file >> value) out[file] = value;
    return out;
}

// Reads a dump of sectors (offset u64, length u32, bytes without trailing zeros); absent bytes are zeros.
ByteReader dumpReader(const std::string& dump) {
    std::map<std::uint64_t, std::string> sectors;
    std::size_t at = 0;
    while (at + 12 <= dump.size()) {
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
        std::memcpy(&offset, dump.data() + at, 8);
        std::memcpy(&length, dump.data() + at + 8, 4);
        sectors[offset] = dump.substr(at + 12, length);
        at += 12 + length;
    }
    return [sectors](std::uint64_t offset, std::size_t size, std::string& out) {
        out.assign(size, '\0');
        for (const auto& [start, bytes] : sectors) {
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const std::uint64_t pos = start + i;
                if (pos >= offset && pos < offset + size) out[pos - offset] = bytes[i];
            }
        }
        return true;
    };
}

#ifndef _WIN32
// Images are made with Linux tools: these helpers serve only there.
ByteReader imageReader(const std::string& image) {
    return [image](std::uint64_t offset, std::size_t size, std::string& out) {
        std::ifstream in(image, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset));
        out.assign(size, '\0');
        in.read(out.data(), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in.gcount()) == size;
    };
}

bool toolPresent(const std::string& tool) {
    for (std::string dir : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"})
        if (isFile(dir + tool)) return true;
    return false;
}

bool sh(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string blkidUuid(const std::string& image) {
    std::string out;
    if (FILE* p = ::popen(("blkid -p -o value -s UUID " + image).c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}
#endif

} // namespace

TEST(SerialFromUuid, TakesTheLastEightHexDigitsInUpperCase) {
    EXPECT_EQ(serialFromUuid("1234-ABCD"), "1234ABCD");
    EXPECT_EQ(serialFromUuid("0a1b-2c3d"), "0A1B2C3D");
    EXPECT_EQ(serialFromUuid("644E3F296DC4FE58"), "6DC4FE58"); // NTFS: the low half
    EXPECT_EQ(serialFromUuid("3f1c2a9e-5b7d-4e0f-9a61-0c2d4e6f8a10"), "4E6F8A10");
    EXPECT_EQ(serialFromUuid("2026-12-07-19-57-56-00"), "19575600");
    EXPECT_EQ(serialFromUuid("12-34"), "");
    EXPECT_EQ(serialFromUuid(""), "");
}

TEST(SerialWithoutUuid, IsAStableFnv1aOfTypeAndSource) {
    EXPECT_EQ(fnv1a32(""), 0x811C9DC5u);
    EXPECT_EQ(fnv1a32("a"), 0xE40C292Cu);
    EXPECT_EQ(fnv1a32("foobar"), 0xBF9CF968u);
    EXPECT_EQ(serialWithoutUuid("nfs4", "server:/films"), serialText(fnv1a32("nfs4server:/films")));
    EXPECT_NE(serialWithoutUuid("tmpfs", "tmpfs"), serialWithoutUuid("nfs4", "server:/films"));
}

TEST(DiscChecksum, SumsFourWrappingLanesInEachOrder) {
    std::string sector(2048, '\0');
    sector[0] = 1;
    sector[1] = 2;
    sector[2] = 3;
    sector[3] = 4;
    sector[4] = static_cast<char>(0xFF); // lane 0 wraps: 1 + 255 = 0
    EXPECT_EQ(isoDescriptorChecksum(sector), 0x00020304u);
    EXPECT_EQ(udfDescriptorChecksum(sector), 0x04030200u);
    std::string ones(2048, '\x01'); // 512 per lane wraps to 0
    EXPECT_EQ(isoDescriptorChecksum(ones), 0u);
    // Only the first 2048 bytes count.
    std::string longer = sector + std::string(100, '\x07');
    EXPECT_EQ(isoDescriptorChecksum(longer), isoDescriptorChecksum(sector));
}

class VolumeFixtures : public ::testing::Test {
protected:
    std::map<std::string, std::string> expected = expectations();
};

TEST_F(VolumeFixtures, BootSectorSerialIsTheUuidLinuxShows) {
    for (std::string name : {"fat12.boot", "fat16.boot", "fat32.boot", "exfat.boot", "ntfs.boot"}) {
        auto serial = bootSectorSerial(readAll(kVolumes + name));
        ASSERT_TRUE(serial) << name;
        EXPECT_EQ(serialText(*serial), serialFromUuid(expected.at(name))) << name;
    }
    EXPECT_EQ(serialText(*bootSectorSerial(readAll(kVolumes + "fat32.boot"))), "DEADBEEF");
    EXPECT_EQ(serialText(*bootSectorSerial(readAll(kVolumes + "fat16.boot"))), "00ABCDEF");
}

TEST_F(VolumeFixtures, BootSectorOfNoKnownFileSystemGivesNothing) {
    EXPECT_FALSE(bootSectorSerial(std::string(512, '\0')));
    EXPECT_FALSE(bootSectorSerial(readAll(kVolumes + "fat32.boot").substr(0, 100)));
}

TEST_F(VolumeFixtures, IsoSerialComesFromTheHighestDescriptor) {
    auto primary = isoVolumeSerial(dumpReader(readAll(kVolumes + "iso_primary.sectors")));
    auto joliet = isoVolumeSerial(dumpReader(readAll(kVolumes + "iso_joliet.sectors")));
    ASSERT_TRUE(primary && joliet);
    EXPECT_EQ(serialText(*primary), expected.at("iso_primary.sectors"));
    EXPECT_EQ(serialText(*joliet), expected.at("iso_joliet.sectors"));
    // The Joliet disc's primary descriptor alone would give another number.
    std::string pvd;
    dumpReader(readAll(kVolumes + "iso_joliet.sectors"))(16 * 2048, 2048, pvd);
    EXPECT_NE(isoDescriptorChecksum(pvd), *joliet);
}

TEST_F(VolumeFixtures, UdfSerialComesFromTheFileSetDescriptor) {
    auto serial = udfVolumeSerial(dumpReader(readAll(kVolumes + "udf.sectors")));
    ASSERT_TRUE(serial);
    EXPECT_EQ(serialText(*serial), expected.at("udf.sectors"));
}

TEST_F(VolumeFixtures, UnreadableOrForeignDiscsGiveNothing) {
    ByteReader failing = [](std::uint64_t, std::size_t, std::string&) { return false; };
    EXPECT_FALSE(isoVolumeSerial(failing));
    EXPECT_FALSE(udfVolumeSerial(failing));
    // An ISO image has no UDF anchor, and a UDF image no ISO descriptor at sector 16 that counts.
    EXPECT_FALSE(udfVolumeSerial(dumpReader(readAll(kVolumes + "iso_joliet.sectors"))));
    ByteReader zeros = [](std::uint64_t, std::size_t size, std::string& out) {
        out.assign(size, '\0');
        return true;
    };
    EXPECT_FALSE(isoVolumeSerial(zeros));
}

#ifndef _WIN32
// The same on images made here, when the tools are installed.
class FreshImages : public ::testing::Test {
protected:
    TempFolder dir;
    std::string image(const std::string& name, int megabytes) {
        std::string p = dir.file(name);
        std::ofstream(p, std::ios::binary).close();
        std::filesystem::resize_file(p, static_cast<std::uintmax_t>(megabytes) << 20);
        return p;
    }
};

TEST_F(FreshImages, BootSectorsAgreeWithBlkid) {
    struct Case {
        const char* tool;
        std::string command;
        int megabytes;
    };
    const Case cases[] = {{"mkfs.vfat", "mkfs.vfat -F 32 -i 0000ABCD", 40},
                          {"mkfs.vfat", "mkfs.vfat -F 16", 20},
                          {"mkfs.exfat", "mkfs.exfat", 8},
                          {"mkfs.ntfs", "mkfs.ntfs -F -f", 8}};
    if (!toolPresent("blkid")) GTEST_SKIP() << "blkid is not installed";
    int ran = 0;
    for (const auto& c : cases) {
        if (!toolPresent(c.tool)) continue;
        const std::string img = image("v" + std::to_string(ran) + ".img", c.megabytes);
        ASSERT_TRUE(sh(c.command + " " + img)) << c.command;
        auto serial = bootSectorSerial(readAll(img).substr(0, 512));
        ASSERT_TRUE(serial) << c.command;
        EXPECT_EQ(serialText(*serial), serialFromUuid(blkidUuid(img))) << c.command;
        ++ran;
    }
    if (ran == 0) GTEST_SKIP() << "mkfs.vfat, mkfs.exfat and mkfs.ntfs are not installed";
}

// Where udev names no UUID, the superblock gives the same one, so an ext disk keeps its serial.
TEST_F(FreshImages, ExtSuperblockUuidIsTheOneBlkidShows) {
    if (!toolPresent("mkfs.ext4") || !toolPresent("blkid")) GTEST_SKIP() << "mkfs.ext4 or blkid missing";
    for (const char* fs : {"ext2", "ext4"}) {
        const std::string img = image(std::string(fs) + ".img", 8);
        ASSERT_TRUE(
            sh(std::string("mkfs.ext4 -q -t ") + fs + " -U 5e1f0c2a-7b3d-4c5e-9f60-00000a1b2c3d " + img));
        const std::string superblock = readAll(img).substr(1024, 1024);
        EXPECT_EQ(extSuperblockUuid(superblock), "5e1f0c2a7b3d4c5e9f6000000a1b2c3d") << fs;
        EXPECT_EQ(serialFromUuid(extSuperblockUuid(superblock)), serialFromUuid(blkidUuid(img))) << fs;
    }
    const std::string vfat = image("v.img", 8);
    if (toolPresent("mkfs.vfat") && sh("mkfs.vfat " + vfat)) {
        EXPECT_EQ(extSuperblockUuid(readAll(vfat).substr(1024, 1024)), "") << "not an ext superblock";
    }
    EXPECT_EQ(extSuperblockUuid(std::string(1024, '\0')), "");
}

TEST_F(FreshImages, DiscImagesGiveASerial) {
    if (!toolPresent("genisoimage") || !toolPresent("mkudffs"))
        GTEST_SKIP() << "genisoimage or mkudffs missing";
    std::filesystem::create_directory(dir.file("src"));
    dir.write("src/a.avi", "x");
    const std::string iso = dir.file("a.iso");
    ASSERT_TRUE(sh("genisoimage -quiet -J -V TEST -o " + iso + " " + dir.file("src")));
    auto isoSerial = isoVolumeSerial(imageReader(iso));
    ASSERT_TRUE(isoSerial);
    std::string svd;
    imageReader(iso)(17 * 2048, 2048, svd);
    ASSERT_EQ(svd[0], 2) << "genisoimage -J puts the Joliet descriptor right after the primary one";
    EXPECT_EQ(*isoSerial, isoDescriptorChecksum(svd));

    const std::string udf = image("a.udf", 4);
    ASSERT_TRUE(sh("mkudffs --blocksize=2048 " + udf));
    EXPECT_TRUE(udfVolumeSerial(imageReader(udf)));
    const std::string udf512 = image("b.udf", 4);
    ASSERT_TRUE(sh("mkudffs --blocksize=512 " + udf512));
    EXPECT_TRUE(udfVolumeSerial(imageReader(udf512))) << "hard-disk UDF with 512-byte blocks";
}
#endif
