#include "collect/dvd_import.h"

#include <ctime>
#include <vector>

#include "catalogue/contained_paths.h"
#include "collect/collection_state.h"
#include "collect/new_row.h"
#include "collect/scan.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"
#include "util/repair.h"
#include "util/text.h"

namespace verdan {

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

void BitBtn5Click(CollectionState& state, Ui& ui, const std::string& today) {
    const std::optional<std::string> chosen =
        ui.chooseFile("Rajout d'une liste de DVD", "Fichier Texte (*.txt *.TXT)", "");
    if (!chosen) return;
    // A scan still running would go on filling the list the DVDs now take.
    abandonScan(state, ui);
    state.drives.setCurrentRow(0);
    state.folders.clear();
    state.found.clear();

    std::string bytes;
    if (platform::readWholeFile(*chosen, bytes) != platform::ReadStatus::Ok)
        throw VerdanError(msg::cannotOpen(*chosen));
    // A spreadsheet's UTF-8 export starts with a byte-order mark, which must not become part of
    // the first number; the repair then turns its accents back from their Windows-1252 reading.
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    RepairAccents(bytes);
    const std::string text = cp1252::decode(bytes);
    const std::vector<std::string_view> lines = splitLines(text);
    std::vector<std::string> found, refused;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string line = today + "  >   -DVD" + convertDvdLine(lines[i]);
        // The name the row will hold is a file name in the favourites folder when the DVD is
        // copied: one that would leave it ("AC/DC", "..") is refused now, with its line.
        const std::string_view name = fileNameOf(splitFoundLine(line).path, FoundKind::Dvd);
        if (!name.empty() && !isPlainFileName(name)) {
            refused.push_back(ExtractField(lines[i], 1, '\t') + " - " + ExtractField(lines[i], 2, '\t'));
            continue;
        }
        found.push_back(std::move(line));
    }
    state.found.insert(std::move(found));
    state.foundCountCaption = toText(static_cast<long long>(state.found.size()));
    // The count is on screen before any message.
    if (state.onScanChanged) state.onScanChanged();
    if (!refused.empty()) {
        std::string lines;
        for (const std::string& r : refused) lines += "\n    " + r;
        ui.ask(DialogType::Warning,
               " " + toText(static_cast<long long>(refused.size())) +
                   " titre(s) refusé(s) : un titre ne peut contenir « / » ni n'être fait que de points, "
                   "son nom sortirait du dossier des favoris. \n" +
                   lines,
               {DialogButton::Ok});
    }
    if (state.found.empty()) ui.showInfo("Aucun média de trouvé ");
}

} // namespace verdan
