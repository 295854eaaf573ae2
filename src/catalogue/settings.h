#pragma once
#include <array>
#include <string>

#include "catalogue/file_stamp.h"
#include "catalogue/ini_file.h"
#include "catalogue/list_lock.h"
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

// A parameter file as this program last read or wrote it: another program may have written it
// since, and then only the values this program changed may replace the file's.
struct ParamsOnDisk {
    FileOnDisk file;
    CatalogueParams values;
};

// The current catalogue: its paths, its parameters and the flag that says the file is behind.
struct CurrentCatalogue {
    ListPaths paths;
    CatalogueParams params;
    bool ParamsModified = false;
    // The list file as the table was last read from it or written to it.
    FileOnDisk listOnDisk;
    ParamsOnDisk paramsOnDisk;
    // The list file whose lock was settled last (taken, or left to its holder). While another
    // program holds it, this program opens the catalogue read-only: it never writes the list nor
    // its parameter file, and says so, naming the holder.
    std::string accessListFile;
    bool readOnly = false;
    LockHolder holder;
};

// Reads ParamFilePath into the parameters; false (and nothing changed) when the file does not exist.
// Remembers the values read in `onDisk`, when given.
bool lire_parametre_liste(const std::string& paramFilePath, CatalogueParams& params,
                          ParamsOnDisk* onDisk = nullptr);
// lire_parametre_liste into the current catalogue, remembered as read.
bool readCatalogueParams(CurrentCatalogue& catalogue, const std::string& paramFilePath);

// Whether a write of the parameter file would change it: the file is missing, is another than
// the one read, or a value differs from what it holds.
bool paramsNeedWriting(const CurrentCatalogue& catalogue);

// Writes ListFolder + sep + ListName + ".prm" from the current values, clears ParamsModified,
// and with `announce` says so. Without `announce` (a write the program makes on its own), a file
// that would not change is left alone. When another program wrote the file since this one read
// it, the file is read again and only the values changed here replace its own; the others are
// taken from it. Read-only: nothing is written (and, announced, the user is told). False when
// nothing was written. Throws VerdanError("Impossible d'écrire dans ...").
bool enregistrer_parametre_liste(CurrentCatalogue& catalogue, Ui& ui, bool announce);

} // namespace verdan
