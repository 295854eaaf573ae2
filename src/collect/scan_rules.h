#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/media_categories.h"
#include "catalogue/settings.h"

namespace verdan {

// What every worker of a scan reads; fixed when the scan starts.
struct ScanSettings {
    std::array<std::vector<std::string>, 2> extensions; // ExtList1, ExtList2
    std::array<bool, 2> filterSet{};
    std::array<bool, 2> minimumOn{};
    std::array<std::int64_t, 2> minimumSize{}; // MinSize1, MinSize2, in bytes
    std::string decimalSeparator = ".";
};

// The whole number of a minimum-size text in bytes (MB times 1,048,576); 0 when it is none.
std::int64_t minimumSizeBytes(std::string_view text);
ScanSettings makeScanSettings(const std::array<MediaCategory, 2>& media, std::string decimalSeparator);

struct ScanCounters {
    std::atomic<std::int64_t> tooSmall1{0};  // TooSmallCount1
    std::atomic<std::int64_t> tooSmall2{0};  // TooSmallCount2
    std::atomic<std::int64_t> unreadable{0}; // UnreadableSizeCount
    // Folders the walk met but could not enter (refused, too deep or too long for the system).
    std::atomic<std::int64_t> inaccessibleFolders{0};
};

// Category (1 or 2) of a file that is to be listed, 0 when it is not. `size` is asked only when
// the category has a minimum; -1 (unreadable) is below any minimum of 0 or more.
int AcceptFile(std::string_view name, const std::function<std::int64_t()>& size, const ScanSettings& settings,
               ScanCounters& counters);

// The name as a catalogue can store it: characters Windows-1252 lacks, control characters, bytes
// that are no UTF-8 and "\" (a separator of the catalogue's folders) become "?". `altered` tells
// whether that happened.
std::string storableName(std::string_view name, bool& altered);

} // namespace verdan
