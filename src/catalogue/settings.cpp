#include "catalogue/settings.h"

#include "platform/files.h"
#include "util/file_helpers.h"

#include <type_traits>

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

// Every key of a parameter file as it is written, with the value it holds: f(section, key, field)
// where field(params) is the value's place in the parameters.
template <class F> void forEachParam(F&& f) {
    f(
        std::string("LISTE"), std::string("form2.Label_date_der_maj.caption"),
        [](auto& p) -> auto& { return p.dateLabel; });
    f(
        std::string("LISTE"), std::string("RadioGroup_index.ItemIndex"),
        [](auto& p) -> auto& { return p.indexLevel; });
    f(
        std::string("LISTE"), std::string("form2.ComboBox1.ItemIndex"),
        [](auto& p) -> auto& { return p.fontIndex; });
    for (int i = 0; i < 2; ++i) {
        const std::string s = sectionOf(i), n = suffix(i);
        const auto at = static_cast<std::size_t>(i);
        f(
            s, "Edit_type_media_" + n + ".Text", [at](auto& p) -> auto& { return p.media[at].name; });
        f(
            s,
            "Edit_filtre_ext_" + n + ".Text", [at](auto& p) -> auto& { return p.media[at].extensionFilter; });
        f(
            s, "Edit_taille_mini_" + n + ".Text", [at](auto& p) -> auto& { return p.media[at].minimumSize; });
        f(
            s,
            "CheckBox_mini_" + n + ".checked", [at](auto& p) -> auto& { return p.media[at].minimumSizeOn; });
    }
}

template <class T>
void writeValue(IniFile& ini, const std::string& section, const std::string& key, const T& value) {
    if constexpr (std::is_same_v<T, bool>) {
        ini.writeBool(section, key, value);
    } else if constexpr (std::is_same_v<T, int>) {
        ini.writeInteger(section, key, value);
    } else {
        ini.writeString(section, key, value);
    }
}

void readParams(const IniFile& ini, CatalogueParams& params) {
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
}

bool sameValues(const CatalogueParams& a, const CatalogueParams& b) {
    bool same = true;
    forEachParam(
        [&](const std::string&, const std::string&, auto field) { same = same && field(a) == field(b); });
    return same;
}

std::string paramFileOf(const ListPaths& p) {
    return joinPath(p.ListFolder, p.ListName + ".prm");
}

} // namespace

bool lire_parametre_liste(const std::string& paramFilePath, CatalogueParams& params, ParamsOnDisk* onDisk) {
    if (!platform::isFile(paramFilePath)) return false;
    // Taken before the reading: a write by another program meanwhile shows as a change.
    const FileStamp stamp = stampOf(paramFilePath);
    readParams(IniFile::load(paramFilePath), params);
    if (onDisk) {
        onDisk->file.path = paramFilePath;
        onDisk->file.known = true;
        onDisk->file.stamp = stamp;
        onDisk->values = params;
    }
    return true;
}

bool readCatalogueParams(CurrentCatalogue& catalogue, const std::string& paramFilePath) {
    return lire_parametre_liste(paramFilePath, catalogue.params, &catalogue.paramsOnDisk);
}

bool paramsNeedWriting(const CurrentCatalogue& catalogue) {
    const std::string path = paramFileOf(catalogue.paths);
    const ParamsOnDisk& disk = catalogue.paramsOnDisk;
    if (!disk.file.known || disk.file.path != path || !platform::isFile(path)) return true;
    return !sameValues(catalogue.params, disk.values);
}

bool enregistrer_parametre_liste(CurrentCatalogue& catalogue, Ui& ui, bool announce) {
    const ListPaths& p = catalogue.paths;
    if (catalogue.readOnly) {
        if (announce)
            ui.ask(DialogType::Warning, readOnlyMessage(catalogue.holder, p.ListFilePath),
                   {DialogButton::Ok});
        return false;
    }
    if (!announce && !paramsNeedWriting(catalogue)) {
        catalogue.ParamsModified = false;
        return false;
    }
    const std::string path = paramFileOf(p);
    ParamsOnDisk& disk = catalogue.paramsOnDisk;
    CatalogueParams& params = catalogue.params;
    IniFile ini = IniFile::load(path);
    // Another program wrote the file since it was read here: the values this program did not
    // change are taken from the file, and only the others are written, every other line kept.
    const bool merge =
        disk.file.known && disk.file.path == path && platform::isFile(path) && disk.file.changed(path);
    CatalogueParams theirs = params;
    if (merge) readParams(ini, theirs);
    forEachParam([&](const std::string& section, const std::string& key, auto field) {
        if (merge && field(params) == field(disk.values)) {
            field(params) = field(theirs);
            return;
        }
        writeValue(ini, section, key, field(params));
    });
    ini.save();
    disk.file.remember(path);
    disk.values = params;
    catalogue.ParamsModified = false;
    if (announce) ui.showInfo("Paramètres enregistrés  dans    \n\n" + p.ListName + ".prm");
    return true;
}

} // namespace verdan
