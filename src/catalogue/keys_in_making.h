#pragma once
#include <cstddef>
#include <vector>

#include "catalogue/program_state.h"
#include "util/ui.h"

namespace verdan {

// The keys and disks of a large list made on a thread once its rows are in place and shown
// (loadIndexedList, GlobalListState::keysAfterBytesFrom).

// Starts making the keys of the table's data rows at the level and, with `disks`, its disk list.
void startKeys(GlobalListState& globalList, int level, bool disks, Ui& ui);
// Waits for the keys and disks a load left in the making, and puts them in place with their
// labels, as the load would have; nothing when none are. On the user-interface thread, before
// anything reads the keys or the disks. A change of the rows meanwhile waits for them first.
void finishKeys(GlobalListState& globalList);
// Stops the making and forgets what it made: true, with what it was making, when there was one.
bool dropKeys(GlobalListState& globalList, int& level, bool& disks);
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
