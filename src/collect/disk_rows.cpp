#include "collect/disk_rows.h"

#include "catalogue/index_keys.h"
#include "catalogue/word_scan.h"
#include "collect/new_row.h"
#include "platform/files.h"
#include "util/file_helpers.h"
#include "util/shared_run.h"
#include "util/utf8.h"

#include <algorithm>
#include <thread>

namespace verdan {

namespace {

bool windowsPaths() {
    static const bool windows = platform::nativeSeparator() == '\\';
    return windows;
}

std::string folderKey(std::string_view folder) {
    return windowsPaths() ? utf8::fold(folder) : std::string(folder);
}

// Cell `col` of a row's text found from its end, for a serial among a row's last cells.
std::string_view cellFromEnd(std::string_view row, int col) {
    std::size_t tabs = static_cast<std::size_t>(kListColumns - 1 - col);
    std::size_t end = row.size();
    while (tabs > 0 && end > 0) {
        --end;
        if (row[end] == '\t') --tabs;
    }
    if (tabs > 0) return {};
    std::size_t start = end;
    while (start > 0 && row[start - 1] != '\t') --start;
    return row.substr(start, end - start);
}

} // namespace

std::string catalogueFolderOf(const std::string& folder, std::string_view driveRoot) {
    return catalogueFolder(joinPath(folder, "x"), driveRoot);
}

void FolderSet::add(std::string_view folder) {
    m_keys.insert(folderKey(folder));
}

bool FolderSet::covers(std::string_view folder) const {
    if (m_keys.empty()) return false;
    std::string key = folderKey(folder);
    for (;;) {
        if (m_keys.count(key) > 0) return true;
        const std::size_t cut = key.rfind('\\');
        if (cut == std::string::npos || cut + 1 == key.size()) return false;
        // The parent of ":\films" is the root ":\", which keeps its backslash.
        key.resize(cut == key.find('\\') ? cut + 1 : cut);
    }
}

std::uint64_t pathHash(std::string& buffer, std::string_view folder, std::string_view titre,
                       std::string_view ext) {
    buffer.clear();
    buffer += folder;
    buffer += '\\';
    buffer += titre;
    buffer += ext;
    return std::hash<std::string_view>{}(buffer);
}

DiskRows::DiskRows(const GlobalList& table, const DiskIdentity& disk, const std::string& driveRoot,
                   const std::vector<std::string>& folders)
    : m_table(table), m_disk(disk), m_name(table.indice_col_liste("nom-disque")),
      m_serial(table.indice_col_liste("NS-disque")), m_folder(table.indice_col_liste("répertoire")),
      m_titre(table.indice_col_liste("titre")), m_ext(table.indice_col_liste("ext")),
      m_size(table.indice_col_liste("taille")), m_date(table.indice_col_liste("date")) {
    for (const std::string& folder : folders) m_walked.add(catalogueFolderOf(folder, driveRoot));
    m_stamps = stampsNow();
}

DiskRows::Stamps DiskRows::stampsNow() const {
    Stamps stamps{};
    stamps[0] = m_table.rowsStamp();
    for (int c = 0; c < kListColumns; ++c) stamps[static_cast<std::size_t>(c) + 1] = m_table.columnStamp(c);
    return stamps;
}

void DiskRows::restartIfChanged() {
    const Stamps now = stampsNow();
    if (now == m_stamps) return;
    m_stamps = now;
    m_next = 1;
    m_rows.clear();
    m_folders.clear();
    m_folderIds.clear();
    m_folderWalked.clear();
    m_firstRow = SIZE_MAX;
}

bool DiskRows::current() const {
    return m_next >= m_table.rowCount() && stampsNow() == m_stamps;
}

bool DiskRows::mayBeOfDisk(std::string_view row) const {
    // The standard header puts the disk's name second: a few bytes at the row's start tell.
    if (m_name == 1) {
        const std::string_view label = m_disk.label;
        const std::size_t tab = row.find('\t');
        return tab != std::string_view::npos && row.size() > tab + 1 + label.size() &&
               row.compare(tab + 1, label.size(), label) == 0 && row[tab + 1 + label.size()] == '\t';
    }
    return cellFromEnd(row, m_serial) == m_disk.serial;
}

bool DiskRows::read(std::size_t row, std::string& buffer, Found& found) const {
    const std::string_view text = m_table.rowText(row);
    if (!mayBeOfDisk(text)) return false;
    CellStarts starts{};
    wordscan::cellStarts(text, std::max({m_name, m_serial, m_folder, m_titre, m_ext, m_size, m_date}),
                         starts);
    if (cellAt(text, starts, m_serial) != m_disk.serial || cellAt(text, starts, m_name) != m_disk.label)
        return false;
    found.row = row;
    found.folder = cellAt(text, starts, m_folder);
    found.size = cellAt(text, starts, m_size);
    found.date = cellAt(text, starts, m_date);
    found.hash = pathHash(buffer, found.folder, cellAt(text, starts, m_titre), cellAt(text, starts, m_ext));
    return true;
}

void DiskRows::take(const Found& found) {
    m_firstRow = std::min(m_firstRow, found.row);
    auto [at, added] =
        m_folderIds.try_emplace(std::string(found.folder), static_cast<std::uint32_t>(m_folders.size()));
    if (added) {
        m_folders.emplace_back(found.folder);
        m_folderWalked.push_back(m_walked.covers(found.folder));
    }
    if (m_folderWalked[at->second])
        m_rows.push_back({found.hash, found.row, at->second, found.size, found.date});
}

void DiskRows::step(std::size_t count, std::chrono::microseconds budget) {
    if (m_name < 0 || m_serial < 0) {
        m_next = m_table.rowCount();
        return;
    }
    restartIfChanged();
    const auto start = std::chrono::steady_clock::now();
    const std::size_t rows = m_table.rowCount();
    const std::size_t end = m_next >= rows || count >= rows - m_next ? rows : m_next + count;
    Found found;
    while (m_next < end) {
        // The clock is read every few thousand rows.
        const std::size_t chunkEnd = std::min(end, m_next + 4096);
        for (; m_next < chunkEnd; ++m_next)
            if (read(m_next, m_buffer, found)) take(found);
        // Compared only when given: the largest budget overflows in the clock's own unit.
        if (budget != std::chrono::microseconds::max() && std::chrono::steady_clock::now() - start >= budget)
            break;
    }
}

void DiskRows::finish() {
    restartIfChanged();
    if (m_name < 0 || m_serial < 0 || m_next >= m_table.rowCount()) {
        m_next = std::max(m_next, m_table.rowCount());
        return;
    }
    const std::size_t first = m_next;
    const std::size_t helpers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4) - 1;
    struct Worker {
        std::vector<Found> found;
        std::string buffer;
    };
    std::vector<Worker> workers(helpers + 1);
    SharedRun run(
        m_table.rowCount() - first,
        [&](std::size_t worker, std::size_t begin, std::size_t end) {
            Worker& w = workers[worker];
            Found found;
            for (std::size_t r = first + begin; r < first + end; ++r)
                if (read(r, w.buffer, found)) w.found.push_back(found);
        },
        helpers);
    run.finish();
    for (const Worker& w : workers)
        for (const Found& found : w.found) take(found);
    m_next = m_table.rowCount();
}

} // namespace verdan
