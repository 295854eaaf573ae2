#include "collect/scan_rules.h"

#include "util/cp1252.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <charconv>

namespace verdan {

std::int64_t minimumSizeBytes(std::string_view text) {
    // A plain whole number, as a strict integer reader takes it: "10.5" or "10 Mo" is none.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return 0;
    return static_cast<std::int64_t>(value) * 1048576;
}

ScanSettings makeScanSettings(const std::array<MediaCategory, 2>& media, std::string decimalSeparator) {
    ScanSettings s;
    for (std::size_t i = 0; i < 2; ++i) {
        s.extensions[i] = BuildExtensionList(media[i].extensionFilter);
        s.filterSet[i] = !trimControl(media[i].extensionFilter).empty();
        s.minimumOn[i] = media[i].minimumSizeOn;
        s.minimumSize[i] = media[i].minimumSizeOn ? minimumSizeBytes(media[i].minimumSize) : 0;
    }
    s.decimalSeparator = std::move(decimalSeparator);
    return s;
}

int AcceptFile(std::string_view name, const std::function<std::int64_t()>& size, const ScanSettings& settings,
               ScanCounters& counters) {
    const std::size_t dot = name.rfind('.');
    const std::string ext =
        dot == std::string_view::npos ? std::string() : utf8::asciiLower(name.substr(dot));
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& list = settings.extensions[i];
        if (!settings.filterSet[i] || list.empty() || std::find(list.begin(), list.end(), ext) == list.end())
            continue;
        // Of a DVD's video files only the first part of the main title stands for the film.
        if (ext == ".vob" && utf8::asciiUpper(name) != "VTS_01_1.VOB") return 0;
        if (!settings.minimumOn[i] || size() >= settings.minimumSize[i]) return static_cast<int>(i) + 1;
        (i == 0 ? counters.tooSmall1 : counters.tooSmall2).fetch_add(1);
        return 0;
    }
    return 0;
}

std::string storableName(std::string_view name, bool& altered) {
    std::string out = cp1252::storable(name, &altered);
    // A catalogue folder is written with "\" between its names: a Linux name holding one would
    // come back as two names, a path that does not exist.
    for (char& c : out) {
        if (c == '\\') {
            c = '?';
            altered = true;
        }
    }
    return out;
}

} // namespace verdan
