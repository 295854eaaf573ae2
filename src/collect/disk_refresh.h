#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/global_list.h"
#include "catalogue/key_set.h"
#include "collect/collection_types.h"
#include "collect/found_list.h"
#include "collect/new_row.h"
#include "collect/staged_rows.h"
#include "util/ui.h"

// Bringing the rows of one disk up to date with a new scan of some of its folders: what the scan
// no longer finds goes, what it finds elsewhere moves, what changed is rewritten, what is new
// comes. Only the rows under the folders the scan read to the end are compared.
namespace verdan {

// What a refresh changes, worked out from the list and the scan without changing either.
struct RefreshPlan {
    // A row and the line of the scan (ScannedDisk::lines) it now stands for.
    struct Update {
        std::size_t row = 0;
        std::size_t line = 0;
        bool operator==(const Update&) const = default;
    };
    std::vector<std::size_t> vanished; // rows, in order
    std::vector<Update> moved;         // moved or renamed: same size, date and extension
    std::vector<Update> modified;      // same path, another size or date
    std::vector<std::size_t> added;    // lines of files the list lacks, in the scan's order
    std::size_t unchanged = 0;
    std::size_t notCompared = 0;         // the disk's rows under a folder the scan did not read to the end
    std::size_t firstDiskRow = SIZE_MAX; // the disk's first row in the table, compared or not
    // Rows the scan did not meet whose file is there all the same (the filters or the minimum
    // sizes no longer take it): left as they are.
    std::size_t stillThere = 0;

    bool changesNothing() const {
        return vanished.empty() && moved.empty() && modified.empty() && added.empty();
    }
};

// Compares the rows of `scan.disk` (name and serial, exactly) under the scanned folders with the
// lines the scan found; a row it did not meet has vanished when its file is not on the disk. A line is new
// when the list lacks its path and its key (at the input's level, as the adding would make it) is not held by
// a row that stays; a line the user took out of the found list is no new file, but it still names a file that
// is there. A vanished row and a new file of the same size, date and extension are one file moved or renamed;
// when several could pair, the closest paths pair first. A date one hour off with the same size is the same
// date: a file system that keeps local time shows its files an hour apart across a change of summer time.
RefreshPlan planDiskRefresh(const GlobalList& table, const KeySet& keys, const ScannedDisk& scan,
                            const FoundList& found, const StagingInput& input);

// The question's text and the lists its counts open.
struct RefreshQuestion {
    std::string text;
    std::string unchanged; // the report when there is nothing to change
    std::vector<Ui::Detail> details;
};
RefreshQuestion refreshQuestion(const GlobalList& table, const ScannedDisk& scan, const RefreshPlan& plan);

// The rows of the moved and modified files take the scan's folder, title, extension, date and
// size; the vanished rows go; the new files come as the adding makes them (their sizes looked up
// again). The key set follows at the input's level.
struct RefreshApplied {
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t updated = 0;
    std::size_t lastRow = 0; // the last row appended, 0 when none
};
RefreshApplied applyDiskRefresh(GlobalListState& globalList, const ScannedDisk& scan, const RefreshPlan& plan,
                                const StagingInput& input);

// Whether the disk the found list was scanned from has rows in the list: a refresh is offered.
bool diskHasRows(const GlobalList& table, const DiskIdentity& disk);

} // namespace verdan
