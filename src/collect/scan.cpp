#include "collect/scan.h"

#include "catalogue/media_categories.h"
#include "collect/collection_state.h"
#include "collect/collection_types.h"
#include "collect/disk_rows.h"
#include "collect/found_line.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/dialogs.h"
#include "util/format.h"
#include "util/text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

namespace verdan {

namespace {

void notifyChanged(CollectionState& state) {
    if (state.onScanChanged) state.onScanChanged();
}

// What the list's reading takes of each hand-off, a few of every twenty a second: a million rows
// are read over the first hand-offs of a scan of a hundred thousand files.
constexpr std::chrono::milliseconds kRowsTimePerHandOff{16};

bool isCurrent(const CollectionState& state, const ScanRun& run) {
    return state.scanWorkers.current().get() == &run;
}

// Found lines of a worker, handed over in batches: one insertion and one refresh of the view each.
void deliverLines(CollectionState& state, ScanRun& run, std::vector<std::string>& lines) {
    if (!isCurrent(state, run)) return; // an abandoned scan: the list now belongs to another
    addToFoundList(state, std::move(lines));
    notifyChanged(state);
    // While the walkers wait on the disk, this thread reads a slice of the list for a refresh.
    if (run.rows) run.rows->step(SIZE_MAX, kRowsTimePerHandOff);
}

} // namespace

bool scanLocked(const CollectionState& state) {
    const auto& run = state.scanWorkers.current();
    return run && !run->stopRequested.load();
}

void abandonScan(CollectionState& state, Ui& ui) {
    const auto& run = state.scanWorkers.current();
    if (!run) return;
    const bool wasBusy = !run->stopRequested.load();
    state.scanWorkers.abandonCurrent();
    if (wasBusy) ui.setBusy(false);
    state.scanStatus = "---";
    state.addButtonEnabled = true;
    notifyChanged(state);
}

void BitBtn_lister_mediaClick(ProgramState& program, CollectionState& state, Ui& ui,
                              const DiskIdentity& disk) {
    if (scanLocked(state)) return;
    abandonScan(state, ui);
    state.clearFound();
    notifyChanged(state);
    if (state.SelectedDrive.empty()) {
        ShowInfo(ui, " choisir un disque...");
        return;
    }
    if (state.folders.selected.empty()) {
        ShowInfo(ui, " sélectionner un ou des répertoires...");
        return;
    }
    const auto& media = program.catalogue.params.media;
    if (trimControl(media[0].extensionFilter).empty() && trimControl(media[1].extensionFilter).empty()) {
        ShowInfo(ui, " aucun filtre de défini...");
        return;
    }
    auto run = std::make_shared<ScanRun>();
    run->driveRoot = state.SelectedDrive;
    run->disk = disk;
    run->startTick = state.tick();
    state.addButtonEnabled = false;
    run->settings = makeScanSettings(media, platform::decimalSeparator());
    state.foundExtensions = categoryExtensions(media);
    ui.setBusy(true);
    state.scanStatus = "Listage en cours...";
    notifyChanged(state);
    if (disk.ok && disk.serial != "-") {
        std::vector<std::string> folders;
        for (const auto& name : state.folders.selected)
            folders.push_back(folderPath(state.SelectedDrive, name));
        run->rows = std::make_shared<DiskRows>(program.globalList.table, disk, state.SelectedDrive, folders);
    }
    StartScans(state, ui, run);
}

void StartScans(CollectionState& state, Ui& ui, const std::shared_ptr<ScanRun>& run) {
    state.clearFound();
    state.scanWorkers.setCurrent(run);
    int launched = 0;
    std::vector<std::function<void()>> here;
    if (state.drives.hasDriveRows()) {
        for (const auto& name : state.folders.selected) {
            const std::string path = folderPath(state.SelectedDrive, name);
            state.scanLog.push_back("Scan : " + path);
            run->folders.push_back(path);
            auto body = [&state, &ui, run, path, tuning = state.scanTuning] {
                std::vector<std::string> batch;
                auto last = std::chrono::steady_clock::now();
                auto flush = [&] {
                    if (batch.empty()) return;
                    ui.runOnUiThread([&] { deliverLines(state, *run, batch); });
                    batch.clear();
                    last = std::chrono::steady_clock::now();
                };
                try {
                    ScanFolder(path, *run, [&](std::string&& line) {
                        batch.push_back(std::move(line));
                        if (batch.size() >= tuning.batchLines ||
                            std::chrono::steady_clock::now() - last >= tuning.batchDelay)
                            flush();
                    });
                    flush();
                } catch (...) {
                    // Out of memory in the middle of a walk: the scan still ends with its summary.
                    try {
                        run->noteUnread(path);
                    } catch (...) {
                        run->stopRequested.store(true); // noted as a stop, which compares nothing
                    }
                }
                ui.runOnUiThread([&] { FinishScan(state, ui, *run); });
            };
            try {
                state.scanWorkers.launch(ui, body);
                ++launched;
            } catch (const std::system_error&) {
                here.push_back(std::move(body));
            }
        }
    }
    // No worker can report before this handler returns: hand-offs wait for this thread.
    run->workers = launched + static_cast<int>(here.size());
    // A folder without a thread of its own is walked here, after the others have started: the
    // window waits meanwhile, but no folder is left out.
    for (const auto& body : here) body();
    if (run->workers == 0) {
        state.scanWorkers.setCurrent(nullptr);
        ui.setBusy(false);
        state.scanStatus = "---";
        state.addButtonEnabled = true;
        notifyChanged(state);
    }
}

void addToFoundList(CollectionState& state, std::vector<std::string> lines) {
    state.found.insert(std::move(lines));
    state.foundCountCaption = toText(static_cast<long long>(state.found.size()));
}

void FinishScan(CollectionState& state, Ui& ui, ScanRun& run) {
    if (!isCurrent(state, run)) return;
    if (++run.finished != run.workers) return;
    state.scanWorkers.setCurrent(nullptr);
    summarizeScan(state, ui, run);
}

void summarizeScan(CollectionState& state, Ui& ui, ScanRun& run) {
    ui.setBusy(false);
    ScannedDisk scanned;
    scanned.disk = run.disk;
    scanned.driveRoot = run.driveRoot;
    scanned.folders = run.folders;
    scanned.unread = run.unread();
    scanned.lines = state.found.lines();
    scanned.stopped = run.stopRequested.load();
    scanned.rows = run.rows;
    state.scannedDisk = std::move(scanned);
    state.scanLog.push_back(toText(run.finished) + " --- Recherche terminée !!!! ---");
    const std::string duration = FormatDuree(state.tick() - run.startTick);
    state.scanStatus = "Listage terminé en " + duration;
    notifyChanged(state);
    if (state.found.empty()) ShowInfo(ui, " aucun média dans les répertoires sélectionnés...");

    std::string message =
        " Listage terminé,   " + state.foundCountCaption + " médias retenus  en  " + duration;
    const auto& s = run.settings;
    if (s.minimumOn[0] && run.counters.tooSmall1.load() > 0)
        message += "Exclus medias 1 " + toText(run.counters.tooSmall1.load()) + " fichiers trop petits ...";
    if (s.minimumOn[1] && run.counters.tooSmall2.load() > 0)
        message +=
            "\n\nExclus medias 2 " + toText(run.counters.tooSmall2.load()) + " fichiers trop petits ...";
    if (run.counters.unreadable.load() > 0) {
        SignalSonore(ui);
        auto& panel = state.unreadablePanel;
        panel.lines.clear();
        long long count = 0, refused = 0, index = 0;
        for (const auto& line : state.found) {
            if (hasUnreadableSize(line)) {
                ++count;
                panel.lines.push_back(unreadableListEntry(line, static_cast<std::size_t>(index)));
                // A name altered for the catalogue is not found again; a refused one is.
                if (platform::entryAccess(std::string(splitFoundLine(line).path)) ==
                    platform::EntryAccess::Refused)
                    ++refused;
            }
            ++index;
        }
        run.counters.unreadable.store(count);
        const long long notFound = count - refused;
        const std::string namesReason =
            " fichier(s) introuvable(s)  =>  probablement des caractères incompatibles "
            "(cyrilliques...)";
        const std::string refusedReason = " fichier(s) illisible(s)  =>  accès refusé (droits insuffisants)";
        if (refused == 0)
            panel.caption = "  " + toText(count) + namesReason + " d'où taille = N/A";
        else if (notFound == 0)
            panel.caption = "  " + toText(refused) + refusedReason + " d'où taille = N/A";
        else
            panel.caption = "  " + toText(notFound) + namesReason + ",  " + toText(refused) + refusedReason +
                            ",  d'où taille = N/A";
        panel.visible = true;
        if (notFound > 0)
            message += "\n\n  " + toText(notFound) + " fichier(s) introuvable(s)  => taille = N/A";
        if (refused > 0)
            message += "\n\n  " + toText(refused) + " fichier(s) illisible(s), accès refusé  => taille = N/A";
    } else {
        state.renamePanelVisible = false;
    }
    if (const auto folders = run.counters.inaccessibleFolders.load(); folders > 0)
        message +=
            "\n\n  " + toText(folders) + " dossier(s) inaccessible(s)  =>  leurs fichiers ne sont pas listés";
    notifyChanged(state);
    SignalSonore(ui);
    ShowInfo(ui, message);
    state.addButtonEnabled = true;
    notifyChanged(state);
}

void Button2Click(CollectionState& state, Ui& ui) {
    if (const auto& run = state.scanWorkers.current()) run->stopRequested.store(true);
    ui.setBusy(false);
    notifyChanged(state);
}

} // namespace verdan
