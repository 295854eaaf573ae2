#include "catalogue/keys_in_making.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "catalogue/index_keys.h"
#include "platform/threads.h"
#include "util/beside.h"

namespace verdan {
namespace {

// The keys and disks of the table as indexer_liste and extraire_hd_liste_globale make them.
void indexTable(GlobalListState& globalList, int level, bool rebuildDisks) {
    runBeside(
        [&] {
            if (rebuildDisks) extraire_hd_liste_globale(globalList);
        },
        [&] { indexer_liste(globalList.table, globalList.keys, level, false, globalList.index); });
}

} // namespace

// Makes the keys and disks of the table's rows on a thread of its own while the table is shown:
// the disks first, then the keys, each from where it stands. It reads the rows as a reader of
// the table: a change of the rows waits for it and puts what it made in place first, unless the
// change is one the making follows where it stands (paused, the marks changed or rows removed,
// then resumed).
class KeysInMaking : public ListReader {
public:
    KeysInMaking(GlobalListState& globalList, int level, bool disks, Ui& ui)
        : m_globalList(globalList), m_level(level), m_withDisks(disks), m_ui(ui), m_diskList(m_disks) {}
    ~KeysInMaking() override { pause(); }
    KeysInMaking(const KeysInMaking&) = delete;
    KeysInMaking& operator=(const KeysInMaking&) = delete;

    void start(const std::weak_ptr<KeysInMaking>& self) {
        m_self = self;
        const GlobalList& table = m_globalList.table;
        m_columns = KeyColumns::of(table);
        m_nameColumn = table.indice_col_liste("nom-disque");
        m_serialColumn = table.indice_col_liste("NS-disque");
        resume();
    }
    void stopReading() override { finishKeys(m_globalList); }

    // Stops the thread where it stands; the rows may then change as resume allows.
    void pause() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        m_stop = false;
        if (m_globalList.table.keysReader() == this) m_globalList.table.setKeysReader(nullptr);
    }
    void resume() {
        m_globalList.table.setKeysReader(this);
        try {
            m_thread = platform::startThread([this] {
                make();
                if (!m_stop) tellMade();
            });
        } catch (const std::system_error&) {
            make(); // no thread to be had: made here
            tellMade();
        }
    }
    // Paused: the disks made whole here and put in place, as they are before any change.
    void finishDisks() {
        if (m_disksInstalled) return;
        makeDisks();
        if (m_failure) return;
        m_disksInstalled = true;
        if (!m_withDisks) return;
        m_globalList.disks = std::move(m_disks);
        markDisksCurrent(m_globalList);
        // Made from the rows as they were before some went: as a removal leaves them, not current.
        if (m_rowsRemoved) m_globalList.disksSource.known = false;
    }
    // Paused: the rows `removed` (ascending) are about to go.
    void forgetRows(const std::vector<std::size_t>& removed) {
        const GlobalList& table = m_globalList.table;
        m_rowsRemoved = true;
        if (m_withDisks && !m_disksInstalled) keepDisksOf(removed);
        std::string key;
        std::size_t made = 0;
        for (const std::size_t r : removed) {
            if (r == 0 || r >= m_keyRow) continue;
            key.clear();
            appendKey(table, m_columns, r, m_level, key);
            m_keys.remove(key);
            ++made;
        }
        m_keyRow -= made;
    }
    // Paused: made whole here and put in place, with the labels.
    void install() {
        make();
        if (m_failure) {
            // Memory short on the thread: made the usual way, whose failure is the user's to see.
            indexTable(m_globalList, m_level, m_withDisks && !m_disksInstalled);
            return;
        }
        finishDisks();
        adoptKeys(std::move(m_keys), m_globalList.keys, m_level, m_globalList.index);
    }
    int level() const { return m_level; }
    bool withDisks() const { return m_withDisks; }

private:
    void make() {
        // The room for every key is made here: 18 MB to clear for a million rows.
        if (!m_reserved) {
            m_reserved = true;
            try {
                m_keys.reserve(m_globalList.table.rowCount());
            } catch (...) {
                m_failure = std::current_exception();
            }
        }
        makeDisks();
        try {
            const GlobalList& table = m_globalList.table;
            const std::size_t rows = table.rowCount();
            std::array<std::string_view, kKeyBatch> texts;
            while (m_keyRow < rows && !m_stop && !m_failure) {
                const std::size_t count = std::min(kKeyBatch, rows - m_keyRow);
                for (std::size_t j = 0; j < count; ++j) texts[j] = table.rowText(m_keyRow + j);
                addRowKeys(texts.data(), count, m_columns, m_level, m_keys);
                m_keyRow += count;
            }
        } catch (...) {
            m_failure = std::current_exception();
        }
    }
    // As extraire_hd_liste_globale makes them from the rows before any removal: the rows removed
    // before the disks reached them are taken in where they stood.
    void makeDisks() {
        if (!m_withDisks || m_disksInstalled) return;
        try {
            const GlobalList& table = m_globalList.table;
            const std::size_t rows = table.rowCount();
            while (m_diskRow < rows && !m_stop && !m_failure) {
                const std::size_t end = std::min(rows, m_diskRow + kKeyBatch);
                for (; m_diskRow < end; ++m_diskRow) {
                    takeGoneRows(m_diskRow);
                    m_diskList.add(table.cell(m_diskRow, m_nameColumn),
                                   table.cell(m_diskRow, m_serialColumn));
                }
            }
            if (m_diskRow >= rows) takeGoneRows(SIZE_MAX);
        } catch (...) {
            m_failure = std::current_exception();
        }
    }
    void takeGoneRows(std::size_t upTo) {
        for (; m_goneTaken < m_gone.size() && m_gone[m_goneTaken].before <= upTo; ++m_goneTaken)
            m_diskList.add(m_gone[m_goneTaken].name, m_gone[m_goneTaken].serial);
    }
    // The disk cells of the rows removed that the disks have not reached, each to be taken just
    // before the row that then stands where it stood.
    void keepDisksOf(const std::vector<std::size_t>& removed) {
        const GlobalList& table = m_globalList.table;
        m_gone.erase(m_gone.begin(), m_gone.begin() + static_cast<std::ptrdiff_t>(m_goneTaken));
        m_goneTaken = 0;
        // In the order of the rows before the removal: one kept earlier stands before row `before`,
        // one removed now at its own place, after those.
        std::vector<GoneRow> merged;
        merged.reserve(m_gone.size() + removed.size());
        std::size_t g = 0;
        for (const std::size_t r : removed) {
            if (r < m_diskRow || r >= table.rowCount()) continue;
            for (; g < m_gone.size() && m_gone[g].before <= r; ++g) merged.push_back(std::move(m_gone[g]));
            merged.push_back({r + 1, std::string(table.cell(r, m_nameColumn)),
                              std::string(table.cell(r, m_serialColumn))});
        }
        for (; g < m_gone.size(); ++g) merged.push_back(std::move(m_gone[g]));
        // Then counted among the rows that stay.
        std::size_t gone = 0;
        const auto shifted = [&](std::size_t row) {
            while (gone < removed.size() && removed[gone] < row) ++gone;
            return row - gone;
        };
        m_diskRow = shifted(m_diskRow);
        for (GoneRow& row : merged) row.before = shifted(row.before);
        m_gone = std::move(merged);
    }
    void tellMade() {
        // Told on the user-interface thread; the program may have waited for them already by then.
        m_ui.post([self = m_self] {
            const std::shared_ptr<KeysInMaking> making = self.lock();
            if (!making || making->m_globalList.keysInMaking != making) return;
            finishKeys(making->m_globalList);
            if (making->m_globalList.keysMade) making->m_globalList.keysMade();
        });
    }

