#include "collect/dvd_import.h"

#include <ctime>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/contained_paths.h"
#include "catalogue/list_file.h"
#include "collect/collection_state.h"
#include "collect/found_line.h"
#include "collect/new_row.h"
#include "collect/scan.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"
#include "util/repair.h"
#include "util/text.h"

namespace verdan {
namespace {

constexpr std::size_t kDvdBatch = 1 << 16;

// Calls fn with each line of `text`, ended by CR LF, LF or CR alone (none after the last line end).
template <class Fn> void forEachLine(std::string_view text, Fn&& fn) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            fn(text.substr(start));
            return;
        }
        fn(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

} // namespace

std::string convertDvdLine(std::string_view line) {
    return PadLeftPairs(ExtractField(line, 1, '\t'), 4) + " - :\\" + ExtractField(line, 2, '\t');
}

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    // The user-interface thread is the only caller: localtime's shared buffer is safe here.
    const std::tm* local = std::localtime(&now);
    char buffer[16] = {};
    if (!local || std::strftime(buffer, sizeof buffer, "%Y-%m-%d", local) == 0) return "0000-00-00";
    return buffer;
}

void importDvdList(CollectionState& state, Ui& ui, const std::string& today) {
    const std::optional<std::string> chosen =
        ui.chooseFile("Rajout d'une liste de DVD", "Fichier Texte (*.txt *.TXT)", "");
    if (!chosen) return;
    // A scan still running would go on filling the list the DVDs now take.
    abandonScan(state, ui);
    state.drives.setCurrentRow(0);
    state.folders.clear();
    state.clearFound();

    std::string bytes;
    if (platform::readWholeFile(*chosen, bytes) != platform::ReadStatus::Ok)
        throw VerdanError(msg::cannotOpen(*chosen));
    // A spreadsheet's UTF-8 export starts with a byte-order mark, which must not become part of
    // the first number; the repair then turns its accents back from their Windows-1252 reading.
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    RepairAccents(bytes);

    // The lines go to the found list by batches, which keeps one of equal lines: a file of a
    // million blank lines costs one line, not a million. A line that repeats the one before gives
    // the same entry and is not even made again.
    std::vector<std::string> batch, refused;
    std::string_view previous;
    bool header = true, first = true;
    forEachLine(bytes, [&](std::string_view line) {
        if (std::exchange(header, false)) return;
        // Cut as a list line is cut: a longer one could not be stored in a catalogue row.
        line = line.substr(0, kMaxListLine);
        if (!std::exchange(first, false) && line == previous) return;
        previous = line;
        const std::string text = cp1252::decode(line);
        std::string entry = makeDvdFoundLine(today, convertDvdLine(text));
        // The name the row will hold is a file name in the favourites folder when the DVD is
        // copied: one that would leave it ("AC/DC", "..") is refused now, with its line.
        const std::string_view name = fileNameOf(splitFoundLine(entry).path, FoundKind::Dvd);
        if (!name.empty() && !isPlainFileName(name)) {
            refused.push_back(ExtractField(text, 1, '\t') + " - " + ExtractField(text, 2, '\t'));
            return;
        }
        batch.push_back(std::move(entry));
        if (batch.size() == kDvdBatch) {
            state.found.insert(std::move(batch));
            batch.clear();
        }
    });
    state.found.insert(std::move(batch));
    state.foundCountCaption = toText(static_cast<long long>(state.found.size()));
    // The count is on screen before any message.
    if (state.onScanChanged) state.onScanChanged();
    if (!refused.empty())
        ui.ask(DialogType::Warning,
               " " + toText(static_cast<long long>(refused.size())) +
                   " titre(s) refusé(s) : un titre ne peut contenir « / » ni n'être fait que de points, "
                   "son nom sortirait du dossier des favoris. \n" +
                   listedLines(refused),
               {DialogButton::Ok});
    if (state.found.empty()) ui.showInfo("Aucun média de trouvé ");
}

} // namespace verdan
