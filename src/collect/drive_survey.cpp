#include "collect/drive_survey.h"

#include "collect/collection_state.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "util/cp1252.h"
#include "util/format.h"

#include <algorithm>
#include <memory>
#include <vector>

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
    state.clearFound();
}

namespace {

// One usable drive as the survey found it, with its log line.
struct SurveyedDrive {
    std::string root;
    DiskIdentity id;
};

struct Survey {
    std::vector<SurveyedDrive> drives;
    std::vector<std::string> log; // Memo2
};

Survey surveyDrives(platform::DriveProvider& provider) {
    Survey survey;
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
            survey.log.push_back(drive.root + " not ok");
            continue;
        }
        survey.log.push_back(drive.root + " [" + id.label + "] FS:" + id.fileSystem + "   NS:" + id.serial +
                             "  DT:" + id.typeText + "  " + FormatTaille(id.freeBytes) + " / " +
                             FormatTaille(id.totalBytes));
        survey.drives.push_back({drive.root, std::move(id)});
    }
    return survey;
}

void fillTable(CollectionState& state, const Survey& survey) {
    auto& table = state.drives;
    table.clearToHeader();
    state.driveLog.insert(state.driveLog.end(), survey.log.begin(), survey.log.end());
    for (const SurveyedDrive& drive : survey.drives) {
        const int row = table.addRow();
        auto put = [&](const char* header, const std::string& value) {
            if (int c = table.indice_col1(header); c >= 0) table.setCell(row, c, value);
        };
        put("drive", drive.root);
        put("nom-disque", drive.id.label);
        put("type-disque", drive.id.typeText);
        put("NS-disque", drive.id.serial);
        put("libre", FormatTaille(drive.id.freeBytes));
        put("total", FormatTaille(drive.id.totalBytes));
    }
}

// What makes a row the same drive: where it is and which disk it holds. Free space moves all the
// time and is no change of drive.
struct DriveKey {
    std::string root, label, type, serial;
    bool operator==(const DriveKey&) const = default;
};

DriveKey keyOfRow(const DriveTable& table, int row) {
    auto cell = [&](const char* header) {
        const int c = table.indice_col1(header);
        return c < 0 ? std::string() : table.cell(row, c);
    };
    return {cell("drive"), cell("nom-disque"), cell("type-disque"), cell("NS-disque")};
}

DriveKey keyOf(const SurveyedDrive& d) {
    return {d.root, d.id.label, d.id.typeText, d.id.serial};
}

// The row, counted from 1, of the drive in the survey; 0 when it is not there.
int rowOf(const Survey& survey, const DriveKey& key) {
    for (std::size_t i = 0; i < survey.drives.size(); ++i)
        if (keyOf(survey.drives[i]) == key) return static_cast<int>(i) + 1;
    return 0;
}

bool sameDrives(const DriveTable& table, const Survey& survey) {
    if (table.rowCount() - 1 != static_cast<int>(survey.drives.size())) return false;
    for (int r = 1; r < table.rowCount(); ++r)
        if (!(keyOfRow(table, r) == keyOf(survey.drives[static_cast<std::size_t>(r - 1)]))) return false;
    return true;
}

void refreshFrom(CollectionState& state, const Survey& survey) {
    state.SelectedDrive.clear();
    ClearCollectionLists(state);
    fillTable(state, survey);
    state.drives.setCurrentRow(0);
}

} // namespace

void RefreshDrives(CollectionState& state, platform::DriveProvider& provider, Ui& ui) {
    // The folders being walked may be on a disk that has just gone.
    abandonScan(state, ui);
    ui.setBusy(true);
    refreshFrom(state, surveyDrives(provider));
    ui.setBusy(false);
}

void followDeviceChange(CollectionState& state, platform::DriveProvider& provider, Ui& ui) {
    const Survey survey = surveyDrives(provider);
    // A proc, tmpfs, FUSE or container mount changes the mount table but no drive.
    if (sameDrives(state.drives, survey)) return;
    const DriveTable& table = state.drives;
    const int current = table.currentRow();
    int chosenRow = 0; // in the table as it was
    if (!state.SelectedDrive.empty()) {
        for (int r = 1; r < table.rowCount() && chosenRow == 0; ++r)
            if (table.cell(r, 0) == state.SelectedDrive) chosenRow = r;
        if (current > 0 && current < table.rowCount() && table.cell(current, 0) == state.SelectedDrive)
            chosenRow = current;
    }
    const int stillThere = chosenRow > 0 ? rowOf(survey, keyOfRow(table, chosenRow)) : 0;
    if (state.SelectedDrive.empty() || stillThere > 0) {
        // The chosen drive is still there, or none was: the choice, the ticks, the found list and
        // a running scan stay as they are. A DVD import keeps the header row current.
        const int newCurrent = current > 0 && current == chosenRow ? stillThere : std::min(current, 0);
        fillTable(state, survey);
        state.drives.setCurrentRow(newCurrent);
        return;
    }
    // The chosen drive has gone. A scan of it ends now, with what it had found, once.
    if (const std::shared_ptr<ScanRun> run = state.scanWorkers.current()) {
        state.scanWorkers.abandonCurrent();
        summarizeScan(state, ui, *run);
    }
    refreshFrom(state, survey);
}

void Button_actualiser_hdClick(CollectionState& state, platform::DriveProvider& provider, Ui& ui) {
    state.clearFound();
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
    state.clearFound();
    state.folders.selected.clear();
    state.foundCountCaption = std::string("n"); // a move: GCC 12 at -O3 warns wrongly on literals here
    state.scanLog.clear();
    state.scanStatus = "---";
    ListFolders(state.SelectedDrive, state.folders);
    ui.setBusy(false);
}

} // namespace verdan
