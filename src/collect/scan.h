#pragma once
#include <memory>
#include <string>
#include <vector>

#include "catalogue/program_state.h"
#include "collect/disk_identity.h"
#include "collect/scan_walk.h"
#include "collect/scan_workers.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// "3- lister les médias des répertoires cochés  ==> ", with the media categories of the catalogue.
// `disk`: the chosen drive's, kept with what the scan walks for a refresh of its rows.
void BitBtn_lister_mediaClick(ProgramState& program, CollectionState& state, Ui& ui,
                              const DiskIdentity& disk = {});
// One worker per selected folder.
void StartScans(CollectionState& state, Ui& ui, const std::shared_ptr<ScanRun>& run);
// User-interface thread: a worker's batch of found lines into the sorted found list at once.
void addToFoundList(CollectionState& state, std::vector<std::string> lines);
// User-interface thread, at the end of each worker; the last one shows the summary.
void FinishScan(CollectionState& state, Ui& ui, ScanRun& run);
// The end of a scan that no longer owns the found list: the pointer, the status, the N/A panel and
// the summary message.
void summarizeScan(CollectionState& state, Ui& ui, ScanRun& run);
// "stop (Esc) " and the Escape key: stops the current scan through its own flag, which its
// workers read.
void Button2Click(CollectionState& state, Ui& ui);

// A scan runs and no stop was asked: the drive table, the folder lists and the scan button are
// locked, and adding to the global list waits.
bool scanLocked(const CollectionState& state);
// A scan still running or stopping loses the found list: its workers wind down unheard.
void abandonScan(CollectionState& state, Ui& ui);

} // namespace verdan
