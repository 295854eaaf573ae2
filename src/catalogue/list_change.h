#pragma once
#include <cstddef>
#include <vector>

namespace verdan {

// What an edit of the global list changed, as its observers learn it. Rows are numbered as in the
// table (row 0 is the header row).
struct ListChange {
    enum class Kind {
        // Another list took the table's place (load, reload, Undo, a catalogue switch, emptying).
        Replaced,
        // The data rows `removed` names (ascending, each once) left the table, numbered as they
        // were before the edit.
        RowsRemoved,
        // Rows first to first + count - 1 came at the end of the table.
        RowsAppended,
        // Cells of rows first to first + count - 1 changed; column -1: any of their cells.
        CellsChanged,
    };
    Kind kind = Kind::Replaced;
    const std::vector<std::size_t>* removed = nullptr;
    std::size_t first = 0;
    std::size_t count = 0;
    int column = -1;
};

// Whoever keeps something worked out from the global list (a search result, a mark counter)
// true while the list is edited.
class ListObserver {
public:
    virtual ~ListObserver() = default;
    // Before the edit, while the rows it removes can still be read.
    virtual void listAboutToChange(const ListChange& /*change*/) {}
    virtual void listChanged(const ListChange& /*change*/) {}
};
using ListObservers = std::vector<ListObserver*>;

// The observers hear `change` around `makeChange`, which makes it.
template <class Edit>
void editList(const ListObservers& observers, const ListChange& change, Edit&& makeChange) {
    for (ListObserver* o : observers) o->listAboutToChange(change);
    makeChange();
    for (ListObserver* o : observers) o->listChanged(change);
}

} // namespace verdan
