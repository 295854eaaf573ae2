#pragma once
#include <cstdint>
#include <string>
#include <vector>

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

// Waits for the keys and disks a load left in the making, and puts them in place with their
// labels, as the load would have; nothing when none are. On the user-interface thread, before
// anything reads the keys or the disks. A change of the rows meanwhile waits for them first.
void finishKeys(GlobalListState& globalList);
// Every mark of the list cleared (SetAllMarks), reading only the rows a load found marked when
// nothing changed since.
void clearListMarks(GlobalListState& globalList);
// Whether keys are in the making (they are then those of the table's data rows, at least one).
bool keysInMaking(const GlobalListState& globalList);
// For a change of the rows that leaves every key and disk as it is (the marks): the making stops
// where it stands until resumeKeys, instead of being waited for.
void pauseKeys(GlobalListState& globalList);
void resumeKeys(GlobalListState& globalList);
// The disks whole and in place, the keys still in the making.
void finishDisks(GlobalListState& globalList);
// Before the data rows `removed` (ascending) leave the table at this level: keys in the making
// follow them where they stand, without waiting (true; resumeKeys once they are gone). False
// when none are in the making, or they were of another level and are now in place.
bool keysFollowRemoval(GlobalListState& globalList, int level, const std::vector<std::size_t>& removed);

} // namespace verdan
