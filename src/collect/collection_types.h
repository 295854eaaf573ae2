#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/disk_identity.h"

// Plain parts of the collection window's state, apart from the operations on them, so that the
// state and the scan can use them without including the headers of those operations, which
// include them back.
namespace verdan {

class DiskRows;

// The entry that stands for the whole drive; its leading blank sorts it first.
inline constexpr const char* kRootEntry = " << racine >>";

// The folder an item stands for: the drive itself for the root entry.
std::string folderPath(const std::string& drive, const std::string& itemName);

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

    void clear() {
        items.clear();
        selected.clear();
        hoveredItem = -1;
    }
};

// Panel1 of the collection window: the actions on the right-clicked found file.
struct FoundFilePanel {
    bool visible = false;
    std::string fileName; // Label11
    std::string folder;   // Label12
    // In the window's coordinates; the buttons' left edges inside the panel, in the order
    // "Ouvrir le dossier", "Copier vers les favoris", "Visionner/écouter", "Annuler".
    int left = 0;
    int top = 0;
    int width = 0;
    int buttonWidth = 0;
    std::array<int, 4> buttonLefts{};
};

// The yellow panel of files whose size could not be read (Panel_na).
struct UnreadablePanel {
    bool visible = false;
    std::string caption = "Fichier N/A"; // Label8
    std::vector<std::string> lines;      // ListBox_na: see unreadableListEntry
};

// What the scan that filled the found list walked, kept for a refresh of its disk's rows.
struct ScannedDisk {
    DiskIdentity disk;                // as the scan's drive answered when the scan started
    std::string driveRoot;            // the drive scanned
    std::vector<std::string> folders; // the ticked folders walked, as paths
    // Folders, as found lines show them, that the walk did not read to the end: nothing under
    // them is compared.
    std::vector<std::string> unread;
    // Every line the scan found: a line the user took out of the found list still names a file
    // that is there.
    std::vector<std::string> lines;
    bool stopped = false; // "stop (Esc)" ended it
    // The disk's rows under the walked folders, gathered while the scan ran.
    std::shared_ptr<DiskRows> rows;
    // Whether the list has rows of the disk, as last seen (stamps of the rows, names and serials).
    std::optional<std::array<std::uint64_t, 3>> listSeen;
    bool hasRows = false;
};

} // namespace verdan
