#include "catalogue/file_copy.h"

#include "catalogue/contained_paths.h"
#include "catalogue/drive_lookup.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"

namespace verdan {

std::int64_t FileSize64(const std::string& path) {
    // Looked up, not opened: the copy opens the file itself right after and reports a file it
    // cannot read; an opening more per file costs when thousands of small files go.
    return platform::isFile(path) ? platform::entrySize(path) : -1;
}

CopyResult copyThroughTemporary(const std::string& source, const std::string& folder,
                                std::string_view fileName, std::vector<char>& buffer,
                                const std::function<bool(std::int64_t)>& afterBlock,
                                platform::FileFailure* why) {
    if (why) *why = platform::FileFailure::None;
    if (checkDestination(folder, fileName) != DestinationCheck::Inside) return CopyResult::UnsafeName;
    if (!platform::acceptableFileName(fileName)) return CopyResult::NameRefused;
    if (buffer.empty()) buffer.resize(1 << 18);
    auto in = platform::openForReading(source);
    if (!in) return CopyResult::CannotOpenSource;
    // Not forced to disk: a copy can be made again from its source, and forcing gigabytes would
    // cost as much as the copy itself. The rename still never shows a part of the file.
    platform::AtomicFileWriter out(pathInFolder(folder, fileName), false);
    const auto failed = [&](CopyResult result) {
        if (why) *why = out.failure();
        return result;
    };
    if (out.open() != platform::WriteResult::Ok)
        return out.failure() == platform::FileFailure::NameRefused ? CopyResult::NameRefused
                                                                   : failed(CopyResult::CannotCreate);
    std::int64_t done = 0;
    for (;;) {
        const long long n = out.writeFrom(*in, buffer.data(), buffer.size());
        if (n == platform::AtomicFileWriter::kReadFailed) return CopyResult::CannotReadSource;
        if (n < 0) return failed(CopyResult::CannotWrite);
        done += n;
        if (afterBlock && !afterBlock(done)) return CopyResult::Abandoned;
        if (n == 0) break;
    }
    if (out.commit() != platform::WriteResult::Ok) return failed(CopyResult::CannotWrite);
    return CopyResult::Copied;
}

std::string copyFailureText(CopyResult result, const std::string& source, const std::string& destination,
                            platform::FileFailure why) {
    const auto cause = [&](const char* unknown) -> std::string {
        switch (why) {
        case platform::FileFailure::NoRoom:
            return "\n\n  Le disque est plein.";
        case platform::FileFailure::Refused:
            return "\n\n  Accès refusé.";
        case platform::FileFailure::InputOutput:
            return "\n\n  Erreur d'entrée-sortie.";
        case platform::FileFailure::NameRefused:
            return "\n\n  Le système refuse ce nom.";
        case platform::FileFailure::None:
            break;
        }
        return unknown;
    };
    switch (result) {
    case CopyResult::CannotOpenSource:
        return msg::cannotOpen(source);
    case CopyResult::CannotReadSource:
        return "Impossible de lire le fichier " + source;
    case CopyResult::CannotCreate:
        return msg::cannotCreate(destination) + cause("");
    case CopyResult::CannotWrite:
        return msg::cannotWrite(destination) + cause("\n\n  Le disque est peut-être plein.");
    case CopyResult::UnsafeName:
        return refusedRowText({}, fileNameOfPath(destination));
    case CopyResult::NameRefused:
        return msg::cannotCreate(destination) + cause("\n\n  Le système refuse ce nom.");
    case CopyResult::Copied:
    case CopyResult::Abandoned:
        break;
    }
    return {};
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
    if (checkDestination(folder, name) != DestinationCheck::Inside) {
        ui.showInfo(refusedRowText({}, name));
        return;
    }
    if (platform::exists(destination) &&
        ui.ask(DialogType::Confirmation,
               " Le fichier existe déjà \n\n" + destination + "\n\n" + " Continuer ?",
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return;
    if (status) status("Copie en cours ...");
    removeStaleTemporaries(folder);
    std::vector<char> buffer;
    const CopyResult result = copyThroughTemporary(source, folder, name, buffer);
    ui.playSound(SystemSound::Asterisk);
    ui.showInfo(result == CopyResult::Copied ? "Copie réussie : " + destination
                                             : "Échec de la copie vers : " + destination);
    if (status) status("");
}

} // namespace verdan
