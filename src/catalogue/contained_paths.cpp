#include "catalogue/contained_paths.h"

#include "catalogue/drive_lookup.h"
#include "platform/files.h"

namespace verdan {
namespace {

bool isControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

bool onlyDotsAndBlanks(std::string_view name) {
    return name.find_first_not_of(". ") == std::string_view::npos;
}

bool hasControl(std::string_view text) {
    for (const char c : text)
        if (isControl(c)) return true;
    return false;
}

} // namespace

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name.find_first_of("/\\") == std::string_view::npos && !hasControl(name) &&
           !onlyDotsAndBlanks(name);
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

bool staysOnItsDisk(std::string_view folder) {
    if (folder.empty() || folder.front() != ':' || hasControl(folder)) return false;
    folder.remove_prefix(1);
    if (folder.empty()) return true;
    if (folder.front() != '\\' && folder.front() != '/') return false;
    while (!folder.empty()) {
        const std::size_t sep = folder.find_first_of("/\\");
        const std::string_view name = folder.substr(0, sep);
        // Doubled separators are empty names, which stay where they are.
        if (!name.empty() && onlyDotsAndBlanks(name)) return false;
        if (sep == std::string_view::npos) break;
        folder.remove_prefix(sep + 1);
    }
    return true;
}

std::string fileOnDisk(std::string_view root, std::string_view catalogueFolder, std::string_view fileName) {
    if (root.empty() || !isPlainFileName(fileName) || !staysOnItsDisk(catalogueFolder)) return {};
    return nativeFilePath(root, catalogueFolder, fileName);
}

DestinationCheck checkDestination(const std::string& folder, std::string_view fileName) {
    if (!isPlainFileName(fileName)) return DestinationCheck::NotPlain;
    // The parent as the system reads the joined path, compared as an entry, not as a text: a
    // favourites folder reached through a link is still itself.
    const std::string destination = pathInFolder(folder, fileName);
    const std::string parent = destination.substr(0, destination.size() - fileName.size());
    return platform::sameFolder(parent, folder) ? DestinationCheck::Inside : DestinationCheck::Elsewhere;
}

std::string shownCell(std::string_view cell) {
    std::string out(cell);
    for (char& c : out)
        if (isControl(c)) c = '?';
    return out;
}

std::string refusedRowText(std::string_view catalogueFolder, std::string_view fileName) {
    if (!isPlainFileName(fileName))
        return " Le nom « " + shownCell(fileName) +
               " » n'est pas un simple nom de fichier : la ligne est refusée. \n\n"
               " (un nom ne peut contenir ni « / » ni « \\ » ni caractère de contrôle, ni n'être fait que "
               "de points) ";
    return " Le répertoire « " + shownCell(catalogueFolder) +
           " » sort de son disque : la ligne est refusée. \n\n"
           " (un répertoire commence par « :\\ » et ne remonte jamais au-dessus de la racine du disque) ";
}

std::string refusedRowLine(std::string_view disk, std::string_view catalogueFolder,
                           std::string_view fileName) {
    return shownCell(disk) + "   " + shownCell(catalogueFolder) + "   " + shownCell(fileName);
}

} // namespace verdan
