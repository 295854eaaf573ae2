#pragma once
#include <cstdint>
#include <string>

namespace verdan {

// Line feeds in the file, read in 8192-byte blocks; 0 when it does not exist.
// Throws VerdanError when it exists but cannot be read.
std::int64_t CountLines_Binary(const std::string& path);

// Line n (from 1) of a text file, or its last line when it is shorter; empty for a missing file.
std::string ReadLineN(const std::string& path, int n);
bool SecondLineEmpty(const std::string& path);

// Value after "key=" on the first line that starts with it (case-sensitive), lines trimmed.
// Throws VerdanError ("Impossible d'ouvrir le fichier ...") when the file cannot be read.
std::string ReadKeyValue(const std::string& path, const std::string& key);

// Removes the temporary files that an interrupted write left in a folder (names made by
// platform::temporaryName whose process is gone); returns how many went. With a prefix, only
// names that start with it: a process of another computer, which cannot be seen from here, may
// be writing the files of another catalogue of a shared folder.
int removeStaleTemporaries(const std::string& folder, const std::string& prefix = {});

// The folder part of a path ("." when there is none).
std::string folderOf(const std::string& path);

// Joins a folder and a name with the native separator (a trailing separator is not doubled).
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace verdan
