#pragma once
#include <cstdint>
#include <string>

#include "catalogue/global_list.h"
#include "util/ui.h"

namespace verdan {

enum class ListMode { Replace, Append };
enum class LoadResult { Missing, Loaded, HeadersDiffer };

// Longest line kept by the reader, in characters (bytes of the file).
inline constexpr std::size_t kMaxListLine = 4096;
inline constexpr const char* kTmpCsvName = "tmp.CSV";

// Fills the table from a list file (Windows-1252, tab-separated, header line), writing its
// non-blank lines in the quoted form to tmp.CSV in the program folder.
// Missing file: " Le fichier <path> est introuvable \n\n" (error box, Oui), nothing changes.
// tmp.CSV that cannot be written is given up: the load goes on and the user is told once a run.
// Append mode with other headers: a plain box, nothing appended, ListModified still set.
// Throws VerdanError ("Impossible d'ouvrir le fichier ...") when the list cannot be read,
// and then leaves the table and ListModified as they were.
LoadResult lire_liste(GlobalList& table, const std::string& path, ListMode mode, Ui& ui,
                      const std::string& programFolder);

// The next failure to write tmp.CSV is told again (for tests).
void resetScratchFailureNotice();

// Writes the whole table (Windows-1252, CR LF, accents repaired) through a temporary file renamed
// over the target, then clears ListModified. With a backup path, the file replaced becomes the
// backup, only once the new one is whole on disk. Throws VerdanError and then leaves the previous
// file (and backup) whole and ListModified as it was.
void ecrire_liste(GlobalList& table, const std::string& path, const std::string& backup = {});

// Media in a list file without loading it: line feeds - 1, - 1 more when the second line is
// empty, never below 0. Throws VerdanError when the file exists but cannot be read.
std::int64_t listFileMediaCount(const std::string& path);

} // namespace verdan
