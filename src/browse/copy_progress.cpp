#include "browse/copy_progress.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/system.h"
#include "util/error.h"
#include "util/format.h"

namespace verdan {
namespace {

constexpr std::size_t kBlockSize = 262144;
constexpr int kBarMaximum = 10000;

// One block buffer for every copy of the run.
std::vector<char>& copyBuffer() {
    static std::vector<char> buffer(kBlockSize);
    return buffer;
}

} // namespace

std::string speedText(double megabytesPerSecond) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, megabytesPerSecond, std::chars_format::fixed, 2);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0.00");
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos) text.replace(dot, 1, platform::decimalSeparator());
    return text;
}

std::string remainingTimeText(std::uint32_t start, std::uint32_t now, std::int64_t total,
                              std::int64_t copied) {
    if (copied == 0) return {};
    const long double remaining = static_cast<long double>(total) - static_cast<long double>(copied);
    if (remaining <= 0) return FormatDureeHMS(0);
    const long double ms = std::nearbyint(static_cast<long double>(now - start) * remaining / copied);
    const long double most = std::numeric_limits<std::uint32_t>::max();
    return FormatDureeHMS(static_cast<std::uint32_t>(ms > most ? most : ms));
}

int progressBarPosition(std::int64_t done, std::int64_t whole) {
    if (whole <= 0 || done <= 0) return 0;
    // In long double: a 4 GiB file times 10000 is still exact, and nothing overflows.
    const long double position =
        static_cast<long double>(done) * kBarMaximum / static_cast<long double>(whole);
    return position >= kBarMaximum ? kBarMaximum : static_cast<int>(position);
}

CopyScope::CopyScope(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, bool busy)
    : m_program(program), m_browse(browse), m_ui(ui), m_view(view), m_busy(busy) {
    m_program.copyRunning = true;
    if (m_busy) m_ui.setBusy(true);
}

void CopyScope::end() {
    if (m_ended) return;
    m_ended = true;
    if (m_busy) m_ui.setBusy(false);
    m_browse.copyPanel.visible = false;
    m_browse.missingSourcesShown = false;
    m_program.copyRunning = false;
    m_view.copyProgressChanged();
}

CopyResult copyWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                            const std::string& source, const std::string& folder, std::string_view name,
                            const std::int64_t& total, std::int64_t before, std::int64_t& size,
                            platform::FileFailure& why) {
    CopyProgressPanel& panel = browse.copyPanel;
    size = FileSize64(source);
    const std::uint32_t t0 = browse.tick();
    std::uint32_t tLast = t0;
    panel.speed = "0 Mo/s";
    panel.fileBar = 0;
    view.copyProgressChanged();
    std::int64_t copied = 0;
    const CopyResult result = copyThroughTemporary(
        source, folder, name, copyBuffer(),
        [&](std::int64_t done) {
            copied = done;
            const std::uint32_t now = browse.tick();
            if (now - tLast > 1000 && now - t0 > 0) {
                panel.speed =
                    speedText(static_cast<double>(done) / 1024 / 1024 / ((now - t0) / 1000.0)) + " Mo/s";
                tLast = now;
                const std::string remaining =
                    remainingTimeText(browse.batchStartTick, now, total, before + done);
                if (!remaining.empty()) panel.remaining = remaining;
            }
            if (size > 0) panel.fileBar = progressBarPosition(done, size);
            view.copyProgressChanged();
            ui.processEvents();
            if (program.StopRequested) {
                if (ui.ask(DialogType::Confirmation, " Arrêter la copie ?",
                           {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes)
                    return false;
                program.StopRequested = false;
            }
            return true;
        },
        &why);
    if (result == CopyResult::Copied) {
        const std::uint32_t elapsed = browse.tick() - t0;
        if (elapsed > 0)
            panel.speed = "Vitesse moyenne : " +
                          speedText(static_cast<double>(copied) / 1024 / 1024 / (elapsed / 1000.0)) + " Mo/s";
        // A file that grew since its size was read is counted as copied.
        size = std::max(size, copied);
        view.copyProgressChanged();
    }
    return result;
}

CopyEnd CopyFileWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                             const std::string& source, const std::string& folder, std::string_view name,
                             const std::int64_t& total, std::int64_t before, std::int64_t& size) {
    platform::FileFailure why{};
    const CopyResult result =
        copyWithProgress(program, browse, ui, view, source, folder, name, total, before, size, why);
    if (result == CopyResult::Copied) return CopyEnd::Copied;
    if (result == CopyResult::Abandoned) return CopyEnd::Stopped;
    throw VerdanError(copyFailureText(result, source, pathInFolder(folder, name), why));
}

} // namespace verdan
