#include "catalogue/list_load.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/list_edits.h"
#include "catalogue/list_file.h"
#include "util/beside.h"

namespace verdan {
namespace {

// Keys and disks of the rows read, the header row first.
class KeysAndDisks : public RowFollower {
public:
    KeysAndDisks(int level, bool disks) : m_level(level), m_withDisks(disks) {}

    void begin(std::uint64_t fileBytes) override { m_fileBytes = fileBytes; }

    void follow(const std::vector<std::string_view>& rows) override {
        std::size_t i = 0;
        if (m_rowsSeen == 0 && !rows.empty()) {
            m_columns = KeyColumns::ofHeader(rows[0]);
            m_nameColumn = GlobalList::columnOfHeader(rows[0], "nom-disque");
            m_serialColumn = GlobalList::columnOfHeader(rows[0], "NS-disque");
            reserveFor(rows);
            i = 1;
        }
        for (std::size_t first = i; first < rows.size(); first += kKeyBatch) {
            const std::size_t count = std::min(kKeyBatch, rows.size() - first);
            if (!m_withDisks) {
                addRowKeys(&rows[first], count, m_columns, m_level, keys);
                continue;
            }
            // Each row is cut once for its key and its disk.
            addRowKeys(&rows[first], count, m_columns, m_level, keys, std::max(m_nameColumn, m_serialColumn),
                       [&](std::size_t j, const CellStarts& starts) {
                           const std::string_view row = rows[first + j];
                           m_diskList.add(cellAt(row, starts, m_nameColumn),
                                          cellAt(row, starts, m_serialColumn));
                       });
        }
        m_rowsSeen += rows.size();
    }

    std::size_t rowsSeen() const { return m_rowsSeen; }

    KeySet keys;
    std::vector<std::string> disks;

private:
    // Room for as many keys as the file holds rows of the first batch's length, and a tenth more:
    // a set grown step by step holds the old table and the new one at once at every step.
    void reserveFor(const std::vector<std::string_view>& rows) {
        std::uint64_t bytes = 0;
        for (std::string_view row : rows) bytes += row.size() + 2;
        if (bytes == 0 || m_fileBytes == 0) return;
        const std::uint64_t estimate = m_fileBytes * rows.size() / bytes;
        keys.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(estimate + estimate / 10, 1ULL << 31)));
    }

    int m_level;
    bool m_withDisks;
    std::uint64_t m_fileBytes = 0;
    KeyColumns m_columns;
    int m_nameColumn = -1;
    int m_serialColumn = -1;
    DiskListBuilder m_diskList{disks};
    std::size_t m_rowsSeen = 0;
};

} // namespace

LoadResult loadIndexedList(GlobalListState& globalList, const std::string& path, int level, bool keepKeys,
                           bool rebuildDisks, Ui& ui, const std::string& programFolder,
                           std::int64_t* lineFeeds) {
    // Whatever the load left in the table, even when it failed half-way, is another list: its
    // observers start again from it once keys and disks are made.
    struct Announce {
        GlobalListState& globalList;
        std::uint64_t stamp = globalList.table.rowsStamp();
        ~Announce() {
            if (globalList.table.rowsStamp() != stamp) announceListReplaced(globalList);
        }
    } announce{globalList};
    KeysAndDisks follower(level, rebuildDisks);
    const LoadResult result =
        lire_liste(globalList.table, path, ListMode::Replace, ui, programFolder, &follower, lineFeeds);
    // The set made beside is the table's when it saw every row: not for a file without rows (the
    // table then gets its blank row), nor when keys kept from before must stay.
    if (result == LoadResult::Loaded && follower.rowsSeen() == globalList.table.rowCount() &&
        (!keepKeys || globalList.keys.size() == 0)) {
        adoptKeys(std::move(follower.keys), globalList.keys, level, globalList.index);
        if (rebuildDisks) {
            globalList.disks = std::move(follower.disks);
            markDisksCurrent(globalList);
        }
        return result;
    }
    runBeside(
        [&] {
            if (rebuildDisks) extraire_hd_liste_globale(globalList);
        },
        [&] { indexer_liste(globalList.table, globalList.keys, level, keepKeys, globalList.index); });
    return result;
}

} // namespace verdan
