#include "catalogue/index_keys.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>

#include "catalogue/word_scan.h"
#include "util/mask.h"

namespace verdan {
namespace {

int clampLevel(int level) {
    return std::clamp(level, 0, kIndexLevels - 1);
}

} // namespace

KeyColumns KeyColumns::of(const GlobalList& table) {
    return table.rowCount() == 0 ? KeyColumns{} : ofHeader(table.rowText(0));
}

KeyColumns KeyColumns::ofHeader(std::string_view headerRow) {
    KeyColumns k;
    k.titre = GlobalList::columnOfHeader(headerRow, "titre");
    k.ext = GlobalList::columnOfHeader(headerRow, "ext");
    k.disque = GlobalList::columnOfHeader(headerRow, "nom-disque");
    k.ns = GlobalList::columnOfHeader(headerRow, "NS-disque");
    k.taille = GlobalList::columnOfHeader(headerRow, "taille");
    k.date = GlobalList::columnOfHeader(headerRow, "date");
    k.repertoire = GlobalList::columnOfHeader(headerRow, "répertoire");
    return k;
}

void appendKey(const GlobalList& table, const KeyColumns& columns, std::size_t row, int level,
               std::string& out) {
    if (row >= table.rowCount()) return;
    appendRowKey(table.rowText(row), columns, level, out);
}

namespace {

// The columns of the key at the level, -1 for one the header lacks; returns how many, and the last.
int keyColumns(const KeyColumns& columns, int level, std::array<int, 7>& used, int& last) {
    used = {columns.titre,  columns.ext,  columns.disque,    columns.ns,
            columns.taille, columns.date, columns.repertoire};
    const int count = 4 + clampLevel(level);
    last = -1;
    for (int i = 0; i < count; ++i) last = std::max(last, used[static_cast<std::size_t>(i)]);
    return count;
}

void appendCells(std::string_view text, const CellStarts& starts, const std::array<int, 7>& used, int count,
                 std::string& out) {
    for (int i = 0; i < count; ++i) {
        const int col = used[static_cast<std::size_t>(i)];
        if (col < 0) continue; // a foreign header without that column
        const std::size_t b = std::min(starts[static_cast<std::size_t>(col)], text.size());
        const std::size_t e = std::min(starts[static_cast<std::size_t>(col) + 1] - 1, text.size());
        if (e > b) out.append(text.data() + b, e - b);
    }
}

} // namespace

void appendRowKey(std::string_view text, const KeyColumns& columns, int level, std::string& out) {
    std::array<int, 7> used{};
    int last = -1;
    const int count = keyColumns(columns, level, used, last);
    if (last < 0) return;
    // Cut the row once, up to the last column needed, rather than searching it for every cell.
    CellStarts starts{};
    wordscan::cellStarts(text, last, starts);
    appendCells(text, starts, used, count, out);
}

std::string_view cellAt(std::string_view row, const CellStarts& starts, int col) {
    if (col < 0 || col >= kListColumns) return {};
    const std::size_t b = std::min(starts[static_cast<std::size_t>(col)], row.size());
    const std::size_t e = std::min(starts[static_cast<std::size_t>(col) + 1] - 1, row.size());
    return e > b ? row.substr(b, e - b) : std::string_view();
}

std::string cle_index(const GlobalList& table, std::size_t row, int level) {
    std::string key;
    appendKey(table, KeyColumns::of(table), row, level, key);
    return key;
}

std::string labelIdxText(int level) {
    return "idx" + std::to_string(clampLevel(level) + 1);
}
std::string labelNIdxText(std::size_t keys) {
    return "n-idx = " + std::to_string(keys);
}

std::uint32_t addRowKeys(const std::string_view* rows, std::size_t count, const KeyColumns& columns,
                         int level, KeySet& keys, int alsoUpTo,
                         const std::function<void(std::size_t, const CellStarts&)>& each) {
    count = std::min<std::size_t>(count, 32);
    thread_local std::string batch;
    std::array<std::size_t, 33> ends{};
    std::array<KeySet::Hash, 32> hashes{};
    std::array<int, 7> used{};
    int last = -1;
    const int keyCount = keyColumns(columns, level, used, last);
    if (each) last = std::max(last, std::min(alsoUpTo, kListColumns - 1));
    batch.clear();
    CellStarts starts{};
    for (std::size_t j = 0; j < count; ++j) {
        if (last >= 0) {
            wordscan::cellStarts(rows[j], last, starts);
            appendCells(rows[j], starts, used, keyCount, batch);
            if (each) each(j, starts);
        }
        ends[j + 1] = batch.size();
    }
    for (std::size_t j = 0; j < count; ++j) {
        hashes[j] = KeySet::hashOfFolding(batch.data() + ends[j], ends[j + 1] - ends[j]);
        keys.prefetch(hashes[j]);
    }
    std::uint32_t repeated = 0;
    for (std::size_t j = 0; j < count; ++j) {
        if (!keys.add(hashes[j])) repeated |= std::uint32_t{1} << j;
    }
    return repeated;
}

namespace {

// Adds the key of every data row in order; firstOfKey[r] turns false for a row whose key was
// there already.
void addKeys(const GlobalList& table, KeySet& keys, int level, std::vector<bool>* firstOfKey) {
    const KeyColumns columns = KeyColumns::of(table);
    const std::size_t rows = table.rowCount();
    keys.reserve(keys.size() + rows);
    if (firstOfKey) firstOfKey->assign(rows, true);
    std::array<std::string_view, kKeyBatch> texts;
    for (std::size_t first = 1; first < rows; first += kKeyBatch) {
        const std::size_t count = std::min(kKeyBatch, rows - first);
        for (std::size_t j = 0; j < count; ++j) texts[j] = table.rowText(first + j);
        std::uint32_t repeated = addRowKeys(texts.data(), count, columns, level, keys);
        for (; repeated && firstOfKey; repeated &= repeated - 1)
            (*firstOfKey)[first + static_cast<std::size_t>(std::countr_zero(repeated))] = false;
    }
}

void showKeyCount(const KeySet& keys, IndexState& state) {
    state.keyCountCaption = labelNIdxText(keys.size());
    state.collectionKeyCountCaption = state.keyCountCaption;
}

} // namespace

void indexer_liste(const GlobalList& table, KeySet& keys, int level, bool keep, IndexState& state) {
    // Keys kept from before are not those of this table: a deletion must then rebuild the set.
    const bool ofThisTable = !keep || keys.size() == 0;
    if (!keep) keys.clear();
    state.levelCaption = labelIdxText(level);
    addKeys(table, keys, level, nullptr);
    keys.setLevel(ofThisTable ? clampLevel(level) : -1);
    showKeyCount(keys, state);
}

void adoptKeys(KeySet&& built, KeySet& keys, int level, IndexState& state) {
    keys = std::move(built);
    keys.setLevel(clampLevel(level));
    state.levelCaption = labelIdxText(level);
    showKeyCount(keys, state);
}

bool forgetKeysOfRows(const GlobalList& table, KeySet& keys, int level,
                      const std::vector<std::size_t>& removed) {
    if (keys.level() != clampLevel(level) || keys.rowCount() + 1 != table.rowCount()) return false;
    const KeyColumns columns = KeyColumns::of(table);
    std::string key;
    for (const std::size_t r : removed) {
        if (r == 0 || r >= table.rowCount()) continue;
        key.clear();
        appendKey(table, columns, r, level, key);
        if (!keys.remove(key)) {
            keys.setLevel(-1);
            return false;
        }
    }
    return true;
}

void indexAfterRemoval(const GlobalList& table, KeySet& keys, int level, bool forgotten, IndexState& state) {
    if (!forgotten || keys.level() != clampLevel(level) || keys.rowCount() + 1 != table.rowCount()) {
        indexer_liste(table, keys, level, false, state);
        return;
    }
    state.levelCaption = labelIdxText(level);
    showKeyCount(keys, state);
}

ReindexOutcome reindexer_liste(GlobalList& table, KeySet& keys, int level, IndexState& state, Ui& ui,
                               const std::function<void()>& refreshCounts, const ListObservers& observers) {
    // One pass both rebuilds the set and finds the top-most row of each key.
    keys.clear();
    state.levelCaption = labelIdxText(level);
    std::vector<bool> firstOfKey;
    addKeys(table, keys, level, &firstOfKey);
    keys.setLevel(clampLevel(level));
    showKeyCount(keys, state);

    const std::size_t before = table.rowCount() > 0 ? table.rowCount() - 1 : 0;
    const std::size_t distinct = keys.size();
    if (distinct == before) {
        ui.ask(DialogType::Information, "  Aucun doublon détecté  ", {DialogButton::Ok});
        return ReindexOutcome::NoDuplicate;
    }
    const std::string question = "  Nettoyer la liste globale de " + std::to_string(before) + " médias des " +
                                 std::to_string(before - distinct) + " doublons dûs au changement d'index ";
    if (ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) !=
        DialogButton::Yes)
        return ReindexOutcome::Declined;

