#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "browse/browse_state.h"
#include "catalogue/file_copy.h"
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

// A progress bar's position (0 to 10000) for `done` of `whole`, capped at the end.
int progressBarPosition(std::int64_t done, std::int64_t whole);

// Puts the panel, the pointer and the lock back however the copy ends, an error included.
class CopyScope {
public:
    CopyScope(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, bool busy);
    ~CopyScope() { end(); }
    CopyScope(const CopyScope&) = delete;
    CopyScope& operator=(const CopyScope&) = delete;
    void end();

private:
    ProgramState& m_program;
    BrowseState& m_browse;
    Ui& m_ui;
    CopyView& m_view;
    bool m_busy;
    bool m_ended = false;
};

// What CopyFileWithProgress does, its failure returned rather than thrown: `why` receives what the
// system said of a destination it could not make or write.
CopyResult copyWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                            const std::string& source, const std::string& folder, std::string_view name,
                            const std::int64_t& total, std::int64_t before, std::int64_t& size,
                            platform::FileFailure& why);

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

} // namespace verdan
