#include "collect/folders.h"

#include "collect/collection_state.h"
#include "collect/scan.h"
#include "platform/collation.h"
#include "platform/dir_walk.h"
#include "util/file_helpers.h"
#include "util/utf8.h"

#include <algorithm>

namespace verdan {

void ListFolders(const std::string& drive, FolderLists& lists, platform::SortKeyMaker& keys) {
    lists.items.clear();
    lists.hoveredItem = -1;
    lists.items.push_back({kRootEntry, false});
    struct Named {
        std::string key;
        std::string name;
    };
    std::vector<Named> folders;
    platform::FolderReader reader(drive);
    platform::DirEntry e;
    while (reader.next(e)) {
        if (e.kind == platform::EntryKind::Folder && !e.hidden && !e.system) {
            Named n{{}, e.name};
            keys.appendKey(n.name, n.key);
            folders.push_back(std::move(n));
        }
    }
    // The user's language order ("éa" among the e's); the root entry stays first whatever the
    // locale makes of its blank.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const Named& a, const Named& b) { return a.key < b.key; });
    for (auto& f : folders) lists.items.push_back({std::move(f.name), false});
}

void ListFolders(const std::string& drive, FolderLists& lists) {
    platform::SortKeyMaker keys;
    ListFolders(drive, lists, keys);
}

void CheckListBox_repClick(CollectionState& state, Ui& ui, int item, bool ticked) {
    auto& lists = state.folders;
    if (item < 0 || item >= static_cast<int>(lists.items.size()) || scanLocked(state)) return;
    // Earlier results no longer match the selection, and a stopping scan must not refill the list.
    abandonScan(state, ui);
    auto& entry = lists.items[static_cast<std::size_t>(item)];
    entry.checked = ticked;
    state.scanStatus = "---";
    lists.radioIndex = -1;
    state.clearFound();
    state.foundCountCaption = std::string("0"); // a move: GCC 12 at -O3 warns wrongly on literals here
    auto& sel = lists.selected;
    auto same = std::find_if(sel.begin(), sel.end(),
                             [&](const std::string& n) { return utf8::compareFolded(n, entry.name) == 0; });
    if (ticked && same == sel.end()) sel.push_back(entry.name);
    if (!ticked && same != sel.end()) sel.erase(same);
}

void RadioGroup1Click(CollectionState& state, int choice) {
    auto& lists = state.folders;
    if (scanLocked(state)) return;
    lists.radioIndex = choice;
    const bool all = choice == 0;
    lists.selected.clear();
    for (auto& item : lists.items) {
        item.checked = all;
        if (all) lists.selected.push_back(item.name);
    }
    state.scanStatus = "---";
}

bool CheckListBox_repMouseMove(FolderLists& lists, int y, int itemHeight, int topIndex) {
    if (itemHeight <= 0) return false;
    const int index = y / itemHeight + topIndex;
    if (y < 0 || index < 0 || index >= static_cast<int>(lists.items.size())) return false;
    lists.hoveredItem = index;
    lists.hint = "   " + lists.items[static_cast<std::size_t>(index)].name +
                 "   \n\n   click droit pour voir le dossier";
    return true;
}

void CheckListBox_repMouseDown(CollectionState& state, Ui& ui, bool rightButton) {
    const auto& lists = state.folders;
    if (!rightButton || lists.hoveredItem < 0 || lists.hoveredItem >= static_cast<int>(lists.items.size()))
        return;
    const std::string path =
        folderPath(state.SelectedDrive, lists.items[static_cast<std::size_t>(lists.hoveredItem)].name);
    if (ui.ask(DialogType::Confirmation, " Ouvrir le dossier suivant ?\n\n" + path,
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return;
    // The dialog only serves to look into the folder: whatever is picked is ignored.
    (void)ui.chooseFile("Visualisation de répertoires", "", path);
}

} // namespace verdan
