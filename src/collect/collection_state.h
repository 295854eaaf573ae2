#pragma once
#include <string>

#include "catalogue/settings.h"

namespace verdan {

inline constexpr const char* kProductTitle = "V E R D A N   v 1 . 9";

// What the collection window shows, as plain state; the window displays it.
struct CollectionState {
    CurrentCatalogue catalogue;
    std::string favouritesFolder = "-/-"; // caption of Label_rep_favori
    std::string listNameBox = "liste_globale_vidéos_truc"; // Edit_nom_fic_media_sans_ext
    std::string listFolderLabel = "-/-"; // Label_repfic_media
    bool FirstActivation = true;

    // Title after every activation: the product title, six blanks, the list name shown.
    std::string windowTitle(const std::string& listNameLabel) const;
};

} // namespace verdan
