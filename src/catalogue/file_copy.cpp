#include "catalogue/file_copy.h"

#include "catalogue/drive_lookup.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/error.h"

namespace verdan {

std::int64_t FileSize64(const std::string& path) {
    // Looked up, not opened: the copy opens the file itself right after and reports a file it
    // cannot read; an opening more per file costs when thousands of small files go.
    return platform::isFile(path) ? platform::entrySize(path) : -1;
}

CopyResult copyThroughTemporary(const std::string& source, const std::string& destination,
                                std::vector<char>& buffer,
                                const std::function<bool(std::int64_t)>& afterBlock) {
    if (buffer.empty()) buffer.resize(1 << 18);
    auto in = platform::openForReading(source);
    if (!in) return CopyResult::CannotOpenSource;
    if (!platform::acceptableFileName(fileNameOfPath(destination))) return CopyResult::CannotCreate;
    // Not forced to disk: a copy can be made again from its source, and forcing gigabytes would
    // cost as much as the copy itself. The rename still never shows a part of the file.
    platform::AtomicFileWriter out(destination, false);
    if (out.open() != platform::WriteResult::Ok) return CopyResult::CannotCreate;
    std::int64_t done = 0;
    for (;;) {
        const long long n = out.writeFrom(*in, buffer.data(), buffer.size());
        if (n == platform::AtomicFileWriter::kReadFailed) return CopyResult::CannotReadSource;
        if (n < 0) return CopyResult::CannotWrite;
        done += n;
        if (afterBlock && !afterBlock(done)) return CopyResult::Abandoned;
        if (n == 0) break;
    }
    if (out.commit() != platform::WriteResult::Ok) return CopyResult::CannotWrite;
    return CopyResult::Copied;
}

std::string copyFailureText(CopyResult result, const std::string& source, const std::string& destination) {
    switch (result) {
    case CopyResult::CannotOpenSource:
        return msg::cannotOpen(source);
    case CopyResult::CannotReadSource:
        return "Impossible de lire le fichier " + source;
    case CopyResult::CannotCreate:
        return msg::cannotCreate(destination);
    case CopyResult::CannotWrite:
        return msg::cannotWrite(destination) + "\n\n  Le disque est peut-être plein.";
    case CopyResult::Copied:
    case CopyResult::Abandoned:
        break;
    }
    return {};
}

std::string pathInFolder(const std::string& folder, std::string_view fileName) {
    char sep = platform::nativeSeparator();
    if (folder.find('\\') != std::string::npos)
        sep = '\\';
    else if (folder.find('/') != std::string::npos)
        sep = '/';
    std::string path = folder;
    if (path.empty() || path.back() != sep) path.push_back(sep);
    path.append(fileName);
    return path;
}

void CopyFileWithConfirm(Ui& ui, const std::string& source, const std::string& folder,
                         const std::function<void(const std::string&)>& status) {
    const std::string name = fileNameOfPath(source);
    if (ui.ask(DialogType::Confirmation, " Copier " + name + "\n\n" + " vers le dossier : " + folder + "  ?",
               {DialogButton::Yes, DialogButton::No, DialogButton::Cancel}) != DialogButton::Yes)
        return;
    if (!platform::isFolder(folder)) {
        if (ui.ask(DialogType::Confirmation,
                   " Le répertoire cible n’existe pas : " + folder + "\n\n" + " Créer ce répertoire ? ",
                   {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
            return;
        if (!platform::createFolders(folder)) {
            showError(ui, " Impossible de créer le répertoire \n\n");
            return;
        }
        ui.ask(DialogType::Information, "Répertoire créé : " + folder + "\n\n", {DialogButton::Ok});
    }
    const std::string destination = pathInFolder(folder, name);
    if (platform::exists(destination) &&
        ui.ask(DialogType::Confirmation,
               " Le fichier existe déjà \n\n" + destination + "\n\n" + " Continuer ?",
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return;
    if (status) status("Copie en cours ...");
    std::vector<char> buffer;
    const CopyResult result = copyThroughTemporary(source, destination, buffer);
    ui.playSound(SystemSound::Asterisk);
    ui.showInfo(result == CopyResult::Copied ? "Copie réussie : " + destination
                                             : "Échec de la copie vers : " + destination);
    if (status) status("");
}

} // namespace verdan
