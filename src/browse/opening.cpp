#include "browse/opening.h"
#include "util/ui.h"

#include <algorithm>

#include "browse/sort.h"
#include "catalogue/contained_paths.h"
#include "catalogue/keys_in_making.h"
#include "catalogue/media_categories.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/file_helpers.h"
#include "util/safe_open.h"

namespace verdan {
namespace {

// A row resolved against the present drives.
struct ResolvedRow {
    std::string name;
    std::string serial;
    std::string path;    // empty when the disk is absent or the row refused
    std::string refusal; // why the row's cells cannot name a file of its disk
};

ResolvedRow resolveRow(GridTable table, std::size_t row, const DriveRows& drives) {
    ResolvedRow r;
    r.name = table.cell(row, table.indice_col_liste("nom-disque"));
    r.serial = table.cell(row, table.indice_col_liste("NS-disque"));
    std::string root = FindDriveByDisk(drives, r.name, r.serial);
    if (root.empty()) root = FindDriveBySerial(drives, r.serial);
    if (root.empty()) return r;
    const std::string file = std::string(table.cell(row, table.indice_col_liste("titre"))) +
                             std::string(table.cell(row, table.indice_col_liste("ext")));
    const std::string_view folder = table.cell(row, table.indice_col_liste("répertoire"));
    // The blank row of an empty list names its disk's root, which is no file and opens nothing.
    r.path =
        file.empty() && folder.empty() ? nativeFilePath(root, folder, file) : fileOnDisk(root, folder, file);
    if (r.path.empty()) r.refusal = refusedRowText(folder, file);
    return r;
}

// Says why the row names no file to act on; false when it names one.
bool reportUnresolved(Ui& ui, const ResolvedRow& r, const std::string& diskAbsentText) {
    if (!r.path.empty()) return false;
    ui.showInfo(r.refusal.empty() ? diskAbsentText : r.refusal);
    return true;
}

bool isDataRow(GridTable table, std::size_t row) {
    return row >= 1 && row < table.rowCount();
}

} // namespace

std::string RowFilePath(GridTable table, std::size_t row, const DriveRows& drives) {
    if (!isDataRow(table, row)) return {};
    return resolveRow(table, row, drives).path;
}

void openRowFile(const ProgramState& program, Ui& ui, Shell& shell, const DriveRows& drives, GridTable table,
                 std::size_t row) {
    // Only "Vider la liste" leaves the key set empty; the window then opens nothing. Keys still in
    // the making are those of a list with rows.
    if ((program.globalList.keys.size() == 0 && !keysInMaking(program.globalList)) || !isDataRow(table, row))
        return;
    const ResolvedRow r = resolveRow(table, row, drives);
    if (reportUnresolved(ui, r,
                         " Disque <" + r.name + ">   " + r.serial + "   introuvable, veuillez le brancher "))
        return;
    if (platform::isFile(r.path)) {
        openDocumentSafely(ui, shell, r.path, categoryExtensions(program.catalogue.params.media));
    } else {
        ui.showInfo("Fichier " + r.path + " introuvable");
    }
}

void StringGrid1DblClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                         const DriveRows& drives, Grid grid, std::size_t current,
                         std::optional<GridCell> cell, platform::SortKeyMaker* sortKeys) {
    browse.keyboard.CursorRow = current;
    if (!cell) return;
    if (cell->row == 0) {
        if (sortKeys) {
            sortOnHeader(program, browse, ui, grid, cell->column, *sortKeys);
        } else {
            sortOnHeader(program, browse, ui, grid, cell->column);
        }
        return;
    }
    openRowFile(program, ui, shell, drives, gridTable(program, browse, grid), cell->row);
}

void StringGrid1Click(ProgramState& program, BrowseState& browse, Ui& ui, std::size_t row, bool extend) {
    browse.contextPanel.visible = false;
    GlobalList& list = program.globalList.table;
    if (!isDataRow(list, row)) return;
    if (extend) {
        browse.keyboard.CursorRow = row;
        browse.keyboard.ShiftWasDown = true;
    } else {
        browse.keyboard.restartAt(row);
    }
    CopyTextToClipboard(ui, std::string(list.cell(row, list.indice_col_liste("titre"))));
}

