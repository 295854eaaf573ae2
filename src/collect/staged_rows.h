#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/global_list.h"
#include "catalogue/key_set.h"
#include "catalogue/program_state.h"
#include "catalogue/settings.h"
#include "collect/drive_survey.h"

// The rows an adding makes of the found lines, made apart from the list and then appended to it.
namespace verdan {

// The cells a new row fills, each in the column of its header.
enum class NewCell { N, Disque, Media, Titre, Ext, Date, Repertoire, Taille, Drive, Type, Ns, Libre, Total };
inline constexpr std::size_t kNewCells = 13;

// Where the new rows go in a list: the column of each cell's header (-1 drops the cell) and the
// number ("n" cell) of the first one.
struct NewRowLayout {
    std::array<int, kNewCells> columns{};
    std::size_t firstNumber = 1;
    static NewRowLayout of(const GlobalList& list);
};

// Whether the new rows take the place of the list's one blank row: only a row with nothing in it
// goes, a real row whose "n" cell happens to be empty stays.
bool replacesBlankRow(const GlobalList& list);

// What every row of one adding shares: the disk they were found on and how their keys are made.
struct StagingInput {
    DiskIdentity disk;
    std::string driveText; // the drive table's cell: a root, or the DVD pseudo-drive's header
    int level = 1;         // index level, item index 0 to 3
    std::array<MediaCategory, 2> media = CatalogueParams().media;
    std::string decimalSeparator;
};

// The new rows in the found lines' order, with their keys.
struct StagedRows {
    GlobalList table; // the rows from kFirstRow on
    std::vector<KeySet::Hash> keys;
    int level = 1;
    static constexpr std::size_t kFirstRow = 2;

    std::size_t size() const { return keys.size(); }
};

// Makes the rows of the found lines, skipping every line whose key `keys` holds. The key of each
// row made joins `keys` at once, so that a later line of the batch with the same key is skipped
// too, and the set is probed once a line; should the staging fail, they leave it again. The
// sizes of scanned files are looked up again now, on a few threads: "N/A" for a file gone.
StagedRows stageNewRows(const std::vector<std::string_view>& lines, const StagingInput& input,
                        const NewRowLayout& layout, KeySet& keys);

// Puts the staged rows at the end of the list (in place of its blank row, if that is all it
// holds) as one insertion and selects the last one; the key set, which holds their keys already,
// is marked a mix when they are of another level, and the disk list follows. Returns the row
// selected, 0 when nothing was staged.
std::size_t appendStagedRows(GlobalListState& globalList, StagedRows&& staged);

} // namespace verdan
