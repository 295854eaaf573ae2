#include "platform/volume_serial.h"

#include "platform/volume_info.h"

#include <array>
#include <vector>

namespace verdan::platform {

namespace {

std::uint32_t le16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

std::uint32_t le32(std::string_view b, std::size_t at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::array<std::uint8_t, 4> lanes(std::string_view sector) {
    std::array<std::uint8_t, 4> s{};
    const std::size_t n = sector.size() < kDiscSectorSize ? sector.size() : kDiscSectorSize;
    for (std::size_t i = 0; i < n; ++i)
        s[i % 4] = static_cast<std::uint8_t>(s[i % 4] + static_cast<unsigned char>(sector[i]));
    return s;
}

} // namespace

std::string serialFromUuid(std::string_view uuid) {
    std::string digits;
    for (char c : uuid) {
        int v = hexValue(c);
        if (v >= 0) digits.push_back("0123456789ABCDEF"[v]);
    }
    if (digits.size() < 8) return {};
    return digits.substr(digits.size() - 8);
}

std::string extSuperblockUuid(std::string_view sb) {
    constexpr std::size_t kMagic = 0x38, kUuid = 0x68;
    if (sb.size() < kUuid + 16 || le16(sb, kMagic) != 0xEF53) return {};
    std::string digits;
    for (std::size_t i = kUuid; i < kUuid + 16; ++i) {
        const auto byte = static_cast<unsigned char>(sb[i]);
        digits += "0123456789abcdef"[byte >> 4];
        digits += "0123456789abcdef"[byte & 15];
    }
    return digits == std::string(32, '0') ? std::string() : digits;
}

std::optional<std::uint32_t> bootSectorSerial(std::string_view b) {
    if (b.size() < 512) return std::nullopt;
    const std::string_view oem = b.substr(3, 8);
    if (oem == "NTFS    ") return le32(b, 0x48); // low half of the 64-bit serial
    if (oem == "EXFAT   ") return le32(b, 0x64);
    if (static_cast<unsigned char>(b[510]) != 0x55 || static_cast<unsigned char>(b[511]) != 0xAA)
        return std::nullopt;
    // FAT32 has no 16-bit FAT size and keeps its extended boot record further on.
    if (le16(b, 0x16) == 0 && b[0x42] == 0x29) return le32(b, 0x43);
    if (b[0x26] == 0x29) return le32(b, 0x27);
    return std::nullopt;
}

std::uint32_t isoDescriptorChecksum(std::string_view sector) {
    auto s = lanes(sector);
    return static_cast<std::uint32_t>(s[0]) << 24 | static_cast<std::uint32_t>(s[1]) << 16 |
           static_cast<std::uint32_t>(s[2]) << 8 | s[3];
}

std::uint32_t udfDescriptorChecksum(std::string_view sector) {
    auto s = lanes(sector);
    return static_cast<std::uint32_t>(s[3]) << 24 | static_cast<std::uint32_t>(s[2]) << 16 |
           static_cast<std::uint32_t>(s[1]) << 8 | s[0];
}

std::optional<std::uint32_t> isoVolumeSerial(const ByteReader& read) {
    std::string best;
    int bestType = -1;
    std::string sector;
    // A real disc has a handful of descriptors; the bound only guards against a damaged one.
    for (std::uint64_t lba = 16; lba < 16 + 64; ++lba) {
        if (!read(lba * kDiscSectorSize, kDiscSectorSize, sector) || sector.size() < kDiscSectorSize) break;
        if (sector.compare(1, 5, "CD001") != 0) break;
        const int type = static_cast<unsigned char>(sector[0]);
        if (type == 255) break;
        if (type > bestType) {
            bestType = type;
            best = sector;
        }
    }
    if (bestType < 0) return std::nullopt;
    return isoDescriptorChecksum(best);
}

namespace {

// A UDF descriptor tag: identifier, and the block the descriptor says it sits in.
bool tagIs(std::string_view d, std::uint32_t id, std::uint32_t location) {
    return d.size() >= 16 && le16(d, 0) == id && le32(d, 12) == location;
}

} // namespace

std::optional<std::uint32_t> udfVolumeSerial(const ByteReader& read) {
    std::string block;
    std::uint32_t blockSize = 0;
    for (std::uint32_t size : {2048u, 512u, 1024u, 4096u}) {
        if (read(256ull * size, size, block) && tagIs(block, 2, 256)) {
            blockSize = size;
            break;
        }
    }
    if (blockSize == 0) return std::nullopt;

    // Main volume descriptor sequence: partition starts and the logical volume's file set.
    std::uint32_t vdsLength = le32(block, 16);
    std::uint32_t vdsStart = le32(block, 20);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> partitions; // number, start block
    std::vector<std::uint16_t> partitionMaps;                        // reference -> partition number
    std::uint32_t fsdBlock = 0;
    std::uint16_t fsdReference = 0;
    bool haveLvd = false;
    std::uint32_t blocks = vdsLength / blockSize;
    if (blocks > 256) blocks = 256;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t at = vdsStart + i;
        if (!read(static_cast<std::uint64_t>(at) * blockSize, blockSize, block) || block.size() < 512) break;
        if (le32(block, 12) != at) break;
        const std::uint32_t id = le16(block, 0);
        if (id == 8) break; // terminating descriptor
        if (id == 5) {
            partitions.emplace_back(le16(block, 22), le32(block, 188));
        } else if (id == 6 && !haveLvd) {
            haveLvd = true;
            fsdBlock = le32(block, 252);
            fsdReference = static_cast<std::uint16_t>(le16(block, 256));
            const std::uint32_t mapCount = le32(block, 268);
            std::size_t pos = 440;
            for (std::uint32_t m = 0; m < mapCount && pos + 2 <= block.size(); ++m) {
                const unsigned type = static_cast<unsigned char>(block[pos]);
                const unsigned length = static_cast<unsigned char>(block[pos + 1]);
                if (length == 0 || pos + length > block.size()) break;
                // Type 2 maps (virtual, sparable, metadata) have no plain partition number here.
                partitionMaps.push_back(type == 1 && length >= 6
                                            ? static_cast<std::uint16_t>(le16(block, pos + 4))
                                            : std::uint16_t{0xFFFF});
                pos += length;
            }
        }
    }
    if (!haveLvd || fsdReference >= partitionMaps.size()) return std::nullopt;
    const std::uint16_t number = partitionMaps[fsdReference];
    for (const auto& [partNumber, start] : partitions) {
        if (partNumber != number) continue;
        const std::uint64_t location = static_cast<std::uint64_t>(start) + fsdBlock;
        std::string fsd;
        if (!read(location * blockSize, kDiscSectorSize, fsd) || fsd.size() < kDiscSectorSize)
            return std::nullopt;
        if (!tagIs(fsd, 256, fsdBlock)) return std::nullopt;
        return udfDescriptorChecksum(fsd);
    }
    return std::nullopt;
}

std::uint32_t fnv1a32(std::string_view bytes) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string serialWithoutUuid(std::string_view fileSystem, std::string_view source) {
    std::string key(fileSystem);
    key += source;
    return serialText(fnv1a32(key));
}

} // namespace verdan::platform
