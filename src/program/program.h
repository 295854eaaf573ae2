#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browse/browse_state.h"
#include "browse/catalogue_choice.h"
#include "browse/deletion.h"
#include "browse/list_commands.h"
#include "browse/list_follower.h"
#include "browse/typed_search.h"
#include "catalogue/index_keys.h"
#include "catalogue/program_state.h"
#include "collect/add_media.h"
#include "collect/collection_state.h"
#include "collect/startup.h"
#include "platform/drives.h"
#include "util/ui.h"

namespace verdan {

// A window showing the program.
class ProgramView {
public:
    virtual ~ProgramView() = default;
    // The program changed what more than one window shows: show it again.
    virtual void programChanged() = 0;
};

// The program without its windows. It owns what the two windows show (the state they share, the
// collection window's own and the global-list window's own) and runs every change of the list:
// what depends on the list (the search result, the marks and their counter, the keys, the disk
// list, the counts and captions) follows whoever changed it, and the views are told. The windows
// display it and forward the user's actions, so that a whole user path runs without a window.
class Program {
public:
    // The size of list file (about 50,000 rows) from which its keys are made after its table shows.
    static constexpr std::uint64_t kKeysAfterBytesFrom = 8 << 20;

    // `state` outlives the program: the settings and the catalogue stay when the windows are made
    // anew.
    Program(ProgramState& state, Ui& ui, Shell& shell, platform::DriveProvider& drives);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramState& state() { return m_state; }
    CollectionState& collection() { return m_collection; }
    BrowseState& browse() { return m_browse; }
    Ui& ui() { return m_ui; }
    Shell& shell() { return m_shell; }
    platform::DriveProvider& drives() { return m_drives; }

    void addView(ProgramView& view);
    void removeView(ProgramView& view);
    // Every view shows the program again, but `current`, which shows it already (a box being typed
    // in is not written over under the user's hand).
    void changed(const ProgramView* current = nullptr);

    // The first activation of the collection window: settings, parameters and list. Throws
    // VerdanError when the list cannot be read; FirstActivation then stays set.
    void openingSequence(StartupView& view);
    // Every activation of the collection window: every mark of the list and of the search result
    // cleared. Returns the window's title.
    std::string activate();

    // The scan of the ticked folders of the chosen drive ("3- lister ...").
    void listMedia();
    // "4- rajouter dans la liste globale".
    AddOutcome addToGlobalList();
    // "Mettre à jour ce disque", offered after a scan of a disk the list has rows of.
    bool refreshOffered();
    RefreshOutcome refreshDisk();
    // The index level chosen, and "Réindexer la liste globale".
    void chooseIndexLevel(int item);
    ReindexOutcome reindex();

    // "Rechercher": false when the text found nothing.
    bool search(const std::string& text);
    // Enter in the search box.
    void searchEntered(const std::string& text);
    // The search box's text after a pause in the typing: searched on worker threads, shown when
    // found (the views are told then).
    void typeSearch(const std::string& text);
    // "X" and Escape: the full table again, and no search left under way.
    void clearSearch();
    TypedSearch& typedSearch() { return m_typed; }
    // "Effacer (supp)" over the rows highlighted in the table shown.
    std::optional<GridPosition> deleteRows(const RowSet& selected, std::size_t topVisibleRow);
    // The chosen disk's rows.
    std::size_t deleteDisk();
    // Every row.
    bool emptyList();

    bool loadList(ListCommandsView& view);
    bool saveList();
    void undo();
    // The one quit procedure of both windows.
    QuitOutcome quit(QuitSender sender);

    // "Choisir *.prm => " / "Choisir => ", and a name typed in the list-name box.
    void chooseCatalogue(CatalogueChoiceView& view);
    void switchToNamedCatalogue(CatalogueChoiceView& view, const std::string& name);

private:
    // Runs a command that may change the list; whatever it did, even when it threw, what depends
    // on the list follows and the views are told. `replaced`: the command may have put another
    // list in place without loading it (a catalogue switch that was cancelled half-way).
    // `needsKeys`: the keys and disks a load left in the making are waited for first; a command
    // that only loads another list in place of this one drops them instead.
    template <class Command> auto change(Command&& command, bool replaced = false, bool needsKeys = true);
    bool typedResultMayShow() const;

    ProgramState& m_state;
    Ui& m_ui;
    Shell& m_shell;
    platform::DriveProvider& m_drives;
    CollectionState m_collection;
    BrowseState m_browse;
    BrowseFollower m_follower{m_state, m_browse};
    std::vector<ProgramView*> m_views;
    int m_commands = 0; // commands under way (a question's event loop may run others' events)
    // Last, so that its threads stop before anything they read goes.
    TypedSearch m_typed{m_state, m_browse, m_ui, [this] { changed(); },
                        [this] { return typedResultMayShow(); }};
};

} // namespace verdan
