#include "catalogue/list_backup.h"

#include "catalogue/list_paths.h"
#include "util/file_helpers.h"

namespace verdan {
namespace {

// `to` is replaced in one move by a second name of `from`, so that it holds either its previous
// file or `from`'s at every moment; false leaves it as it was.
bool replaceBySecondName(const std::string& from, const std::string& to) {
    const std::string copy = platform::temporaryName(to);
    if (platform::duplicateEntry(from, copy) && platform::replaceEntry(copy, to)) return true;
    platform::removeFile(copy);
    return false;
}

} // namespace

std::string listBackupPath(const std::string& listFile) {
    const std::string s = ListFileFromBase(listFile);
    return s.substr(0, s.size() - 4) + ".bak";
}

std::string ListPaths::backupPath() const {
    return listBackupPath(ListFilePath);
}

platform::AtomicFileWriter::BeforeReplace listBackupRotation(std::string backup) {
    if (backup.empty()) return {};
    return [backup = std::move(backup)](const std::string& listFile) {
        return !platform::isFile(listFile) || replaceBySecondName(listFile, backup);
    };
}

bool echanger_fichiers(const std::string& a, const std::string& b) {
    if (!platform::isFile(a) || !platform::isFile(b)) return false;
    const std::string folder = folderOf(a);
    switch (platform::exchangeEntries(a, b)) {
    case platform::ExchangeResult::Done:
        // The swap is made: a folder that cannot be synced does not undo it.
        platform::syncFolder(folder);
        return true;
    case platform::ExchangeResult::Failed:
        return false;
    case platform::ExchangeResult::Unsupported:
        break;
    }
    // Second names of both files first; then each name is replaced in one move, so that neither
    // name is ever missing, and the first move can be undone while the second names exist.
    // Between the two moves a's content is only under keepA: a name that the clean-up of
    // temporary files leaves alone, so that a crash there loses no version.
    std::string keepA = platform::temporaryName(a);
    keepA.replace(keepA.rfind(".tmp"), 4, ".swap");
    const std::string keepB = platform::temporaryName(b);
    bool ok = platform::duplicateEntry(a, keepA) && platform::duplicateEntry(b, keepB) &&
              platform::replaceEntry(keepB, a);
    if (ok && !platform::replaceEntry(keepA, b)) {
        // a already holds b's content: give it its own back.
        ok = false;
        if (!platform::replaceEntry(keepA, a)) return false; // keepA stays: the only copy left of a
    }
    platform::removeFile(keepA);
    platform::removeFile(keepB);
    if (ok) platform::syncFolder(folder);
    return ok;
}

bool onlyBackupLeft(const std::string& listFile, const std::string& backup) {
    return !platform::exists(listFile) && platform::isFile(backup);
}

bool restoreListBackup(const std::string& listFile, const std::string& backup) {
    return replaceBySecondName(backup, listFile) && platform::syncFolder(folderOf(listFile));
}

} // namespace verdan
