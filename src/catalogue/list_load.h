#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/keys_in_making.h"
#include "catalogue/list_file.h"
#include "catalogue/program_state.h"
#include "util/ui.h"

namespace verdan {

// Reads the list file in place of the table (lire_liste, Replace) and makes its key set at the
// level (added to the keys kept when keepKeys) and, when asked, its disk list, as indexer_liste
// and extraire_hd_liste_globale would after it: from the rows as they are read, on the second
// core; or, from a file of globalList.keysAfterBytesFrom bytes, once the rows are in place, on a thread that
// runs while the table is shown (finishKeys waits for it). The marks read are counted (marksRead). Throws
// what lire_liste throws, and then leaves the table, the keys and the disks as they were. `lineFeeds` as for
// lire_liste.
LoadResult loadIndexedList(GlobalListState& globalList, const std::string& path, int level, bool keepKeys,
                           bool rebuildDisks, Ui& ui, const std::string& programFolder,
                           std::int64_t* lineFeeds = nullptr);

// Every mark of the list cleared (SetAllMarks), reading only the rows a load found marked when
// nothing changed since.
void clearListMarks(GlobalListState& globalList);

} // namespace verdan
