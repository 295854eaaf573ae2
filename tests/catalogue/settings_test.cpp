#include <gtest/gtest.h>

#include "catalogue/settings.h"
#include "platform/files.h"
#include "support/fake_ui.h"
#ifndef _WIN32
#include "support/peak_memory.h"
#endif
#include "support/temp_folder.h"
#include "support/utf16.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/file_helpers.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

using namespace verdan;
using verdan::test::FakeUi;
using verdan::test::pathFromUtf8;
using verdan::test::TempFolder;

namespace {
std::string dataFile(const char* name) {
    return std::string(VERDAN_TEST_DATA) + "/" + name;
}
const ScreenInfo kScreen{1920, 1080, {0, 0, 1920, 1040}};
} // namespace

TEST(ListPathsRule, ListFileDropsTheLastExtension) {
    EXPECT_EQ(ListFileFromBase("C:\\listes\\films.2020"), "C:\\listes\\films.txt");
    EXPECT_EQ(ListFileFromBase("C:\\listes\\films"), "C:\\listes\\films.txt");
    EXPECT_EQ(ListFileFromBase("C:\\lis.tes\\films"), "C:\\lis.tes\\films.txt");
    EXPECT_EQ(ListFileFromBase("/home/a/lis.tes/films"), "/home/a/lis.tes/films.txt");
    EXPECT_EQ(ListFileFromBase("D:films.old"), "D:films.txt");
}

TEST(ListPathsRule, DerivationOfACatalogueNameWithADot) {
    ListPaths p;
    p.derive("listes", "films.2020");
    const std::string sep(1, platform::nativeSeparator());
    EXPECT_EQ(p.ListBasePath, "listes" + sep + "films.2020");
    EXPECT_EQ(p.ParamFilePath, "listes" + sep + "films.2020.prm");
    EXPECT_EQ(p.ListFilePath, "listes" + sep + "films.txt");
    EXPECT_EQ(p.backupPath(), "listes" + sep + "films.bak");
    p.ParamFilePath = "keep.prm";
    p.derive("autre", "x", false);
    EXPECT_EQ(p.ParamFilePath, "keep.prm");
}

TEST(WindowBounds, StoredBoundsInsideTheWorkAreaAreKept) {
    IniFile ini;
    ini.parse("[Form1]\nLeft=100\nTop=50\nWidth=800\nHeight=600\nWindowState=2\n");
    WindowGeometry g = LoadWindowBounds(ini, "Form1", {0, 0, 1561, 751, 0}, 1920, 1080, {0, 0, 1920, 1040});
    EXPECT_EQ(g, (WindowGeometry{100, 50, 800, 600, 2}));
}

TEST(WindowBounds, MissingKeysCentreTheCurrentSize) {
    IniFile ini;
    WindowGeometry g = LoadWindowBounds(ini, "Form2", {5, 5, 1561, 751, 0}, 1920, 1080, {0, 0, 1920, 1040});
    EXPECT_EQ(g, (WindowGeometry{179, 164, 1561, 751, 0}));
    // Truncated toward zero when the window is larger than the screen.
    g = LoadWindowBounds(ini, "Form2", {0, 0, 1561, 751, 0}, 1024, 768, {0, 0, 1024, 728});
    EXPECT_EQ(g.left, 0); // (1024 - 1561) / 2 = -268, raised to the work area
    EXPECT_EQ(g.top, 8);
}

TEST(WindowBounds, FarRightUsesTheCurrentWidthNotTheStoredOne) {
    IniFile ini;
    ini.parse("[Form1]\nLeft=3000\nTop=2000\nWidth=400\nHeight=300\n");
    WindowGeometry g = LoadWindowBounds(ini, "Form1", {0, 0, 1561, 751, 0}, 1920, 1080, {0, 0, 1920, 1040});
    EXPECT_EQ(g.left, 1920 - 1561);
    EXPECT_EQ(g.top, 1040 - 751);
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 300);
}

