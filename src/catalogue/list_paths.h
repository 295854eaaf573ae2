#pragma once
#include <string>

namespace verdan {

// The path with the extension of its last component removed, then ".txt":
// "films.2020" names "films.txt".
std::string ListFileFromBase(const std::string& path);

// The paths of the current catalogue, derived whenever the list changes.
struct ListPaths {
    std::string ListFolder; // without trailing separator
    std::string ListName;   // without extension
    std::string ListBasePath;
    std::string ParamFilePath;
    std::string ListFilePath;

    // Sets folder and name, then ListBasePath, ParamFilePath (when asked) and ListFilePath.
    void derive(const std::string& folder, const std::string& name, bool withParamFile = true);
    // Backup of the list file, by the backup's rule (catalogue/list_backup.cpp).
    std::string backupPath() const;
    // How the names of the catalogue's files begin, the list's, its backup's, its parameter
    // file's and their temporaries' ("films." for "films.2020", whose list is "films.txt").
    std::string filesPrefix() const;
};

} // namespace verdan
