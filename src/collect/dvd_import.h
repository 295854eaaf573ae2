#pragma once
#include <string>
#include <string_view>

#include "util/ui.h"

namespace verdan {

struct CollectionState;

// A line of a DVD list as the found list shows it after the date: the number padded by pairs of
// blanks to width 4, " - :\", the title (fields 1 and 2, cut at tabs, trimmed).
std::string convertDvdLine(std::string_view line);

// Today as yyyy-mm-dd, in the user's time zone.
std::string todayText();

// importDvdList, "A- rajout de liste de DVD": a tab-separated file (a header line, then a number and
// a title per line) fills the found list with DVD entries dated `today`, to be added with
// "4- rajouter dans la liste globale" under the DVD pseudo-disk (the drive table's header row
// becomes current). Windows-1252 with any line ends, or UTF-8 with or without a byte-order mark.
// Each line is cut at kMaxListLine characters, as a list line is.
void importDvdList(CollectionState& state, Ui& ui, const std::string& today);

} // namespace verdan
