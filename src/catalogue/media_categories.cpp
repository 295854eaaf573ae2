#include "catalogue/media_categories.h"

#include <algorithm>

#include "util/utf8.h"

namespace verdan {

std::vector<std::string> BuildExtensionList(std::string_view filter) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= filter.size()) {
        std::size_t end = filter.find(',', at);
        if (end == std::string_view::npos) end = filter.size();
        std::string_view item = filter.substr(at, end - at);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (!item.empty()) {
            std::string ext = ".";
            out.push_back(ext += utf8::asciiLower(item));
        }
        at = end + 1;
    }
    return out;
}

std::vector<std::string> categoryExtensions(const std::array<MediaCategory, 2>& media) {
    std::vector<std::string> all = BuildExtensionList(media[0].extensionFilter);
    const std::vector<std::string> second = BuildExtensionList(media[1].extensionFilter);
    all.insert(all.end(), second.begin(), second.end());
    return all;
}

int categoryOfExtension(std::string_view ext, const std::array<std::vector<std::string>, 2>& lists) {
    if (ext.empty()) return -1;
    const std::string wanted = utf8::asciiLower(ext);
    for (std::size_t i = 0; i < lists.size(); ++i)
        if (std::find(lists[i].begin(), lists[i].end(), wanted) != lists[i].end()) return static_cast<int>(i);
    return -1;
}

} // namespace verdan