PanelPlacement placeContextPanel(int textWidth, const PanelSurroundings& around) {
    PanelPlacement p;
    p.width = std::max({500, textWidth + 2 * around.labelLeft, 4 * around.minButtonWidth + 50});
    const int b = (p.width - 50) / 4;
    for (int i = 0; i < 4; ++i) p.buttons[static_cast<std::size_t>(i)] = {10 + i * (b + 10), b};
    // Kept inside the table: a table narrower than the panel puts it at its left edge.
    p.left = std::max(0, std::min(around.x, around.tableWidth - p.width));
    p.top = std::max(0, std::min(around.y + around.panelHeight + 25,
                                 around.tableTop + around.tableHeight - around.panelHeight + 10));
    return p;
}

bool PrepareSelectedFileFromGrid(BrowseState& browse, Ui& ui, const DriveRows& drives, GridTable table,
                                 std::size_t row) {
    if (!isDataRow(table, row)) return false;
    const ResolvedRow r = resolveRow(table, row, drives);
    if (reportUnresolved(ui, r, "Disque <" + r.name + "> introuvable, veuillez le brancher")) return false;
    browse.SelectedFile = r.path;
    browse.SelectedFolder = folderOfPath(r.path);
    if (platform::isFolder(browse.SelectedFolder)) return true;
    ui.showInfo("Répertoire <" + browse.SelectedFolder + "> inexistant");
    return false;
}

bool StringGrid1MouseDown(ProgramState& program, BrowseState& browse, Ui& ui, const DriveRows& drives,
                          Grid grid, std::optional<std::size_t> row, const PanelSurroundings& around,
                          const std::function<int(const std::string&)>& textWidth) {
    GridTable table = gridTable(program, browse, grid);
    if (!row || !isDataRow(table, *row)) return false;
    table.selectRow(*row);
    browse.keyboard.CursorRow = *row;
    browse.SelectedFile.clear();
    browse.SelectedFolder.clear();
    if (!PrepareSelectedFileFromGrid(browse, ui, drives, table, *row)) return false;
    ContextPanel& panel = browse.contextPanel;
    panel.fileName = fileNameOfPath(browse.SelectedFile);
    panel.folder = browse.SelectedFolder;
    panel.sizeText = table.cell(*row, table.indice_col_liste("taille"));
    panel.placement = placeContextPanel(textWidth ? textWidth(panel.fileName) : 0, around);
    panel.visible = true;
    return true;
}

std::string lancer_explorateur_ou_copie_StringGrid(ProgramState& program, BrowseState& browse, Ui& ui,
                                                   Shell& shell, const DriveRows& drives, std::size_t current,
                                                   RowAction mode) {
    GridTable table = visibleTable(program, browse);
    if (!isDataRow(table, current)) return {};
    table.selectRow(current);
    const ResolvedRow r = resolveRow(table, current, drives);
    if (reportUnresolved(ui, r, " Disque <" + r.name + ">   introuvable, veuillez le brancher ")) return {};
    const std::string folder = folderOfPath(r.path);
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire <" + folder + "> inexistant ");
        return {};
    }
    if (mode == RowAction::ShowInFileManager) shell.showInFileManager(r.path);
    return r.path;
}

void BitBtn2Click(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell, const DriveRows& drives,
                  std::size_t current) {
    browse.contextPanel.visible = false;
    lancer_explorateur_ou_copie_StringGrid(program, browse, ui, shell, drives, current,
                                           RowAction::ShowInFileManager);
}

void viewContextRow(const ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell) {
    browse.contextPanel.visible = false;
    if (browse.SelectedFile.empty()) return;
    if (platform::isFile(browse.SelectedFile)) {
        openDocumentSafely(ui, shell, browse.SelectedFile,
                           categoryExtensions(program.catalogue.params.media));
    } else {
        ui.showInfo("Fichier " + browse.SelectedFile + " introuvable");
    }
}

void BitBtn4Click(BrowseState& browse) {
    browse.contextPanel.visible = false;
}

void BitBtn_helpClick(Shell& shell, const std::string& executableFolder) {
    const std::string path = joinPath(executableFolder, "help_verdan.pdf");
    if (platform::isFile(path)) shell.openDocument(path);
}

} // namespace verdan