TEST(WindowBounds, NegativePositionsRiseToTheWorkArea) {
    IniFile ini;
    ini.parse("[Form1]\nLeft=-500\nTop=-20\n");
    WindowGeometry g = LoadWindowBounds(ini, "Form1", {0, 0, 800, 600, 0}, 1920, 1080, {60, 30, 1920, 1040});
    EXPECT_EQ(g.left, 60);
    EXPECT_EQ(g.top, 30);
}

TEST(WindowBounds, DamagedValuesTakeTheDefaultsAndTheWindowStaysOnTheWorkArea) {
    const ScreenRect work{0, 0, 1920, 1040};
    IniFile ini;
    // Beyond 32 bits, 2^32 + 100 used to be cut to 100.
    ini.parse("[Form1]\nLeft=2147483600\nTop=4294967396\nWidth=-5\nHeight=99999999999\nWindowState=7\n");
    EXPECT_EQ(LoadWindowBounds(ini, "Form1", {0, 0, 1561, 751, 2}, 1920, 1080, work),
              (WindowGeometry{179, 164, 1561, 751, 2}));

    const long long damaged[] = {2147483647,   2147483600,       -2147483648LL,
                                 4294967396LL, -1099511627776LL, 9223372036854775807LL,
                                 32767,        -32768,           0};
    for (const ScreenRect& area : {work, ScreenRect{-1280, 40, 0, 1024}, ScreenRect{100, 0, 140, 30}}) {
        for (long long left : damaged) {
            for (long long top : damaged) {
                ini.parse("[F]\nLeft=" + std::to_string(left) + "\nTop=" + std::to_string(top) + "\n");
                const WindowGeometry g = LoadWindowBounds(ini, "F", {0, 0, 800, 600, 0}, 1920, 1080, area);
                EXPECT_TRUE(g.left == area.left || (g.left > area.left && g.left + 50LL <= area.right))
                    << left << " " << g.left;
                EXPECT_TRUE(g.top == area.top || (g.top > area.top && g.top + 50LL <= area.bottom))
                    << top << " " << g.top;
            }
        }
    }
}

class SettingsFile : public ::testing::Test {
protected:
    TempFolder dir;
    std::string ini() const { return settingsFilePath(dir.path()); }
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults) {
    SettingsState s;
    s.collectionWindow = {0, 0, 1561, 751, 0};
    lire_fic_ini(ini(), dir.path(), kScreen, s);
    EXPECT_EQ(s.favouritesFolder, joinPath(dir.path(), "favoris"));
    EXPECT_EQ(s.listFolder, joinPath(dir.path(), "listes"));
    EXPECT_EQ(s.listName, "liste_globale_médias");
    EXPECT_TRUE(s.advancedMode);
    EXPECT_EQ(s.collectionWindow, (WindowGeometry{179, 164, 1561, 751, 0}));
}

TEST_F(SettingsFile, WrittenThenReadGivesTheSameValues) {
    SettingsState s;
    s.favouritesFolder = "E:\\Favoris été";
    s.listName = "films.2020";
    s.listFolder = "E:\\Mes listes";
    s.collectionWindow = {10, 20, 1561, 751, 0};
    s.globalListWindow = {30, 40, 1200, 700, 2};
    s.advancedMode = false;
    enreg_fic_ini(ini(), s);
    const std::string text = TempFolder::read(ini());
    EXPECT_EQ(text.substr(0, text.find("[Form1]")), "[GENERAL]\r\nLabel_rep_favori.caption=E:\\Favoris "
                                                    "\xE9t\xE9\r\nEdit_nom_fic_media.text=films.2020\r\n"
                                                    "Label_repfic_media.caption=E:\\Mes listes\r\n");
    EXPECT_NE(text.find("[Form2]\r\nLeft=30\r\nTop=40\r\nWidth=1200\r\nHeight=700\r\nWindowState=2\r\n"
                        "[Options]\r\nCheckBox_mode_avancer=0\r\n"),
              std::string::npos);

    SettingsState back;
    back.collectionWindow = {0, 0, 1561, 751, 0};
    back.globalListWindow = {0, 0, 1561, 751, 0};
    lire_fic_ini(ini(), dir.path(), kScreen, back);
    EXPECT_EQ(back.favouritesFolder, s.favouritesFolder);
    EXPECT_EQ(back.listName, s.listName);
    EXPECT_EQ(back.listFolder, s.listFolder);
    EXPECT_EQ(back.collectionWindow, s.collectionWindow);
    EXPECT_EQ(back.globalListWindow, s.globalListWindow);
    EXPECT_FALSE(back.advancedMode);
}

