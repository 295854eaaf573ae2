#include "browse/catalogue_choice.h"

#include "catalogue/catalogue_access.h"
#include "catalogue/drive_lookup.h"
#include "catalogue/file_copy.h"
#include "catalogue/list_edits.h"
#include "catalogue/list_file.h"
#include "catalogue/shared_actions.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/repair.h"
#include "util/text.h"

#include <vector>

namespace verdan {
namespace {

void inform(Ui& ui, const std::string& text) {
    ui.ask(DialogType::Information, text, {DialogButton::Ok});
}

// The catalogue as it stood before a change that the user may still abandon: going back to it
// keeps the rows in memory with the files they came from, so that no later save writes them
// over another catalogue.
class CatalogueSnapshot {
public:
    explicit CatalogueSnapshot(const ProgramState& program)
        : m_catalogue(program.catalogue), m_listName(program.settings.listName),
          m_listFolder(program.settings.listFolder), m_caption(program.collectionListFileCaption),
          m_levelCaption(program.globalList.index.levelCaption) {}

    // The previous catalogue's lock (held or not) stays as it is until the change is done or
    // abandoned; it goes with the snapshot when the change is done.
    void keepLock(ProgramState& program) {
        if (m_lockKept) return;
        m_lock = std::move(program.listLock);
        m_lockKept = true;
    }

