#pragma once
#include <optional>
#include <string>

#include "catalogue/program_state.h"
#include "util/ui.h"

// Actions that both windows run.
namespace verdan {

// "Vider la liste" (also list creation): after the user's confirmation the table becomes the empty
// list, the key set and the disk list are emptied, ListModified is set and the parameter file is
// saved. False when there was nothing to delete or the user declined.
bool Button_vider_bdClick(ProgramState& program, Ui& ui);

// "Répertoire des favoris": the chosen folder (created on request when it does not exist yet)
// becomes the favourites folder of both windows. False when nothing changed.
bool BitBtn_rep_favoriClick(ProgramState& program, Ui& ui);

// The folder choice "Sélection du répertoire": a folder typed that does not exist is created after
// the question. Nothing when the user cancels, declines or the folder cannot be made.
std::optional<std::string> chooseFolderCreating(Ui& ui, const std::string& initialFolder);

// "Répertoire listes médias": the current catalogue moves to the chosen folder. Nothing is loaded
// or written until the next save; the parameter file is written at the latest when quitting.
bool BitBtn_nomfic_mediaClick(ProgramState& program, Ui& ui);

// " ouvrir le dossier des favoris ": the folder as it stands, unchecked.
void SpeedButton1Click(const std::string& favouritesFolder, Shell& shell);

} // namespace verdan
