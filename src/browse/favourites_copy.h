#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"
#include "catalogue/drive_lookup.h"
#include "util/ui.h"

namespace verdan {

// What a copy asks of the window: the progress panel and the list of missing sources changed and
// are to be painted before the pending events are handled.
class CopyView {
public:
    virtual ~CopyView() = default;
    virtual void copyProgressChanged() = 0;
};

// "%.2f" of a speed in Mo/s, with the user's decimal separator.
std::string speedText(double megabytesPerSecond);
// The remaining time of a copy at `now`: the time spent since `start` stretched over the bytes
// left of `total`, halves rounded to even. Empty (no estimate) before any byte; a planned total
// already passed gives 0.
std::string remainingTimeText(std::uint32_t start, std::uint32_t now, std::int64_t total,
                              std::int64_t copied);

enum class CopyEnd { Copied, Stopped };

// CopyFileWithProgress: copies in blocks of 256 KiB, with the panel's bar, speed and remaining
// time, handling the pending events after every block; a stop asked meanwhile is confirmed
// (" Arrêter la copie ?") and then leaves no destination file. The destination is `name` in
// `folder`, once it is one plain file name there. `total` is read at every refresh (the single
// copy passes `size` itself, which holds the real size from the start); `size` receives the real
// size of the source. An input or output error throws VerdanError naming the file and what
// happened, and nothing is left at the destination.
CopyEnd CopyFileWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                             const std::string& source, const std::string& folder, std::string_view name,
                             const std::int64_t& total, std::int64_t before, std::int64_t& size);

// "Copier vers les favoris" of the context panel, once the row's file is known to be there.
void copyOneToFavourites(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                         const std::string& source);

// "Copier vers les favoris" of the context panel: the checks of the current row, then its copy.
void BitBtn_copie_un_par_unClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                                 CopyView& view, const DriveRows& drives, std::size_t current);

// "Copie multiple (x)": every marked row of the visible table into the favourites folder.
// `selection` is what is highlighted in that table, marked when nothing is marked and the user
// asks for it. `drives` are the drives at the click; `recheckDrives`, when given, tells which are
// there now, asked when a file of a present disk cannot be found or read: an unplugged disk's
// files join the retrieval plan instead of ending the copy.
void Button_copie_multipleClick(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                                const DriveRows& drives, const RowSet& selection,
                                const std::function<DriveRows()>& recheckDrives = {});

// The message about rows whose cells would lead out of their folders, listed one a line;
// `whatBecomes` says what became of them.
std::string refusedRowsText(const std::vector<std::string>& rows, const std::string& whatBecomes);

// The question of a batch whose destinations partly exist: skip them (`skipping` bytes left to
// copy) or overwrite all (`all` bytes).
std::string existingDestinationsQuestion(std::int64_t existing, std::int64_t skipping, std::int64_t all);

// The copying part of a batch into the favourites folder, shared by the multiple copy and the copy
// of a disk of the retrieval plan: the progress panel with its counter and both bars, the lock of
// the windows and the hourglass, from construction to end() (or destruction, an error included).
class BatchCopy {
public:
    enum class Outcome { Copied, Stopped, NameRefused, SourceFailed };
    // `count` files of `total` planned bytes (an estimate) go into `folder`.
    BatchCopy(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, std::string folder,
              std::int64_t count, std::int64_t total);
    ~BatchCopy();
    BatchCopy(const BatchCopy&) = delete;
    BatchCopy& operator=(const BatchCopy&) = delete;
    // One file, to `name` in the folder, with `title` and `catalogueFolder` shown on the panel. A
    // stop confirmed during it leaves no destination. A name the folder's file system refuses (a
    // ":" on a Windows file system) is NameRefused; a source that cannot be opened or read is
    // SourceFailed (sourceFailure() says it), for the caller to tell an unplugged disk from a
    // damaged file; any other failure (a full disk) throws VerdanError saying what happened.
    Outcome copy(const std::string& source, std::string_view name, const std::string& title,
                 const std::string& catalogueFolder);
    const std::string& sourceFailure() const { return m_sourceFailure; }
    std::int64_t copiedCount() const { return m_copiedCount; }
    void end();

private:
    class Scope;
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
    std::unique_ptr<Scope> m_scope;
};

// "Annuler" of the progress panel (and Escape): the copy stops after its current block.
void BitBtn3Click(ProgramState& program);

// The favourites folder's list of missing sources, as the multiple copy writes it.
inline constexpr const char* kMissingSourcesFile = "fichiers_inexistants.txt";

} // namespace verdan
