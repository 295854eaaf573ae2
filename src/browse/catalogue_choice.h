#pragma once
#include <string>

#include "browse/list_commands.h"
#include "catalogue/program_state.h"
#include "util/ui.h"

// Switching between catalogues and creating them, from either window.
namespace verdan {

// Copied to make the list file of a new, empty catalogue; it lies beside the executable.
inline constexpr const char* kEmptyListTemplate = "liste_vide.txt0";

// What a change of catalogue asks of the windows; showLoadingPanel is the reload's Panel4.
class CatalogueChoiceView : public ListCommandsView {
public:
    // Panel4 of the global-list window and Panel_attendre, both placed over the collection
    // window and painted at once.
    virtual void showWaitingPanels(bool shown) = 0;
    virtual void focusGlobalListButton() = 0;
};

// The question of "Choisir *.prm => ": N media of categories C against the K keys of the current list.
std::string replaceOrCompleteQuestion(std::int64_t mediaCount, const std::string& categories,
                                      std::size_t keys);

// The categories of a parameter file as the question names them ("vidéos+musiques", "médias" when
// it names none), read as plain lines so that a damaged file still gives what it holds.
std::string categoriesOfParamFile(const std::string& paramFilePath);

// BitBtn_fic_lstClick ("Choisir *.prm => ", and "Choisir => " of the global-list window): a
// parameter file chosen, its catalogue replaces or completes the current list. Answering
// "Annuler" leaves the current catalogue as it was.
void BitBtn_fic_lstClick(ProgramState& program, Ui& ui, CatalogueChoiceView& view);

// Enter in the list-name box: `typed` names the catalogue to switch to, or to create from the
// current list or empty.
void Edit_nom_fic_media_sans_extKeyDown(ProgramState& program, Ui& ui, CatalogueChoiceView& view,
                                        const std::string& typed);

} // namespace verdan
