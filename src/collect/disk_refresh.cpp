#include "collect/disk_refresh.h"

#include "collect/disk_rows.h"

#include "catalogue/index_keys.h"
#include "catalogue/list_edits.h"
#include "catalogue/word_scan.h"
#include "collect/found_line.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/shared_run.h"
#include "util/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace verdan {

namespace {

// Whether a folder is compared: under a walked folder and not under one left unread. A scan's
// lines come in the found list's order (by date), a disk's rows in the order they were added:
// the answer for each folder met is kept.
class ComparedFolders {
public:
    ComparedFolders(const FolderSet& walked, const FolderSet& unread) : m_walked(walked), m_unread(unread) {}
    enum class Answer { Outside, Unread, Compared };
    Answer of(std::string_view folder) {
        m_key.assign(folder);
        const auto known = m_answers.find(m_key);
        if (known != m_answers.end()) return known->second;
        const Answer answer = !m_walked.covers(folder)  ? Answer::Outside
                              : m_unread.covers(folder) ? Answer::Unread
                                                        : Answer::Compared;
        m_answers.emplace(m_key, answer);
        return answer;
    }

private:
    const FolderSet& m_walked;
    const FolderSet& m_unread;
    std::string m_key;
    std::unordered_map<std::string, Answer> m_answers;
};

// One compared file of either side is its catalogue path, "folder\name", told by a 64-bit hash:
// two of a disk's hundred thousand paths share one with a chance of about one in 10^9.
std::string pathKey(std::string_view folder, std::string_view titre, std::string_view ext) {
    std::string key;
    key.reserve(folder.size() + 1 + titre.size() + ext.size());
    key += folder;
    key += '\\';
    key += titre;
    key += ext;
    return key;
}
// Size texts written with either decimal separator.
bool sameSize(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == ',' ? '.' : a[i];
        const char y = b[i] == ',' ? '.' : b[i];
        if (x != y) return false;
    }
    return true;
}

// "yyyy-mm-dd hh:nn" as minutes since 1970; -1 when it is not such a text.
long long minutesOf(std::string_view date) {
    if (date.size() != 16) return -1;
    auto number = [&](std::size_t at, std::size_t n) {
        long long v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (date[i] < '0' || date[i] > '9') return -1LL;
            v = v * 10 + (date[i] - '0');
        }
        return v;
    };
    const long long y = number(0, 4), m = number(5, 2), d = number(8, 2), h = number(11, 2),
                    n = number(14, 2);
    if (y < 0 || m < 1 || m > 12 || d < 1 || d > 31 || h < 0 || n < 0) return -1;
    // Days from the civil date (proleptic Gregorian), after H. Hinnant.
    const long long yy = y - (m <= 2);
    const long long era = (yy >= 0 ? yy : yy - 399) / 400;
    const long long yoe = yy - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    return (days * 24 + h) * 60 + n;
}

// The same date, or one hour apart (local time kept by the file system, read across a change of
// summer time).
bool sameDate(std::string_view a, std::string_view b) {
    if (a == b) return true;
    const long long x = minutesOf(a), y = minutesOf(b);
    return x >= 0 && y >= 0 && (x - y == 60 || y - x == 60);
}

bool knownSize(std::string_view size) {
    return !size.empty() && size.find("N/A") == std::string_view::npos;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// How far apart two files are in the disk's tree: the folders climbed and descended between them,
// then whether the name changed.
std::size_t distance(std::string_view a, std::string_view b) {
    std::size_t common = 0, at = 0;
    const std::size_t n = std::min(a.size(), b.size());
    while (at < n && a[at] == b[at]) {
        if (a[at] == '\\') common = at + 1;
        ++at;
    }
    const bool sameName = at == a.size() && at == b.size();
    auto depthAfter = [common](std::string_view p) {
        return static_cast<std::size_t>(
            std::count(p.begin() + static_cast<std::ptrdiff_t>(common), p.end(), '\\'));
    };
    return 2 * (depthAfter(a) + depthAfter(b)) + (sameName ? 0 : 1);
}

struct HashKey {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint32_t>& k) const {
        return static_cast<std::size_t>(k.first ^ (std::uint64_t{k.second} << 17));
    }
};
using KeyCounts = std::unordered_map<std::pair<std::uint64_t, std::uint32_t>, long long, HashKey>;
std::pair<std::uint64_t, std::uint32_t> fingerprint(std::string_view key) {
    const KeySet::Hash h = KeySet::hashOf(key);
    return {h.high, h.low};
}

