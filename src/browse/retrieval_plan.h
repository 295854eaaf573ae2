#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/drive_lookup.h"
#include "catalogue/file_stamp.h"
#include "catalogue/global_list.h"
#include "catalogue/key_set.h"
#include "util/ui.h"

namespace verdan {

// The retrieval plan: the files a multiple copy could not reach because their disk was on the
// shelf, kept in the favourites folder until their disk is plugged in.
inline constexpr const char* kRetrievalPlanFile = "a_rapatrier.txt";
inline constexpr const char* kRetrievalPlanHeader = "nom-disque\tNS-disque\trépertoire\ttitre\text\ttaille";
// Beside the plan, the file as it was when the reader had to drop some of its lines.
inline constexpr const char* kDamagedPlanSuffix = ".abime";

// One planned file, in the catalogue's own terms.
struct PlannedFile {
    std::string disk;   // "nom-disque"
    std::string serial; // "NS-disque"
    std::string folder; // "répertoire", ":\films"
    std::string title;  // "titre"
    std::string ext;    // "ext"
    std::string size;   // "taille", a size text
    bool operator==(const PlannedFile&) const = default;
};

// The planned file of a row of the global list.
PlannedFile plannedFileOfRow(const GlobalList& table, std::size_t row);

// A disk of the plan, as "Disques à brancher" lists it.
struct PlannedDisk {
    std::string name;
    std::string serial;
    std::size_t count = 0;
    std::int64_t bytes = 0; // from the size texts: an estimate
    std::string root;       // where it is plugged in now; empty while it is on the shelf
};

class RetrievalPlan {
public:
    // Opened on the folder it lives in; empty before that.
    const std::string& folder() const { return m_folder; }
    bool isOpen() const { return !m_folder.empty(); }
    std::string path() const;
    const std::vector<PlannedFile>& files() const { return m_files; }

    // An empty plan that lives in `folder`.
    void reset(std::string folder);
    // Its file is there but could not be read: it is never written over, lest the entries it
    // holds be lost, until a later opening reads it.
    void markUnreadable() { m_unreadable = true; }
    bool unreadable() const { return m_unreadable; }
    // False when the same file (letter case aside) is planned already, or when the file's name or
    // folder would lead a copy out of its folders.
    bool add(const PlannedFile& file);
    // Removes the files `drop` chooses; how many went.
    std::size_t removeIf(const std::function<bool(const PlannedFile&)>& drop);
    // Removes these files (letter case aside), in one pass however many they are; how many went.
    std::size_t remove(const std::vector<PlannedFile>& files);
    bool contains(const PlannedFile& file) const;

    // What its file held when this program last read or wrote it, so that another program's
    // entries added since are kept, and those it removed since stay removed.
    void markOnDisk(const FileStamp& stamp);
    const FileStamp& diskStamp() const { return m_diskStamp; }
    bool wasOnDisk(const PlannedFile& file) const;

private:
    static std::string keyOf(const PlannedFile& file);

    std::string m_folder;
    bool m_unreadable = false;
    std::vector<PlannedFile> m_files;
    KeySet m_keys;
    FileStamp m_diskStamp;
    KeySet m_onDisk;
};

// Reads the plan of `folder`: none there is an empty plan. Windows-1252, or UTF-8 or UTF-16 after
// their byte-order mark. A damaged file (garbage, another header, cut lines, another number of
// columns, a name or folder that would leave its folder) is read as far as its lines are sound,
// kept whole beside it (kDamagedPlanSuffix), rewritten, and the user is told how many lines were
// dropped. A file that cannot be read is said, and the plan starts empty without ever replacing it.
void openRetrievalPlan(RetrievalPlan& plan, const std::string& folder, Ui& ui);

// Puts the plan on disk in one step (an empty plan removes its file). False, after the error box,
// when it cannot be written; the previous file is then whole. When another program wrote the
// file since this one read it, the file is read again first and the plan takes its entries in:
// those added there join, those removed there go (unless the file is damaged now), and those
// removed here stay removed.
bool saveRetrievalPlan(RetrievalPlan& plan, Ui& ui);

// The plan lives in the favourites folder and follows it: when the folder is another, the entries
// join those of the new folder's plan, which is written before the old file goes. A plan not
// opened yet is just opened there.
void followFavouritesFolder(RetrievalPlan& plan, const std::string& favouritesFolder, Ui& ui);

// The present drive that holds a disk of the plan: by name and serial, else by serial alone (a
// disk renamed since its catalogue was made). Empty when it is on the shelf.
std::string locatePlannedDisk(const DriveRows& drives, std::string_view name, std::string_view serial);

// The disks of the plan, most files first (ties in the plan's order), with where each is plugged.
std::vector<PlannedDisk> plannedDisks(const RetrievalPlan& plan, const DriveRows& drives);

// Whether a file belongs to the disk of that name and serial.
bool onDisk(const PlannedFile& file, std::string_view name, std::string_view serial);

// What the arrival of disks remembers between two device notifications.
struct PlanArrivals {
    // Disks of the plan already asked about (or copied) since they were plugged in: not asked
    // again until they have been seen on the shelf.
    std::vector<std::pair<std::string, std::string>> asked;
    // A question or a copy of the plan is under way; a notification meanwhile checks again after.
    bool offering = false;
    bool checkAgain = false;
};

} // namespace verdan
