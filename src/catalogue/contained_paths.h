#pragma once
#include <string>
#include <string_view>

// A list file, a plan and a DVD list are exchanged and edited by hand: their cells are data, never
// paths. The rule, one for every system a catalogue goes to: a title with its extension is used
// only when it is one plain file name, and a folder only when it stays under its disk's root.
// A row that breaks it is refused with a message naming it; nothing is renamed behind the user's
// back, so what is copied or opened is always what the row says.
namespace verdan {

// Not empty, no "/" or "\", no control character, not made of dots and blanks alone ("." and ".."
// climb, and Windows drops the final dots and blanks of a name).
bool isPlainFileName(std::string_view name);

// The folder joined with a file name by the folder's own separator.
std::string pathInFolder(const std::string& folder, std::string_view fileName);

// A catalogue folder (":\films\2020", ":\" for the root) that stays on its disk: it begins with
// the colon and a separator (or is the colon alone), none of its names climbs (".." or any name
// made of dots and blanks alone) and none holds a control character.
bool staysOnItsDisk(std::string_view catalogueFolder);

// The file a row names on the disk plugged in at `root`; empty when the name or the folder would
// leave the disk.
std::string fileOnDisk(std::string_view root, std::string_view catalogueFolder, std::string_view fileName);

enum class DestinationCheck { Inside, NotPlain, Elsewhere };
// Whether `fileName` can be the name of a file made in `folder`: a plain name whose parent, once
// joined and with symbolic links resolved, is the folder itself.
DestinationCheck checkDestination(const std::string& folder, std::string_view fileName);

// A cell as a message shows it: control characters (a line feed from a crafted file) as "?".
std::string shownCell(std::string_view cell);

// Said when a row is refused: its name or its folder, whichever breaks the rule.
std::string refusedRowText(std::string_view catalogueFolder, std::string_view fileName);
// One line of a list of refused rows: the disk, the folder and the name.
std::string refusedRowLine(std::string_view disk, std::string_view catalogueFolder,
                           std::string_view fileName);

} // namespace verdan