// Where a row's file is on the plugged disk, as the scan's lines name files.
std::string diskPath(std::string_view driveRoot, std::string_view folder, std::string_view titre,
                     std::string_view ext) {
    std::string rest(folder.size() > 1 && folder.front() == ':' ? folder.substr(1) : folder);
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    rest += '\\';
    rest += titre;
    rest += ext;
    std::string root(driveRoot);
    while (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
    const char separator = platform::nativeSeparator();
    for (char& c : rest)
        if (c == '\\') c = separator;
    return root + rest;
}

// A compared row of the disk, by the hash of its path.
struct DiskRow {
    std::uint64_t hash = 0;
    std::size_t row = 0;
    // Its cells, read once; nothing changes the table while a refresh is worked out.
    std::string_view size, date;
    bool matched = false;
    bool operator<(const DiskRow& o) const { return hash != o.hash ? hash < o.hash : row < o.row; }
};

struct Columns {
    int name, serial, titre, ext, date, folder, size;
    static Columns of(const GlobalList& t) {
        return {t.indice_col_liste("nom-disque"), t.indice_col_liste("NS-disque"),
                t.indice_col_liste("titre"),      t.indice_col_liste("ext"),
                t.indice_col_liste("date"),       t.indice_col_liste("répertoire"),
                t.indice_col_liste("taille")};
    }
};

constexpr std::size_t kNone = SIZE_MAX;

// Where the rows of a path's hash start in rows sorted by hash: an open table probed in sequence,
// one or two memory reads a look-up where a binary search over a hundred thousand rows takes
// seventeen.
class PathIndex {
public:
    explicit PathIndex(const std::vector<DiskRow>& rows) : m_rows(rows) {
        std::size_t slots = 16;
        while (slots < 2 * rows.size()) slots *= 2;
        m_slots.assign(slots, kNone);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i > 0 && rows[i - 1].hash == rows[i].hash) continue;
            std::size_t s = rows[i].hash & (slots - 1);
            while (m_slots[s] != kNone) s = (s + 1) & (slots - 1);
            m_slots[s] = i;
        }
    }
    std::size_t find(std::uint64_t hash) const {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            if (m_slots[s] == kNone) return kNone;
            if (m_rows[m_slots[s]].hash == hash) return m_slots[s];
        }
    }

private:
    const std::vector<DiskRow>& m_rows;
    std::vector<std::size_t> m_slots;
};

// A line of the scan as it is compared.
struct ScanLine {
    std::size_t line;
    std::string path;
    std::string_view date, size, ext;
};

class Planner {
public:
    Planner(const GlobalList& table, const KeySet& keys, const ScannedDisk& scan, const FoundList& found,
            const StagingInput& input)
        : m_table(table), m_keys(keys), m_scan(scan), m_found(found), m_input(input),
          m_maker(input.disk, input.driveText, input.level, input.media,
                  cp1252::storable(input.decimalSeparator)),
          m_cols(Columns::of(table)) {
        for (const std::string& folder : scan.folders)
            m_walked.add(catalogueFolderOf(folder, scan.driveRoot));
        for (const std::string& folder : scan.unread) m_unread.add(catalogueFolderOf(folder, scan.driveRoot));
    }

