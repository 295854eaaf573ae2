#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "browse/browse_state.h"
#include "platform/collation.h"
#include "util/ui.h"

namespace verdan {

// Full path of the row's file on the drive where its disk is plugged in now (found by name and
// serial, else by serial alone); empty when the disk is absent.
std::string RowFilePath(GridTable table, std::size_t row, const DriveRows& drives);

// A cell of a table, as found under the mouse pointer.
struct GridCell {
    std::size_t row = 0;
    int column = 0;
};

// lancer_vlc_row_et_tri: a double click on the header row of `grid` sorts that column; on a data
// row it opens the row's file with its associated application (once the key set holds a key).
// `current` is the current row of the visible table; `cell` what lies under the pointer.
void StringGrid1DblClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                         const DriveRows& drives, Grid grid, std::size_t current,
                         std::optional<GridCell> cell, platform::SortKeyMaker* sortKeys = nullptr);

// Opens the file of a data row of `table`, or says why it cannot.
void openRowFile(const ProgramState& program, Ui& ui, Shell& shell, const DriveRows& drives, GridTable table,
                 std::size_t row);

// Left click on a row of StringGrid1: hides the context panel, the row's "titre" goes to the
// clipboard (VerdanError when the clipboard stays unavailable). The arrow keys go on from the
// clicked row, which becomes the fixed end of a Shift selection; a click with Shift (`extend`)
// keeps that end.
void StringGrid1Click(ProgramState& program, BrowseState& browse, Ui& ui, std::size_t row,
                      bool extend = false);

// What the window knows of the context panel's surroundings, in the table's client coordinates.
struct PanelSurroundings {
    int x = 0; // the pointer
    int y = 0;
    int labelLeft = 0; // left offset of Label11 inside the panel
    int tableWidth = 0;
    int tableTop = 0;
    int tableHeight = 0;
    int panelHeight = 0;
    int minButtonWidth = 0; // what the widest button caption needs
};
// Size and place of Panel1 and its four buttons for a file name `textWidth` pixels wide; the
// panel also widens so that each button is at least minButtonWidth wide.
PanelPlacement placeContextPanel(int textWidth, const PanelSurroundings& around);

// Resolves the row: SelectedFile and SelectedFolder are set when the disk is present; true when
// that folder exists. A missing disk or folder is reported.
bool PrepareSelectedFileFromGrid(BrowseState& browse, Ui& ui, const DriveRows& drives, GridTable table,
                                 std::size_t row);

// Right click on `grid` over `row` (nothing when the pointer is on the header or outside the
// rows): the row becomes current and, when its folder exists, the context panel is filled,
// placed and shown. `textWidth` measures a text in the window's font.
bool StringGrid1MouseDown(ProgramState& program, BrowseState& browse, Ui& ui, const DriveRows& drives,
                          Grid grid, std::optional<std::size_t> row, const PanelSurroundings& around,
                          const std::function<int(const std::string&)>& textWidth);

enum class RowAction { ShowInFileManager = 1, CopyToFavourites = 2 };

// The checks of the current row's disk and folder, then (ShowInFileManager) its file shown in the
// file manager. Returns the file's path when the checks passed, for the copy to take over.
std::string lancer_explorateur_ou_copie_StringGrid(ProgramState& program, BrowseState& browse, Ui& ui,
                                                   Shell& shell, const DriveRows& drives, std::size_t current,
                                                   RowAction mode);

// The buttons of the context panel.
void BitBtn2Click(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell, const DriveRows& drives,
                  std::size_t current);
// "Visionner/écouter": hides the panel and opens the right-clicked file.
void viewContextRow(const ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell);
void BitBtn4Click(BrowseState& browse);

// "?": opens "help_verdan.pdf" of the executable's folder when it is there.
void BitBtn_helpClick(Shell& shell, const std::string& executableFolder);

} // namespace verdan
