#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/drive_table.h"
#include "catalogue/index_keys.h"
#include "catalogue/program_state.h"
#include "collect/collection_types.h"
#include "collect/found_list.h"
#include "collect/scan_workers.h"
#include "platform/system.h"

namespace verdan {

inline constexpr const char* kHelpTextSimple =
    " - double click sur les intitulés pour trier \n   et sur les titres pour  les visionner \n"
    " - click droit pour un choix multiple, gauche pour le nom dans le presse-papier";
inline constexpr const char* kHelpTextAdvancedLine =
    " - touche SUPPR ou bouton pour effacer la sélection    ";

// What the collection window shows of its own, as plain state; the window displays it.
struct CollectionState {
    // `drives`: the program's table of present drives, which the global-list window reads too.
    explicit CollectionState(DriveTable& drives) : drives(drives) {}

    bool FirstActivation = true;
    std::string helpPanelText; // Label17
    IndexLevelControls indexControls;

    DriveTable& drives;          // StringGrid_hd
    bool driveRowSelect = false; // whole rows highlighted from the first choice of a drive on
    std::string SelectedDrive;
    std::vector<std::string> driveLog; // Memo2
    FolderLists folders;               // CheckListBox_rep, ListBoxSel, RadioGroup1
    // The found list (ListBox_media_un_hd); quitting asks about lines never added.
    FoundList found;
    // The scan that filled the found list, while the list is its own: a refresh of its disk may be
    // offered.
    std::optional<ScannedDisk> scannedDisk;
    // What the scan that filled it took for media: its files are opened, anything else shown.
    std::vector<std::string> foundExtensions;
    std::string foundCountCaption = "n"; // Label6
    std::string scanStatus = "---";      // Label_attente
    std::vector<std::string> scanLog;    // Memo3
    UnreadablePanel unreadablePanel;
    bool renamePanelVisible = false; // Panel3
    std::string renamePanelName;     // Label1
    // The found file last right-clicked, and Panel1 with its actions.
    std::string selectedFoundFile;
    std::string selectedFoundFolder;
    FoundFilePanel foundPanel;
    bool foundHintsOn = true;
    bool addButtonEnabled = true; // BitBtn_rajout_bd

    ScanTuning scanTuning;
    std::function<std::uint32_t()> tick = platform::tickCount;
    // Called on the user-interface thread after the workers changed what the window shows.
    std::function<void()> onScanChanged;
    // Last, so that its workers are stopped before anything they report to goes away.
    ScanWorkers scanWorkers;

    // The found list emptied, and with it what its scan had walked.
    void clearFound() {
        found.clear();
        scannedDisk.reset();
    }

    // Title after every activation: the product title, six blanks, the list name shown.
    static std::string windowTitle(const std::string& listNameLabel);
};

} // namespace verdan