    RefreshPlan run() {
        collectRows();
        matchLines();
        for (const DiskRow& r : m_rows)
            if (!r.matched && isGone(r.row)) m_vanished.push_back(r.row);
        std::sort(m_vanished.begin(), m_vanished.end());
        keepNewCandidates();
        pairMoves();
        std::sort(m_plan.moved.begin(), m_plan.moved.end(), [](auto& a, auto& b) { return a.row < b.row; });
        std::sort(m_plan.modified.begin(), m_plan.modified.end(),
                  [](auto& a, auto& b) { return a.row < b.row; });
        std::sort(m_plan.added.begin(), m_plan.added.end());
        return std::move(m_plan);
    }

private:
    std::string_view cell(std::size_t row, int col) const {
        return col < 0 ? std::string_view() : m_table.cell(row, col);
    }

    // The disk's rows under the walked folders, as the scan gathered them while it ran when the
    // list has not changed since, else all at once now; those under a folder not read are only
    // counted.
    void collectRows() {
        std::optional<DiskRows> local;
        const DiskRows* gathered = m_scan.rows.get();
        if (!gathered || &gathered->table() != &m_table || !gathered->current()) {
            local.emplace(m_table, m_scan.disk, m_scan.driveRoot, m_scan.folders);
            local->finish();
            gathered = &*local;
        }
        m_plan.firstDiskRow = gathered->firstRow();
        std::vector<bool> unread;
        for (const std::string& folder : gathered->folders()) unread.push_back(m_unread.covers(folder));
        m_rows.reserve(gathered->rows().size());
        for (const DiskRows::Row& r : gathered->rows()) {
            if (unread[r.folder]) {
                ++m_plan.notCompared;
                continue;
            }
            m_rows.push_back({r.hash, r.row, r.size, r.date, false});
        }
        std::sort(m_rows.begin(), m_rows.end());
    }

    // A row the scan did not meet is gone only when its file is not there: a file the catalogue's
    // filters or minimum sizes no longer take, or one the system would not show, stays listed.
    bool isGone(std::size_t row) {
        const std::string path = diskPath(m_scan.driveRoot, cell(row, m_cols.folder), cell(row, m_cols.titre),
                                          cell(row, m_cols.ext));
        if (platform::entryAccess(path) == platform::EntryAccess::Missing) return true;
        ++m_plan.stillThere;
        return false;
    }

