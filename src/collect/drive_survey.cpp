#include "collect/drive_survey.h"

#include "collect/collection_state.h"
#include "util/cp1252.h"
#include "util/format.h"

namespace verdan {

const char* driveTypeText(int code) {
    switch (code) {
    case 1:
        return "Racine inexistante";
    case 2:
        return "USB";
    case 3:
        return "disque";
    case 4:
        return "Reseau";
    case 5:
        return "DVD";
    case 6:
        return "RAM Disk";
    default:
        return "Inconnu";
    }
}

std::string storableLabel(std::string_view label) {
    return cp1252::storable(label);
}

DiskIdentity QueryDisk(platform::DriveProvider& provider, const std::string& driveText) {
    if (driveText == "drive") return DiskIdentity{"DVD", "-", "-", "-", 0, 0, true};
    DiskIdentity id;
    const platform::DriveInfo info = provider.queryDisk(platform::nativeDriveRoot(driveText));
    id.typeText = driveTypeText(info.typeCode);
    if (info.typeCode < platform::kDriveRemovable) return id;
    id.label = storableLabel(info.label);
    id.fileSystem = info.fileSystem;
    id.serial = info.serial;
    if (info.ok) {
        id.freeBytes = info.freeBytes;
        id.totalBytes = info.totalBytes;
        id.ok = true;
    }
    return id;
}

void ClearCollectionLists(CollectionState& state) {
    state.drives.clearToHeader();
    state.folders.clear();
    state.found.clear();
}

void RefreshDrives(CollectionState& state, platform::DriveProvider& provider, Ui& ui) {
    // The folders being walked may be on a disk that has just gone.
    abandonScan(state, ui);
    ui.setBusy(true);
    state.SelectedDrive.clear();
    ClearCollectionLists(state);
    auto& table = state.drives;
    for (const platform::DriveInfo& drive : provider.listDrives()) {
        DiskIdentity id;
        id.typeText = driveTypeText(drive.typeCode);
        if (drive.typeCode >= platform::kDriveRemovable && drive.ok) {
            id.label = storableLabel(drive.label);
            id.fileSystem = drive.fileSystem;
            id.serial = drive.serial;
            id.freeBytes = drive.freeBytes;
            id.totalBytes = drive.totalBytes;
            id.ok = true;
        }
        if (!id.ok) {
            state.driveLog.push_back(drive.root + " not ok");
            continue;
        }
        const std::string freeText = FormatTaille(id.freeBytes), totalText = FormatTaille(id.totalBytes);
        state.driveLog.push_back(drive.root + " [" + id.label + "] FS:" + id.fileSystem + "   NS:" +
                                 id.serial + "  DT:" + id.typeText + "  " + freeText + " / " + totalText);
        const int row = table.addRow();
        auto put = [&](const char* header, const std::string& value) {
            if (int c = table.indice_col1(header); c >= 0) table.setCell(row, c, value);
        };
        put("drive", drive.root);
        put("nom-disque", id.label);
        put("type-disque", id.typeText);
        put("NS-disque", id.serial);
        put("libre", freeText);
        put("total", totalText);
    }
    table.setCurrentRow(0);
    ui.setBusy(false);
}

void Button_actualiser_hdClick(CollectionState& state, platform::DriveProvider& provider, Ui& ui) {
    state.found.clear();
    state.driveLog.clear();
    RefreshDrives(state, provider, ui);
}

void StringGrid_hdClick(CollectionState& state, Ui& ui) {
    const int row = state.drives.currentRow();
    if (row <= 0 || row >= state.drives.rowCount() || scanLocked(state)) return;
    abandonScan(state, ui);
    ui.setBusy(true);
    state.SelectedDrive = state.drives.cell(row, 0);
    state.driveRowSelect = true;
    state.folders.clear();
    state.found.clear();
    state.folders.selected.clear();
    state.foundCountCaption = std::string("n"); // a move: GCC 12 at -O3 warns wrongly on literals here
    state.scanLog.clear();
    state.scanStatus = "---";
    ListFolders(state.SelectedDrive, state.folders);
    ui.setBusy(false);
}

} // namespace verdan
