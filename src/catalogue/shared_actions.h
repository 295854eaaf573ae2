#pragma once
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

// " ouvrir le dossier des favoris ": the folder as it stands, unchecked.
void SpeedButton1Click(const std::string& favouritesFolder, Shell& shell);

} // namespace verdan