TEST_F(SettingsFile, AFileWrittenByWindowsKeepsOtherProgramsSections) {
    std::filesystem::copy_file(dataFile("windows_settings.ini"), ini());
    SettingsState s;
    s.collectionWindow = s.globalListWindow = {0, 0, 1561, 751, 0};
    lire_fic_ini(ini(), dir.path(), kScreen, s);
    EXPECT_EQ(s.favouritesFolder, "D:\\Vidéos\\favoris");
    EXPECT_EQ(s.listFolder, "D:\\Catalogues\\listes");
    EXPECT_EQ(s.collectionWindow, (WindowGeometry{120, 80, 1561, 751, 0}));
    // A maximised window stored at -8,-8 comes back on the work area.
    EXPECT_EQ(s.globalListWindow, (WindowGeometry{0, 0, 1936, 1056, 2}));
    EXPECT_FALSE(s.advancedMode);

    s.listName = "séries";
    enreg_fic_ini(ini(), s);
    const std::string text = TempFolder::read(ini());
    EXPECT_EQ(text.rfind("[Autre programme]\r\nCle=Valeur\r\n\r\n[GENERAL]\r\n", 0), 0u);
    EXPECT_NE(text.find("Edit_nom_fic_media.text=s\xE9ries\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Zzz]\r\nDernier=1\r\n"), std::string::npos);
}

TEST_F(SettingsFile, ANotepadUnicodeCopyGivesWhatTheWindowsFileGives) {
    const std::string windows = TempFolder::read(dataFile("windows_settings.ini"));
    auto readThenWrite = [&](const std::string& bytes) {
        dir.write("verdan.ini", bytes);
        SettingsState s;
        s.collectionWindow = s.globalListWindow = {0, 0, 1561, 751, 0};
        lire_fic_ini(ini(), dir.path(), kScreen, s);
        EXPECT_EQ(s.favouritesFolder, "D:\\Vidéos\\favoris");
        s.listName = "séries";
        enreg_fic_ini(ini(), s);
        return TempFolder::read(ini());
    };
    const std::string fromWindows = readThenWrite(windows);
    EXPECT_EQ(readThenWrite(verdan::test::utf16le(cp1252::decode(windows))), fromWindows);
    EXPECT_EQ(readThenWrite("\xEF\xBB\xBF" + cp1252::decode(windows)), fromWindows);
}

TEST_F(SettingsFile, WriteFailureSaysWhere) {
    const std::string p = dir.file("absent") + std::string(1, platform::nativeSeparator()) + "verdan.ini";
    try {
        enreg_fic_ini(p, SettingsState{});
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'écrire dans " + p);
    }
}

class ParameterFile : public ::testing::Test {
protected:
    CurrentCatalogue catalogue() const {
        CurrentCatalogue c;
        c.paths.derive(dir.path(), "liste_globale_médias");
        return c;
    }
    TempFolder dir;
    FakeUi ui;
};

TEST_F(ParameterFile, MissingFileChangesNothing) {
    CatalogueParams p = CatalogueParams::newInstallation();
    EXPECT_FALSE(lire_parametre_liste(dir.file("absent.prm"), p));
    EXPECT_EQ(p.media[1].extensionFilter, "mp3, ogg, mp4a");
    EXPECT_EQ(p.indexLevel, 1);
    EXPECT_EQ(p.dateLabel, "Date de la modification");
}

