#include "browse/list_commands.h"

#include "catalogue/catalogue_access.h"
#include "catalogue/list_backup.h"
#include "catalogue/list_file.h"
#include "catalogue/list_load.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/utf8.h"

#include <algorithm>

namespace verdan {
namespace {

void inform(Ui& ui, const std::string& text, DialogButton button) {
    ui.ask(DialogType::Information, text, {button});
}

void reloadFromListFile(ProgramState& program, Ui& ui, bool rebuildDisks) {
    GlobalListState& globalList = program.globalList;
    const std::string& path = program.catalogue.paths.ListFilePath;
    const FileStamp read = stampOf(path);
    std::int64_t lineFeeds = -1;
    if (loadIndexedList(globalList, path, program.catalogue.params.indexLevel, false, rebuildDisks, ui,
                        program.programFolder, &lineFeeds) == LoadResult::Loaded)
        program.catalogue.listOnDisk.remember(path, read, lineFeeds);
    af_nb_media_bd(program);
}

// The media of the list file: counted at its reading when it has not changed since, so that a
// million lines are not read once more just to ask whether to read them.
std::int64_t listFileMedia(const ProgramState& program) {
    const std::string& path = program.catalogue.paths.ListFilePath;
    const FileOnDisk& read = program.catalogue.listOnDisk;
    if (read.lineFeeds >= 0 && read.path == path && !read.changed(path))
        return listFileMediaCount(path, read.lineFeeds);
    return listFileMediaCount(path);
}

// The temporaries an interrupted write of this catalogue left; those of the other catalogues of
// the folder may belong to a program of another computer.
void removeStaleListTemporaries(const ListPaths& paths) {
    removeStaleTemporaries(folderOf(paths.ListFilePath), paths.filesPrefix());
}

} // namespace

std::string listChangedQuestion(const std::string& listFile, const std::string& anyway) {
    return "  Le fichier de la liste a changé depuis sa lecture (un autre programme l'a enregistré ?)  \n\n  "
           "  " +
           listFile + "\n\n  Recharger : les modifications faites ici sont perdues. \n  " + anyway +
           " : l'autre version est gardée dans la sauvegarde. ";
}

DiskCheck checkListOnDisk(ProgramState& program, Ui& ui, const std::string& anyway) {
    const std::string& path = program.catalogue.paths.ListFilePath;
    const FileOnDisk& read = program.catalogue.listOnDisk;
    if (!read.changed(path)) return DiskCheck::Unchanged;
    if (!platform::exists(path)) {
        // Renamed or removed by hand, or by a program on another computer: the list written now
        // may be all that is left of it.
        return confirm(ui, "  Le fichier de la liste a disparu depuis sa lecture :  \n\n    " + path +
                               "\n\n  L'enregistrer quand même ?")
                   ? DiskCheck::WriteAnyway
                   : DiskCheck::Cancelled;
    }
    switch (ui.askThreeChoices(listChangedQuestion(path, anyway), "Recharger", anyway, "Annuler", 150)) {
    case 0: {
        BusyScope busy(ui);
        reloadFromListFile(program, ui, true);
        return DiskCheck::Reloaded;
    }
    case 1:
        return DiskCheck::WriteAnyway;
    default:
        return DiskCheck::Cancelled;
    }
}

std::string saveDateLabel(const std::string& nowText) {
    return nowText.substr(0, utf8::offsetOfChar(nowText, 16));
}

bool Button_charger_bdClick(ProgramState& program, Ui& ui, ListCommandsView& view) {
    const ListPaths& paths = program.catalogue.paths;
    const std::int64_t m = listFileMedia(program);
    const std::string question = m == 0 ? "   charger la liste vide ? \n\n" + paths.ListName
                                        : "   charger la liste globale  " + paths.ListName +
                                              " contenant              \n\n" + "       " + toText(m) +
                                              " médias ?";
    if (!confirm(ui, question)) return false;
    const std::size_t rows = program.globalList.table.rowCount();
    if (rows - 1 > 2 &&
        !confirm(ui, " écraser les " + toText(static_cast<long long>(rows - 1)) + " médias actuels ?"))
        return false;
    BusyScope busy(ui);
    view.showLoadingPanel(true);
    try {
        reloadFromListFile(program, ui, true);
    } catch (const LoadCancelled& e) {
        view.showLoadingPanel(false);
        ui.showInfo(e.text());
        return false;
    } catch (...) {
        view.showLoadingPanel(false);
        throw;
    }
    view.showLoadingPanel(false);
    return true;
}

bool saveCurrentList(ProgramState& program, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    const ListPaths& paths = program.catalogue.paths;
    if (!mayWriteCatalogue(program, ui)) return false;
    const DiskCheck check = checkListOnDisk(program, ui, "Enregistrer quand même");
    if (check == DiskCheck::Reloaded || check == DiskCheck::Cancelled) return false;
    BusyScope busy(ui);
    removeStaleListTemporaries(paths);
    // The list file becomes the backup only once the new list is whole on disk, so that a
    // failure at any moment leaves a whole list under each name.
    ecrire_liste(globalList.table, paths.ListFilePath, paths.backupPath());
    rememberListFile(program);
    program.catalogue.params.dateLabel = saveDateLabel(platform::nowDateTimeText());
    program.saveSettings();
    saveCatalogueParams(program, ui, false);
    return true;
}

bool Button_enregistrer_listeClick(ProgramState& program, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    const ListPaths& paths = program.catalogue.paths;
    // Read-only: said before any question.
    if (!mayWriteCatalogue(program, ui)) return false;
    const std::string question =
        globalList.mediaCountCaption == "aucun média"
            ? "  Enregistrer la liste vide dans le fichier  \n\n    " + paths.ListFilePath +
                  "              \n"
            : " Enregistrer la liste des " + toText(static_cast<long long>(globalList.table.mediaCount())) +
                  " médias  dans le fichier  \n\n" + "    " + paths.ListFilePath + "              \n";
    if (!confirm(ui, question)) return false;
    if (!saveCurrentList(program, ui)) return false;
    inform(ui, "   Enregistrement effectué     ", DialogButton::Ok);
    return true;
}

void Button_undoClick(ProgramState& program, Ui& ui) {
    const ListPaths& paths = program.catalogue.paths;
    const std::string backup = paths.backupPath();
    if (!platform::isFile(backup)) {
        inform(ui, "  Pas de sauvegarde disponible \n\n" + backup, DialogButton::Yes);
        return;
    }
    ui.ask(DialogType::Confirmation, "  Charger la dernière sauvegarde ? \n\n" + backup, {DialogButton::Yes});
    const std::int64_t b = listFileMediaCount(backup);
    if (b == 0) {
        inform(ui, "   La dernière sauvegarde ne contient rien \n\n" + backup, DialogButton::Yes);
        return;
    }
    // The swap writes both files: not in read-only, and not over a list another program saved
    // since it was read here without the user's word. A list file gone since is left to the swap,
    // which needs both files and says so.
    if (!mayWriteCatalogue(program, ui)) return;
    if (platform::exists(paths.ListFilePath)) {
        const DiskCheck check = checkListOnDisk(program, ui, "Undo quand même");
        if (check == DiskCheck::Reloaded || check == DiskCheck::Cancelled) return;
    }
    GlobalList& list = program.globalList.table;
    if (list.ListModified &&
        confirm(ui, "   avant de charger cette liste, enregistrer les modifications effectuées sur la liste "
                    "actuelle ? \n\n       " +
                        paths.ListFilePath)) {
        ecrire_liste(list, paths.ListFilePath);
        rememberListFile(program);
    }
    if (!confirm(ui, "      Charger la sauvegarde de          \n\n     " + toText(b) + " médias ?")) return;
    if (!echanger_fichiers(backup, paths.ListFilePath)) {
        inform(ui, "  Récupération de la sauvegarde impossible\n\n", DialogButton::Yes);
        return;
    }
    reloadFromListFile(program, ui, true);
}

QuitOutcome Button_exitClick(ProgramState& program, Ui& ui, QuitSender sender, std::size_t foundLines) {
    // A copy walks the list from inside the event loop: it is stopped (with its question) first,
    // then the user quits, rather than the program ending under it with a temporary file left.
    if (program.copyRunning) {
        program.StopRequested = true;
        return QuitOutcome::Stay;
    }
    if (foundLines > 0 && program.globalList.table.rowCount() <= 2 &&
        !confirm(
            ui,
            " Les fichiers filtrés n'ont pas été rajoutés à la liste globale  \n\n     Quitter quand même ?"))
        return QuitOutcome::Stay;
    // Once the list is saved or declined, a settings or parameter file that cannot be written (full
    // disk, program folder gone) is said once and the quit goes on: the user can always leave.
    std::vector<std::string> reported;
    auto report = [&](const VerdanError& e) {
        if (std::find(reported.begin(), reported.end(), e.text()) != reported.end()) return;
        reported.push_back(e.text());
        showError(ui, e.text());
    };
    if (program.globalList.table.ListModified) {
        try {
            Button_enregistrer_listeClick(program, ui);
        } catch (const VerdanError& e) {
            if (program.globalList.table.ListModified) throw;
            report(e);
            // The save stopped after the list: its date still has to reach the parameter file.
            program.catalogue.ParamsModified = true;
        }
    }
    if (program.catalogue.ParamsModified) {
        try {
            saveCatalogueParams(program, ui, false);
        } catch (const VerdanError& e) {
            report(e);
        }
    }
    if (sender == QuitSender::Form1Closing) {
        inform(ui, " Quitter                   ", DialogButton::Ok);
    } else if (!confirm(ui, " Quitter ?")) {
        return QuitOutcome::Stay;
    }
    try {
        program.saveSettings();
    } catch (const VerdanError& e) {
        report(e);
    }
    releaseListLock(program);
    return sender == QuitSender::Form1Closing ? QuitOutcome::CloseMainWindow : QuitOutcome::ExitNow;
}

} // namespace verdan
