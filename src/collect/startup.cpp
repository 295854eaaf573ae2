#include "collect/startup.h"

#include "catalogue/catalogue_access.h"
#include "catalogue/list_backup.h"
#include "catalogue/list_file.h"
#include "catalogue/list_load.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/repair.h"

namespace verdan {

namespace {
std::string fileNameOf(const std::string& path) {
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A save or an Undo killed half-way on an older version could leave the backup alone; a start
// that went on with an empty catalogue would then lose it at the first save.
void offerBackupRestore(const ListPaths& paths, Ui& ui) {
    const std::string& list = paths.ListFilePath;
    const std::string backup = paths.backupPath();
    if (!onlyBackupLeft(list, backup)) return;
    const std::string question = restoreQuestion(list, backup, listFileMediaCount(backup));
    if (ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) !=
        DialogButton::Yes)
        return;
    if (!restoreListBackup(list, backup)) showError(ui, msg::cannotCreate(list));
}

} // namespace

std::string restoreQuestion(const std::string& listFile, const std::string& backup, std::int64_t mediaCount) {
    return "  Le fichier de la liste est introuvable :\n\n    " + listFile +
           "\n\n  mais sa sauvegarde existe (" + toText(mediaCount) + " médias) :\n\n    " + backup +
           "\n\n  Restaurer la sauvegarde ?";
}

std::string loadQuestion(std::int64_t mediaCount, const std::string& media1, const std::string& media2,
                         const std::string& listFileName) {
    std::string media = media1;
    if (!media2.empty()) media += "+" + media2;
    media = repairAccentsOfUtf8(media);
    if (media.empty() || media == "+") media = "médias";
    return ".   Charger la liste globale de  " + toText(mediaCount) + "  <" + media +
           ">  du fichier suivant  ?" + "          \n\n" + "     " + listFileName;
}

void loadCurrentList(ProgramState& program, Ui& ui, bool keepKeys) {
    GlobalListState& globalList = program.globalList;
    const std::string& path = program.catalogue.paths.ListFilePath;
    const FileStamp read = stampOf(path);
    std::int64_t lineFeeds = -1;
    if (loadIndexedList(globalList, path, program.catalogue.params.indexLevel, keepKeys, true, ui,
                        program.programFolder, &lineFeeds) == LoadResult::Loaded)
        program.catalogue.listOnDisk.remember(path, read, lineFeeds);
    af_nb_media_bd(program);
}

std::string programFolderElsewhereText(const std::string& installed, const std::string& programFolder) {
    return " Le dossier du programme " + installed +
           " ne peut pas être modifié : les réglages et les listes "
           "sont gardés dans " +
           programFolder + " ";
}

namespace {

// The settings, then the catalogue they name with its parameters; the windows take their bounds.
void readSettings(ProgramState& program, CollectionState& form1, Ui& ui, StartupView& view) {
    SettingsState& settings = program.settings;
    CurrentCatalogue& catalogue = program.catalogue;

    view.currentBounds(settings.collectionWindow, settings.globalListWindow);
    // An installation the user cannot write (copied to "Program Files"): its settings and default
    // catalogues live in the user's own folder, which is said once, at the first start there.
    if (program.programFolder != program.installedFiles() && !platform::isFile(program.settingsPath()))
        ui.showInfo(programFolderElsewhereText(program.installedFiles(), program.programFolder));
    lire_fic_ini(program.settingsPath(), program.programFolder, view.screenInfo(), settings);

    catalogue.paths.derive(settings.listFolder, settings.listName, true);
    // Read, not changed: the parameter file is written again only when a value changes.
    if (readCatalogueParams(catalogue, catalogue.paths.ParamFilePath))
        form1.indexControls.chooseLevel(catalogue.params.indexLevel, program.globalList.index);
    program.globalList.favouritesCaption = settings.favouritesFolder;
    // The windows take their bounds now: the settings written below must keep them.
    view.applyState();
}

void clearLeftovers(ProgramState& program, Ui& ui) {
    CurrentCatalogue& catalogue = program.catalogue;
    // Before anything is written beside the list: another program may have it open.
    followListLock(program, ui);

    // What a killed save, load or copy left behind; the files of a running VERDAN stay, and so do
    // those of a program that has this list open (on another computer, its process cannot be seen).
    removeStaleTemporaries(program.programFolder);
    removeStaleTemporaries(program.settings.favouritesFolder);
    if (!catalogue.readOnly) {
        removeStaleTemporaries(catalogue.paths.ListFolder, catalogue.paths.filesPrefix());
        offerBackupRestore(catalogue.paths, ui);
    }
}

void startNewCatalogue(ProgramState& program, Ui& ui) {
    SettingsState& settings = program.settings;
    CurrentCatalogue& catalogue = program.catalogue;
    if (platform::isFile(catalogue.paths.ListFilePath)) return;
    // A new catalogue: its folder may not exist yet (a first start, a folder removed since).
    // A write that fails is said once and the start goes on: nothing is lost by it.
    try {
        program.saveSettings();
        catalogue.paths.derive(settings.listFolder, settings.listName, false);
        platform::createFolders(catalogue.paths.ListFolder);
        saveCatalogueParams(program, ui, false);
    } catch (const VerdanError& e) {
        showError(ui, e.text());
    }
}

void showCaptions(ProgramState& program, CollectionState& form1, StartupView& view) {
    program.collectionListFileCaption = program.catalogue.paths.ListName;
    program.HelpTextSimple = kHelpTextSimple;
    program.HelpTextAdvanced = program.HelpTextSimple + "\n" + kHelpTextAdvancedLine;
    program.globalList.helpText =
        program.settings.advancedMode ? program.HelpTextAdvanced : program.HelpTextSimple;
    form1.helpPanelText = program.HelpTextAdvanced;
    form1.indexControls.firstActivation();
    view.applyState();
}

// The advanced mode asks first, over the collection window.
void loadAfterQuestion(ProgramState& program, Ui& ui, StartupView& view, std::int64_t count) {
    const CurrentCatalogue& catalogue = program.catalogue;
    const std::string question =
        loadQuestion(count, catalogue.params.media[0].name, catalogue.params.media[1].name,
                     fileNameOf(catalogue.paths.ListFilePath));
    if (ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) !=
        DialogButton::Yes)
        return;
    BusyScope busy(ui);
    view.showLoadingPanel(true);
    try {
        loadCurrentList(program, ui, true);
    } catch (const LoadCancelled& e) {
        // As if the question had been declined: the start goes on without the list.
        view.showLoadingPanel(false);
        ui.showInfo(e.text());
        return;
    } catch (...) {
        view.showLoadingPanel(false);
        throw;
    }
    view.focusGlobalListButton();
    view.showLoadingPanel(false);
}

// The basic mode loads at once, in the global-list window.
void loadInGlobalListWindow(ProgramState& program, Ui& ui, StartupView& view) {
    view.showGlobalListLoading(true);
    BusyScope busy(ui);
    try {
        loadCurrentList(program, ui, true);
    } catch (const LoadCancelled& e) {
        // The start goes on with the empty list, which a later "Lecture de la liste" fills.
        ui.showInfo(e.text());
    } catch (...) {
        view.showGlobalListLoading(false);
        throw;
    }
    view.showGlobalListWindow();
    view.showGlobalListLoading(false);
}

void loadAtStart(ProgramState& program, Ui& ui, StartupView& view) {
    const SettingsState& settings = program.settings;
    const std::string& listFile = program.catalogue.paths.ListFilePath;
    if (!platform::isFile(listFile)) return;
    // Only the question of the advanced mode needs the count: a million lines are read for it.
    const std::int64_t count = settings.advancedMode ? listFileMediaCount(listFile) : 0;
    if (settings.advancedMode && count != 0)
        loadAfterQuestion(program, ui, view, count);
    else
        loadInGlobalListWindow(program, ui, view);
}

} // namespace

void openingSequence(ProgramState& program, CollectionState& form1, Ui& ui, StartupView& view) {
    readSettings(program, form1, ui, view);
    clearLeftovers(program, ui);
    startNewCatalogue(program, ui);
    showCaptions(program, form1, view);
    // What a save would write over without asking, until a load reads it.
    rememberListFile(program);
    loadAtStart(program, ui, view);
    view.applyState();
    form1.FirstActivation = false;
}

std::string activate(ProgramState& program) {
    {
        // The marks are neither keys nor disks: keys in the making go on from where they stand.
        struct Paused {
            GlobalListState& globalList;
            ~Paused() { resumeKeys(globalList); }
        } paused{program.globalList};
        pauseKeys(program.globalList);
        clearListMarks(program.globalList);
    }
    const std::string access = accessCaption(program);
    return CollectionState::windowTitle(program.collectionListFileCaption +
                                        (access.empty() ? std::string() : "      " + access));
}

} // namespace verdan