TEST_F(ParameterFile, MissingKeysTakeTheirOwnDefaults) {
    CatalogueParams p = CatalogueParams::newInstallation();
    ASSERT_TRUE(lire_parametre_liste(dir.write("x.prm", "[LISTE]\r\nform2.ComboBox1.ItemIndex=3\r\n"), p));
    EXPECT_EQ(p.indexLevel, 0); // idx1, not a new installation's idx2
    EXPECT_EQ(p.fontIndex, 3);
    EXPECT_EQ(p.dateLabel, "-/-");
    EXPECT_EQ(p.media[0], (MediaCategory{"vidéos", "avi, mp4, mkv, mov, wmv, flv, vob, ts", "10", false}));
    EXPECT_EQ(p.media[1],
              (MediaCategory{"musiques", "mp3,wav,aac,m4a,flac,ogg,wma,aiff,alac,mid,midi", "10", false}));
}

TEST_F(ParameterFile, HandEditedFileWithOtherCaseAndBlanks) {
    CatalogueParams p;
    ASSERT_TRUE(lire_parametre_liste(dataFile("hand_edited.prm"), p));
    EXPECT_EQ(p.dateLabel, "07/12/2026 10:15:00");
    EXPECT_EQ(p.indexLevel, 3);
    EXPECT_EQ(p.fontIndex, 2);
    EXPECT_EQ(p.media[0], (MediaCategory{"Films", "avi, mkv", "700", true}));
    EXPECT_EQ(p.media[1].name, "musiques");
}

TEST_F(ParameterFile, PositionsOutsideTheListsTakeTheWindowsDefaults) {
    CatalogueParams p;
    lire_parametre_liste(
        dir.write("x.prm", "[LISTE]\r\nRadioGroup_index.ItemIndex=7\r\nform2.ComboBox1.ItemIndex=9\r\n"), p);
    EXPECT_EQ(p.indexLevel, 1);
    EXPECT_EQ(p.fontIndex, 0);
    lire_parametre_liste(
        dir.write("y.prm", "[LISTE]\r\nRadioGroup_index.ItemIndex=-2\r\nform2.ComboBox1.ItemIndex=-1\r\n"),
        p);
    EXPECT_EQ(p.indexLevel, 1);
    EXPECT_EQ(p.fontIndex, -1);
}

TEST_F(ParameterFile, WrittenThenReadAndAnnounced) {
    CurrentCatalogue c = catalogue();
    c.params.dateLabel = "07/12/2026 19:46:17";
    c.params.indexLevel = 2;
    c.params.fontIndex = -1;
    c.params.media[1] = {"clips", "mp4", "5", true};
    c.ParamsModified = true;
    enregistrer_parametre_liste(c, ui, true);
    EXPECT_FALSE(c.ParamsModified);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{"Paramètres enregistrés  dans    \n\nliste_globale_médias.prm"}));

    const std::string text = TempFolder::read(c.paths.ParamFilePath);
    EXPECT_EQ(
        text,
        "[LISTE]\r\nform2.Label_date_der_maj.caption=07/12/2026 19:46:17\r\nRadioGroup_index.ItemIndex=2\r\n"
        "form2.ComboBox1.ItemIndex=-1\r\n[MEDIA_1]\r\nEdit_type_media_1_.Text=vid\xE9os\r\n"
        "Edit_filtre_ext_1_.Text=avi, mp4, mkv, mov, wmv, flv, vob, ts\r\nEdit_taille_mini_1_.Text=10\r\n"
        "CheckBox_mini_1_.checked=0\r\n[MEDIA_2]\r\nEdit_type_media_2_.Text=clips\r\n"
        "Edit_filtre_ext_2_.Text=mp4\r\nEdit_taille_mini_2_.Text=5\r\nCheckBox_mini_2_.checked=1\r\n");
    CatalogueParams back;
    ASSERT_TRUE(lire_parametre_liste(c.paths.ParamFilePath, back));
    EXPECT_EQ(back.dateLabel, c.params.dateLabel);
    EXPECT_EQ(back.indexLevel, 2);
    EXPECT_EQ(back.fontIndex, -1);
    EXPECT_EQ(back.media, c.params.media);
}