    // Each line's path is found, hashed and looked up on every core; the rows are then matched in
    // the lines' order.
    void matchLines() {
        struct LineFacts {
            std::size_t at = kNone; // the first of the rows with its path's hash
            bool compared = false;
            std::string_view date, size, ext;
        };
        const std::vector<std::string>& lines = m_scan.lines;
        std::vector<LineFacts> facts(lines.size());
        const PathIndex index(m_rows);
        const std::size_t helpers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4) - 1;
        std::vector<std::optional<ComparedFolders>> folders(helpers + 1);
        std::vector<std::string> buffers(helpers + 1);
        SharedRun run(
            lines.size(),
            [&](std::size_t worker, std::size_t begin, std::size_t end) {
                if (!folders[worker]) folders[worker].emplace(m_walked, m_unread);
                for (std::size_t i = begin; i < end; ++i) {
                    const FoundLineParts parts = splitFoundLine(lines[i]);
                    if (foundKindOf(lines[i], parts.path) != FoundKind::File) continue;
                    const std::string folder = catalogueFolder(parts.path, m_scan.driveRoot);
                    if (folders[worker]->of(folder) != ComparedFolders::Answer::Compared) continue;
                    const NameParts name = splitFileName(fileNameOf(parts.path, FoundKind::File));
                    const std::uint64_t hash = pathHash(buffers[worker], folder, name.titre, name.ext);
                    facts[i] = {index.find(hash), true, parts.date, parts.size, name.ext};
                }
            },
            helpers);
        run.finish();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const LineFacts& f = facts[i];
            if (!f.compared) continue;
            ScanLine line{i, {}, f.date, f.size, f.ext};
            if (f.at == kNone) {
                // A line the user took out of the found list is not to be added.
                if (m_found.contains(lines[i])) {
                    const std::string_view path = splitFoundLine(lines[i]).path;
                    const NameParts name = splitFileName(fileNameOf(path, FoundKind::File));
                    line.path = pathKey(catalogueFolder(path, m_scan.driveRoot), name.titre, name.ext);
                    m_candidates.push_back(std::move(line));
                }
                continue;
            }
            const auto first = m_rows.begin() + static_cast<std::ptrdiff_t>(f.at);
            auto last = first;
            while (last != m_rows.end() && last->hash == first->hash) ++last;
            matchRow(first, last, line);
        }
    }

    // The file is where a row says: unchanged or modified. Of rows repeating one path (added again
    // after a change, at a level that keeps the size), the one that agrees stays; the others go.
    void matchRow(std::vector<DiskRow>::iterator begin, std::vector<DiskRow>::iterator end,
                  const ScanLine& line) {
        DiskRow* first = nullptr;
        DiskRow* agreeing = nullptr;
        for (auto it = begin; it != end; ++it) {
            if (it->matched) continue; // lines differing in letter case only
            if (!first) first = &*it;
            if ((!knownSize(line.size) || sameSize(it->size, line.size)) && sameDate(it->date, line.date)) {
                agreeing = &*it;
                break;
            }
        }
        if (!first) return;
        DiskRow& chosen = agreeing ? *agreeing : *first;
        chosen.matched = true;
        if (agreeing) {
            ++m_plan.unchanged;
        } else {
            m_plan.modified.push_back({chosen.row, line.line});
            m_oldKeys.push_back(chosen.row);
            m_newKeys.push_back(line.line);
        }
    }

    std::string rowKey(std::size_t row) const {
        std::string key;
        appendKey(m_table, KeyColumns::of(m_table), row, m_input.level, key);
        return key;
    }

    // A file the list lacks is new unless its key stays held by a row (a name already catalogued,
    // at a level that leaves the folder out), or by a file before it.
    void keepNewCandidates() {
        KeyCounts change;
        for (std::size_t r : m_vanished) --change[fingerprint(rowKey(r))];
        for (std::size_t r : m_oldKeys) --change[fingerprint(rowKey(r))];
        for (std::size_t l : m_newKeys) ++change[fingerprint(m_maker.asFound(m_scan.lines[l]).key)];
        std::vector<ScanLine> kept;
        for (ScanLine& line : m_candidates) {
            const std::string key = m_maker.asFound(m_scan.lines[line.line]).key;
            const auto print = fingerprint(key);
            long long& delta = change[print];
            if (static_cast<long long>(m_keys.countOf(key)) + delta > 0) continue;
            ++delta;
            kept.push_back(std::move(line));
        }
        m_candidates = std::move(kept);
    }

    // What a move keeps: the size, the extension and the date (to the hour's shift).
    static std::string moveGroup(std::string_view size, std::string_view ext, long long minutes) {
        std::string g(size);
        std::replace(g.begin(), g.end(), ',', '.');
        g += '|';
        g += lowerAscii(ext);
        g += '|';
        g += std::to_string(minutes);
        return g;
    }

    void pairMoves() {
        std::unordered_map<std::string, std::vector<std::size_t>> groups; // candidates by group
        for (std::size_t c = 0; c < m_candidates.size(); ++c) {
            const ScanLine& line = m_candidates[c];
            const long long minutes = minutesOf(line.date);
            if (knownSize(line.size) && minutes >= 0)
                groups[moveGroup(line.size, line.ext, minutes)].push_back(c);
        }
        // Every pairing a vanished row could make, closest first. A crowd of look-alike files (empty
        // ones of one minute) is bounded: a row looks at the first of them only.
        constexpr std::size_t kLookAlikes = 256;
        std::vector<std::tuple<std::size_t, std::size_t, std::size_t>> pairs; // distance, vanished, candidate
        for (std::size_t v = 0; v < m_vanished.size(); ++v) {
            const std::size_t r = m_vanished[v];
            const std::string_view size = cell(r, m_cols.size);
            const long long minutes = minutesOf(cell(r, m_cols.date));
            if (!knownSize(size) || minutes < 0) continue;
            const std::string path =
                pathKey(cell(r, m_cols.folder), cell(r, m_cols.titre), cell(r, m_cols.ext));
            for (const long long shift : {0LL, -60LL, 60LL}) {
                const auto g = groups.find(moveGroup(size, cell(r, m_cols.ext), minutes + shift));
                if (g == groups.end()) continue;
                for (std::size_t k = 0; k < g->second.size() && k < kLookAlikes; ++k)
                    pairs.emplace_back(distance(path, m_candidates[g->second[k]].path), v, g->second[k]);
            }
        }
        std::sort(pairs.begin(), pairs.end());
        std::vector<bool> rowTaken(m_vanished.size()), lineTaken(m_candidates.size());
        for (const auto& [d, v, c] : pairs) {
            if (rowTaken[v] || lineTaken[c]) continue;
            rowTaken[v] = lineTaken[c] = true;
            m_plan.moved.push_back({m_vanished[v], m_candidates[c].line});
        }
        for (std::size_t v = 0; v < m_vanished.size(); ++v)
            if (!rowTaken[v]) m_plan.vanished.push_back(m_vanished[v]);
        for (std::size_t c = 0; c < m_candidates.size(); ++c)
            if (!lineTaken[c]) m_plan.added.push_back(m_candidates[c].line);
    }

    const GlobalList& m_table;
    const KeySet& m_keys;
    const ScannedDisk& m_scan;
    const FoundList& m_found;
    const StagingInput& m_input;
    const NewRowMaker m_maker;
    const Columns m_cols;
    FolderSet m_walked, m_unread;
    std::vector<DiskRow> m_rows; // by hash
    std::vector<std::size_t> m_vanished;
    std::vector<std::size_t> m_oldKeys; // rows whose key changes
    std::vector<std::size_t> m_newKeys; // their lines
    std::vector<ScanLine> m_candidates;
    RefreshPlan m_plan;
};

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

