#include "browse/retrieval_plan.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/format.h"
#include "util/text.h"
#include "util/text_file.h"

namespace verdan {
namespace {

constexpr std::size_t kFields = 6;

// A folder as typed and as the settings keep it may differ by a final separator; both name the
// same plan file, which must never be taken for another one and removed.
std::string sameFolderForm(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// Whether a planned file names one file of its disk that a copy may fetch: a serial, a name and
// a folder that stay in their folders, no control character anywhere.
bool sound(const PlannedFile& file) {
    if (trimBlanks(file.serial).empty()) return false;
    if (!isPlainFileName(file.title + file.ext) || !staysOnItsDisk(file.folder)) return false;
    for (const std::string* cell :
         {&file.disk, &file.serial, &file.folder, &file.title, &file.ext, &file.size})
        for (const char c : *cell)
            if (static_cast<unsigned char>(c) < 0x20) return false;
    // What the file's code page cannot spell names no file of a catalogue.
    return cp1252::representable(file.disk) && cp1252::representable(file.folder) &&
           cp1252::representable(file.title) && cp1252::representable(file.ext);
}

// A line that names a file the plan can find again: every field there and sound. A line cut
// short, from a later version (another column), edited into a path or garbage fails.
bool parseLine(std::string_view line, PlannedFile& file) {
    const std::vector<std::string_view> f = fieldsOf(line);
    if (f.size() != kFields) return false;
    file = {std::string(f[0]), std::string(f[1]), std::string(f[2]),
            std::string(f[3]), std::string(f[4]), std::string(f[5])};
    return sound(file);
}

std::string damageText(const std::string& path, std::size_t dropped, std::size_t kept,
                       const std::string& keptAs) {
    return " Le fichier " + path + " était abîmé : " + toText(static_cast<long long>(dropped)) +
           " ligne(s) écartée(s). \n\n Le plan est réécrit avec les " + toText(static_cast<long long>(kept)) +
           " fichier(s) lisible(s). " +
           (keptAs.empty() ? std::string() : "\n\n Le fichier d'origine est gardé sous " + keptAs + " ");
}

// What a plan file holds, read as far as its lines are sound.
struct PlanFileRead {
    std::vector<PlannedFile> files;
    std::size_t dropped = 0; // lines that name no file, garbage included
    bool rewrite = false;    // no header, blank lines: sound, but not as the plan writes itself
};

PlanFileRead readPlanFile(std::string_view bytes) {
    // Notepad saves as "Unicode" or as UTF-8 with its mark when asked: the entries are the same.
    const std::string text = decodeTextFile(bytes);
    const std::vector<std::string_view> lines = splitLines(text);
    PlanFileRead read;
    read.rewrite = lines.empty() || lines.front() != kRetrievalPlanHeader;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && lines[i] == kRetrievalPlanHeader) continue;
        // Blank lines are dropped quietly; control characters are garbage, kept with the original.
        if (lines[i].find_first_not_of(" \t\r") == std::string_view::npos) {
            read.rewrite = true;
            continue;
        }
        PlannedFile file;
        if (parseLine(lines[i], file))
            read.files.push_back(std::move(file));
        else
            ++read.dropped;
    }
    return read;
}

} // namespace

PlannedFile plannedFileOfRow(const GlobalList& table, std::size_t row) {
    const auto cell = [&](const char* header) {
        const int c = table.indice_col_liste(header);
        return c < 0 ? std::string() : std::string(table.cell(row, c));
    };
    return {cell("nom-disque"), cell("NS-disque"), cell("répertoire"),
            cell("titre"),      cell("ext"),       cell("taille")};
}

std::string RetrievalPlan::path() const {
    return m_folder.empty() ? std::string() : pathInFolder(m_folder, kRetrievalPlanFile);
}

void RetrievalPlan::reset(std::string folder) {
    m_folder = sameFolderForm(std::move(folder));
    m_unreadable = false;
    m_files.clear();
    m_keys.clear();
    m_diskStamp = {};
    m_onDisk.clear();
}

bool RetrievalPlan::contains(const PlannedFile& file) const {
    return m_keys.contains(keyOf(file));
}

