#include "collect/found_actions.h"

#include <algorithm>

#include "catalogue/drive_lookup.h"
#include "catalogue/file_copy.h"
#include "collect/collection_state.h"
#include "collect/new_row.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/format.h"
#include "util/safe_open.h"

namespace verdan {

std::string foundListHint(const CollectionState& state, std::optional<std::size_t> index) {
    if (!index || *index >= state.found.size()) return {};
    const std::string& line = state.found.at(*index);
    return toText(static_cast<long long>(*index)) + "   " + std::string(fileNameOf(line, FoundKind::File)) +
           "   ";
}

bool openFoundFilePanel(CollectionState& state, std::optional<std::size_t> currentLine,
                        const FoundListSurroundings& a,
                        const std::function<int(const std::string&)>& textWidth) {
    if (!currentLine || *currentLine >= state.found.size()) return false;
    const std::string path = foundLinePath(state.found.at(*currentLine));
    if (path.empty()) return false;
    state.selectedFoundFile = path;
    state.selectedFoundFolder = folderOfPath(path);
    FoundFilePanel& panel = state.foundPanel;
    panel.fileName = fileNameOfPath(path);
    panel.folder = state.selectedFoundFolder;
    // Wide enough for the name, and for each button's caption whole.
    panel.width = std::max({textWidth(panel.fileName) + 2 * a.labelLeft, 500, 4 * a.minButtonWidth + 50});
    panel.buttonWidth = (panel.width - 50) / 4;
    for (int i = 0; i < 4; ++i)
        panel.buttonLefts[static_cast<std::size_t>(i)] = 10 + i * (panel.buttonWidth + 10);
    // Placed with its own new width, so that a wide panel stays within the list, and never beyond
    // the window's left or top edge, where its first button would be out of reach. It opens just
    // under the pointer: the pointer's height is counted from the list's top, as the window sees it.
    panel.left = std::max(0, std::min(a.listLeft + a.x, a.listLeft + a.listWidth - panel.width));
    panel.top = std::max(0, std::min(a.listTop + a.y + 25, a.listTop + a.listHeight - a.panelHeight - 35));
    panel.visible = true;
    state.foundHintsOn = false;
    return true;
}

void hideFoundFilePanel(CollectionState& state) {
    state.foundPanel.visible = false;
    state.foundHintsOn = true;
}

void showFoundFileFolder(CollectionState& state, Shell& shell) {
    hideFoundFilePanel(state);
    shell.showInFileManager(state.selectedFoundFile);
}

void copyFoundFileToFavourites(CollectionState& state, const ProgramState& program, Ui& ui,
                               const std::function<void(const std::string&)>& status) {
    BusyScope busy(ui);
    CopyFileWithConfirm(ui, state.selectedFoundFile, program.settings.favouritesFolder, status);
    hideFoundFilePanel(state);
}

namespace {

void openPath(CollectionState& state, Ui& ui, Shell& shell, const std::string& path, FoundSource source,
              const std::function<void()>& repaint) {
    if (path.empty()) return;
    if (platform::isFile(path)) {
        openDocumentSafely(ui, shell, path, state.foundExtensions);
        return;
    }
    const std::string name = fileNameOfPath(path);
    const std::string bare(splitFileName(name).titre);
    if (source == FoundSource::FoundList) {
        state.renamePanelName = name;
        state.renamePanelVisible = true;
        // The panel names the file while the question is asked.
        if (repaint) repaint();
    }
    const bool yes =
        ui.ask(DialogType::Confirmation,
               path + "\n\n" + " Ce fichier semble introuvable, peut-être dû à des caractères spéciaux \n\n" +
                   "  (oui) => Renommer ce fichier dans le répertoire\n\n" +
                   "      le presse_papier contient le nom corrigé : " + bare + "\n\n\n" +
                   "  (non) => ignorer ",
               {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes;
    if (!yes) {
        state.renamePanelVisible = false;
        return;
    }
    CopyTextToClipboard(ui, bare);
    shell.openFolder(folderOfPath(path));
}

} // namespace

void playFoundFile(CollectionState& state, Ui& ui, Shell& shell, const std::function<void()>& repaint) {
    hideFoundFilePanel(state);
    openPath(state, ui, shell, state.selectedFoundFile, FoundSource::FoundList, repaint);
}

void openFoundLine(CollectionState& state, Ui& ui, Shell& shell, std::string_view line, FoundSource source,
                   const std::function<void()>& repaint) {
    openPath(state, ui, shell, foundLinePath(line), source, repaint);
}

void deleteFoundLines(CollectionState& state, Ui& ui, const std::vector<std::size_t>& selected) {
    // By their texts: a scan may add lines while the question waits, which moves the positions.
    std::vector<std::string> lines;
    for (std::size_t i : selected)
        if (i < state.found.size()) lines.push_back(state.found.at(i));
    if (lines.empty()) return;
    if (ui.ask(DialogType::Confirmation, " Effacer le ou les médias sélectionnés  ?",
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return;
    std::vector<std::size_t> positions;
    for (const std::string& line : lines)
        if (const auto at = state.found.indexOf(line)) positions.push_back(*at);
    state.found.erase(std::move(positions));
}

char filterBoxCharacter(char typed) {
    return typed == ';' || typed == ':' || typed == '.' ? ',' : typed;
}

const char* defaultFilter(int category) {
    return category == 0 ? "avi, mp4, mkv, mov, wmv, flv, vob, ts"
                         : "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi";
}

} // namespace verdan