RefreshPlan planDiskRefresh(const GlobalList& table, const KeySet& keys, const ScannedDisk& scan,
                            const FoundList& found, const StagingInput& input) {
    return Planner(table, keys, scan, found, input).run();
}

RefreshQuestion refreshQuestion(const GlobalList& table, const ScannedDisk& scan, const RefreshPlan& plan) {
    const Columns cols = Columns::of(table);
    auto cellOf = [&](std::size_t r, int c) { return c < 0 ? std::string_view() : table.cell(r, c); };
    auto rowPath = [&](std::size_t r) {
        return diskPath(scan.driveRoot, cellOf(r, cols.folder), cellOf(r, cols.titre), cellOf(r, cols.ext));
    };
    auto linePath = [&](std::size_t l) { return std::string(splitFoundLine(scan.lines[l]).path); };

    RefreshQuestion q;
    const std::string added = count(plan.added.size()) + " nouveaux";
    const std::string vanished = count(plan.vanished.size()) + " disparus";
    const std::string moved = count(plan.moved.size()) + " déplacés ou renommés";
    const std::string modified = count(plan.modified.size()) + " modifiés (taille ou date)";
    std::string notes;
    if (scan.stopped)
        notes = "  Listage interrompu : rien n'est comparé dans les dossiers non parcourus, " +
                count(plan.notCompared) + " médias y restent tels quels \n\n";
    else if (plan.notCompared > 0)
        notes = "  " + count(plan.notCompared) +
                " médias de dossiers illisibles ne sont pas comparés et restent tels quels \n\n";
    q.text = "  Disque " + scan.disk.label + " : " + added + ", " + vanished + ", " + moved + ", " +
             modified + " \n\n" + notes + "  Mettre la liste à jour ?";
    q.unchanged = "  Disque " + scan.disk.label + " : rien n'a changé dans les dossiers listés \n\n" + notes;
    if (!plan.added.empty()) {
        Ui::Detail d{added, "Nouveaux", {}};
        for (std::size_t l : plan.added) d.lines.push_back(linePath(l));
        q.details.push_back(std::move(d));
    }
    if (!plan.vanished.empty()) {
        Ui::Detail d{vanished, "Disparus", {}};
        for (std::size_t r : plan.vanished) d.lines.push_back(rowPath(r));
        q.details.push_back(std::move(d));
    }
    if (!plan.moved.empty()) {
        Ui::Detail d{moved, "Déplacés ou renommés", {}};
        for (const auto& u : plan.moved) d.lines.push_back(rowPath(u.row) + "   =>   " + linePath(u.line));
        q.details.push_back(std::move(d));
    }
    if (!plan.modified.empty()) {
        Ui::Detail d{modified, "Modifiés (taille ou date)", {}};
        for (const auto& u : plan.modified) {
            const FoundLineParts parts = splitFoundLine(scan.lines[u.line]);
            d.lines.push_back(linePath(u.line) + "   (" + std::string(cellOf(u.row, cols.size)) + ", " +
                              std::string(cellOf(u.row, cols.date)) + "   =>   " + std::string(parts.size) +
                              ", " + std::string(parts.date) + ")");
        }
        q.details.push_back(std::move(d));
    }
    return q;
}

