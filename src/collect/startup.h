#pragma once
#include "catalogue/settings.h"
#include "collect/collection_state.h"
#include "util/ui.h"

namespace verdan {

// Hints given at the first activation, in place of the windows' own.
namespace hints {
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
} // namespace hints

// What the opening sequence asks of the windows: screens, bounds and waiting panels.
class StartupView {
public:
    virtual ~StartupView() = default;
    virtual ScreenInfo screenInfo() = 0;
    // The windows' bounds before the settings file moves them.
    virtual void currentBounds(WindowGeometry& form1, WindowGeometry& form2) = 0;
    // The settings, parameters and texts are read: the widgets take them (no save is triggered).
    virtual void applyState() = 0;
    // Advanced mode: Panel_attendre over the collection window, painted at once.
    virtual void showLoadingPanel(bool shown) = 0;
    // Basic mode or empty list: the global-list window shown with its Panel4.
    virtual void showGlobalListLoading(bool shown) = 0;
    // What BitBtn_form2_bis does: the global-list window in the collection window's place.
    virtual void showGlobalListWindow() = 0;
    virtual void focusGlobalListButton() = 0;
};

// Asked at start-up when the list file is missing but its backup is there.
std::string restoreQuestion(const std::string& listFile, const std::string& backup, std::int64_t mediaCount);

// The question of the advanced mode before loading.
std::string loadQuestion(std::int64_t mediaCount, const std::string& media1, const std::string& media2,
                         const std::string& listFileName);

// The loading steps: the list file in replace mode, the key set, the counts and the disk list.
void loadCurrentList(ProgramState& program, Ui& ui, bool keepKeys);

// First activation of the collection window. Throws VerdanError when the list file exists but
// cannot be read: FirstActivation then stays set and the next activation tries again.
void openingSequence(ProgramState& program, CollectionState& form1, Ui& ui, StartupView& view);

// Every activation, after the opening sequence: the title, and every mark cleared.
std::string activate(ProgramState& program);

} // namespace verdan
