#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace verdan {

// What the disk lookup needs of one row of the table of present drives.
struct DriveRow {
    std::string drive;  // Windows "D:\" (or the letter alone), Linux the mount point
    std::string name;   // "nom-disque"
    std::string serial; // "NS-disque"
};
using DriveRows = std::vector<DriveRow>;

class DriveTable;
// The drives of the collection window's table, by header text; a row without a drive (the blank
// row of an empty table) is left out.
DriveRows driveRowsOf(const DriveTable& table);

// Today's root of a drive cell: the letter of a Windows drive ("D:\" gives "D"), a mount point
// as it stands without a final "/" (but "/" itself); empty for an empty cell.
std::string driveRoot(std::string_view driveCell);

// Root of the first drive whose name and serial both equal the texts (exact, case-sensitive);
// empty when none.
std::string FindDriveByDisk(const DriveRows& drives, std::string_view name, std::string_view serial);
// Root of the first drive whose serial equals the text; empty when none.
std::string FindDriveBySerial(const DriveRows& drives, std::string_view serial);

// A catalogue folder (":\films\2020", ":\" for the root) on today's root: "E:\films\2020", or
// "/media/anna/FILMS/films/2020" under a mount point.
std::string nativeFolder(std::string_view root, std::string_view catalogueFolder);
// The folder joined with a file name by the separator of the root's kind, not doubled.
std::string nativeFilePath(std::string_view root, std::string_view catalogueFolder,
                           std::string_view fileName);

// The path up to its last separator, which stays only for a root ("E:\", "/").
std::string folderOfPath(std::string_view path);
// The part after the last separator.
std::string fileNameOfPath(std::string_view path);

} // namespace verdan
