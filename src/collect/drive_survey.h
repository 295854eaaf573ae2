#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "collect/disk_identity.h"
#include "platform/drives.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// "Inconnu", "Racine inexistante", "USB", "disque", "Reseau", "DVD", "RAM Disk".
const char* driveTypeText(int code);

// A volume label as the drive table, the rows and their keys hold it: a catalogue file keeps
// only what Windows-1252 spells, so the label is cut to that here, once, and a disk is found
// again after its catalogue was saved and read back.
std::string storableLabel(std::string_view label);

// The drive text "drive" (the header cell) names the DVD pseudo-disk and touches no system service.
DiskIdentity QueryDisk(platform::DriveProvider& provider, const std::string& driveText);

// Drive table back to its header row; folder lists and found list emptied.
void ClearCollectionLists(CollectionState& state);
// Rebuilds the drive table, forgetting the chosen drive. A running scan is stopped first.
void RefreshDrives(CollectionState& state, platform::DriveProvider& provider, Ui& ui);
// The system says devices or mounts changed. Nothing happens unless the drives (where they are,
// which disk) changed; then the table is rebuilt, and the chosen drive, its ticked folders, the
// found list and a running scan stay when that drive is still there. When it has gone, a scan of
// it ends with its summary and everything is refreshed as by RefreshDrives.
void followDeviceChange(CollectionState& state, platform::DriveProvider& provider, Ui& ui);
// "actualiser USB après branchement"
void Button_actualiser_hdClick(CollectionState& state, platform::DriveProvider& provider, Ui& ui);
// Chooses the drive of the table's current row and lists its folders.
void StringGrid_hdClick(CollectionState& state, Ui& ui);

} // namespace verdan
