#include "platform/collation.h"

namespace verdan::platform {

std::string collationLocaleOf(std::string_view setting) {
    const std::size_t cut = setting.find_first_of(".@");
    std::string name(setting.substr(0, cut));
    if (name == "C" || name == "POSIX") return {};
    return name;
}

} // namespace verdan::platform
