#include "program/program.h"

#include <algorithm>

#include "browse/marks.h"
#include "browse/search.h"
#include "catalogue/keys_in_making.h"
#include "catalogue/shared_actions.h"
#include "collect/index_level.h"
#include "collect/scan.h"
#include "util/text.h"

namespace verdan {

Program::Program(ProgramState& state, Ui& ui, Shell& shell, platform::DriveProvider& drives)
    : m_state(state), m_ui(ui), m_shell(shell), m_drives(drives), m_collection(state.drives) {
    // A large table is shown as soon as its rows are read; the views show the keys' count and
    // the disks once they are made. Below, the keys cost less than the hand-over.
    m_state.globalList.keysAfterBytesFrom = kKeysAfterBytesFrom;
    m_state.globalList.keysMade = [this] { changed(); };
}

Program::~Program() {
    m_state.globalList.keysMade = nullptr;
}

void Program::addView(ProgramView& view) {
    m_views.push_back(&view);
}

void Program::removeView(ProgramView& view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), &view), m_views.end());
}

void Program::changed(const ProgramView* current) {
    // A typed search found while a command ran shows now that the command is over.
    if (typedResultMayShow()) m_typed.showHeld();
    for (ProgramView* view : m_views)
        if (view != current) view->programChanged();
}

template <class Command> auto Program::change(Command&& command, bool replaced, bool needsKeys) {
    struct Settle {
        Program& program;
        bool replaced;
        ~Settle() {
            --program.m_commands;
            program.m_follower.settle(replaced);
            program.changed();
        }
    } settle{*this, replaced};
    ++m_commands;
    if (needsKeys) finishKeys(m_state.globalList);
    return command();
}

void Program::openingSequence(StartupView& view) {
    change([&] { verdan::openingSequence(m_state, m_collection, m_ui, view); });
}

std::string Program::activate() {
    std::string title = verdan::activate(m_state);
    // The list's marks are cleared at every activation: the search result's go too.
    listMarksCleared(m_state, m_browse);
    return title;
}

void Program::listMedia() {
    // The disk's identity goes with the scan: a refresh compares the rows of the disk scanned.
    const DiskIdentity disk =
        m_collection.drives.hasDriveRows()
            ? QueryDisk(m_drives, m_collection.drives.cell(m_collection.drives.currentRow(), 0))
            : DiskIdentity{};
    BitBtn_lister_mediaClick(m_state, m_collection, m_ui, disk);
}

AddOutcome Program::addToGlobalList() {
    return change([&] { return BitBtn_rajout_bdClick(m_state, m_collection, m_drives, m_ui); });
}

void Program::chooseIndexLevel(int item) {
    change([&] { RadioGroup_indexClick(m_state, m_collection, item); });
}

ReindexOutcome Program::reindex() {
    return change([&] { return BitBtn_reinitClick(m_state, m_collection, m_ui); });
}

bool Program::refreshOffered() {
    finishKeys(m_state.globalList);
    return verdan::refreshOffered(m_state, m_collection);
}

RefreshOutcome Program::refreshDisk() {
    return change([&] { return BitBtn_maj_disqueClick(m_state, m_collection, m_drives, m_ui); });
}

bool Program::search(const std::string& text) {
    // A blank text leaves what is shown, and what is being searched, as it is.
    if (trimControl(text).empty()) return false;
    m_typed.cancel();
    return Button_rechercherClick(m_state, m_browse, text);
}

void Program::searchEntered(const std::string& text) {
    m_typed.cancel();
    Edit1Enter(m_state, m_browse, text);
}

bool Program::typedResultMayShow() const {
    // A command that asks a question, or a copy that lets events through, acts on the rows the
    // user saw when it began: the result under it must not change.
    return m_commands == 0 && !m_state.copyRunning;
}

void Program::typeSearch(const std::string& text) {
    m_typed.type(text);
}

void Program::clearSearch() {
    m_typed.cancel();
    Button_init_filtreClick(m_browse);
}

// A deletion needs no keys in the making: they follow the rows it removes (list_edits.h).
std::optional<GridPosition> Program::deleteRows(const RowSet& selected, std::size_t topVisibleRow) {
    return change([&] { return Button_delClick(m_state, m_browse, m_ui, selected, topVisibleRow); }, false,
                  false);
}

std::size_t Program::deleteDisk() {
    return change([&] { return Button_effacer_liste_un_hdClick(m_state, m_browse, m_ui); }, false, false);
}

bool Program::emptyList() {
    return change([&] { return Button_vider_bdClick(m_state, m_ui); });
}

bool Program::loadList(ListCommandsView& view) {
    return change([&] { return Button_charger_bdClick(m_state, m_ui, view); }, false, false);
}

bool Program::saveList() {
    // A list changed on disk may be reloaded instead of saved.
    return change([&] { return Button_enregistrer_listeClick(m_state, m_ui); });
}

void Program::undo() {
    change([&] { Button_undoClick(m_state, m_ui); }, false, false);
}

QuitOutcome Program::quit(QuitSender sender) {
    // Its offer to save may reload a list changed on disk instead.
    return change([&] { return Button_exitClick(m_state, m_ui, sender, m_collection.found.size()); });
}

void Program::chooseCatalogue(CatalogueChoiceView& view) {
    // Replaced, completed or left as it was: the search result is made again from the table as
    // it now stands.
    change([&] { BitBtn_fic_lstClick(m_state, m_ui, view); }, true);
}

void Program::switchToNamedCatalogue(CatalogueChoiceView& view, const std::string& name) {
    change([&] { Edit_nom_fic_media_sans_extKeyDown(m_state, m_ui, view, name); }, true);
}

} // namespace verdan
