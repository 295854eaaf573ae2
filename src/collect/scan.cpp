#include "collect/scan.h"

#include "collect/collection_state.h"
#include "collect/new_row.h"
#include "platform/dir_walk.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/cp1252.h"
#include "util/dialogs.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace verdan {

namespace {

void notifyChanged(CollectionState& state) {
    if (state.onScanChanged) state.onScanChanged();
}

bool isCurrent(const CollectionState& state, const ScanRun& run) {
    return state.scanWorkers.current().get() == &run;
}

bool excludedFolder(const std::string& name) {
    return name == "Windows" || name == "Program Files" || name == "System Volume Information";
}

// Found lines of a worker, handed over in batches: one insertion and one refresh of the view each.
void deliverLines(CollectionState& state, ScanRun& run, std::vector<std::string>& lines) {
    if (!isCurrent(state, run)) return; // an abandoned scan: the list now belongs to another
    AddFoundLines(state, std::move(lines));
    notifyChanged(state);
}

} // namespace

std::vector<std::string> BuildExtensionList(std::string_view filter) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= filter.size()) {
        std::size_t end = filter.find(',', at);
        if (end == std::string_view::npos) end = filter.size();
        std::string_view item = filter.substr(at, end - at);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (!item.empty()) {
            std::string ext = ".";
            out.push_back(ext += utf8::asciiLower(item));
        }
        at = end + 1;
    }
    return out;
}

std::int64_t minimumSizeBytes(std::string_view text) {
    // A plain whole number, as a strict integer reader takes it: "10.5" or "10 Mo" is none.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return 0;
    return static_cast<std::int64_t>(value) * 1048576;
}

ScanSettings makeScanSettings(const std::array<MediaCategory, 2>& media, std::string decimalSeparator) {
    ScanSettings s;
    for (std::size_t i = 0; i < 2; ++i) {
        s.extensions[i] = BuildExtensionList(media[i].extensionFilter);
        s.filterSet[i] = !trimControl(media[i].extensionFilter).empty();
        s.minimumOn[i] = media[i].minimumSizeOn;
        s.minimumSize[i] = media[i].minimumSizeOn ? minimumSizeBytes(media[i].minimumSize) : 0;
    }
    s.decimalSeparator = std::move(decimalSeparator);
    return s;
}

int AcceptFile(std::string_view name, const std::function<std::int64_t()>& size, const ScanSettings& settings,
               ScanCounters& counters) {
    const std::size_t dot = name.rfind('.');
    const std::string ext =
        dot == std::string_view::npos ? std::string() : utf8::asciiLower(name.substr(dot));
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& list = settings.extensions[i];
        if (!settings.filterSet[i] || list.empty() || std::find(list.begin(), list.end(), ext) == list.end())
            continue;
        // Of a DVD's video files only the first part of the main title stands for the film.
        if (ext == ".vob" && utf8::asciiUpper(name) != "VTS_01_1.VOB") return 0;
        if (!settings.minimumOn[i] || size() >= settings.minimumSize[i]) return static_cast<int>(i) + 1;
        (i == 0 ? counters.tooSmall1 : counters.tooSmall2).fetch_add(1);
        return 0;
    }
    return 0;
}

std::string storableName(std::string_view name, bool& altered) {
    std::string out = cp1252::storable(name, &altered);
    // A catalogue folder is written with "\" between its names: a Linux name holding one would
    // come back as two names, a path that does not exist.
    for (char& c : out) {
        if (c == '\\') {
            c = '?';
            altered = true;
        }
    }
    return out;
}

std::string makeFoundLine(std::string_view modified, std::int64_t size, std::string_view path,
                          std::string_view decimalSeparator) {
    std::string line;
    line.reserve(modified.size() + path.size() + 40);
    line.append(modified);
    line += "   ";
    line += PadRight(FormatTaille(size, decimalSeparator), 15);
    line += "    >    ";
    line.append(path);
    return line;
}

bool hasUnreadableSize(std::string_view line) {
    return line.substr(0, line.find('>')).find("N/A") != std::string_view::npos;
}