void RetrievalPlan::markOnDisk(const FileStamp& stamp) {
    m_diskStamp = stamp;
    m_onDisk.clear();
    for (const PlannedFile& f : m_files) m_onDisk.insert(keyOf(f));
}

bool RetrievalPlan::wasOnDisk(const PlannedFile& file) const {
    return m_onDisk.contains(keyOf(file));
}

std::string RetrievalPlan::keyOf(const PlannedFile& file) {
    return file.disk + '\t' + file.serial + '\t' + file.folder + '\t' + file.title + file.ext;
}

bool RetrievalPlan::add(const PlannedFile& file) {
    // A row whose cells would lead a copy out of its folders is never planned: the plan is read
    // back by the same rule.
    if (!sound(file) || !m_keys.insert(keyOf(file))) return false;
    m_files.push_back(file);
    return true;
}

std::size_t RetrievalPlan::removeIf(const std::function<bool(const PlannedFile&)>& drop) {
    const std::size_t before = m_files.size();
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(), drop), m_files.end());
    if (m_files.size() != before) {
        m_keys.clear();
        for (const PlannedFile& f : m_files) m_keys.insert(keyOf(f));
    }
    return before - m_files.size();
}

std::size_t RetrievalPlan::remove(const std::vector<PlannedFile>& files) {
    KeySet gone;
    for (const PlannedFile& f : files) gone.insert(keyOf(f));
    return removeIf([&](const PlannedFile& f) { return gone.contains(keyOf(f)); });
}

void openRetrievalPlan(RetrievalPlan& plan, const std::string& folder, Ui& ui) {
    plan.reset(folder);
    const std::string path = plan.path();
    std::string bytes;
    // Taken before the reading: a write by another program meanwhile shows as a change.
    const FileStamp stamp = stampOf(path);
    const platform::ReadStatus status = platform::readWholeFile(path, bytes);
    if (status == platform::ReadStatus::Missing) return;
    if (status == platform::ReadStatus::Failed) {
        plan.markUnreadable();
        showError(ui,
                  msg::cannotOpen(path) + "\n\n  Le plan n'y sera pas modifié tant qu'il reste illisible.");
        return;
    }
    const PlanFileRead read = readPlanFile(bytes);
    std::size_t dropped = read.dropped;
    bool rewrite = read.rewrite;
    // The same file twice is planned once.
    for (const PlannedFile& file : read.files)
        if (!plan.add(file)) rewrite = true;
    plan.markOnDisk(stamp);
    if (dropped == 0 && !rewrite) return;
    // What the reader did not understand may be worth something to its writer: the file as it was
    // stays beside the rewritten plan.
    std::string keptAs;
    if (dropped > 0) {
        keptAs = path + kDamagedPlanSuffix;
        if (platform::writeFileAtomically(keptAs, bytes) != platform::WriteResult::Ok) {
            // Without its copy the file is never rewritten: the user can still mend it.
            plan.markUnreadable();
            showError(ui, msg::cannotCreate(keptAs) +
                              "\n\n  Le plan n'y sera pas modifié tant qu'il reste illisible.");
            return;
        }
    }
    saveRetrievalPlan(plan, ui);
    if (dropped > 0)
        ui.ask(DialogType::Warning, damageText(path, dropped, plan.files().size(), keptAs),
               {DialogButton::Ok});
}

namespace {

// Takes in what another program did to the plan's file since this one read or wrote it. False,
// after the error box, when the file is there but cannot be read: it is then not written over.
bool mergeFromDisk(RetrievalPlan& plan, Ui& ui) {
    const std::string path = plan.path();
    const FileStamp now = stampOf(path);
    if (now == plan.diskStamp()) return true;
    std::string bytes;
    const platform::ReadStatus status = platform::readWholeFile(path, bytes);
    if (status == platform::ReadStatus::Failed) {
        showError(ui, msg::cannotOpen(path));
        return false;
    }
    const PlanFileRead read = readPlanFile(bytes);
    const std::vector<PlannedFile>& there = read.files;
    const bool damaged = read.dropped > 0;
    RetrievalPlan seen;
    for (const PlannedFile& f : there) seen.add(f);
    // Gone from the file though it was there when read here: the other program fetched it or
    // cleared it. A damaged file says nothing of what it lost, so nothing goes for it.
    if (!damaged && status == platform::ReadStatus::Ok)
        plan.removeIf([&](const PlannedFile& f) { return plan.wasOnDisk(f) && !seen.contains(f); });
    else if (status == platform::ReadStatus::Missing)
        plan.removeIf([&](const PlannedFile& f) { return plan.wasOnDisk(f); });
    // New in the file: planned by the other program. Those this program removed since it read
    // them were in the file then, and stay removed.
    for (const PlannedFile& f : there)
        if (!plan.wasOnDisk(f)) plan.add(f);
    return true;
}

} // namespace

