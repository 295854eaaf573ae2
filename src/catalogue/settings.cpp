#include "catalogue/settings.h"

#include "platform/files.h"
#include "util/file_helpers.h"

namespace verdan {

void SaveWindowBounds(IniFile& ini, const std::string& section, const WindowGeometry& w) {
    ini.writeInteger(section, "Left", w.left);
    ini.writeInteger(section, "Top", w.top);
    ini.writeInteger(section, "Width", w.width);
    ini.writeInteger(section, "Height", w.height);
    ini.writeInteger(section, "WindowState", w.state);
}

WindowGeometry LoadWindowBounds(const IniFile& ini, const std::string& section, const WindowGeometry& current,
                                int screenWidth, int screenHeight, const ScreenRect& work) {
    const int W = current.width;
    const int H = current.height;
    // Window positions and sizes are 16-bit quantities on Windows: a value beyond is damage, and
    // taking it would overflow the arithmetic below or be cut to some other 32-bit number.
    constexpr long long kLimit = 32767;
    auto readInt = [&](const char* key, int fallback, long long low, long long high) {
        const long long v = ini.readInteger(section, key, fallback);
        return v < low || v > high ? fallback : static_cast<int>(v);
    };
    WindowGeometry g;
    g.left = readInt("Left", (screenWidth - W) / 2, -kLimit - 1, kLimit);
    g.top = readInt("Top", (screenHeight - H) / 2, -kLimit - 1, kLimit);
    g.width = readInt("Width", W, 1, kLimit);
    g.height = readInt("Height", H, 1, kLimit);
    g.state = readInt("WindowState", current.state, 0, 2);
    // The current size, not the stored one, decides how far back a window off the right goes.
    if (g.left + 50 > work.right) g.left = work.right - W;
    if (g.top + 50 > work.bottom) g.top = work.bottom - H;
    if (g.left < work.left) g.left = work.left;
    if (g.top < work.top) g.top = work.top;
    return g;
}

std::string settingsFilePath(const std::string& programFolder) {
    return joinPath(programFolder, "verdan.ini");
}

void lire_fic_ini(const std::string& iniPath, const std::string& programFolder, const ScreenInfo& screen,
                  SettingsState& state) {
    IniFile ini = IniFile::load(iniPath, IniFile::Scope::Installation);
    // The keys are looked up as they always were, with a leading blank that the matching ignores.
    state.favouritesFolder =
        ini.readString("GENERAL", " Label_rep_favori.caption", joinPath(programFolder, "favoris"));
    state.listName = ini.readString("GENERAL", " Edit_nom_fic_media.text", "liste_globale_médias");
    state.listFolder =
        ini.readString("GENERAL", " Label_repfic_media.caption", joinPath(programFolder, "listes"));
    state.collectionWindow =
        LoadWindowBounds(ini, "Form1", state.collectionWindow, screen.width, screen.height, screen.workArea);
    state.globalListWindow =
        LoadWindowBounds(ini, "Form2", state.globalListWindow, screen.width, screen.height, screen.workArea);
    state.advancedMode = ini.readBool("Options", "CheckBox_mode_avancer", true);
}

void enreg_fic_ini(const std::string& iniPath, const SettingsState& state) {
    IniFile ini = IniFile::load(iniPath, IniFile::Scope::Installation);
    ini.writeString("GENERAL", "Label_rep_favori.caption", state.favouritesFolder);
    ini.writeString("GENERAL", "Edit_nom_fic_media.text", state.listName);
    ini.writeString("GENERAL", "Label_repfic_media.caption", state.listFolder);
    SaveWindowBounds(ini, "Form1", state.collectionWindow);
    SaveWindowBounds(ini, "Form2", state.globalListWindow);
    ini.writeBool("Options", "CheckBox_mode_avancer", state.advancedMode);
    ini.save();
}

CatalogueParams CatalogueParams::missingKeyDefaults() {
    CatalogueParams p;
    p.dateLabel = "-/-";
    p.indexLevel = 0;
    p.fontIndex = 0;
    p.media[1].extensionFilter = "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi";
    return p;
}

namespace {
std::string sectionOf(int i) {
    return i == 0 ? "MEDIA_1" : "MEDIA_2";
}
std::string suffix(int i) {
    return i == 0 ? "1_" : "2_";
}
} // namespace

bool lire_parametre_liste(const std::string& paramFilePath, CatalogueParams& params) {
    if (!platform::isFile(paramFilePath)) return false;
    const IniFile ini = IniFile::load(paramFilePath);
    const CatalogueParams d = CatalogueParams::missingKeyDefaults();
    params.dateLabel = ini.readString("LISTE", "form2.Label_date_der_maj.caption", d.dateLabel);
    params.indexLevel =
        static_cast<int>(ini.readInteger("LISTE", "RadioGroup_index.ItemIndex", d.indexLevel));
    params.fontIndex = static_cast<int>(ini.readInteger("LISTE", "form2.ComboBox1.ItemIndex", d.fontIndex));
    // A hand-edited file may hold positions the two lists do not have: take the windows' own defaults.
    if (params.indexLevel < 0 || params.indexLevel > 3) params.indexLevel = 1;
    if (params.fontIndex < -1 || params.fontIndex > 3) params.fontIndex = 0;
    params.fontRead = true;
    for (int i = 0; i < 2; ++i) {
        const std::string s = sectionOf(i), n = suffix(i);
        MediaCategory& m = params.media[static_cast<std::size_t>(i)];
        const MediaCategory& def = d.media[static_cast<std::size_t>(i)];
        m.name = ini.readString(s, "Edit_type_media_" + n + ".text", def.name);
        m.extensionFilter = ini.readString(s, "Edit_filtre_ext_" + n + ".text", def.extensionFilter);
        m.minimumSize = ini.readString(s, "Edit_taille_mini_" + n + ".text", def.minimumSize);
        m.minimumSizeOn = ini.readBool(s, "CheckBox_mini_" + n + ".checked", def.minimumSizeOn);
    }
    return true;
}

void enregistrer_parametre_liste(CurrentCatalogue& catalogue, Ui& ui, bool announce) {
    const ListPaths& p = catalogue.paths;
    const std::string path = joinPath(p.ListFolder, p.ListName + ".prm");
    IniFile ini = IniFile::load(path);
    const CatalogueParams& params = catalogue.params;
    ini.writeString("LISTE", "form2.Label_date_der_maj.caption", params.dateLabel);
    ini.writeInteger("LISTE", "RadioGroup_index.ItemIndex", params.indexLevel);
    ini.writeInteger("LISTE", "form2.ComboBox1.ItemIndex", params.fontIndex);
    for (int i = 0; i < 2; ++i) {
        const std::string s = sectionOf(i), n = suffix(i);
        const MediaCategory& m = params.media[static_cast<std::size_t>(i)];
        ini.writeString(s, "Edit_type_media_" + n + ".Text", m.name);
        ini.writeString(s, "Edit_filtre_ext_" + n + ".Text", m.extensionFilter);
        ini.writeString(s, "Edit_taille_mini_" + n + ".Text", m.minimumSize);
        ini.writeBool(s, "CheckBox_mini_" + n + ".checked", m.minimumSizeOn);
    }
    ini.save();
    catalogue.ParamsModified = false;
    if (announce) ui.showInfo("Paramètres enregistrés  dans    \n\n" + p.ListName + ".prm");
}

} // namespace verdan