namespace {

// The walk holds at most this many folders open, however deep it goes: further up it finds its
// way back through "..".
constexpr std::size_t kOpenLevels = 24;

// A path below the drive's root as a catalogue can store it, name by name.
std::string storablePath(std::string_view path, bool& altered) {
    altered = false;
    std::string out;
    std::size_t at = 0;
    for (;;) {
        std::size_t end = at;
        while (end < path.size() && path[end] != '/' && path[end] != platform::nativeSeparator()) ++end;
        bool part = false;
        out += storableName(path.substr(at, end - at), part);
        altered = altered || part;
        if (end == path.size()) return out;
        out += path[end];
        at = end + 1;
    }
}

bool countsAsInaccessible(const platform::FolderReader& folder) {
    return folder.failure() == platform::OpenFailure::Refused ||
           folder.failure() == platform::OpenFailure::Other;
}

struct Subfolder {
    std::string name;  // as the system names it
    std::string shown; // as a catalogue can store it
    bool altered = false;
};

// One folder of the walk's way down: its handle (closed when far above the current one), its
// subfolders still to walk, and where its shown path ends.
struct Level {
    std::unique_ptr<platform::FolderReader> reader;
    platform::FolderId id;
    std::vector<Subfolder> subfolders;
    std::size_t next = 0;
    std::size_t shownLength = 0;
    bool altered = false;
};

} // namespace

void ScanFolder(const std::string& folder, ScanRun& run, const std::function<void(std::string&&)>& found) {
    if (run.stopRequested.load()) return;
    auto start = std::make_unique<platform::FolderReader>(folder);
    if (!start->isOpen()) {
        if (countsAsInaccessible(*start)) run.counters.inaccessibleFolders.fetch_add(1);
        return; // refused, vanished or a link
    }
    // The scan stays on the chosen drive: a ticked folder may be the mount point of another one.
    std::uint64_t device = start->device();
    if (!run.driveRoot.empty()) {
        const platform::FolderReader root(run.driveRoot);
        if (root.isOpen() && root.device() != device) return;
    }

    std::string shown; // the current folder's path as found lines show it
    bool startAltered = false;
    {
        const std::string& root = run.driveRoot;
        if (!root.empty() && folder.compare(0, root.size(), root) == 0)
            shown = root + storablePath(std::string_view(folder).substr(root.size()), startAltered);
        else
            shown = storablePath(folder, startAltered);
    }

    std::vector<Level> levels;
    platform::DirEntry entry;
    // Lists one folder: its media files now, its subfolders for later.
    auto read = [&](Level& level) {
        platform::FolderReader& reader = *level.reader;
        while (!run.stopRequested.load() && reader.next(entry)) {
            if (entry.kind == platform::EntryKind::Folder) {
                if (excludedFolder(entry.name)) continue;
                bool altered = false;
                std::string shownName = storableName(entry.name, altered);
                level.subfolders.push_back({entry.name, std::move(shownName), level.altered || altered});
                continue;
            }
            if (entry.kind != platform::EntryKind::File) continue;
            bool altered = false;
            const std::string shownName = storableName(entry.name, altered);
            altered = altered || level.altered;
            platform::EntryStat st;
            bool statDone = false;
            auto size = [&]() -> std::int64_t {
                if (!statDone) {
                    st = reader.stat(entry);
                    statDone = true;
                }
                // A name a catalogue cannot hold could never be found again by its listed path.
                return altered || !st.ok ? -1 : st.size;
            };
            if (AcceptFile(shownName, size, run.settings, run.counters) == 0) continue;
            const std::int64_t bytes = size();
            if (bytes < 0) run.counters.unreadable.fetch_add(1);
            // Without a time the file has vanished; the legacy epoch keeps the line well formed.
            const std::string modified = st.ok ? platform::localMinuteText(st.modified) : "1980-01-01 00:00";
            found(makeFoundLine(modified, bytes, joinPath(shown, shownName), run.settings.decimalSeparator));
        }
    };

    levels.push_back({std::move(start), {}, {}, 0, shown.size(), startAltered});
    levels.back().id = levels.back().reader->id();
    read(levels.back());
    while (!levels.empty() && !run.stopRequested.load()) {
        Level& level = levels.back();
        if (level.next == level.subfolders.size()) {
            // Back up. A folder whose handle was given up is found again through "..", as long
            // as it is still the same folder.
            std::unique_ptr<platform::FolderReader> done = std::move(level.reader);
            levels.pop_back();
            if (levels.empty()) break;
            Level& parent = levels.back();
            if (!parent.reader) {
                auto again = done ? done->openParent() : nullptr;
                if (again && again->isOpen() && again->id() == parent.id)
                    parent.reader = std::move(again);
                else
                    parent.next = parent.subfolders.size(); // the tree moved: the rest of it goes
            }
            shown.resize(parent.shownLength);
            continue;
        }
        if (!level.reader) {
            level.next = level.subfolders.size();
            continue;
        }
        const Subfolder& sub = level.subfolders[level.next++];
        auto child = level.reader->openChild(sub.name);
        if (!child->isOpen()) {
            if (countsAsInaccessible(*child)) run.counters.inaccessibleFolders.fetch_add(1);
            continue;
        }
        if (child->device() != device) continue; // another mounted file system is a drive of its own
        const bool altered = sub.altered;
        shown = joinPath(shown, sub.shown);
        if (levels.size() >= kOpenLevels) levels[levels.size() - kOpenLevels].reader.reset();
        Level next;
        next.reader = std::move(child);
        next.id = next.reader->id();
        next.shownLength = shown.size();
        next.altered = altered;
        levels.push_back(std::move(next));
        read(levels.back());
    }
}

