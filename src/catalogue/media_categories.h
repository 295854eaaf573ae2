#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/settings.h"

namespace verdan {

// ".avi", ".mp4" from "avi, mp4": items cut at commas, leading blanks skipped, empty items
// dropped, lower-cased. Blanks at the end of an item stay part of it.
std::vector<std::string> BuildExtensionList(std::string_view filter);

// The extensions of both categories of a catalogue, as the scan reads their filters.
std::vector<std::string> categoryExtensions(const std::array<MediaCategory, 2>& media);

// The category (0 or 1) whose list holds the extension (".MP4"), letter case aside, the first
// one first, as the scan accepts a file; -1 when neither does.
int categoryOfExtension(std::string_view ext, const std::array<std::vector<std::string>, 2>& lists);

} // namespace verdan
