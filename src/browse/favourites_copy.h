#pragma once
#include <cstdint>
#include <memory>
#include <string>

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
// (" Arrêter la copie ?") and then leaves no destination file. `total` is read at every refresh
// (the single copy passes `size` itself, which holds the real size from the start); `size`
// receives the real size of the source. An input or output error throws VerdanError naming the
// file, and nothing is left at the destination.
CopyEnd CopyFileWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                             const std::string& source, const std::string& destination,
                             const std::int64_t& total, std::int64_t before, std::int64_t& size);

// "Copier vers les favoris" of the context panel, once the row's file is known to be there.
void copyOneToFavourites(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                         const std::string& source);

// "Copier vers les favoris" of the context panel: the checks of the current row, then its copy.
void BitBtn_copie_un_par_unClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                                 CopyView& view, const DriveRows& drives, std::size_t current);

// "Copie multiple (x)": every marked row of the visible table into the favourites folder.
// `selection` is what is highlighted in that table, marked when nothing is marked and the user
// asks for it.
void Button_copie_multipleClick(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                                const DriveRows& drives, const RowSet& selection);

// The question of a batch whose destinations partly exist: skip them (`skipping` bytes left to
// copy) or overwrite all (`all` bytes).
std::string existingDestinationsQuestion(std::int64_t existing, std::int64_t skipping, std::int64_t all);

// The copying part of a batch into the favourites folder, shared by the multiple copy and the copy
// of a disk of the retrieval plan: the progress panel with its counter and both bars, the lock of
// the windows and the hourglass, from construction to end() (or destruction, an error included).
class BatchCopy {
public:
    enum class Outcome { Copied, Stopped, NameRefused };
    // `count` files of `total` planned bytes (an estimate) go into `folder`.
    BatchCopy(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, std::string folder,
              std::int64_t count, std::int64_t total);
    ~BatchCopy();
    BatchCopy(const BatchCopy&) = delete;
    BatchCopy& operator=(const BatchCopy&) = delete;
    // One file, with `title` and `catalogueFolder` shown on the panel. A stop confirmed during it
    // leaves no destination. A name the folder refuses (a ":" on a Windows file system) is
    // NameRefused; a folder that refuses every file and any other failure throw VerdanError.
    Outcome copy(const std::string& source, const std::string& destination, const std::string& title,
                 const std::string& catalogueFolder);
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
    std::unique_ptr<Scope> m_scope;
};

// "Annuler" of the progress panel (and Escape): the copy stops after its current block.
void BitBtn3Click(ProgramState& program);

// The favourites folder's list of missing sources, as the multiple copy writes it.
inline constexpr const char* kMissingSourcesFile = "fichiers_inexistants.txt";

} // namespace verdan
