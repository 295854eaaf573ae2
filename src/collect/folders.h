#pragma once
#include <string>
#include <vector>

#include "util/ui.h"

namespace verdan::platform {
class SortKeyMaker;
}

namespace verdan {

struct CollectionState;

// The entry that stands for the whole drive; its leading blank sorts it first.
inline constexpr const char* kRootEntry = " << racine >>";

struct FolderItem {
    std::string name;
    bool checked = false;
};

// The folder check-list (CheckListBox_rep), the selected-folders list (ListBoxSel) and RadioGroup1.
struct FolderLists {
    std::vector<FolderItem> items;     // sorted, letter case ignored
    std::vector<std::string> selected; // in ticking order, each name once (case ignored)
    int radioIndex = -1;               // 0 "tout sélectionner", 1 "tout déselectionner", -1 none shown
    int hoveredItem = -1;              // the check-list's selected item, which follows the pointer
    std::string hint;

    void clear();
};

// Fills the check-list with the root entry and the drive's first-level folders that are neither
// hidden nor system folders (on Linux: names starting with "."), unticked, in the order of the
// locale of `keys`, letter case ignored.
void ListFolders(const std::string& drive, FolderLists& lists, platform::SortKeyMaker& keys);
// The same in the user's locale.
void ListFolders(const std::string& drive, FolderLists& lists);

// The folder an item stands for: the drive itself for the root entry.
std::string folderPath(const std::string& drive, const std::string& itemName);

// The widget has just set the item's check mark to `ticked`.
void CheckListBox_repClick(CollectionState& state, Ui& ui, int item, bool ticked);
void RadioGroup1Click(CollectionState& state, int choice);
// Pointer at y inside the list: true when an item is under it (its hint is then to be shown).
bool CheckListBox_repMouseMove(FolderLists& lists, int y, int itemHeight, int topIndex);
void CheckListBox_repMouseDown(CollectionState& state, Ui& ui, bool rightButton);

} // namespace verdan
