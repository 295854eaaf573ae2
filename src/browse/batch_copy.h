#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"
#include "browse/copy_progress.h"
#include "browse/retrieval_plan.h"
#include "util/ui.h"

namespace verdan {

// One file of a batch into the favourites folder.
struct BatchFile {
    std::size_t origin = 0;        // the caller's own index: a row of the table, a file of the plan
    std::string name;              // of the copy in the folder: title and extension
    std::string title;             // Label15 while it is copied
    std::string catalogueFolder;   // Label16 while it is copied
    std::int64_t plannedBytes = 0; // from the catalogue's size text: an estimate
    // Where it is read from when that is known before the run; otherwise the caller finds it as
    // its turn comes.
    std::string source;
    // Not empty: its cells would lead out of their folders, and it is not copied. The line names it.
    std::string refusedLine;
};

// The marked rows of a table (the window's, searched or not), in its order. Only the marks at the
// click count: marks cleared meanwhile elsewhere do not cut the copy short.
std::vector<BatchFile> markedFiles(const GridTable& table);
// Planned files of one disk, plugged in at `root`; `origin` is the index in `planned`.
std::vector<BatchFile> plannedFilesToCopy(const std::vector<PlannedFile>& planned, std::string_view root);

// What a batch is about to copy, asked about before it starts.
struct BatchTotals {
    std::int64_t count = 0;
    std::int64_t bytes = 0;
    std::int64_t existing = 0; // destinations already in the folder
    std::int64_t existingBytes = 0;
};
BatchTotals batchTotals(const std::vector<BatchFile>& files, const std::string& folder);

enum class ExistingChoice { Overwrite, Skip, Cancel };
// The question of existingDestinationsQuestion when some destinations exist ("Oui" skips them,
// "Non" overwrites all); nothing is asked, and all is copied, when none does.
ExistingChoice askAboutExisting(Ui& ui, const BatchTotals& totals);
// What is left to copy once the existing destinations are skipped or not.
BatchTotals afterChoice(BatchTotals totals, ExistingChoice choice);

// What sets the multiple copy apart from the plan's copy, which are otherwise the same run.
struct BatchOptions {
    bool overwrite = true;
    // A destination skipped still has its source looked for, and is missing without it (a mark
    // stays on a row whose file is gone), rather than being done with.
    bool skippedNeedsSource = true;
    // The file a confirmed stop interrupts is done with (unmarked) rather than left as it was.
    bool stoppedIsDone = false;
    // Missing sources appear in Memo1 as they are met, each with a signal.
    bool showMissing = false;
};

// Where a file's source is, as its turn comes.
struct BatchSource {
    enum class Kind { File, Missing, Refused };
    Kind kind = Kind::File;
    std::string text; // File: its path; Missing: as the list of missing files names it; Refused: the line
};

// The caller's side of a run, asked as each file's turn comes: disks come and go during a batch,
// and what becomes of a file done with (unmarked, dropped from the plan) is the caller's.
class BatchSteps {
public:
    virtual ~BatchSteps() = default;
    virtual void starting(const BatchFile&) {}
    // By default the file's `source`, missing when no file is there.
    virtual BatchSource locate(const BatchFile& file);
    // The source failed during its copy: the missing list's text when its disk went, nothing when
    // the file itself cannot be read, which ends the run with that error.
    virtual std::optional<std::string> lostDuringCopy(const BatchFile&) { return std::nullopt; }
    virtual void done(const BatchFile&) {}
    // However the run ends, an error included.
    virtual void finished() {}
};

struct BatchOutcome {
    std::int64_t requested = 0;
    std::int64_t copied = 0;
    std::vector<std::string> missing;      // sources not found
    std::vector<std::string> refusedNames; // names the folder's file system does not take
    std::vector<std::string> refusedRows;  // rows whose cells would lead out of their folders
    bool stopped = false;
};

// How the caller says what became of the files not copied: "qui restent cochés" and "ne sont pas
// copiées et restent cochées" for marked rows.
struct BatchWording {
    std::string namesKept;
    std::string rowsKept;
};
// The error boxes of an outcome, in the order they are shown: refused names, then refused rows.
std::vector<std::string> batchErrorTexts(const BatchOutcome& outcome, const BatchWording& wording);
std::string batchSummaryText(const BatchOutcome& outcome);
// The end of a run as the user hears and reads it: the errors, the closing signal, the summary.
void reportBatch(Ui& ui, const BatchOutcome& outcome, const BatchWording& wording);

// A batch into the favourites folder, shared by the multiple copy and the copy of a disk of the
// retrieval plan: the progress panel with its counter and both bars, the lock of the windows and
// the hourglass, from construction to end() (or destruction, an error included), so that the
// report is read with the panel still up. "Annuler" (StopRequested) stops it.
class BatchCopy {
public:
    // `count` files of `total` planned bytes (an estimate) go into `folder`.
    BatchCopy(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, std::string folder,
              std::int64_t count, std::int64_t total);
    BatchCopy(const BatchCopy&) = delete;
    BatchCopy& operator=(const BatchCopy&) = delete;
    // Copies the files in turn. A name the folder's file system refuses (a ":" on a Windows file
    // system) fails that file only; a source the caller does not account for as lost, or any
    // other failure (a full disk), throws VerdanError saying what happened.
    BatchOutcome run(const std::vector<BatchFile>& files, const BatchOptions& options, BatchSteps& steps);
    void end() { m_scope->end(); }

private:
    enum class Outcome { Copied, Stopped, NameRefused, SourceFailed };
    bool runOne(const BatchFile& file, const BatchOptions& options, BatchSteps& steps, BatchOutcome& outcome);
    Outcome copy(const std::string& source, const BatchFile& file);
    void noteMissing(const std::string& text, const BatchOptions& options, BatchOutcome& outcome);

    ProgramState& m_program;
    BrowseState& m_browse;
    Ui& m_ui;
    CopyView& m_view;
    std::string m_folder;
    std::int64_t m_count;
    std::int64_t m_total;
    std::int64_t m_copiedTotal = 0;
    std::int64_t m_copiedCount = 0;
    std::string m_sourceFailure;
    std::optional<CopyScope> m_scope;
};

// The message about rows whose cells would lead out of their folders, listed one a line;
// `whatBecomes` says what became of them.
std::string refusedRowsText(const std::vector<std::string>& rows, const std::string& whatBecomes);

// The question of a batch whose destinations partly exist: skip them (`skipping` bytes left to
// copy) or overwrite all (`all` bytes).
std::string existingDestinationsQuestion(std::int64_t existing, std::int64_t skipping, std::int64_t all);

} // namespace verdan
