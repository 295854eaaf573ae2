#include "catalogue/shared_actions.h"

#include "catalogue/catalogue_access.h"
#include "catalogue/list_edits.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

bool isEmptyList(const GlobalList& list) {
    return list.rowCount() == 2 && list.isBlankRow(1);
}

} // namespace

bool Button_vider_bdClick(ProgramState& program, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    if (isEmptyList(globalList.table) || globalList.table.rowCount() < 2) {
        ui.showInfo(" rien à effacer...");
        return false;
    }
    if (!confirm(ui, " Effacer tous les " + toText(static_cast<long long>(globalList.table.rowCount() - 1)) +
                         " médias de la liste ?            "))
        return false;
    globalList.table.resetToEmptyList();
    globalList.keys.clear();
    announceListReplaced(globalList);
    af_nb_media_bd(program);
    globalList.disks.clear();
    globalList.table.ListModified = true;
    saveCatalogueParams(program, ui, false);
    return true;
}

std::optional<std::string> chooseFolderCreating(Ui& ui, const std::string& initialFolder) {
    const std::optional<std::string> chosen = ui.chooseFolder("Sélection du répertoire", initialFolder);
    if (!chosen || trimControl(*chosen).empty()) return std::nullopt;
    if (!platform::isFolder(*chosen)) {
        if (!confirm(ui, "Le répertoire spécifié n'existe pas. Le créer ?")) return std::nullopt;
        if (!platform::createFolders(*chosen)) {
            ui.showInfo("Impossible de créer le répertoire");
            return std::nullopt;
        }
    }
    return chosen;
}

bool BitBtn_rep_favoriClick(ProgramState& program, Ui& ui) {
    const std::optional<std::string> chosen = chooseFolderCreating(ui, "");
    if (!chosen) return false;
    program.settings.favouritesFolder = *chosen;
    program.globalList.favouritesCaption = *chosen;
    return true;
}

bool BitBtn_nomfic_mediaClick(ProgramState& program, Ui& ui) {
    CurrentCatalogue& catalogue = program.catalogue;
    const std::optional<std::string> chosen = chooseFolderCreating(ui, catalogue.paths.ListFolder);
    if (!chosen) return false;
    program.settings.listFolder = *chosen;
    // The parameter file goes with its list: a catalogue is the pair, side by side in one folder.
    catalogue.paths.derive(*chosen, catalogue.paths.ListName);
    catalogue.ParamsModified = true;
    // The next save writes the list there: a catalogue of that name may be there already, written
    // by another program before the save, or held by one (its lock is settled at the save, so
    // that nothing is written there before).
    rememberListFile(program);
    releaseListLock(program);
    return true;
}

void SpeedButton1Click(const std::string& favouritesFolder, Shell& shell) {
    shell.openFolder(favouritesFolder);
}

} // namespace verdan