#ifndef _WIN32
TEST_F(ParameterFile, TwentyMegabytesOfBlankLinesAreReadAndWrittenInProportion) {
    // Blank lines of a hand-edited file, LF alone, in the section every save writes into.
    const std::string text =
        "[LISTE]\nRadioGroup_index.ItemIndex=3\n" + std::string(20 << 20, '\n') + "[MEDIA_1]\n";
    CurrentCatalogue c = catalogue();
    dir.write("liste_globale_médias.prm", text);
    const std::optional<test::Cost> cost = test::costInChild([&] {
        if (!lire_parametre_liste(c.paths.ParamFilePath, c.params) || c.params.indexLevel != 3)
            throw std::logic_error("not read");
        enregistrer_parametre_liste(c, ui, false);
    });
    ASSERT_TRUE(cost) << "failed in the child";
    if (test::kCostsMeasurable) {
        EXPECT_LT(cost->seconds, 10.0);
        EXPECT_LT(cost->peakBytes, static_cast<std::int64_t>(4 * text.size()));
    }
    // What the child wrote: the keys after the section's last key, every blank line kept, CR LF.
    const std::string written = TempFolder::read(c.paths.ParamFilePath);
    EXPECT_EQ(
        written.rfind("[LISTE]\r\nRadioGroup_index.ItemIndex=3\r\nform2.Label_date_der_maj.caption=", 0), 0u);
    EXPECT_EQ(static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n')), (20u << 20) + 14u);
}
#endif

TEST_F(ParameterFile, PathComesFromFolderAndNameNotFromParamFilePath) {
    CurrentCatalogue c = catalogue();
    c.paths.ParamFilePath = dir.file("autre.prm");
    enregistrer_parametre_liste(c, ui, false);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(platform::isFile(dir.file("liste_globale_médias.prm")));
    EXPECT_FALSE(platform::exists(dir.file("autre.prm")));
}

TEST_F(ParameterFile, CatalogueNameWithADot) {
    CurrentCatalogue c;
    c.paths.derive(dir.path(), "films.2020");
    enregistrer_parametre_liste(c, ui, true);
    EXPECT_TRUE(platform::isFile(dir.file("films.2020.prm")));
    EXPECT_EQ(ui.texts().back(), "Paramètres enregistrés  dans    \n\nfilms.2020.prm");
}

TEST_F(ParameterFile, WriteFailureKeepsTheFlag) {
    CurrentCatalogue c;
    c.paths.derive(dir.file("disparu"), "x");
    c.ParamsModified = true;
    EXPECT_THROW(enregistrer_parametre_liste(c, ui, true), VerdanError);
    EXPECT_TRUE(c.ParamsModified);
    EXPECT_TRUE(ui.shown.empty());
}

// A parameter file that another program also writes (the same catalogue open on two computers).
class SharedParameterFile : public ParameterFile {
protected:
    void SetUp() override {
        c = catalogue();
        dir.write("liste_globale_médias.prm",
                  "[LISTE]\r\nRadioGroup_index.ItemIndex=1\r\n[MEDIA_1]\r\nEdit_filtre_ext_1_.Text=avi\r\n"
                  "[MEDIA_2]\r\nEdit_filtre_ext_2_.Text=mp3\r\n");
        ASSERT_TRUE(readCatalogueParams(c, c.paths.ParamFilePath));
    }
    // Another program's write, a little later than the reading (as any real one is).
    void writtenElsewhere(const std::string& text) {
        const auto before = std::filesystem::last_write_time(pathFromUtf8(c.paths.ParamFilePath));
        dir.write("liste_globale_médias.prm", text);
        std::filesystem::last_write_time(pathFromUtf8(c.paths.ParamFilePath),
                                         before + std::chrono::seconds(2));
    }
    CurrentCatalogue c;
};

TEST_F(SharedParameterFile, OnlyTheValuesChangedHereReplaceTheOtherProgramsOnes) {
    writtenElsewhere("[LISTE]\r\nRadioGroup_index.ItemIndex=3\r\n[MEDIA_1]\r\nEdit_filtre_ext_1_.Text=avi\r\n"
                     "[MEDIA_2]\r\nEdit_filtre_ext_2_.Text=flac\r\n; notes de bruno\r\n");
    c.params.media[0].extensionFilter = "mkv";
    c.ParamsModified = true;
    ASSERT_TRUE(enregistrer_parametre_liste(c, ui, false));
    const std::string text = TempFolder::read(c.paths.ParamFilePath);
    EXPECT_NE(text.find("Edit_filtre_ext_1_.Text=mkv\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Edit_filtre_ext_2_.Text=flac\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RadioGroup_index.ItemIndex=3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("; notes de bruno\r\n"), std::string::npos) << text;
    // The program goes on with the file's values, so that its next write keeps them too.
    EXPECT_EQ(c.params.media[1].extensionFilter, "flac");
    EXPECT_EQ(c.params.indexLevel, 3);
    EXPECT_FALSE(c.ParamsModified);

    writtenElsewhere(TempFolder::read(c.paths.ParamFilePath) + "[AUTRE]\r\nx=1\r\n");
    c.params.media[1].minimumSize = "50";
    ASSERT_TRUE(enregistrer_parametre_liste(c, ui, false));
    const std::string again = TempFolder::read(c.paths.ParamFilePath);
    EXPECT_NE(again.find("Edit_filtre_ext_2_.Text=flac\r\n"), std::string::npos) << again;
    EXPECT_NE(again.find("Edit_taille_mini_2_.Text=50\r\n"), std::string::npos) << again;
    EXPECT_NE(again.find("[AUTRE]\r\nx=1\r\n"), std::string::npos) << again;
}

TEST_F(SharedParameterFile, AWriteOfItsOwnIsMadeOnlyWhenAValueChanged) {
    const std::string handMade = TempFolder::read(c.paths.ParamFilePath);
    c.ParamsModified = true; // what applying the font size read used to leave
    EXPECT_FALSE(enregistrer_parametre_liste(c, ui, false));
    EXPECT_EQ(TempFolder::read(c.paths.ParamFilePath), handMade);
    EXPECT_FALSE(c.ParamsModified);
    EXPECT_TRUE(ui.shown.empty());

    // Another program's values stay when nothing changed here, also through the user's own save.
    writtenElsewhere("[LISTE]\r\nRadioGroup_index.ItemIndex=1\r\n[MEDIA_1]\r\nEdit_filtre_ext_1_.Text=avi\r\n"
                     "[MEDIA_2]\r\nEdit_filtre_ext_2_.Text=ogg\r\n");
    EXPECT_FALSE(paramsNeedWriting(c));
    EXPECT_FALSE(enregistrer_parametre_liste(c, ui, false));
    EXPECT_TRUE(enregistrer_parametre_liste(c, ui, true));
    EXPECT_NE(TempFolder::read(c.paths.ParamFilePath).find("Edit_filtre_ext_2_.Text=ogg\r\n"),
              std::string::npos);
    EXPECT_EQ(c.params.media[1].extensionFilter, "ogg");
}

TEST_F(SharedParameterFile, ReadOnlyNeverWritesAndSaysSoWhenAsked) {
    const std::string before = TempFolder::read(c.paths.ParamFilePath);
    c.readOnly = true;
    c.holder = {"AUTRE-PC", "bruno", 12, "12/06/2026 22:45"};
    c.params.media[0].name = "films";
    EXPECT_FALSE(enregistrer_parametre_liste(c, ui, false));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_FALSE(enregistrer_parametre_liste(c, ui, true));
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{readOnlyMessage(c.holder, c.paths.ListFilePath)}));
    EXPECT_EQ(ui.texts()[0],
              "  Liste ouverte en lecture seule : elle est ouverte par bruno sur AUTRE-PC depuis "
              "12/06/2026 22:45  \n\n    " +
                  c.paths.ListFilePath + "\n\n  Rien n'est enregistré. ");
    EXPECT_EQ(TempFolder::read(c.paths.ParamFilePath), before);
}

TEST(ListPathsRule, TheCatalogueFilesShareTheirNamesBeginning) {
    ListPaths p;
    p.derive("listes", "films.2020");
    EXPECT_EQ(p.filesPrefix(), "films.");
    p.derive("listes", "liste_globale_médias");
    EXPECT_EQ(p.filesPrefix(), "liste_globale_médias.");
}
