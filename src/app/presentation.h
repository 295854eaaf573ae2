#pragma once
#include <array>

#include <QColor>
#include <QMargins>
#include <QSize>

#include "catalogue/global_list.h"

// How the windows present the core's state: colours, sizes in pixels and the hint (tooltip) texts.

// Display widths of the global list's columns in pixels, by position (set when the window is created).
inline constexpr std::array<int, verdan::kListColumns> kColumnWidths = {42, 70, 70, 340, 40, 60, 450,
                                                                        70, 30, 70, 70,  70, 70, 22};

// Rows of the table are 2 x size - 2 pixels high: 8 gives 14, 15 gives 28.
inline int rowHeightOfFontSize(int size) {
    return 2 * size - 2;
}

// Backgrounds of the windows and of their panels.
namespace colours {
inline constexpr QColor kCollectionWindow(243, 244, 235);
inline constexpr QColor kGlobalListWindow(255, 250, 217);
// The panel a right click on a file opens, in both windows (Panel1).
inline constexpr QColor kFilePanel(255, 250, 217);
// The help text's panel, in both windows (Panel2).
inline constexpr QColor kHelpPanel(255, 255, 225);
// Panels that say something is under way or wrong: loading, copying, N/A files, renaming.
inline constexpr QColor kNotice(255, 255, 170);
// The disks to plug in for a planned copy.
inline constexpr QColor kPlanPanel(236, 244, 255);
} // namespace colours

namespace pixels {
// Both windows open at this size, cut to the screen.
inline constexpr QSize kWindowSize(1561, 751);
inline constexpr QMargins kWindowMargins(4, 4, 4, 4);
// Waiting panels sit this far below the centre of the window they cover; the copy panel this far
// above the bottom of its window.
inline constexpr int kWaitingPanelBelowCentre = 100;
inline constexpr int kCopyPanelAboveBottom = 100;
// Bands and columns of controls: their margins, the space between their rows and between cells.
inline constexpr QMargins kBandMargins(6, 4, 6, 4);
inline constexpr int kRowSpacing = 3;
inline constexpr int kCellSpacing = 8;
// The loading panels of both windows and their bold text.
inline constexpr QSize kLoadingPanel(320, 80);
inline constexpr int kLoadingTextPixels = 16;

// Collection window.
// Between the parameter band's groups (the list, the media categories, the favourites).
inline constexpr int kParameterGroupSpacing = 12;
inline constexpr int kListNameEditWidth = 160;
inline constexpr int kMinimumSizeEditWidth = 60;
inline constexpr int kMediaKindEditWidth = 90;
inline constexpr int kExtensionFilterEditWidth = 220;
// The buttons of the numbered steps, and the one to the global list.
inline constexpr int kStepButtonHeight = 34;
inline constexpr int kDriveRowHeight = 18;
inline constexpr int kDriveColumnWidth = 110; // mount points on Linux are longer than "D:"
inline constexpr int kDriveDetailColumnWidth = 84;
inline constexpr int kDriveTableMinWidth = 300;
// The file panel (Panel1): its width, margin, and the gaps under its first line and above its buttons.
inline constexpr int kFilePanelWidth = 500;
inline constexpr int kFilePanelMargin = 10;
inline constexpr int kFilePanelLineGap = 4;
inline constexpr int kFilePanelButtonGap = 12;
// The rename panel (Panel3): its offset from the window's corner, and how much narrower it is.
inline constexpr int kRenamePanelOffset = 20;
inline constexpr int kRenamePanelNarrowing = 50;

// Global-list window.
inline constexpr int kSearchEditWidth = 260;
inline constexpr QMargins kSearchBoxMargins(4, 2, 4, 2);
inline constexpr QMargins kSidePanelMargins(6, 0, 0, 0);
inline constexpr int kSidePanelWidth = 440;
inline constexpr int kHelpButtonWidth = 32;
inline constexpr QSize kCopyPanel(520, 200);
// The file panel (Panel1): its height, its labels' left offset, first top and line height, the top
// and height of its buttons.
inline constexpr int kListFilePanelHeight = 120;
inline constexpr int kListFilePanelLabelLeft = 10;
inline constexpr int kListFilePanelLabelsTop = 8;
inline constexpr int kListFilePanelLine = 22;
inline constexpr int kListFilePanelButtonsTop = 80;
inline constexpr int kListFilePanelButtonHeight = 28;
// The panel of planned disks: its column widths, the room a button gets beyond its style's hint,
// its width bounds, height, gap to the table's edges and offset below the table's top.
inline constexpr int kPlanNameColumnWidth = 150;
inline constexpr int kPlanSerialColumnWidth = 90;
inline constexpr int kPlanFilesColumnWidth = 60;
inline constexpr int kPlanSizeColumnWidth = 90;
inline constexpr int kPlanButtonSlack = 12;
inline constexpr int kPlanPanelMinWidth = 360;
inline constexpr int kPlanPanelMaxWidth = 620;
inline constexpr int kPlanPanelHeight = 300;
inline constexpr int kPlanPanelGap = 10;
inline constexpr int kPlanPanelBelowTableTop = 40;
} // namespace pixels

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