RefreshApplied applyDiskRefresh(GlobalListState& globalList, const ScannedDisk& scan, const RefreshPlan& plan,
                                const StagingInput& input) {
    GlobalList& table = globalList.table;
    const NewRowMaker maker(input.disk, input.driveText, input.level, input.media,
                            cp1252::storable(input.decimalSeparator));
    const Columns cols = Columns::of(table);
    RefreshApplied applied;

    std::vector<RowCells> updates;
    for (const auto* list : {&plan.moved, &plan.modified}) {
        for (const RefreshPlan::Update& u : *list) {
            const NewRowValues v = maker.asFound(scan.lines[u.line]);
            RowCells row{u.row, {}};
            const std::array<std::pair<int, std::string_view>, 5> cells{{{cols.titre, v.titre},
                                                                         {cols.ext, v.ext},
                                                                         {cols.date, v.date},
                                                                         {cols.folder, v.folder},
                                                                         {cols.size, v.size}}};
            for (const auto& [col, text] : cells)
                if (col >= 0) row.cells.emplace_back(col, std::string(text));
            updates.push_back(std::move(row));
        }
    }
    replaceListCells(globalList, input.level, updates);
    applied.updated = updates.size();

    if (!plan.vanished.empty()) {
        const bool disksWereCurrent = disksCurrent(globalList);
        std::vector<bool> keep(table.rowCount(), true);
        for (std::size_t r : plan.vanished) keep[r] = false;
        const bool firstRowStays = plan.firstDiskRow < keep.size() && keep[plan.firstDiskRow];
        keepListRows(globalList, input.level, keep);
        applied.removed = plan.vanished.size();
        // The disk keeps its first row, and with it its place in the disk list: no other disk's
        // entry moves. Reading a million rows again would cost more than the whole refresh.
        if (disksWereCurrent && firstRowStays) markDisksCurrent(globalList);
    }

    std::vector<std::string_view> lines;
    lines.reserve(plan.added.size());
    for (std::size_t l : plan.added) lines.emplace_back(scan.lines[l]);
    StagedRows staged = stageNewRows(lines, input, NewRowLayout::of(table), globalList.keys);
    applied.added = staged.size();
    applied.lastRow = appendStagedRows(globalList, std::move(staged));
    if (!disksCurrent(globalList)) extraire_hd_liste_globale(globalList);
    return applied;
}

bool diskHasRows(const GlobalList& table, const DiskIdentity& disk) {
    const int name = table.indice_col_liste("nom-disque"), serial = table.indice_col_liste("NS-disque");
    if (name < 0 || serial < 0) return false;
    // The name first, where the standard header puts it, from the row's own text.
    const std::string_view label = disk.label;
    for (std::size_t r = 1; r < table.rowCount(); ++r) {
        if (name == 1) {
            const std::string_view text = table.rowText(r);
            const std::size_t tab = text.find('\t');
            if (tab == std::string_view::npos || text.compare(tab + 1, label.size(), label) != 0) continue;
        }
        if (table.cell(r, serial) == disk.serial && table.cell(r, name) == disk.label) return true;
    }
    return false;
}

} // namespace verdan
