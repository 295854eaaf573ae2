#pragma once
#include <array>
#include <string>

#include "catalogue/ini_file.h"
#include "catalogue/list_paths.h"
#include "util/ui.h"

namespace verdan {

struct WindowGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int state = 0; // 0 normal, 1 minimised, 2 maximised
    bool operator==(const WindowGeometry&) const = default;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

void SaveWindowBounds(IniFile& ini, const std::string& section, const WindowGeometry& window);
// Where the window goes: stored bounds kept on the work area, defaults centring the current size.
WindowGeometry LoadWindowBounds(const IniFile& ini, const std::string& section, const WindowGeometry& current,
                                int screenWidth, int screenHeight, const ScreenRect& workArea);

// What the settings file holds (the widgets display these values).
struct SettingsState {
    std::string favouritesFolder;
    std::string listName;
    std::string listFolder;
    WindowGeometry collectionWindow; // section Form1
    WindowGeometry globalListWindow; // section Form2
    bool advancedMode = true;
};

struct ScreenInfo {
    int width = 1920;
    int height = 1080;
    ScreenRect workArea{0, 0, 1920, 1040};
};

// The settings file: the executable's path with ".ini" (here: the program folder + "verdan.ini").
std::string settingsFilePath(const std::string& programFolder);

// Reads every item; missing keys take their defaults (program folder + "favoris" / "listes").
// `state.collectionWindow` and `state.globalListWindow` hold the windows' current bounds on entry.
void lire_fic_ini(const std::string& iniPath, const std::string& programFolder, const ScreenInfo& screen,
                  SettingsState& state);
// Throws VerdanError("Impossible d'écrire dans ...").
void enreg_fic_ini(const std::string& iniPath, const SettingsState& state);

struct MediaCategory {
    std::string name;
    std::string extensionFilter;
    std::string minimumSize;
    bool minimumSizeOn = false;
    bool operator==(const MediaCategory&) const = default;
};

constexpr const char* kFontSizes[] = {"8", "10", "12", "15"};

// What the parameter file of a catalogue holds.
struct CatalogueParams {
    std::string dateLabel = "Date de la modification";
    int indexLevel = 1; // 0..3 for idx1..idx4
    int fontIndex = 0;  // position in kFontSizes, -1 when none is chosen
    // A parameter file has set the font size; until then the table keeps its creation look.
    bool fontRead = false;
    std::array<MediaCategory, 2> media{{{"vidéos", "avi, mp4, mkv, mov, wmv, flv, vob, ts", "10", false},
                                        {"musiques", "mp3, ogg, mp4a", "10", false}}};

    // Values of a new installation, before any parameter file is read.
    static CatalogueParams newInstallation() { return {}; }
    // Values of keys missing from a parameter file that exists.
    static CatalogueParams missingKeyDefaults();
};

// The current catalogue: its paths, its parameters and the flag that says the file is behind.
struct CurrentCatalogue {
    ListPaths paths;
    CatalogueParams params;
    bool ParamsModified = false;
};

// Reads ParamFilePath into the parameters; false (and nothing changed) when the file does not exist.
bool lire_parametre_liste(const std::string& paramFilePath, CatalogueParams& params);

// Writes ListFolder + sep + ListName + ".prm" from the current values, clears ParamsModified,
// and with `announce` says so. Throws VerdanError("Impossible d'écrire dans ...").
void enregistrer_parametre_liste(CurrentCatalogue& catalogue, Ui& ui, bool announce);

} // namespace verdan
