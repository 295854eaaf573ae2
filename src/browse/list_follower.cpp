#include "browse/list_follower.h"

#include <algorithm>

#include "browse/marks.h"
#include "browse/search.h"

namespace verdan {

BrowseFollower::BrowseFollower(ProgramState& program, BrowseState& browse)
    : m_program(program), m_browse(browse) {
    m_program.globalList.observers.push_back(this);
}

BrowseFollower::~BrowseFollower() {
    ListObservers& observers = m_program.globalList.observers;
    observers.erase(std::remove(observers.begin(), observers.end(), this), observers.end());
}

void BrowseFollower::listAboutToChange(const ListChange& change) {
    // Read before the rows go: a count of the marks left without reading a million rows again.
    if (change.kind == ListChange::Kind::RowsRemoved && change.removed) {
        m_marksLeft = marksLeftAfterRemoval(m_program, m_browse, *change.removed);
        m_resultWhole = resultIsWhole(m_program, m_browse);
    }
    // Rows appended to a list whose marks were counted add their own, and no more need be read.
    if (change.kind == ListChange::Kind::RowsAppended) m_marksKnown = listMarksKnown(m_program, m_browse);
}

void BrowseFollower::listChanged(const ListChange& change) {
    switch (change.kind) {
    case ListChange::Kind::Replaced:
        m_replaced = true;
        break;
    case ListChange::Kind::RowsRemoved:
        // A result about to be made again need not follow.
        if (m_replaced || !change.removed) break;
        if (m_browse.filterShown) followRemovedRows(m_program, m_browse, *change.removed, m_resultWhole);
        countMarksAfterRemoval(m_program, m_browse, m_marksLeft);
        m_marksLeft.reset();
        break;
    case ListChange::Kind::RowsAppended:
        if (!m_replaced && m_marksKnown)
            countMarksAfterAppend(m_program, m_browse, change.first, change.count);
        m_marksKnown = false;
        break;
    case ListChange::Kind::CellsChanged:
        // New rows are not in the result until the next search; a result row shows its list row's
        // cells as they are now.
        break;
    }
}

bool BrowseFollower::settle(bool replaced) {
    if (!m_replaced && !replaced) return false;
    m_replaced = false;
    listReplaced(m_program, m_browse);
    return true;
}

} // namespace verdan
