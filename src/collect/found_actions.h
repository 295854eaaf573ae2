#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/program_state.h"
#include "collect/collection_types.h"
#include "collect/found_line.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// The hint of the found list for the line under the pointer: its position, three blanks, the last
// part of its path, three blanks. Empty when no line is there.
std::string foundListHint(const CollectionState& state, std::optional<std::size_t> index);

// What the window knows of the found list when the right button goes down, in the window's
// coordinates except the pointer, which is in the list's own.
struct FoundListSurroundings {
    int x = 0;
    int y = 0;
    int listLeft = 0;
    int listTop = 0;
    int listWidth = 0;
    int listHeight = 0;
    int panelHeight = 0;
    int labelLeft = 0;      // of Label11 inside the panel
    int minButtonWidth = 0; // what the widest button caption needs
};

// ListBox_media_un_hdMouseDown with the right button: the current line becomes the selected found
// file and the panel opens over the list. False (nothing done) without a non-empty current line.
bool openFoundFilePanel(CollectionState& state, std::optional<std::size_t> currentLine,
                        const FoundListSurroundings& around,
                        const std::function<int(const std::string&)>& textWidth);
// Every way of leaving the panel: hidden, the list's hints back.
void hideFoundFilePanel(CollectionState& state);

// "Ouvrir le dossier": the file manager with the selected found file chosen.
void showFoundFileFolder(CollectionState& state, Shell& shell);
// "Copier vers les favoris": the copy with its confirmations into the favourites folder.
void copyFoundFileToFavourites(CollectionState& state, const ProgramState& program, Ui& ui,
                               const std::function<void(const std::string&)>& status);
// "Visionner/écouter": the panel hides and the file opens, or the rename help starts. `repaint`
// shows the rename panel before the question.
void playFoundFile(CollectionState& state, Ui& ui, Shell& shell, const std::function<void()>& repaint);

enum class FoundSource { FoundList, UnreadableList };
// ListBox_media_un_hdDblClick: opens the file of `line`; when the name does not reach the file
// (special characters), offers to put the corrected name on the clipboard and opens its folder.
// The rename panel shows for the found list only.
void openFoundLine(CollectionState& state, Ui& ui, Shell& shell, std::string_view line, FoundSource source,
                   const std::function<void()>& repaint);

// BitBtn_deleteClick (and the Delete key in the found list): the highlighted lines go after a
// question. The count of found files stays as the scan left it.
void deleteFoundLines(CollectionState& state, Ui& ui, const std::vector<std::size_t>& selected);

// A character typed in a filter box: ";", ":" and "." become ",".
char filterBoxCharacter(char typed);
// The default filter of a category (0 or 1), set by a double click in its box.
const char* defaultFilter(int category);

} // namespace verdan