    GlobalListState& m_globalList;
    const int m_level;
    const bool m_withDisks;
    Ui& m_ui;
    std::weak_ptr<KeysInMaking> m_self;
    KeyColumns m_columns;
    int m_nameColumn = -1;
    int m_serialColumn = -1;
    KeySet m_keys;
    std::vector<std::string> m_disks;
    DiskListBuilder m_diskList;
    std::size_t m_diskRow = 1;
    struct GoneRow {
        std::size_t before;
        std::string name, serial;
    };
    std::vector<GoneRow> m_gone;
    std::size_t m_goneTaken = 0;
    bool m_rowsRemoved = false;
    bool m_reserved = false;
    std::size_t m_keyRow = 1;
    bool m_disksInstalled = false;
    std::atomic<bool> m_stop{false};
    std::exception_ptr m_failure;
    std::thread m_thread;
};

void startKeys(GlobalListState& globalList, int level, bool disks, Ui& ui) {
    globalList.index.levelCaption = labelIdxText(level);
    auto making = std::make_shared<KeysInMaking>(globalList, level, disks, ui);
    globalList.keysInMaking = making;
    making->start(making);
}

void finishKeys(GlobalListState& globalList) {
    const std::shared_ptr<KeysInMaking> making = std::move(globalList.keysInMaking);
    globalList.keysInMaking.reset();
    if (!making) return;
    making->pause();
    making->install();
}

void pauseKeys(GlobalListState& globalList) {
    if (globalList.keysInMaking) globalList.keysInMaking->pause();
}

void resumeKeys(GlobalListState& globalList) {
    if (globalList.keysInMaking) globalList.keysInMaking->resume();
}

void finishDisks(GlobalListState& globalList) {
    if (!globalList.keysInMaking) return;
    globalList.keysInMaking->pause();
    globalList.keysInMaking->finishDisks();
    globalList.keysInMaking->resume();
}

bool keysFollowRemoval(GlobalListState& globalList, int level, const std::vector<std::size_t>& removed) {
    KeysInMaking* making = globalList.keysInMaking.get();
    if (!making) return false;
    if (std::clamp(making->level(), 0, kIndexLevels - 1) != std::clamp(level, 0, kIndexLevels - 1)) {
        finishKeys(globalList);
        return false;
    }
    making->pause();
    making->forgetRows(removed);
    return true;
}

bool dropKeys(GlobalListState& globalList, int& level, bool& disks) {
    const std::shared_ptr<KeysInMaking> making = std::move(globalList.keysInMaking);
    globalList.keysInMaking.reset();
    if (!making) return false;
    making->pause();
    level = making->level();
    disks = making->withDisks();
    return true;
}

bool keysInMaking(const GlobalListState& globalList) {
    return globalList.keysInMaking != nullptr;
}

} // namespace verdan
