#include "catalogue/index_keys.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "util/utf8.h"

namespace verdan {
namespace {

int clampLevel(int level) {
    return std::clamp(level, 0, kIndexLevels - 1);
}

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

std::uint64_t hashBytes(std::string_view s) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ s.size();
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = (h ^ mix(w)) * 0x100000001B3ULL;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, s.data() + i, s.size() - i);
    return mix(h ^ tail);
}

void foldInto(std::string& out, std::string_view s) {
    out.clear();
    std::size_t pos = 0;
    while (pos < s.size()) {
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
            ++pos;
        } else {
            utf8::append(out, utf8::foldChar(utf8::next(s, pos)));
        }
    }
}

} // namespace

KeyColumns KeyColumns::of(const GlobalList& table) {
    KeyColumns k;
    k.titre = table.indice_col_liste("titre");
    k.ext = table.indice_col_liste("ext");
    k.disque = table.indice_col_liste("nom-disque");
    k.ns = table.indice_col_liste("NS-disque");
    k.taille = table.indice_col_liste("taille");
    k.date = table.indice_col_liste("date");
    k.repertoire = table.indice_col_liste("répertoire");
    return k;
}

void appendKey(const GlobalList& table, const KeyColumns& columns, std::size_t row, int level,
               std::string& out) {
    if (row >= table.rowCount()) return;
    // Cut the row once rather than searching it again for every column.
    const std::string_view text = table.rowText(row);
    std::array<std::size_t, kListColumns + 1> starts{};
    std::size_t from = 0;
    for (int c = 0; c < kListColumns; ++c) {
        starts[static_cast<std::size_t>(c)] = from;
        const void* tab =
            c + 1 < kListColumns ? std::memchr(text.data() + from, '\t', text.size() - from) : nullptr;
        from =
            tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - text.data()) + 1 : text.size() + 1;
    }
    starts[kListColumns] = text.size() + 1;
    auto add = [&](int col) {
        if (col < 0 || col >= kListColumns) return; // a foreign header without that column
        const std::size_t b = std::min(starts[static_cast<std::size_t>(col)], text.size());
        const std::size_t e = std::min(starts[static_cast<std::size_t>(col) + 1] - 1, text.size());
        if (e > b) out.append(text.data() + b, e - b);
    };
    level = clampLevel(level);
    add(columns.titre);
    add(columns.ext);
    add(columns.disque);
    add(columns.ns);
    if (level >= 1) add(columns.taille);
    if (level >= 2) add(columns.date);
    if (level >= 3) add(columns.repertoire);
}

std::string cle_index(const GlobalList& table, std::size_t row, int level) {
    std::string key;
    appendKey(table, KeyColumns::of(table), row, level, key);
    return key;
}

KeySet::KeySet() : m_slots(16, 0) {}

std::uint64_t KeySet::foldedHash(std::string_view key) const {
    foldInto(m_folded, key);
    return hashBytes(m_folded);
}

// Index of the equal entry, or -1 with `slot` at the free slot where it would go.
std::int64_t KeySet::find(std::string_view key, std::uint64_t hash, std::size_t& slot) const {
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (slot = static_cast<std::size_t>(hash) & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t s = m_slots[slot];
        if (s == 0) return -1;
        if (static_cast<std::uint32_t>(s >> 32) != tag) continue;
        const auto index = static_cast<std::size_t>(s & 0xFFFFFFFFu) - 1;
        if (utf8::compareFolded(text(m_entries[index]), key) == 0) return static_cast<std::int64_t>(index);
    }
}

bool KeySet::contains(std::string_view key) const {
    std::size_t slot = 0;
    return find(key, foldedHash(key), slot) >= 0;
}

bool KeySet::insert(std::string_view key) {
    const std::uint64_t hash = foldedHash(key);
    std::size_t slot = 0;
    if (find(key, hash, slot) >= 0) return false;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    m_entries.push_back(
        {m_text.size(), static_cast<std::uint32_t>(key.size()), static_cast<std::uint32_t>(hash)});
    m_text.append(key);
    m_slots[slot] = (static_cast<std::uint64_t>(tag) << 32) | m_entries.size();
    if (m_entries.size() * 2 > m_slots.size()) grow();
    return true;
}

