#include "browse/plan_copy.h"

#include <algorithm>
#include <cstdint>

#include "browse/batch_copy.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

// The plan's side of the run: a file done with (copied, or already in the favourites folder and
// skipped) leaves the plan.
class PlannedFileSteps : public BatchSteps {
public:
    PlannedFileSteps(BrowseState& browse, Ui& ui, const std::string& folder,
                     const std::vector<PlannedFile>& planned)
        : m_browse(browse), m_ui(ui), m_folder(folder), m_planned(planned), m_lastSave(browse.tick()) {}

    void done(const BatchFile& f) override {
        m_copied.push_back(pathInFolder(m_folder, f.name));
        // Only a file whole in the favourites folder leaves the plan.
        m_fetched.push_back(m_planned[f.origin]);
        if (m_browse.tick() - m_lastSave > 1000) flush();
    }
    void finished() override { flush(); }

private:
    // The files fetched leave the plan on disk at most once a second: rewriting the whole plan
    // after each of thousands of small files would cost more than copying them. A power cut
    // meanwhile leaves some planned that are in the favourites folder already, which the next copy
    // finds.
    void flush() {
        if (m_fetched.empty()) return;
        m_lastSave = m_browse.tick();
        // A copy that could not be forced to disk stays planned; the next copy finds it there.
        if (!platform::syncFiles(m_copied, m_folder)) return;
        m_copied.clear();
        m_browse.plan.remove(m_fetched);
        m_fetched.clear();
        if (m_saving) m_saving = saveRetrievalPlan(m_browse.plan, m_ui);
    }

    BrowseState& m_browse;
    Ui& m_ui;
    const std::string& m_folder;
    const std::vector<PlannedFile>& m_planned;
    std::vector<PlannedFile> m_fetched;
    // The copies are renamed into place without being forced to disk: those a flush drops from
    // the plan are forced first, all at once, lest a power cut lose both the file and its entry.
    std::vector<std::string> m_copied;
    std::uint32_t m_lastSave;
    bool m_saving = true; // one error box for a plan that cannot be written, not one per file
};

// The notification that comes while a question or a copy of the plan is under way is taken up
// after it, not inside it.
class OfferScope {
public:
    explicit OfferScope(PlanArrivals& arrivals) : m_arrivals(arrivals) { m_arrivals.offering = true; }
    ~OfferScope() { m_arrivals.offering = false; }
    OfferScope(const OfferScope&) = delete;
    OfferScope& operator=(const OfferScope&) = delete;

private:
    PlanArrivals& m_arrivals;
};

} // namespace

std::string arrivalQuestion(const PlannedDisk& disk) {
    return "Le disque " + disk.name + " est branché : copier ses " + count(disk.count) + " fichiers (" +
           FormatTaille(disk.bytes) + ") vers les favoris ?";
}

void copyPlannedDisk(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                     const PlannedDisk& disk) {
    if (program.copyRunning || disk.root.empty()) return;
    const std::string folder = program.globalList.favouritesCaption;
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire <" + folder + "> inexistant ");
        return;
    }
    followFavouritesFolder(browse.plan, folder, ui);
    removeStaleTemporaries(folder);
    std::vector<PlannedFile> planned;
    for (const PlannedFile& f : browse.plan.files())
        if (onDisk(f, disk.name, disk.serial)) planned.push_back(f);
    if (planned.empty()) return;
    const std::vector<BatchFile> files = plannedFilesToCopy(planned, disk.root);
    const BatchTotals totals = batchTotals(files, folder);
    const ExistingChoice choice = askAboutExisting(ui, totals);
    if (choice == ExistingChoice::Cancel) return;

    const BatchTotals left = afterChoice(totals, choice);
    BatchCopy batch(program, browse, ui, view, folder, left.count, left.bytes);
    PlannedFileSteps steps(browse, ui, folder, planned);
    BatchOptions options;
    options.overwrite = choice == ExistingChoice::Overwrite;
    options.skippedNeedsSource = false;
    const BatchOutcome outcome = batch.run(files, options, steps);
    if (!outcome.missing.empty())
        ui.ask(DialogType::Warning,
               " " + count(outcome.missing.size()) + " fichier(s) introuvable(s) sur le disque " + disk.name +
                   ", qui reste(nt) dans le plan :\n" + listedLines(outcome.missing),
               {DialogButton::Ok});
    reportBatch(ui, outcome, {"qui restent dans le plan", "ne sont pas copiées et restent dans le plan"});
    batch.end();
}

