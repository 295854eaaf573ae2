#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
// Lines longer than kMaxListLine keep their head; a plain box then says how many were cut.
// Throws VerdanError ("Impossible d'ouvrir le fichier ...") when the list cannot be read,
// and then leaves the table and ListModified as they were.
// With a follower, the rows kept are also handed to it as they are read, in order, by batches,
// on a thread of its own beside the reading (in Replace mode the header row first); it has seen
// them all when lire_liste returns, and what it throws is thrown then, the table left as it was.
class RowFollower {
public:
    virtual ~RowFollower() = default;
    // Before the first batch: the size of the file, to make room ahead.
    virtual void begin(std::uint64_t /*fileBytes*/) {}
    // The texts stay valid until lire_liste returns.
    virtual void follow(const std::vector<std::string_view>& rows) = 0;
};
// While it reads, it shows kLoadProgressText through Ui::progress; when the user stops it there it
// throws LoadCancelled (msg::loadCancelled) and leaves the table as it was. `lineFeeds`, when
// given, receives the file's line feeds once it was read whole (what listFileMediaCount would
// count), so that the file need not be read again for them.
LoadResult lire_liste(GlobalList& table, const std::string& path, ListMode mode, Ui& ui,
                      const std::string& programFolder, RowFollower* follower = nullptr,
                      std::int64_t* lineFeeds = nullptr);
inline constexpr const char* kLoadProgressText = "  Lecture de la liste globale   (Échap : annuler)  ";

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
// The same for a file whose line feeds are known (lire_liste counted them).
std::int64_t listFileMediaCount(const std::string& path, std::int64_t lineFeeds);

} // namespace verdan
