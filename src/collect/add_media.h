#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "catalogue/program_state.h"
#include "catalogue/settings.h"
#include "collect/drive_survey.h"
#include "platform/drives.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// A found line: its date (before the first ">") and its path or DVD text (after it), both
// pointing into the line.
struct FoundLineParts {
    std::string_view date; // trimmed, at most 16 characters; empty when the line has no ">"
    std::string_view path; // trimmed; the whole line when it has no ">"
};
FoundLineParts splitFoundLine(std::string_view line);

enum class FoundKind { File, Dvd, DvdPipe };
// What the DVD import writes starts its path part with "-DVD" (or "DVD|" for the pipe form); any
// other line names a scanned file, whatever its name holds ("Film-DVDRip.avi" is a file).
FoundKind foundKindOf(std::string_view line, std::string_view path);

// The file name at the end of a path: after the last native separator (and ":" on Windows); a DVD
// text is cut after its last "\" or ":" on every system.
std::string_view fileNameOf(std::string_view path, FoundKind kind);
// "titre" and "ext" of a file name: the extension runs from the last "." on, dot included.
struct NameParts {
    std::string_view titre;
    std::string_view ext;
};
NameParts splitFileName(std::string_view name);

// The folder of a scanned file in the catalogue's own form: E:\films\2020\a.avi with the drive
// E:\, or /media/anna/FILMS/films/2020/a.avi with the drive /media/anna/FILMS, give
// ":\films\2020"; a file at the root of its drive gives ":\".
std::string catalogueFolder(std::string_view path, std::string_view driveRoot);

// "drive" cell of a new row: the letter of a Windows drive, the mount point of a Linux one, and
// "d" for the DVD pseudo-drive (the drive table's header cell).
std::string driveCell(std::string_view driveText);

// Media kind of a file from its extension: category 1's name when the extension (without its
// dot, A-Z lower-cased) occurs inside its filter, category 2's when inside its own (category 2
// wins), otherwise the extension itself; then one final "s" or "S" goes.
std::string mediaKind(std::string_view ext, const std::array<MediaCategory, 2>& media);

// The values a found line gives a new row, by meaning; size and key as the level wants them.
// date, titre and ext point into the line.
struct NewRowValues {
    FoundKind kind = FoundKind::File;
    std::string_view date, titre, ext;
    std::string folder, size, media, key;
};
// The size of a scanned file is looked up again now (FindFileSize): "N/A" when it has gone.
NewRowValues newRowValues(std::string_view line, const DiskIdentity& disk, std::string_view driveRoot,
                          int level, const std::array<MediaCategory, 2>& media);

struct AddOutcome {
    bool changed = false;    // the list was touched (ListModified set), even when nothing was new
    std::size_t added = 0;   // rows appended
    std::size_t lastRow = 0; // the current row afterwards (the last one appended), 0 when none
};

// "4- rajouter dans la liste globale": appends the found list to the global list, skipping the
// files whose key is already there, with the identity of the drive grid's current row.
AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui);

} // namespace verdan