ScanWorkers::~ScanWorkers() {
    stopAndWait();
}

void ScanWorkers::abandonCurrent() {
    if (!m_current) return;
    m_current->stopRequested.store(true);
    m_current.reset();
}

void ScanWorkers::launch(Ui& ui, std::function<void()> body) {
    reap();
    m_ui = &ui;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread t([body = std::move(body), done] {
        body();
        done->store(true);
    });
    m_workers.push_back({std::move(t), std::move(done)});
}

std::size_t ScanWorkers::liveWorkers() const {
    return static_cast<std::size_t>(
        std::count_if(m_workers.begin(), m_workers.end(), [](const Worker& w) { return !w.done->load(); }));
}

void ScanWorkers::reap() {
    auto finished =
        std::partition(m_workers.begin(), m_workers.end(), [](const Worker& w) { return !w.done->load(); });
    for (auto it = finished; it != m_workers.end(); ++it) it->thread.join();
    m_workers.erase(finished, m_workers.end());
}

void ScanWorkers::stopAndWait() {
    abandonCurrent();
    // Workers may be waiting for the user-interface thread, which is this one.
    while (liveWorkers() > 0) {
        if (m_ui) m_ui->processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reap();
}

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

void BitBtn_lister_mediaClick(ProgramState& program, CollectionState& state, Ui& ui) {
    if (scanLocked(state)) return;
    abandonScan(state, ui);
    state.found.clear();
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
    run->startTick = state.tick();
    state.addButtonEnabled = false;
    run->settings = makeScanSettings(media, platform::decimalSeparator());
    program.ScanStopRequested = false;
    ui.setBusy(true);
    state.scanStatus = "Listage en cours...";
    notifyChanged(state);
    StartScans(state, ui, run);
}

void StartScans(CollectionState& state, Ui& ui, const std::shared_ptr<ScanRun>& run) {
    state.found.clear();
    state.scanWorkers.setCurrent(run);
    int launched = 0;
    if (state.drives.hasDriveRows()) {
        for (const auto& name : state.folders.selected) {
            const std::string path = folderPath(state.SelectedDrive, name);
            state.scanLog.push_back("Scan : " + path);
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
                }
                ui.runOnUiThread([&] { FinishScan(state, ui, *run); });
            };
            try {
                state.scanWorkers.launch(ui, std::move(body));
                ++launched;
            } catch (const std::system_error&) {
                // No thread to be had: that folder is left out rather than the scan never ending.
            }
        }
    }
    // No worker can report before this handler returns: hand-offs wait for this thread.
    run->workers = launched;
    if (launched == 0) {
        state.scanWorkers.setCurrent(nullptr);
        ui.setBusy(false);
        state.scanStatus = "---";
        state.addButtonEnabled = true;
        notifyChanged(state);
    }
}

void AddFoundLine(CollectionState& state, std::string line) {
    state.found.insert(std::move(line));
    state.foundCountCaption = toText(static_cast<long long>(state.found.size()));
}

void AddFoundLines(CollectionState& state, std::vector<std::string> lines) {
    state.found.insert(std::move(lines));
    state.foundCountCaption = toText(static_cast<long long>(state.found.size()));
}

void FinishScan(CollectionState& state, Ui& ui, ScanRun& run) {
    if (!isCurrent(state, run)) return;
    if (++run.finished != run.workers) return;
    state.scanWorkers.setCurrent(nullptr);
    SummarizeScan(state, ui, run);
}

void SummarizeScan(CollectionState& state, Ui& ui, ScanRun& run) {
    ui.setBusy(false);
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
                panel.lines.push_back(line + " = " + toText(index));
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

void Button2Click(ProgramState& program, CollectionState& state, Ui& ui) {
    program.ScanStopRequested = true;
    if (const auto& run = state.scanWorkers.current()) run->stopRequested.store(true);
    ui.setBusy(false);
    notifyChanged(state);
}

} // namespace verdan