    std::size_t after = 0;
    {
        BusyScope busy(ui);
        // The rows removed never hold a first spelling, so the set just built is already the set
        // of the shortened table: no second rebuild.
        const std::vector<std::size_t> removed = clearedPositions(firstOfKey, 1, table.rowCount());
        editList(observers, {ListChange::Kind::RowsRemoved, &removed}, [&] { table.removeRows(removed); });
        keys.countEachOnce();
        showKeyCount(keys, state);
        if (refreshCounts) refreshCounts();
        after = table.rowCount() > 0 ? table.rowCount() - 1 : 0;
    }
    ui.ask(DialogType::Information,
           "  Réinitialisation effectuée, la liste a diminuée de " + std::to_string(before) + " à " +
               std::to_string(after) + " médias" + "\n\n" +
               "  nombre de doublons dûs au changement d'index : " + std::to_string(before - after),
           {DialogButton::Ok});
    return ReindexOutcome::Cleaned;
}

void IndexLevelControls::firstActivation() {
    modificationAllowed = false;
    radioGroupEnabled = false;
    reinitEnabled = false;
}

void IndexLevelControls::setProtection(bool ticked) {
    modificationAllowed = ticked;
    radioGroupEnabled = ticked;
    reinitEnabled = ticked;
}

void IndexLevelControls::chooseLevel(int item, IndexState& state) {
    itemIndex = clampLevel(item);
    radioGroupEnabled = false;
    state.levelCaption = labelIdxText(itemIndex);
}

ReindexOutcome IndexLevelControls::reinitClick(GlobalList& table, KeySet& keys, IndexState& state, Ui& ui,
                                               const std::function<void()>& refreshCounts,
                                               const ListObservers& observers) {
    const ReindexOutcome outcome =
        reindexer_liste(table, keys, itemIndex, state, ui, refreshCounts, observers);
    setProtection(false);
    return outcome;
}

} // namespace verdan
