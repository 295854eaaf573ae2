#pragma once
#include <functional>
#include <string>
#include <vector>

#include "browse/browse_state.h"
#include "browse/favourites_copy.h"
#include "browse/retrieval_plan.h"
#include "util/ui.h"

namespace verdan {

// Asked when a disk of the plan is plugged in.
std::string arrivalQuestion(const PlannedDisk& disk);

// Copies the planned files of a plugged disk into the favourites folder, with the progress panel
// of the multiple copy (stop, speed, remaining time, existing destinations asked about). A file
// copied, or already there and skipped, leaves the plan, which is put on disk after each; a file
// missing from the disk stays and is reported at the end.
void copyPlannedDisk(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                     const PlannedDisk& disk);

// A device notification, or the start: each disk of the plan that is plugged in and was not asked
// about since it arrived is offered for the copy, once; "Non" is not asked again before the disk
// has been away. While a copy runs nothing is asked: the end of the copy calls this again.
void offerPlannedDisks(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                       const std::function<DriveRows()>& presentDrives);

// "Copier maintenant" in "Disques à brancher": the copy of a disk of the plan that is plugged in,
// at the user's request (also after a "Non" at its arrival), after the arrival's question.
void copyPlannedDiskNow(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                        const PlannedDisk& disk, const std::function<DriveRows()>& presentDrives);

// "Disques à brancher": forgets the files of one disk, or all, after a question. True when the
// plan changed.
bool removePlannedDisk(BrowseState& browse, Ui& ui, const PlannedDisk& disk);
bool clearRetrievalPlan(BrowseState& browse, Ui& ui);

// The plan's total under the list of disks.
std::string planTotalText(const std::vector<PlannedDisk>& disks);

} // namespace verdan
