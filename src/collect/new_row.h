#pragma once
#include <array>
#include <string>
#include <string_view>

#include "catalogue/settings.h"
#include "collect/disk_identity.h"
#include "collect/found_line.h"
#include "platform/files.h"
#include "platform/system.h"

// What a found line gives a new row of the global list.
namespace verdan {

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

// Media kind of a file from its extension: the name of the category whose filter lists the
// extension, as the scan accepts it (an item equal to it, letter case aside, category 1 first),
// otherwise the extension itself; then one final "s" or "S" goes. Rows already in a list keep the
// kind they were given.
std::string mediaKind(std::string_view ext, const std::array<MediaCategory, 2>& media);

// The values a found line gives a new row, by meaning; size and key as the level wants them.
// date, titre and ext point into the line.
struct NewRowValues {
    FoundKind kind = FoundKind::File;
    std::string_view date, titre, ext;
    std::string folder, size, media, key;
};
// Makes the values of new rows for one adding; what all lines share is worked out once, the
// decimal separator too (asking the system costs more than the rest of a line).
class NewRowMaker {
public:
    NewRowMaker(const DiskIdentity& disk, std::string driveRoot, int level,
                const std::array<MediaCategory, 2>& media,
                std::string decimalSeparator = platform::decimalSeparator());
    // The size of a scanned file is looked up again now: "N/A" when it has gone.
    // Safe to call from several threads at once.
    NewRowValues operator()(std::string_view line) const;
    // The same, the size looked up through the calling thread's own `sizes`.
    NewRowValues operator()(std::string_view line, platform::EntrySizes& sizes) const;
    // The same with the size the line itself gives, as the scan found it a moment ago.
    NewRowValues asFound(std::string_view line) const;
    std::string mediaKind(std::string_view ext) const;

private:
    // `sizeOf(path)` gives the size text of a scanned file.
    template <class SizeText> NewRowValues make(std::string_view line, SizeText&& sizeOf) const;

    DiskIdentity m_disk;
    std::string m_driveRoot;
    int m_level;
    std::string m_decimalSeparator;
    std::array<std::string, 2> m_names;                // category names
    std::array<std::vector<std::string>, 2> m_filters; // their extensions, as the scan reads them
};

NewRowValues newRowValues(std::string_view line, const DiskIdentity& disk, std::string_view driveRoot,
                          int level, const std::array<MediaCategory, 2>& media);

} // namespace verdan
