#include "collect/add_media.h"

#include "collect/collection_state.h"
#include "collect/scan.h"
#include "platform/files.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace verdan {

namespace {

bool isPathSeparator(char c) {
    static const char native = platform::nativeSeparator();
    return c == '/' || c == native;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool windowsPaths() {
    static const bool windows = platform::nativeSeparator() == '\\';
    return windows;
}

// Windows names a folder whatever the letter case it is written in.
bool startsWithFolder(std::string_view path, std::string_view root) {
    if (path.size() < root.size()) return false;
    const std::string_view head = path.substr(0, root.size());
    return windowsPaths() ? utf8::compareFolded(head, root) == 0 : head == root;
}

// The two category filters, lower-cased once for a whole batch of lines.
struct MediaFilters {
    std::array<std::string, 2> names;
    std::array<std::string, 2> lowered;

    explicit MediaFilters(const std::array<MediaCategory, 2>& media) {
        for (std::size_t i = 0; i < 2; ++i) {
            names[i] = media[i].name;
            lowered[i] = utf8::asciiLower(media[i].extensionFilter);
        }
    }

    std::string kindOf(std::string_view ext) const {
        std::string_view kind = ext;
        std::string_view bare = ext.substr(ext.empty() || ext.front() != '.' ? 0 : 1);
        if (!bare.empty()) {
            // A plain substring test, as the filters have always been read: "mp4" is inside "mp4a".
            const std::string wanted = utf8::asciiLower(bare);
            for (std::size_t i = 0; i < 2; ++i) {
                if (lowered[i].find(wanted) != std::string::npos) kind = names[i];
            }
        }
        return DropPluralS(kind);
    }
};

// The text after the first ":\" of a DVD entry; its whole path part when it has none.
std::string_view dvdTitleText(std::string_view line, std::string_view path) {
    const std::size_t at = line.find(":\\");
    return at == std::string_view::npos ? path : line.substr(at + 2);
}

// What every line of one adding shares. The decimal separator is asked of the system once: the
// question costs more than the rest of a line.
struct RowContext {
    const DiskIdentity& disk;
    std::string_view driveRoot;
    int level;
    MediaFilters filters;
    std::string decimalSeparator = platform::decimalSeparator();
};

NewRowValues makeValues(std::string_view line, const RowContext& context) {
    const DiskIdentity& disk = context.disk;
    const int level = context.level;
    NewRowValues v;
    const FoundLineParts parts = splitFoundLine(line);
    v.kind = foundKindOf(line, parts.path);
    const NameParts name = splitFileName(fileNameOf(parts.path, v.kind));
    v.titre = name.titre;
    v.ext = name.ext;
    v.media = context.filters.kindOf(name.ext);
    v.date = parts.date;
    switch (v.kind) {
    case FoundKind::DvdPipe:
        v.key = dvdTitleText(line, parts.path);
        v.folder = ExtractField(line, 1, '|') + ExtractField(line, 3, '|');
        break;
    case FoundKind::Dvd:
        v.key = dvdTitleText(line, parts.path);
        v.key += "DVD-";
        v.folder = ExtractField(line, 4, '-');
        break;
    case FoundKind::File:
        v.folder = catalogueFolder(parts.path, context.driveRoot);
        v.size = FormatTaille(FindFileSize(std::string(parts.path)), context.decimalSeparator);
        // The composition of cle_index, from the values the row will hold.
        v.key.reserve(v.titre.size() + v.ext.size() + disk.label.size() + disk.serial.size() + v.size.size() +
                      v.date.size() + v.folder.size());
        v.key += v.titre;
        v.key += v.ext;
        v.key += disk.label;
        v.key += disk.serial;
        if (level >= 1) v.key += v.size;
        if (level >= 2) v.key += v.date;
        if (level >= 3) v.key += v.folder;
        break;
    }
    return v;
}

// The hourglass for the work in between, also when it ends in an exception.
class BusyCursor {
public:
    explicit BusyCursor(Ui& ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyCursor() { release(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void release() {
        if (!m_on) return;
        m_on = false;
        m_ui.setBusy(false);
    }

private:
    Ui& m_ui;
    bool m_on = true;
};

// Lines made at once: the values of a chunk are computed side by side, then taken in order.
constexpr std::size_t kChunkLines = 8192;
constexpr std::size_t kPrefetchAhead = 8;

struct PendingRow {
    NewRowValues values;
    std::uint64_t hash = 0;
};

// Runs fn(i) for every i below `count` on a few helper threads, taken in small batches, while
// the caller does something else; finish() lends the caller's hand to what is left and waits.
class SharedRun {
public:
    SharedRun(std::size_t count, std::function<void(std::size_t)> fn, std::size_t helpers)
        : m_count(count), m_fn(std::move(fn)) {
        for (std::size_t h = 0; h < helpers && h * kBatch < count; ++h) {
            try {
                m_helpers.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // no thread to be had: the caller does the rest
            }
        }
    }
    ~SharedRun() {
        try {
            finish();
        } catch (...) {
            // Already leaving through another exception.
        }
    }
    SharedRun(const SharedRun&) = delete;
    SharedRun& operator=(const SharedRun&) = delete;

    void finish() {
        work();
        for (auto& helper : m_helpers) helper.join();
        m_helpers.clear();
        if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    }

private:
    static constexpr std::size_t kBatch = 64;

    void work() {
        for (;;) {
            const std::size_t begin = m_next.fetch_add(kBatch);
            if (begin >= m_count) return;
            try {
                for (std::size_t i = begin; i < std::min(m_count, begin + kBatch); ++i) m_fn(i);
            } catch (...) {
                std::lock_guard lock(m_failureMutex);
                if (!m_failure) m_failure = std::current_exception();
                m_next = m_count;
                return;
            }
        }
    }

    const std::size_t m_count;
    const std::function<void(std::size_t)> m_fn;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_failureMutex;
    std::exception_ptr m_failure;
    std::vector<std::thread> m_helpers;
};

// A thread joined however its scope is left.
class JoinedThread {
public:
    template <class Fn> explicit JoinedThread(Fn&& fn) : m_thread(std::forward<Fn>(fn)) {}
    ~JoinedThread() {
        if (m_thread.joinable()) m_thread.join();
    }
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

private:
    std::thread m_thread;
};

// The disk list takes an entry unless it is "-" or already there, letter case ignored.
void addDiskEntry(std::vector<std::string>& disks, std::string entry) {
    if (entry == "-") return;
    for (const std::string& known : disks)
        if (utf8::compareFolded(known, entry) == 0) return;
    disks.push_back(std::move(entry));
}

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

FoundLineParts splitFoundLine(std::string_view line) {
    FoundLineParts parts;
    const std::size_t gt = line.find('>');
    if (gt == std::string_view::npos) {
        parts.path = trimBlanks(line);
        return parts;
    }
    const std::string_view date = trimBlanks(line.substr(0, gt));
    parts.date = date.substr(0, utf8::offsetOfChar(date, 16));
    // No cut at 255 characters: a longer path (common on Linux) would lose the end of its name.
    parts.path = trimBlanks(line.substr(gt + 1));
    return parts;
}

FoundKind foundKindOf(std::string_view line, std::string_view path) {
    const bool dvd = startsWith(path, "-DVD") || startsWith(path, "DVD|");
    if (!dvd) return FoundKind::File;
    return line.find("DVD|") != std::string_view::npos ? FoundKind::DvdPipe : FoundKind::Dvd;
}

std::string_view fileNameOf(std::string_view path, FoundKind kind) {
    std::size_t cut = std::string_view::npos;
    if (kind != FoundKind::File) {
        cut = path.find_last_of("\\:");
    } else {
        for (std::size_t i = path.size(); i-- > 0;) {
            const char c = path[i];
            if (isPathSeparator(c) || (c == ':' && windowsPaths())) {
                cut = i;
                break;
            }
        }
    }
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

NameParts splitFileName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

std::string catalogueFolder(std::string_view path, std::string_view driveRoot) {
    std::string_view root = driveRoot;
    while (!root.empty() && isPathSeparator(root.back())) root.remove_suffix(1);
    std::string_view rest;
    if (!driveRoot.empty() && startsWithFolder(path, root) &&
        (path.size() == root.size() || isPathSeparator(path[root.size()]))) {
        rest = path.substr(root.size());
    } else if (path.size() >= 2 && path[1] == ':') {
        rest = path.substr(2); // another drive letter than the chosen one
    } else {
        rest = path;
    }
    std::size_t end = rest.size();
    while (end > 0 && !isPathSeparator(rest[end - 1])) --end; // the file name goes
    std::string_view folder = rest.substr(0, end);
    while (!folder.empty() && isPathSeparator(folder.front())) folder.remove_prefix(1);
    while (!folder.empty() && isPathSeparator(folder.back())) folder.remove_suffix(1);
    std::string out = ":\\";
    out.reserve(out.size() + folder.size());
    for (char c : folder) out += isPathSeparator(c) ? '\\' : c;
    return out;
}

std::string driveCell(std::string_view driveText) {
    if (!driveText.empty() && driveText.front() == '/') return std::string(driveText);
    return std::string(driveText.substr(0, utf8::offsetOfChar(driveText, 1)));
}

std::string mediaKind(std::string_view ext, const std::array<MediaCategory, 2>& media) {
    return MediaFilters(media).kindOf(ext);
}

NewRowValues newRowValues(std::string_view line, const DiskIdentity& disk, std::string_view driveRoot,
                          int level, const std::array<MediaCategory, 2>& media) {
    return makeValues(line, RowContext{disk, driveRoot, level, MediaFilters(media)});
}

AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui) {
    AddOutcome outcome;
    if (scanLocked(state)) {
        ui.ask(DialogType::Information, " Le listage n'est pas encore terminé ", {DialogButton::Yes});
        return outcome;
    }
    if (!state.drives.hasDriveRows() || state.found.empty()) return outcome;

    GlobalListState& form2 = program.form2;
    GlobalList& list = form2.list;
    const std::size_t n = state.found.size();
    const std::size_t m = list.mediaCount();
    const std::string question =
        m > 0 ? " Rajouter ces " + count(n) + " médias à la liste globale des " + count(m) + " médias ?"
              : " Rajouter ces " + count(n) + " médias à la liste globale vide ?";
    if (ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) !=
        DialogButton::Yes)
        return outcome;

    const std::string driveText = state.drives.cell(state.drives.currentRow(), 0);
    const DiskIdentity disk = QueryDisk(provider, driveText);
    if (!disk.ok) return outcome;

    BusyCursor busy(ui);
    list.ListModified = true;
    outcome.changed = true;
    // Only a row with nothing in it goes: a real row whose "n" cell happens to be empty stays.
    const bool replaceBlank = list.rowCount() == 2 && list.isEmptyRow(1);
    const std::size_t firstRow = replaceBlank ? 1 : list.rowCount();

    enum Cell {
        N,
        Disque,
        Media,
        Titre,
        Ext,
        Date,
        Repertoire,
        Taille,
        Drive,
        Type,
        Ns,
        Libre,
        Total,
        kCells
    };
    static constexpr const char* kHeaders[kCells] = {
        "n",      "nom-disque", "média",       "titre",     "ext",   "date", "répertoire",
        "taille", "drive",      "type-disque", "NS-disque", "libre", "total"};
    std::array<int, kCells> column{};
    for (int c = 0; c < kCells; ++c) column[static_cast<std::size_t>(c)] = list.indice_col_liste(kHeaders[c]);

    const RowContext context{disk, driveText,
                             std::clamp(program.catalogue.params.indexLevel, 0, kIndexLevels - 1),
                             MediaFilters(program.catalogue.params.media)};
    const std::string drive = driveCell(driveText);
    const std::string libre = FormatTaille(disk.freeBytes, context.decimalSeparator),
                      total = FormatTaille(disk.totalBytes, context.decimalSeparator);

    // The disk list is rebuilt from the rows already there while the new rows are made: those
    // all name one disk, which joins the list at the end unless it is there already.
    std::optional<JoinedThread> diskList;
    bool disksGathered = false;
    try {
        diskList.emplace([&form2, &disksGathered] {
            try {
                extraire_hd_liste_globale(form2);
                disksGathered = true;
            } catch (...) {
                // Rebuilt below, after the rows, when this fails.
            }
        });
    } catch (const std::system_error&) {
    }

    std::vector<const std::string*> lines;
    lines.reserve(state.found.size());
    for (const std::string& line : state.found)
        if (!line.empty()) lines.push_back(&line);

    // The new rows gather in a table of their own and join the list in one move, so that the
    // list and its view hear of one insertion, not of one per row.
    GlobalList staged;
    std::array<std::string_view, kListColumns> cells{};
    // The values of the next lines are made on helper threads while the caller takes the current
    // ones in order: looking each file's size up again is most of the work.
    const std::size_t helpers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4) - 1;
    auto makeChunk = [&](std::vector<PendingRow>& into, std::size_t first) {
        into.resize(std::min(kChunkLines, lines.size() - first));
        return std::make_unique<SharedRun>(
            into.size(),
            [&into, &lines, &context, first](std::size_t i) {
                into[i].values = makeValues(*lines[first + i], context);
                into[i].hash = KeySet::hashOf(into[i].values.key);
            },
            helpers);
    };
    std::vector<PendingRow> current, next;
    if (!lines.empty()) makeChunk(current, 0)->finish();
    std::size_t added = 0;
    for (std::size_t first = 0; first < lines.size(); first += kChunkLines) {
        std::unique_ptr<SharedRun> ahead;
        if (first + kChunkLines < lines.size()) ahead = makeChunk(next, first + kChunkLines);
        for (std::size_t i = 0; i < current.size(); ++i) {
            if (i + kPrefetchAhead < current.size()) form2.keys.prefetch(current[i + kPrefetchAhead].hash);
            const NewRowValues& v = current[i].values;
            if (!form2.keys.insert(v.key, current[i].hash)) continue;
            cells.fill({});
            auto put = [&](Cell which, std::string_view text) {
                if (const int c = column[which]; c >= 0) cells[static_cast<std::size_t>(c)] = text;
            };
            const std::string number = PadLeftPairs(count(firstRow + added), 4);
            put(N, number);
            put(Disque, disk.label);
            put(Media, v.media);
            put(Titre, v.titre);
            put(Ext, v.ext);
            put(Date, v.date);
            put(Repertoire, v.folder);
            put(Taille, v.size);
            put(Drive, drive);
            put(Type, disk.typeText);
            put(Ns, disk.serial);
            put(Libre, libre);
            put(Total, total);
            staged.appendRow({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7],
                              cells[8], cells[9], cells[10], cells[11], cells[12], cells[13]});
            ++added;
        }
        if (ahead) ahead->finish();
        std::swap(current, next);
    }
    diskList.reset();
    if (added > 0) {
        if (replaceBlank) list.removeRows({1});
        list.appendRowsFrom(std::move(staged), 2);
        outcome.lastRow = list.rowCount() - 1;
        list.selectRow(outcome.lastRow);
    }
    if (!disksGathered) {
        extraire_hd_liste_globale(form2);
    } else if (added > 0) {
        addDiskEntry(form2.disks, disk.label + "-" + disk.serial);
    }
    outcome.added = added;
    const std::size_t now = list.mediaCount();

    // The window behind the report already shows the new counts, and no hourglass hangs over it.
    af_nb_media_bd(program);
    form2.index.Label_n_idx = labelNIdxText(form2.keys.size());
    form2.index.Label3 = form2.index.Label_n_idx;
    busy.release();

    std::string report;
    if (added == 0) {
        report = "  Inutile , \n\n  ces " + count(n) + " médias sont déjà indexés    \n\n" + " parmi les " +
                 count(now) + " de la liste globale";
    } else if (added == now) {
        report = " la liste globale contient maintenant ces " + count(added) + " premièrs médias \n\n";
    } else {
        report = " " + count(added) + "  médias rajoutés à la liste globale \n\n" +
                 "  ce qui fait un total de " + count(now);
    }
    ui.ask(DialogType::Information, report, {DialogButton::Yes});
    return outcome;
}

} // namespace verdan
