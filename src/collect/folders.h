#pragma once
#include <string>
#include <vector>

#include "collect/collection_types.h"
#include "util/ui.h"

namespace verdan::platform {
class SortKeyMaker;
}

namespace verdan {

struct CollectionState;

// Fills the check-list with the root entry and the drive's first-level folders that are neither
// hidden nor system folders (on Linux: names starting with "."), unticked, in the order of the
// locale of `keys`, letter case ignored.
void ListFolders(const std::string& drive, FolderLists& lists, platform::SortKeyMaker& keys);
// The same in the user's locale.
void ListFolders(const std::string& drive, FolderLists& lists);

// The widget has just set the item's check mark to `ticked`.
void CheckListBox_repClick(CollectionState& state, Ui& ui, int item, bool ticked);
void RadioGroup1Click(CollectionState& state, int choice);
// Pointer at y inside the list: true when an item is under it (its hint is then to be shown).
bool CheckListBox_repMouseMove(FolderLists& lists, int y, int itemHeight, int topIndex);
void CheckListBox_repMouseDown(CollectionState& state, Ui& ui, bool rightButton);

} // namespace verdan
