#include "collect/collection_types.h"

#include "util/file_helpers.h"

namespace verdan {

std::string folderPath(const std::string& drive, const std::string& itemName) {
    return itemName == kRootEntry ? drive : joinPath(drive, itemName);
}

} // namespace verdan
