#include "catalogue/catalogue_access.h"

#include "catalogue/drive_lookup.h"
#include "catalogue/index_keys.h"

namespace verdan {
namespace {

void becomeReadOnly(CurrentCatalogue& catalogue, const LockHolder& holder) {
    catalogue.readOnly = true;
    catalogue.holder = holder;
}

// The user's choice about a list held by `holder`: read-only, or the lock taken over.
void decide(ProgramState& program, Ui& ui, LockHolder holder) {
    CurrentCatalogue& catalogue = program.catalogue;
    const std::string& listFile = catalogue.paths.ListFilePath;
    // Closing the question without an answer leaves the other program's work safe.
    if (ui.ask(DialogType::Confirmation, lockedListQuestion(listFile, holder),
               {DialogButton::Yes, DialogButton::No}) != DialogButton::No) {
        becomeReadOnly(catalogue, holder);
        return;
    }
    switch (program.listLock.takeOver(listFile, holder)) {
    case ListLock::Outcome::Taken:
    case ListLock::Outcome::Unavailable:
        return;
    case ListLock::Outcome::HeldByOther:
        becomeReadOnly(catalogue, holder);
        ui.ask(DialogType::Information,
               "  Impossible de reprendre la liste : elle est toujours ouverte par " + holderText(holder) +
                   "  \n\n  Elle est ouverte en lecture seule. ",
               {DialogButton::Ok});
        return;
    }
}

// Takes the lock of the current list file, or settles without it.
void settle(ProgramState& program, Ui& ui) {
    CurrentCatalogue& catalogue = program.catalogue;
    catalogue.accessListFile = catalogue.paths.ListFilePath;
    catalogue.readOnly = false;
    catalogue.holder = {};
    LockHolder holder;
    if (program.listLock.take(catalogue.paths.ListFilePath, holder) == ListLock::Outcome::HeldByOther)
        decide(program, ui, holder);
}

} // namespace

std::string lockedListQuestion(const std::string& listFile, const LockHolder& holder) {
    return "  La liste " + fileNameOfPath(listFile) + " est déjà ouverte par " + holderText(holder) +
           "  \n\n  oui - L'ouvrir en lecture seule \n\n  non - La reprendre : l'autre programme ne pourra "
           "plus l'enregistrer ";
}

void followListLock(ProgramState& program, Ui& ui) {
    const CurrentCatalogue& catalogue = program.catalogue;
    const std::string& listFile = catalogue.paths.ListFilePath;
    if (catalogue.accessListFile == listFile &&
        (catalogue.readOnly || program.listLock.listFile() == listFile))
        return;
    // The lock held is this list's already: kept, not let go and taken again.
    if (program.listLock.held() && program.listLock.listFile() == listFile) {
        program.catalogue.accessListFile = listFile;
        program.catalogue.readOnly = false;
        return;
    }
    program.listLock.release();
    settle(program, ui);
}

bool mayWriteCatalogue(ProgramState& program, Ui& ui) {
    CurrentCatalogue& catalogue = program.catalogue;
    if (catalogue.accessListFile != catalogue.paths.ListFilePath) {
        followListLock(program, ui);
        return !catalogue.readOnly;
    }
    if (!catalogue.readOnly) {
        LockHolder holder;
        if (!program.listLock.held()) {
            // No lock could be made when the list was opened (its folder did not exist yet, say):
            // another program may have opened it since. Its question names the holder.
            settle(program, ui);
        } else if (!program.listLock.confirm(holder)) {
            // Another program took the list over: the user keeps away from it, or takes it back
            // (what that program saved meanwhile is then asked about before it is written over).
            decide(program, ui, holder);
        }
        return !catalogue.readOnly;
    }
    ui.ask(DialogType::Warning, readOnlyMessage(catalogue.holder, catalogue.paths.ListFilePath),
           {DialogButton::Ok});
    return false;
}

void releaseListLock(ProgramState& program) {
    program.listLock.release();
    program.catalogue.accessListFile.clear();
    program.catalogue.readOnly = false;
    program.catalogue.holder = {};
}

std::string accessCaption(const ProgramState& program) {
    if (!program.catalogue.readOnly) return {};
    return "lecture seule : ouverte par " + holderText(program.catalogue.holder);
}

void rememberListFile(ProgramState& program) {
    program.catalogue.listOnDisk.remember(program.catalogue.paths.ListFilePath);
}

bool saveCatalogueParams(ProgramState& program, Ui& ui, bool announce) {
    const int level = program.catalogue.params.indexLevel;
    const bool written = enregistrer_parametre_liste(program.catalogue, ui, announce);
    if (program.catalogue.params.indexLevel != level)
        program.globalList.index.levelCaption = labelIdxText(program.catalogue.params.indexLevel);
    return written;
}

} // namespace verdan
