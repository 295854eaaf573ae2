#include "catalogue/drive_lookup.h"

#include "catalogue/drive_table.h"

namespace verdan {
namespace {

bool isMountPoint(std::string_view root) {
    return !root.empty() && root.front() == '/';
}

char separatorOf(std::string_view path) {
    return isMountPoint(path) ? '/' : '\\';
}

} // namespace

std::string driveRoot(std::string_view cell) {
    if (cell.empty()) return {};
    if (!isMountPoint(cell)) return std::string(cell.substr(0, 1));
    while (cell.size() > 1 && cell.back() == '/') cell.remove_suffix(1);
    return std::string(cell);
}

DriveRows driveRowsOf(const DriveTable& table) {
    const int drive = table.indice_col1("drive");
    const int name = table.indice_col1("nom-disque");
    const int serial = table.indice_col1("NS-disque");
    DriveRows rows;
    if (drive < 0) return rows;
    for (int r = 1; r < table.rowCount(); ++r) {
        if (table.cell(r, drive).empty()) continue;
        rows.push_back({table.cell(r, drive), name < 0 ? std::string() : table.cell(r, name),
                        serial < 0 ? std::string() : table.cell(r, serial)});
    }
    return rows;
}

std::string FindDriveByDisk(const DriveRows& drives, std::string_view name, std::string_view serial) {
    for (const DriveRow& d : drives) {
        if (d.name == name && d.serial == serial) return driveRoot(d.drive);
    }
    return {};
}

std::string FindDriveBySerial(const DriveRows& drives, std::string_view serial) {
    for (const DriveRow& d : drives) {
        if (d.serial == serial) return driveRoot(d.drive);
    }
    return {};
}

std::string nativeFolder(std::string_view root, std::string_view folder) {
    if (!isMountPoint(root)) return std::string(root) + std::string(folder);
    // ":\a\b" on a mount point: the colon goes, the backslashes become slashes.
    if (!folder.empty() && folder.front() == ':') folder.remove_prefix(1);
    std::string path(root == "/" ? std::string_view() : root);
    for (char c : folder) path.push_back(c == '\\' ? '/' : c);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    // Built anew rather than assigned: GCC 12 at -O3 warns falsely on the assignment.
    return path.empty() ? std::string(1, '/') : path;
}

std::string nativeFilePath(std::string_view root, std::string_view folder, std::string_view fileName) {
    std::string path = nativeFolder(root, folder);
    const char sep = separatorOf(root);
    if (path.empty() || path.back() != sep) path.push_back(sep);
    path.append(fileName);
    return path;
}

namespace {

// A Windows path may also be written with "/" (Qt's dialogs, a path typed by hand): both cut it.
// Elsewhere "\\" is a character of a name.
std::size_t lastSeparator(std::string_view path) {
    return separatorOf(path) == '/' ? path.rfind('/') : path.find_last_of("\\/");
}

} // namespace

std::string folderOfPath(std::string_view path) {
    const char sep = separatorOf(path);
    const std::size_t last = lastSeparator(path);
    if (last == std::string_view::npos) return {};
    // A drive root keeps its separator: "E:\a.avi" gives "E:\", "/a.avi" gives "/".
    const bool root = sep == '/' ? last == 0 : (last == 2 && path[1] == ':');
    return std::string(path.substr(0, root ? last + 1 : last));
}

std::string fileNameOfPath(std::string_view path) {
    const std::size_t last = lastSeparator(path);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

} // namespace verdan
