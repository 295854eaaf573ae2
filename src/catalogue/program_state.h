#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "catalogue/drive_table.h"
#include "catalogue/global_list.h"
#include "catalogue/index_keys.h"
#include "catalogue/list_change.h"
#include "catalogue/settings.h"
#include "product.h"
#include "util/utf8.h"

namespace verdan {

inline constexpr const char* kProductTitle = VERDAN_PRODUCT_TITLE;

class KeysInMaking;

// What the global-list window shows besides the parameters of the catalogue.
struct GlobalListState {
    GlobalList table;               // StringGrid1
    KeySet keys;                    // ListBox_media_key
    IndexState index;               // Label_idx, Label_n_idx, Label3 of the collection window
    std::vector<std::string> disks; // ListBox_hd_referencer
    // Told of every edit of the table made through catalogue/list_edits.h.
    ListObservers observers;
    std::string mediaCountCaption = "0 média"; // Label_n
    std::string listFileCaption;               // Label_nf_media
    std::string favouritesCaption = "---";     // Label_rep_favori
    std::string helpText;                      // Label6
    // The table and the disk list as they were when the list was last built from the table, so
    // that an unchanged table need not be read again.
    struct DisksSource {
        bool known = false;
        std::uint64_t rowsStamp = 0, nameStamp = 0, serialStamp = 0;
        int nameCol = -1, serialCol = -1;
        std::vector<std::string> disks;
    } disksSource;
    // The marks of the rows as the load read them (" x" cells equal to the mark), valid while the
    // stamps are the table's: the counter needs no pass over a million rows just loaded.
    struct MarksRead {
        bool known = false;
        std::uint64_t rowsStamp = 0, columnStamp = 0;
        std::size_t count = 0;
        std::vector<std::size_t> rows; // those holding a mark
    } marksRead;
    // From a list file of this size (the program with its windows sets it), a load puts its rows
    // in place and the table is shown before their keys and disks are made: a thread makes them
    // then, and finishKeys (catalogue/list_load.h) waits for them; keysMade runs once they are in
    // place.
    std::uint64_t keysAfterBytesFrom = UINT64_MAX;
    std::function<void()> keysMade;
    // Declared last, so that its thread stops before the rest goes.
    std::shared_ptr<KeysInMaking> keysInMaking;
};

// The program-wide state both windows share; the windows display it.
struct ProgramState {
    // Where VERDAN keeps its settings, tmp.CSV and its default folders: the executable's folder
    // when it can be written (a portable installation), else the user's own folder.
    std::string programFolder;
    // Where the files installed with the program are (the empty-list template, the guide): the
    // executable's folder. Empty: the program folder, as in a portable installation.
    std::string installedFolder;
    // The settings file's items: the collection window's favourites folder label, list-name box,
    // list-folder label, the windows' bounds and the advanced mode of the global-list window.
    SettingsState settings;
    // Paths, parameters (index level, date label, font size, media categories) and ParamsModified.
    CurrentCatalogue catalogue;
    // The lock file of the current list while this program holds it.
    ListLock listLock;
    GlobalListState globalList;
    // A copy into the favourites folder walks the global list: while it runs, nothing may change
    // the list or switch the catalogue (the windows lock those controls).
    bool copyRunning = false;
    std::string globalListButtonCaption = "Liste globale des médias =>"; // BitBtn_form2_bis
    std::string collectionListFileCaption = "*12345.txt"; // Label_nf_media of the collection window
    // The present drives (StringGrid_hd of the collection window); files of the global list are
    // opened through it.
    DriveTable drives;
    // The global list's help text in basic and advanced mode, set by the opening sequence.
    std::string HelpTextSimple;
    std::string HelpTextAdvanced;
    // Filled by the window layer with the windows' current bounds before the settings are written.
    std::function<void(SettingsState&)> captureWindowBounds;
    // Set by the window layer: asks the system which drives are there now and brings `drives` up
    // to date, when a disk stops answering before its unplugging was announced.
    std::function<void()> checkDrives;
    // Escape in the global-list window; a scan has a stop flag of its own.
    std::atomic<bool> StopRequested{false};

    std::string settingsPath() const { return settingsFilePath(programFolder); }
    const std::string& installedFiles() const {
        return installedFolder.empty() ? programFolder : installedFolder;
    }
    // enreg_fic_ini with the windows' bounds as they are now.
    void saveSettings();
};

// Refreshes the count captions from the table.
void af_nb_media_bd(ProgramState& state);

// "nom-disque" + "-" + "NS-disque" of a row.
std::string diskEntry(const GlobalList& list, std::size_t row);
// Rebuilds the list of disks present in the table, in order of first appearance.
void extraire_hd_liste_globale(GlobalListState& globalList);
// Whether the disk list is what extraire_hd_liste_globale would make of the table as it is now:
// neither has changed since it last ran (or since markDisksCurrent).
bool disksCurrent(const GlobalListState& globalList);
// Records that the disk list matches the table, after both were changed together.
void markDisksCurrent(GlobalListState& globalList);

// The disk list of rows given in order, "nom-disque" + "-" + "NS-disque", each disk once (letter
// case aside) at its first row.
class DiskListBuilder {
public:
    explicit DiskListBuilder(std::vector<std::string>& disks) : m_disks(disks) {}
    void add(std::string_view name, std::string_view serial);

private:
    std::vector<std::string>& m_disks;
    // Rows of one disk spell it the same way: an exact look-up settles nearly every row, and only
    // a spelling not met yet is compared without regard to letter case.
    std::unordered_set<std::string> m_spellings;
    std::set<std::string, utf8::FoldedLess> m_seen;
    std::string m_entry, m_previous;
};

// The font size of the table for a position in kFontSizes (8 when there is none).
int fontSizeOfIndex(int index);

// Sets the mark cell (" x" column) of every data row.
void SetAllMarks(GlobalList& list, const std::string& text);

} // namespace verdan
