#pragma once
#include <string>

#include "catalogue/index_keys.h"
#include "catalogue/program_state.h"

namespace verdan {

inline constexpr const char* kHelpTextSimple =
    " - double click sur les intitulés pour trier \n   et sur les titres pour  les visionner \n"
    " - click droit pour un choix multiple, gauche pour le nom dans le presse-papier";
inline constexpr const char* kHelpTextAdvancedLine =
    " - touche SUPPR ou bouton pour effacer la sélection    ";

// What the collection window shows of its own, as plain state; the window displays it.
struct CollectionState {
    bool FirstActivation = true;
    std::string HelpTextSimple;
    std::string HelpTextAdvanced;
    std::string Label17;
    IndexLevelControls indexControls;
    // Lines of the found list (filled by the scan); quitting asks about lines never added.
    std::size_t foundLines = 0;

    // Title after every activation: the product title, six blanks, the list name shown.
    static std::string windowTitle(const std::string& listNameLabel);
};

} // namespace verdan
