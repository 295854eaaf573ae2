#include "browse/plan_copy.h"

#include <algorithm>
#include <cstdint>

#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

std::int64_t plannedBytes(const PlannedFile& f) {
    return std::max<std::int64_t>(0, ParseTaille(f.size));
}

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
    RetrievalPlan& plan = browse.plan;
    followFavouritesFolder(plan, folder, ui);
    removeStaleTemporaries(folder);
    std::vector<PlannedFile> files;
    for (const PlannedFile& f : plan.files())
        if (onDisk(f, disk.name, disk.serial)) files.push_back(f);
    if (files.empty()) return;

    std::int64_t n = static_cast<std::int64_t>(files.size()), total = 0, existing = 0, existingSize = 0;
    for (const PlannedFile& f : files) {
        total += plannedBytes(f);
        if (platform::exists(pathInFolder(folder, f.title + f.ext))) {
            ++existing;
            existingSize += plannedBytes(f);
        }
    }
    bool overwrite = true;
    if (existing > 0) {
        const DialogButton answer = ui.ask(
            DialogType::Confirmation, existingDestinationsQuestion(existing, total - existingSize, total),
            {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
        if (answer == DialogButton::Cancel) return;
        overwrite = answer != DialogButton::Yes;
        if (!overwrite) {
            n -= existing;
            total -= existingSize;
        }
    }

    BatchCopy batch(program, browse, ui, view, folder, n, total);
    view.copyProgressChanged();
    std::vector<std::string> notFound, refused, unsafe;
    // The files fetched leave the plan on disk at most once a second: rewriting the whole plan
    // after each of thousands of small files would cost more than copying them. A power cut meanwhile
    // leaves some planned that are in the favourites folder already, which the next copy finds.
    std::vector<PlannedFile> fetched;
    // The copies are renamed into place without being forced to disk: those a flush drops from
    // the plan are forced first, all at once, lest a power cut lose both the file and its entry.
    std::vector<std::string> copied;
    std::uint32_t lastSave = browse.tick();
    bool saving = true; // one error box for a plan that cannot be written, not one per file
    const auto flush = [&] {
        if (fetched.empty()) return;
        lastSave = browse.tick();
        // A copy that could not be forced to disk stays planned; the next copy finds it there.
        if (!platform::syncFiles(copied, folder)) return;
        copied.clear();
        plan.remove(fetched);
        fetched.clear();
        if (saving) saving = saveRetrievalPlan(plan, ui);
    };
    try {
        for (const PlannedFile& f : files) {
            const std::string name = f.title + f.ext;
            const std::string source = fileOnDisk(disk.root, f.folder, name);
            if (source.empty()) {
                unsafe.push_back(refusedRowLine(f.disk, f.folder, name));
                continue;
            }
            const std::string destination = pathInFolder(folder, name);
            const bool skipped = !overwrite && platform::exists(destination);
            if (!skipped && !platform::isFile(source)) {
                notFound.push_back(source);
                continue;
            }
            if (!skipped) {
                const BatchCopy::Outcome outcome = batch.copy(source, name, f.title, f.folder);
                if (outcome == BatchCopy::Outcome::NameRefused) {
                    refused.push_back(name);
                    continue;
                }
                if (outcome == BatchCopy::Outcome::SourceFailed) throw VerdanError(batch.sourceFailure());
                if (outcome == BatchCopy::Outcome::Stopped) break;
            }
            copied.push_back(destination);
            // Only a file whole in the favourites folder leaves the plan.
            fetched.push_back(f);
            if (browse.tick() - lastSave > 1000) flush();
            view.copyProgressChanged();
            ui.processEvents();
            if (program.StopRequested) break;
        }
    } catch (...) {
        flush();
        throw;
    }
    flush();

    if (!notFound.empty())
        ui.ask(DialogType::Warning,
               " " + count(notFound.size()) + " fichier(s) introuvable(s) sur le disque " + disk.name +
                   ", qui reste(nt) dans le plan :\n" + listedLines(notFound),
               {DialogButton::Ok});
    if (!refused.empty())
        showError(ui, "  Le dossier des favoris refuse le nom de " + count(refused.size()) +
                          " fichier(s), qui restent dans le plan :\n" + listedLines(refused));
    if (!unsafe.empty())
        showError(ui, refusedRowsText(unsafe, "ne sont pas copiées et restent dans le plan"));
    SignalSonore(ui);
    ui.showInfo(toText(batch.copiedCount()) + " copies effectuées sur " + toText(n) + " demandées  \n\n" +
                "            les autres existant déjà (ou stop demandé)");
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
