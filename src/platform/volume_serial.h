#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The volume serial number as Windows shows it (serialText of volume_info.h writes it), worked out from what
// Linux exposes: the file-system UUID, the boot sector, or the descriptors of an optical disc. Pure byte and
// text handling.
namespace verdan::platform {

// The last 8 hexadecimal digits of a UUID text, upper case: "1234-abcd" gives "1234ABCD", an NTFS
// UUID of 16 digits gives its low half. Empty when the text holds fewer than 8 hexadecimal digits.
std::string serialFromUuid(std::string_view uuid);

// Serial stored in a FAT12/16/32, exFAT or NTFS boot sector (at least 512 bytes).
std::optional<std::uint32_t> bootSectorSerial(std::string_view sector);

// The UUID of an ext2, ext3 or ext4 superblock (the 1024 bytes from byte 1024 of the device) as
// its 32 hexadecimal digits, as udev names it under /dev/disk/by-uuid. Empty when it is none.
std::string extSuperblockUuid(std::string_view superblock);

// Reads `size` bytes at byte `offset` of a device or image into `out`; false when it cannot.
using ByteReader = std::function<bool(std::uint64_t offset, std::size_t size, std::string& out)>;

inline constexpr std::size_t kDiscSectorSize = 2048;

// Four byte lanes summed over 2048 bytes, each lane wrapping at 256.
std::uint32_t isoDescriptorChecksum(std::string_view sector);
std::uint32_t udfDescriptorChecksum(std::string_view sector);

// Serial of an ISO 9660 disc: the checksum of the volume descriptor with the highest type from
// sector 16 on (so a Joliet descriptor wins over the primary one).
std::optional<std::uint32_t> isoVolumeSerial(const ByteReader& read);
// Serial of a UDF disc: the checksum of its File Set Descriptor.
std::optional<std::uint32_t> udfVolumeSerial(const ByteReader& read);

std::uint32_t fnv1a32(std::string_view bytes);
// For volumes without any UUID (network shares, RAM disks): stable for the same mount source.
std::string serialWithoutUuid(std::string_view fileSystem, std::string_view source);

} // namespace verdan::platform