void KeySet::grow() {
    rehash(m_slots.size() * 2);
}

void KeySet::rehash(std::size_t slots) {
    std::vector<std::uint64_t> fresh(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::uint64_t s : m_slots) {
        if (s == 0) continue;
        const auto index = static_cast<std::size_t>(s & 0xFFFFFFFFu) - 1;
        std::size_t slot = m_entries[index].hashLow & mask;
        while (fresh[slot] != 0) slot = (slot + 1) & mask;
        fresh[slot] = s;
    }
    m_slots.swap(fresh);
}

void KeySet::clear() {
    m_text.clear();
    m_entries.clear();
    m_slots.assign(16, 0);
}

void KeySet::reserve(std::size_t keys) {
    m_entries.reserve(keys);
    std::size_t slots = m_slots.size();
    while (slots < keys * 2 + 2) slots *= 2;
    if (slots != m_slots.size()) rehash(slots);
}

std::vector<std::string> KeySet::sortedKeys() const {
    std::vector<std::string> keys;
    keys.reserve(m_entries.size());
    for (const Entry& e : m_entries) keys.emplace_back(text(e));
    std::sort(keys.begin(), keys.end(), utf8::FoldedLess{});
    return keys;
}

std::string labelIdxText(int level) {
    return "idx" + std::to_string(clampLevel(level) + 1);
}
std::string labelNIdxText(std::size_t keys) {
    return "n-idx = " + std::to_string(keys);
}

namespace {

// Adds the key of every data row; keep[r] turns false for a row whose key was there already.
void addKeys(const GlobalList& table, KeySet& keys, int level, std::vector<bool>* firstOfKey) {
    const KeyColumns columns = KeyColumns::of(table);
    const std::size_t rows = table.rowCount();
    keys.reserve(keys.size() + rows);
    if (firstOfKey) firstOfKey->assign(rows, true);
    std::string key;
    for (std::size_t r = 1; r < rows; ++r) {
        key.clear();
        appendKey(table, columns, r, level, key);
        if (!keys.insert(key) && firstOfKey) (*firstOfKey)[r] = false;
    }
}

void showKeyCount(const KeySet& keys, IndexState& state) {
    state.Label_n_idx = labelNIdxText(keys.size());
    state.Label3 = state.Label_n_idx;
}

class BusyGuard {
public:
    explicit BusyGuard(Ui& ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyGuard() { m_ui.setBusy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    Ui& m_ui;
};

} // namespace

void indexer_liste(const GlobalList& table, KeySet& keys, int level, bool keep, IndexState& state) {
    if (!keep) keys.clear();
    state.Label_idx = labelIdxText(level);
    addKeys(table, keys, level, nullptr);
    showKeyCount(keys, state);
}

ReindexOutcome reindexer_liste(GlobalList& table, KeySet& keys, int level, IndexState& state, Ui& ui,
                               const std::function<void()>& refreshCounts) {
    // One pass both rebuilds the set and finds the top-most row of each key.
    keys.clear();
    state.Label_idx = labelIdxText(level);
    std::vector<bool> firstOfKey;
    addKeys(table, keys, level, &firstOfKey);
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
        BusyGuard busy(ui);
        // The rows removed never hold a first spelling, so the set just built is already the set
        // of the shortened table: no second rebuild.
        table.keepRows(firstOfKey);
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
    CheckBox1 = false;
    radioGroupEnabled = false;
    reinitEnabled = false;
}

void IndexLevelControls::setProtection(bool ticked) {
    CheckBox1 = ticked;
    radioGroupEnabled = ticked;
    reinitEnabled = ticked;
}

void IndexLevelControls::chooseLevel(int item, IndexState& state) {
    itemIndex = clampLevel(item);
    radioGroupEnabled = false;
    state.Label_idx = labelIdxText(itemIndex);
}

ReindexOutcome IndexLevelControls::reinitClick(GlobalList& table, KeySet& keys, IndexState& state, Ui& ui,
                                               const std::function<void()>& refreshCounts) {
    const ReindexOutcome outcome = reindexer_liste(table, keys, itemIndex, state, ui, refreshCounts);
    setProtection(false);
    return outcome;
}

} // namespace verdan
