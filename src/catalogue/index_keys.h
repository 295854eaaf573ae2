#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/global_list.h"
#include "catalogue/key_set.h"
#include "catalogue/list_change.h"
#include "util/ui.h"

namespace verdan {

// Index levels by item index of RadioGroup_index: 0 idx1 ... 3 idx4.
inline constexpr int kIndexLevels = 4;
inline constexpr const char* kIndexLevelItems[kIndexLevels] = {
    "idx1 = nom_fichier + disque/NS", "idx2 = idx1 + taille", "idx3 = idx1 + taille + date",
    "idx4 = idx1 + taille + date + répertoire"};

// Columns of the key, found once per table by header text (-1 when the header lacks one).
struct KeyColumns {
    int titre = -1, ext = -1, disque = -1, ns = -1, taille = -1, date = -1, repertoire = -1;
    static KeyColumns of(const GlobalList& table);
    // The same from the text of a header row, before it is in a table.
    static KeyColumns ofHeader(std::string_view headerRow);
};

// Appends the key of a data row at the level (item index 0 to 3) to `out`.
void appendKey(const GlobalList& table, const KeyColumns& columns, std::size_t row, int level,
               std::string& out);
// The same from the row's text (cells joined by tabs).
void appendRowKey(std::string_view row, const KeyColumns& columns, int level, std::string& out);

// Where the cells of a row start (see wordscan::cellStarts), and the cell they give.
using CellStarts = std::array<std::size_t, kListColumns + 1>;
std::string_view cellAt(std::string_view row, const CellStarts& starts, int col);

// Adds the keys of up to 32 rows to the set, one more row holding each; bit j of the result is set
// when the key of rows[j] was there already. The slots are fetched ahead for the whole batch, as
// a million random look-ups would otherwise wait on memory one at a time. With `each`, the row
// is cut once for its key and for the columns up to `alsoUpTo`, and each(j, starts) is called.
std::uint32_t addRowKeys(const std::string_view* rows, std::size_t count, const KeyColumns& columns,
                         int level, KeySet& keys, int alsoUpTo = -1,
                         const std::function<void(std::size_t, const CellStarts&)>& each = {});
inline constexpr std::size_t kKeyBatch = 16;
std::string cle_index(const GlobalList& table, std::size_t row, int level);

// Texts shown by Label_idx and Label_n_idx of the global-list window, Label3 of the collection window.
struct IndexState {
    std::string levelCaption;                         // Label_idx
    std::string keyCountCaption;                      // Label_n_idx
    std::string collectionKeyCountCaption = "nb idx"; // Label3
};

std::string labelIdxText(int level);
std::string labelNIdxText(std::size_t keys);

// Rebuilds the key set from the data rows at the level; keep true adds to the keys already there.
void indexer_liste(const GlobalList& table, KeySet& keys, int level, bool keep, IndexState& state);

// A set built apart from the key of every data row of the table at the level becomes its key
// set, with the labels as indexer_liste sets them.
void adoptKeys(KeySet&& built, KeySet& keys, int level, IndexState& state);

// Before the data rows `removed` names (ascending) leave the table: takes their keys out of the set
// when it holds the key of every row at this level, and says whether it did.
bool forgetKeysOfRows(const GlobalList& table, KeySet& keys, int level,
                      const std::vector<std::size_t>& removed);
// Once those rows are gone: the set as indexer_liste would build it, rebuilt only when
// forgetKeysOfRows could not follow the deletion; the labels as indexer_liste sets them.
void indexAfterRemoval(const GlobalList& table, KeySet& keys, int level, bool forgotten, IndexState& state);

enum class ReindexOutcome { NoDuplicate, Declined, Cleaned };

// Removes every row whose key repeats a row above it, after the user's confirmation; the top-most
// row of each key stays and the order is kept. ListModified is left as it was. `refreshCounts`
// runs after the cleaning, before the closing message; `observers` hear the rows removed.
ReindexOutcome reindexer_liste(GlobalList& table, KeySet& keys, int level, IndexState& state, Ui& ui,
                               const std::function<void()>& refreshCounts = {},
                               const ListObservers& observers = {});

// The level controls of the collection window: CheckBox1 protects RadioGroup_index and BitBtn_reinit.
struct IndexLevelControls {
    bool modificationAllowed = false; // CheckBox1 ticked
    bool radioGroupEnabled = false;
    bool reinitEnabled = false;
    int itemIndex = 1; // idx2 unless a parameter file says otherwise

    // First activation of the collection window: both controls locked.
    void firstActivation();
    // CheckBox1Click: ticked unlocks both controls, unticked locks them.
    void setProtection(bool ticked);
    // RadioGroup_indexClick (also a level read from a parameter file): the group locks itself and
    // Label_idx follows; the key set and the rows stay as they are.
    void chooseLevel(int item, IndexState& state);
    // BitBtn_reinitClick: re-indexes, then unticks CheckBox1.
    ReindexOutcome reinitClick(GlobalList& table, KeySet& keys, IndexState& state, Ui& ui,
                               const std::function<void()>& refreshCounts = {},
                               const ListObservers& observers = {});
};

} // namespace verdan
