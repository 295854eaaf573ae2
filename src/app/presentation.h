#pragma once
#include <array>

#include "catalogue/global_list.h"

// How the windows present the core's state: sizes in pixels and the hint (tooltip) texts.

// Display widths of the global list's columns in pixels, by position (set when the window is created).
inline constexpr std::array<int, verdan::kListColumns> kColumnWidths = {42, 70, 70, 340, 40, 60, 450,
                                                                        70, 30, 70, 70,  70, 70, 22};

// Rows of the table are 2 x size - 2 pixels high: 8 gives 14, 15 gives 28.
inline int rowHeightOfFontSize(int size) {
    return 2 * size - 2;
}

// Hints given at the first activation, in place of the windows' own.
namespace hints {
inline constexpr const char* kIndexLevel = "\n Vers un index faible (ex. idx1) -> plus de doublons "
                                           "-> liste plus petite : une réindexation suffit. "
                                           "\n\n Vers un index élevé (ex. idx4) -> moins de doublons "
                                           "-> liste plus grande : un re-scan des disques "
                                           "est nécessaire. \n";
inline constexpr const char* kReindex =
    "\n Après diminution de l'index, Réindexer pour éliminer les doublons du coup présents dans la liste "
    "globale. \n\n Après une augmentation de l'index, un re-scan des disques est à enviseager \n";
inline constexpr const char* kDvdImport =
    "  Le fichier doit contenir au moins deux colonnes et une ligne d'intitulés de colonnes   \n"
    "    Ex:  n    titre  etc...   avec tabulation comme séparateur ";
inline constexpr const char* kListChoice =
    "\n    Sélection de la liste des médias (vidéos, musiques, etc.)           \n\n"
    "    Chaque liste globale est enregistrée dans un fichier *.txt          \n\n"
    "    Un fichier de paramètres (*.prm) lui est automatiquement associé    \n";
inline constexpr const char* kFavourites =
    "  Dossier des favoris : le fichier sélectionné dans le tableau y est copié.  \n\n"
    "  Un clic droit sur un fichier permet :\n    - d'ouvrir son dossier\n    - de le copier vers ce "
    "dossier\n"
    "    - de le visionner";
inline constexpr const char* kSearch =
    "\n  recherche de la troisième colonne [ média ] à la colonne [ taille ]  \n";
inline constexpr const char* kListName =
    "  Validez avec la touche Entrée pour créer une nouvelle liste \n  si elle n'existe pas encore.        "
    "                       \n\n  Le fichier de paramètres (*.prm) est créé automatiquement.  ";
inline constexpr const char* kMultipleCopy =
    "  Copie tous les fichiers cochés vers les favoris.\n\n  Peut aussi simplement calculer le volume total "
    "à "
    "copier,\n  avec ou sans prise en compte des doublons.\n\n  La copie n'est pas lancée automatiquement.";
inline constexpr const char* kPlannedDisks =
    "  Disques à brancher : les fichiers cochés restés sur des disques absents\n"
    "  lors d'une copie multiple, disque par disque (nombre et taille).\n\n"
    "  Dès qu'un de ces disques est branché, la copie de ses fichiers est proposée.";
} // namespace hints
