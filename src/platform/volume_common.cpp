#include "platform/volume_info.h"

namespace verdan::platform {

std::string serialText(std::uint32_t serial) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, serial >>= 4) text[static_cast<std::size_t>(i)] = digits[serial & 0xF];
    return text;
}

} // namespace verdan::platform