void offerPlannedDisks(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                       const std::function<DriveRows()>& presentDrives) {
    PlanArrivals& arrivals = browse.arrivals;
    if (!browse.plan.isOpen()) return;
    if (arrivals.offering) {
        arrivals.checkAgain = true;
        return;
    }
    OfferScope offering(arrivals);
    do {
        arrivals.checkAgain = false;
        followFavouritesFolder(browse.plan, program.globalList.favouritesCaption, ui);
        const std::vector<PlannedDisk> disks = plannedDisks(browse.plan, presentDrives());
        const auto plugged = [&](const std::pair<std::string, std::string>& id) {
            return std::any_of(disks.begin(), disks.end(), [&](const PlannedDisk& d) {
                return !d.root.empty() && d.name == id.first && d.serial == id.second;
            });
        };
        // A disk seen on the shelf is asked about again at its next arrival.
        std::erase_if(arrivals.asked, [&](const auto& id) { return !plugged(id); });
        // The copy under way is the one that reads the disks; its end checks again.
        if (program.copyRunning) return;
        for (const PlannedDisk& d : disks) {
            const std::pair<std::string, std::string> id{d.name, d.serial};
            if (d.root.empty() ||
                std::find(arrivals.asked.begin(), arrivals.asked.end(), id) != arrivals.asked.end())
                continue;
            arrivals.asked.push_back(id);
            if (!confirm(ui, arrivalQuestion(d))) continue;
            // The disk may have gone while the question waited.
            PlannedDisk now = d;
            now.root = locatePlannedDisk(presentDrives(), d.name, d.serial);
            if (now.root.empty()) continue;
            copyPlannedDisk(program, browse, ui, view, now);
            // Drives and plan may have changed during the copy.
            arrivals.checkAgain = true;
            break;
        }
    } while (arrivals.checkAgain);
}

void copyPlannedDiskNow(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                        const PlannedDisk& disk, const std::function<DriveRows()>& presentDrives) {
    // An arrival's question or copy is under way: it reads the plan already.
    if (program.copyRunning || browse.arrivals.offering) return;
    PlannedDisk now = disk;
    now.root = locatePlannedDisk(presentDrives(), disk.name, disk.serial);
    if (now.root.empty()) {
        ui.showInfo(" Le disque " + disk.name + " (" + disk.serial + ") n'est pas branché ");
        return;
    }
    OfferScope offering(browse.arrivals);
    // Asked now: its arrival is not offered again while it stays plugged in.
    const std::pair<std::string, std::string> id{disk.name, disk.serial};
    if (std::find(browse.arrivals.asked.begin(), browse.arrivals.asked.end(), id) ==
        browse.arrivals.asked.end())
        browse.arrivals.asked.push_back(id);
    if (!confirm(ui, arrivalQuestion(now))) return;
    copyPlannedDisk(program, browse, ui, view, now);
}

bool removePlannedDisk(BrowseState& browse, Ui& ui, const PlannedDisk& disk) {
    if (disk.count == 0) return false;
    if (!confirm(ui, " Retirer du plan les " + count(disk.count) + " fichier(s) du disque " + disk.name +
                         " (" + disk.serial + ") ?"))
        return false;
    browse.plan.removeIf([&](const PlannedFile& f) { return onDisk(f, disk.name, disk.serial); });
    saveRetrievalPlan(browse.plan, ui);
    return true;
}

bool clearRetrievalPlan(BrowseState& browse, Ui& ui) {
    RetrievalPlan& plan = browse.plan;
    if (plan.files().empty()) return false;
    const std::size_t disks = plannedDisks(plan, {}).size();
    if (!confirm(ui, " Vider le plan : oublier les " + count(plan.files().size()) +
                         " fichier(s) à rapatrier de " + count(disks) + " disque(s) ?"))
        return false;
    plan.removeIf([](const PlannedFile&) { return true; });
    saveRetrievalPlan(plan, ui);
    return true;
}

std::string planTotalText(const std::vector<PlannedDisk>& disks) {
    std::size_t files = 0;
    std::int64_t bytes = 0;
    for (const PlannedDisk& d : disks) {
        files += d.count;
        bytes += d.bytes;
    }
    if (files == 0) return " Aucun fichier à rapatrier ";
    return "Total : " + count(files) + " fichier(s) sur " + count(disks.size()) + " disque(s), " +
           FormatTaille(bytes);
}

} // namespace verdan
