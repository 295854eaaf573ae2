#pragma once
#include <cstddef>
#include <optional>

#include "browse/browse_state.h"
#include "catalogue/list_change.h"
#include "catalogue/program_state.h"

namespace verdan {

// Keeps what the global-list window shows of the list true while the list is edited, whoever edits
// it: the search result loses the rows removed and the mark counter counts what is left at once;
// after another list took the table's place, the search is made again once the command that
// replaced it is over (a save may reload the list, then go on).
class BrowseFollower : public ListObserver {
public:
    // Observes the list of `program` until destroyed.
    BrowseFollower(ProgramState& program, BrowseState& browse);
    ~BrowseFollower() override;
    BrowseFollower(const BrowseFollower&) = delete;
    BrowseFollower& operator=(const BrowseFollower&) = delete;

    void listAboutToChange(const ListChange& change) override;
    void listChanged(const ListChange& change) override;

    // After a command: when the list was replaced during it (or `replaced` says it may have been),
    // the search result, the arrows' row and the mark counter start again from the table. True when
    // they did.
    bool settle(bool replaced = false);

private:
    ProgramState& m_program;
    BrowseState& m_browse;
    std::optional<std::size_t> m_marksLeft;
    bool m_marksKnown = false;
    bool m_resultWhole = false;
    bool m_replaced = false;
};

} // namespace verdan