    void restore(ProgramState& program) {
        program.catalogue = m_catalogue;
        program.settings.listName = m_listName;
        program.settings.listFolder = m_listFolder;
        program.collectionListFileCaption = m_caption;
        program.globalList.index.levelCaption = m_levelCaption;
        // The lock taken for the abandoned catalogue goes, the previous one comes back.
        if (m_lockKept) program.listLock = std::move(m_lock);
        m_lockKept = false;
        af_nb_media_bd(program);
    }

private:
    ListLock m_lock;
    bool m_lockKept = false;
    CurrentCatalogue m_catalogue;
    std::string m_listName;
    std::string m_listFolder;
    std::string m_caption;
    std::string m_levelCaption;
};

// Unsaved rows are never carried off silently by a change of catalogue: the user saves them to
// their own list file first, goes on without them, or stays. False: stay.
bool offerToSaveChanges(ProgramState& program, Ui& ui) {
    if (!program.globalList.table.ListModified) return true;
    const DialogButton answer =
        ui.ask(DialogType::Confirmation,
               "   avant de changer de liste, enregistrer les modifications effectuées sur la liste "
               "actuelle ? \n\n       " +
                   program.catalogue.paths.ListFilePath,
               {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
    // Not written (read-only, or the user cancelled on a list changed on disk): the rows stay
    // here with the user, unless the user reloaded the list, which left nothing to save.
    if (answer == DialogButton::Yes)
        return saveCurrentList(program, ui) || !program.globalList.table.ListModified;
    return answer == DialogButton::No;
}

// Makes the catalogue named by folder and name current, paths and the names the windows show, and
// settles its lock (the previous one kept by the snapshot meanwhile).
void becomeCurrent(ProgramState& program, CatalogueSnapshot& before, Ui& ui, const std::string& folder,
                   const std::string& name) {
    const std::string previous = program.catalogue.paths.ListFilePath;
    program.catalogue.paths.derive(folder, name);
    program.settings.listFolder = folder;
    program.settings.listName = name;
    program.collectionListFileCaption = name;
    if (program.catalogue.paths.ListFilePath == previous) return;
    // What is there now is what a save would write over without asking, until a load reads it.
    rememberListFile(program);
    if (program.listLock.listFile() != program.catalogue.paths.ListFilePath) before.keepLock(program);
    followListLock(program, ui);
}

// Reads a parameter file into the current catalogue; the level label follows the level read.
void readParameters(ProgramState& program, const std::string& paramFile) {
    if (readCatalogueParams(program.catalogue, paramFile))
        program.globalList.index.levelCaption = labelIdxText(program.catalogue.params.indexLevel);
}

std::string withoutExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The empty list file of a new catalogue, from the template beside the program. False (and told)
// when the template is there but could not be copied.
enum class TemplateCopy { Copied, NoTemplate, Failed };
TemplateCopy copyEmptyListTemplate(ProgramState& program, Ui& ui) {
    const std::string source = joinPath(program.installedFiles(), kEmptyListTemplate);
    if (!platform::isFile(source)) return TemplateCopy::NoTemplate;
    std::vector<char> buffer(64 * 1024);
    const std::string& list = program.catalogue.paths.ListFilePath;
    const std::size_t cut = list.find_last_of("\\/");
    if (cut == std::string::npos ||
        copyThroughTemporary(source, folderOf(list), std::string_view(list).substr(cut + 1), buffer) !=
            CopyResult::Copied) {
        inform(ui, " liste vide impossible à créer   ");
        return TemplateCopy::Failed;
    }
    // Written here: the save that follows writes over it without asking.
    rememberListFile(program);
    inform(ui, " liste vide créée   ");
    return TemplateCopy::Copied;
}

// Empties the list (with its own question), then saves it (with its own question) as the list of
// the catalogue just made current. `emptied` is set as soon as the rows in memory are gone.
void saveAsEmptyList(ProgramState& program, Ui& ui, bool& emptied) {
    emptied = Button_vider_bdClick(program, ui);
    program.globalList.disks.clear();
    program.globalList.table.ListModified = true;
    // The save's question names what is written: the counts follow the list, also when the user
    // chose to keep its rows.
    af_nb_media_bd(program);
    Button_enregistrer_listeClick(program, ui);
}

} // namespace

std::string replaceOrCompleteQuestion(std::int64_t mediaCount, const std::string& categories,
                                      std::size_t keys) {
    return "  Que faire avec cette liste de  " + toText(mediaCount) + "  " + categories + "                " +
           "\n\n" + "  vis à vis de l'actuelle de " + toText(static_cast<long long>(keys)) + " médias  ?";
}

std::string categoriesOfParamFile(const std::string& paramFilePath) {
    std::string text = repairAccentsOfUtf8(ReadKeyValue(paramFilePath, "Edit_type_media_1_.Text") + "+" +
                                           ReadKeyValue(paramFilePath, "Edit_type_media_2_.Text"));
    return text == "+" ? "médias" : text;
}

void BitBtn_fic_lstClick(ProgramState& program, Ui& ui, CatalogueChoiceView& view) {
    const std::optional<std::string> chosen =
        ui.chooseFile("Choix d'une liste de médias (vidéos, musiques, ...)  *.prm",
                      "Listes de médias(*.prm)|*.prm", program.catalogue.paths.ListFolder);
    if (!chosen) return;
    if (!offerToSaveChanges(program, ui)) return;
    const std::string& paramFile = *chosen;
    CatalogueSnapshot before(program);
    GlobalListState& globalList = program.globalList;
    // Once the rows in memory are no longer the previous catalogue's, going back to it would let a
    // save write them over its list file.
    bool rowsReplaced = false;
    try {
        becomeCurrent(program, before, ui, folderOfPath(paramFile),
                      withoutExtension(fileNameOfPath(paramFile)));
        readParameters(program, paramFile);
        const std::string& listFile = program.catalogue.paths.ListFilePath;
        if (!platform::isFile(listFile)) {
            // Declining keeps the chosen catalogue current: it has no list file yet, so the rows
            // in memory cannot overwrite one.
            if (!confirm(ui, "  Fichier inexistant   \n\n  " + fileNameOfPath(listFile) + "\n\n" +
                                 "  Créer une liste vide ?"))
                return;
            globalList.mediaCountCaption = "aucun média";
            const TemplateCopy copy = copyEmptyListTemplate(program, ui);
            if (copy == TemplateCopy::Failed) return;
            if (copy == TemplateCopy::Copied) saveAsEmptyList(program, ui, rowsReplaced);
        }
        // A missing file has no line feeds; its count is 0, never below.
        const std::int64_t count = listFileMediaCount(listFile);
        const int choice = ui.askThreeChoices(
            replaceOrCompleteQuestion(count, categoriesOfParamFile(paramFile), globalList.keys.size()),
            "Ecraser l'actuelle", "Compléter l'actuelle", "Annuler", 120);
        if (choice != 0 && choice != 1) {
            // The rows in memory stay with the catalogue they came from.
            if (!rowsReplaced) before.restore(program);
            return;
        }
        const bool append = choice == 1;
        BusyScope busy(ui);
        view.showWaitingPanels(true);
        struct PanelsDown {
            CatalogueChoiceView& view;
            ~PanelsDown() { view.showWaitingPanels(false); }
        } panelsDown{view};
        const FileStamp read = stampOf(listFile);
        const LoadResult loaded =
            lire_liste(globalList.table, listFile, append ? ListMode::Append : ListMode::Replace, ui,
                       program.programFolder);
        rowsReplaced = true;
        announceListReplaced(globalList);
        if (loaded == LoadResult::Loaded) program.catalogue.listOnDisk.remember(listFile, read);
        const int level = program.catalogue.params.indexLevel;
        if (append) {
            reindexer_liste(
                globalList.table, globalList.keys, level, globalList.index, ui,
                [&program] { af_nb_media_bd(program); }, globalList.observers);
        } else {
            indexer_liste(globalList.table, globalList.keys, level, false, globalList.index);
        }
        af_nb_media_bd(program);
        extraire_hd_liste_globale(globalList);
        program.catalogue.ParamsModified = true;
        view.focusGlobalListButton();
    } catch (...) {
        if (!rowsReplaced) before.restore(program);
        throw;
    }
}

void Edit_nom_fic_media_sans_extKeyDown(ProgramState& program, Ui& ui, CatalogueChoiceView& view,
                                        const std::string& typed) {
    const std::string name = withoutExtension(std::string(trimControl(typed)));
    // The box shows the catalogue's name again whenever the change does not happen.
    program.settings.listName = program.catalogue.paths.ListName;
    if (name.empty()) return;
    if (!platform::acceptableFileName(name + ".txt")) {
        ui.showInfo("  Nom de liste impossible :  \n\n  " + name);
        return;
    }
    if (!offerToSaveChanges(program, ui)) return;
    CatalogueSnapshot before(program);
    becomeCurrent(program, before, ui, program.catalogue.paths.ListFolder, name);
    const ListPaths& paths = program.catalogue.paths;
    bool rowsReplaced = false;
    try {
        if (platform::isFile(paths.ListFilePath)) {
            // An existing catalogue keeps its own categories, filters and level: they are read before
            // its parameter file is written again.
            readParameters(program, paths.ParamFilePath);
            rowsReplaced = Button_charger_bdClick(program, ui, view);
            if (!rowsReplaced) {
                before.restore(program);
                return;
            }
        } else {
            const DialogButton answer =
                ui.ask(DialogType::Confirmation,
                       " Liste inexistante : " + fileNameOfPath(paths.ListBasePath) + "\n\n" +
                           " oui - Créer cette liste avec les " + program.globalList.mediaCountCaption +
                           "\n\n" + " non - Créer cette liste vide ",
                       {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
            if (answer == DialogButton::Yes) {
                program.globalList.table.ListModified = true;
                Button_enregistrer_listeClick(program, ui);
            } else if (answer == DialogButton::No) {
                program.globalList.mediaCountCaption = "aucun média";
                saveAsEmptyList(program, ui, rowsReplaced);
            }
        }
    } catch (...) {
        if (!rowsReplaced) before.restore(program);
        throw;
    }
    saveCatalogueParams(program, ui, true);
    af_nb_media_bd(program);
}

} // namespace verdan