bool saveRetrievalPlan(RetrievalPlan& plan, Ui& ui) {
    // Said once, when it was opened.
    if (!plan.isOpen() || plan.unreadable()) return false;
    if (!mergeFromDisk(plan, ui)) return false;
    const std::string path = plan.path();
    if (plan.files().empty()) {
        if (!platform::exists(path)) {
            plan.markOnDisk({});
            return true;
        }
        if (platform::removeFile(path)) {
            // Forced to disk where the system can, lest a power cut bring back files fetched.
            platform::syncFolder(plan.folder());
            plan.markOnDisk({});
            return true;
        }
        showError(ui, msg::cannotWrite(path));
        return false;
    }
    std::string text = std::string(kRetrievalPlanHeader) + "\r\n";
    for (const PlannedFile& f : plan.files())
        text += f.disk + '\t' + f.serial + '\t' + f.folder + '\t' + f.title + '\t' + f.ext + '\t' + f.size +
                "\r\n";
    if (platform::writeFileAtomically(path, cp1252::encode(text)) != platform::WriteResult::Ok) {
        showError(ui, msg::cannotCreate(path));
        return false;
    }
    plan.markOnDisk(stampOf(path));
    return true;
}

void followFavouritesFolder(RetrievalPlan& plan, const std::string& favouritesFolder, Ui& ui) {
    if (plan.isOpen() && plan.folder() == sameFolderForm(favouritesFolder)) return;
    const bool wasOpen = plan.isOpen();
    const std::string oldPath = plan.path();
    const std::vector<PlannedFile> moving = plan.files();
    openRetrievalPlan(plan, favouritesFolder, ui);
    if (!wasOpen || moving.empty()) return;
    for (const PlannedFile& f : moving) plan.add(f);
    // The old file goes only once the new one holds its entries: a failure keeps both.
    if (saveRetrievalPlan(plan, ui) && !platform::removeFile(oldPath))
        showError(ui, msg::cannotWrite(oldPath));
}

std::string locatePlannedDisk(const DriveRows& drives, std::string_view name, std::string_view serial) {
    const std::string root = FindDriveByDisk(drives, name, serial);
    return root.empty() ? FindDriveBySerial(drives, serial) : root;
}

bool onDisk(const PlannedFile& file, std::string_view name, std::string_view serial) {
    return file.disk == name && file.serial == serial;
}

std::vector<PlannedDisk> plannedDisks(const RetrievalPlan& plan, const DriveRows& drives) {
    // Each file finds its disk by hash: a plan over 50,000 disks is read at every start.
    using DiskKey = std::pair<std::string_view, std::string_view>;
    struct DiskHash {
        std::size_t operator()(const DiskKey& k) const {
            const std::size_t h = std::hash<std::string_view>{}(k.first);
            return h ^
                   (std::hash<std::string_view>{}(k.second) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
        }
    };
    std::unordered_map<DiskKey, std::size_t, DiskHash> indexOf;
    std::vector<PlannedDisk> disks;
    for (const PlannedFile& f : plan.files()) {
        const auto [at, added] = indexOf.try_emplace(DiskKey(f.disk, f.serial), disks.size());
        if (added) disks.push_back({f.disk, f.serial, 0, 0, {}});
        PlannedDisk& disk = disks[at->second];
        ++disk.count;
        disk.bytes += std::max<std::int64_t>(0, ParseTaille(f.size));
    }
    std::stable_sort(disks.begin(), disks.end(),
                     [](const PlannedDisk& a, const PlannedDisk& b) { return a.count > b.count; });
    for (PlannedDisk& d : disks) d.root = locatePlannedDisk(drives, d.name, d.serial);
    return disks;
}

} // namespace verdan
